#pragma once
// The AudioExecutor of the desktop application: a posted task runs in the
// Qt event loop of the application's thread, between other events. Post may
// be called from any thread (the sound server's event thread); tasks posted
// while no QCoreApplication exists are dropped.
#include "audio/AudioExecutor.h"

class QtAudioExecutor : public nv::AudioExecutor {
 public:
  static QtAudioExecutor& Instance();
  void Post(std::function<void()> task) override;
};

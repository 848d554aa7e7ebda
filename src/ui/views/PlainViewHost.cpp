#include "views/PlainViewHost.h"

#include "audio/pulse/PulseAudioBackend.h"
#include "views/QtAudioExecutor.h"

PlainViewHost::PlainViewHost() = default;

PlainViewHost::~PlainViewHost() = default;

nv::AudioBackend& PlainViewHost::Audio() {
  if (!audio_) audio_ = std::make_unique<nv::PulseAudioBackend>(QtAudioExecutor::Instance());
  return *audio_;
}

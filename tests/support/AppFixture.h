#pragma once
// The desktop application of a Qt test suite: a suite class derives from
// QObject and from AppFixture, makes the application on a fresh in-memory
// settings store in its init() (MakeApp) and drops it in cleanup() (DropApp).
#include <QSize>
#include <QStringList>
#include <memory>

#include "QtTestSupport.h"
#include "audio/AudioBackend.h"
#include "app/CMainFrame.h"
#include "app/CNorvaneApp.h"
#include "settings/MemorySettingsStore.h"
#include "views/CNvAnaView.h"

namespace nv::test {

class AppFixture {
 protected:
  std::unique_ptr<MemorySettingsStore> store_;
  std::unique_ptr<CNorvaneApp> app_;
  TestMessageSink sink_;

  // A fresh settings store and an application on it (not started), on the
  // sound devices `audio` when one is given.
  void MakeApp(AudioBackend* audio = nullptr);
  // The application first, then its store.
  void DropApp();
  // Starts the application with `args`; when it starts, gives the main frame
  // `size`, shows it when `show`, and lets the events settle.
  bool StartApp(const QStringList& args, QSize size, bool show = false);

  CMainFrame* Frame() const { return app_->MainFrame(); }
  CNvAnaView* View() const { return Frame()->ActiveView(); }
  CNorvaneDoc* Doc() const { return Frame()->ActiveDocument(); }
  // Runs the posted events a few times, so that deferred work is done.
  static void Settle();
  // Writes `frames` frames of a sine (8000 sin 0.3 i) as 16-bit mono
  // 44 100 Hz samples to `path` in the program's WAVE; returns the path.
  static QString WriteSineFile(const QString& path, int frames);
};

}  // namespace nv::test

#include "AppFixture.h"

#include <QCoreApplication>

namespace nv::test {

void AppFixture::MakeApp(AudioBackend* audio) {
  store_ = std::make_unique<MemorySettingsStore>();
  app_ = std::make_unique<CNorvaneApp>(store_.get());
  if (audio) app_->SetAudioBackend(audio);
}

void AppFixture::DropApp() {
  app_.reset();
  store_.reset();
}

bool AppFixture::StartApp(const QStringList& args, QSize size, bool show) {
  const bool ok = app_->InitInstance(args);
  if (ok) {
    Frame()->resize(size);
    if (show) Frame()->show();
    Settle();
  }
  return ok;
}

void AppFixture::Settle() {
  for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
}

}  // namespace nv::test

#include "AppFixture.h"

#include <QCoreApplication>
#include <cmath>
#include <vector>

#include "TestSupport.h"
#include "document/DocumentContext.h"

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

QString AppFixture::WriteSineFile(const QString& path, int frames) {
  std::vector<int16_t> s(static_cast<size_t>(frames));
  for (int i = 0; i < frames; ++i) s[static_cast<size_t>(i)] = static_cast<int16_t>(8000 * std::sin(i * 0.3));
  DocumentContext documents;
  CNorvaneDoc doc(documents);
  FillDocument(doc, 1, 16, 44100, Samples16(s));
  if (!doc.Save({path.toStdString(), FileType::NorvaneWave})) qFatal("cannot write test file");
  return path;
}

void AppFixture::Settle() {
  for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
}

}  // namespace nv::test

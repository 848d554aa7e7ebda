// Opens the display settings dialogs on a sample record for trying them by
// hand. With "--grab DIR" every dialog is rendered to DIR/<name>.png.
#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <cstring>

#include "app/AppCore.h"
#include "app/QtMessageSink.h"
#include "settings/ColorMapEditorDialog.h"
#include "app/DefaultSettingsDialogs.h"
#include "settings/OscillogramSettingsDialog.h"
#include "settings/SpectrogramSettingsDialog.h"
#include "settings/UserColorMapsDialog.h"
#include "settings/ZeroCrossingSettingsDialog.h"

int main(int argc, char** argv) {
  // Never touch the user's configuration from the harness.
  QTemporaryDir config;
  qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
  QApplication app(argc, argv);
  QtMessageSink sink;
  nv::SetMessageSink(&sink);

  nv::UserColorMap night;
  night.SetName("Night");
  night.rangeCount = 2;
  night.ranges[0] = {0, -30000, -1000, 30, nv::Rgb(255, 255, 0), nv::Rgb(255, 0, 0), INT32_MIN};
  night.ranges[1] = {-30000, -90000, -2000, 30, nv::Rgb(255, 0, 0), nv::Rgb(0, 0, 64), INT32_MIN};
  nv::AppCore core;
  core.colorMaps.maps.push_back(night);

  nv::AnalysisSettings s;
  s.fftSize = 1024;
  s.fftOverlap = 50;
  const DocumentRates rates{44100, 1000};

  if (argc == 3 && std::strcmp(argv[1], "--grab") == 0) {
    QDir dir(QString::fromLocal8Bit(argv[2]));
    auto grab = [&](QWidget* w, const char* name) {
      w->show();
      w->adjustSize();
      QApplication::processEvents();
      w->grab().save(dir.filePath(QString::fromLatin1(name) + ".png"));
      w->hide();
    };
    SpectrogramSettingsDialog spect(core.colorMapList, s, false, rates);
    grab(&spect, "spectrogram");
    OscillogramSettingsDialog osc(s, true, rates);
    grab(&osc, "oscillogram_default");
    ZeroCrossingSettingsDialog zc(s, false, rates);
    grab(&zc, "zero_crossing");
    UserColorMapsDialog maps(core.colorMaps, {});
    grab(&maps, "user_maps");
    ColorMapEditorDialog editor(night, false);
    grab(&editor, "color_map_editor");
    return 0;
  }

  QWidget window;
  window.setWindowTitle(QStringLiteral("Settings dialogs"));
  auto* layout = new QVBoxLayout(&window);
  DefaultSettingsDialogs defaults(core);
  DialogSlot<SpectrogramSettingsDialog> spect;
  DialogSlot<OscillogramSettingsDialog> osc;
  DialogSlot<ZeroCrossingSettingsDialog> zc;
  auto add = [&](const char* text, auto action) {
    auto* b = new QPushButton(QString::fromLatin1(text), &window);
    QObject::connect(b, &QPushButton::clicked, &window, action);
    layout->addWidget(b);
  };
  add("Spectrogram settings", [&] { spect.Open([&] { return new SpectrogramSettingsDialog(core.colorMapList, s, false, rates, &window); }); });
  add("Oscillogram settings", [&] { osc.Open([&] { return new OscillogramSettingsDialog(s, false, rates, &window); }); });
  add("Zero Crossing Analysis settings", [&] { zc.Open([&] { return new ZeroCrossingSettingsDialog(s, false, rates, &window); }); });
  add("Spectrogram settings - Default", [&] { defaults.OpenSpectrogram(&window); });
  add("Oscillogram settings - Default", [&] { defaults.OpenOscillogram(&window); });
  add("Zero Crossing Analysis settings - Default", [&] { defaults.OpenZeroCrossing(&window); });
  window.show();
  const int rc = app.exec();
  nv::SetMessageSink(nullptr);
  return rc;
}

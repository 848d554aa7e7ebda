#pragma once
// Puts a picture on the clipboard as an image and as SVG, the SVG also
// written to "PwrClip.svg" in the temporary directory for programs that
// take pictures from files. A failed write is shown and the clipboard still
// gets both forms; without a clipboard a message says so. Interface thread.
#include <QColor>
#include <QSize>
#include <QString>
#include <functional>

class QPaintDevice;

class PictureClipboard {
 public:
  static constexpr const char* kFileName = "PwrClip.svg";

  // `draw` paints the picture, `size` pixels, on the device it gets (an
  // image filled with `background`, then the SVG generator). `title` and
  // `description`, when given, are those of the SVG document.
  static void Copy(const QSize& size, const QColor& background,
                   const std::function<void(QPaintDevice&)>& draw, const QString& title = {},
                   const QString& description = {});
};

#pragma once
// Writes pictures as PNG files quickly: eight bits per channel, RGB for
// opaque images and RGBA for images with an alpha channel, no row filters and
// the fastest deflate level. Plots are mostly flat areas, for which this is
// as small as Qt's own encoder's output at a third of its time (Qt lets
// libpng try every row filter on every row). Any thread; no shared state.
#include <QByteArray>
#include <QImage>
#include <QString>

namespace nv {

class PngWriter {
 public:
  // The whole file in memory; empty for a null image.
  static QByteArray Encode(const QImage& image);
  // Writes the file through a temporary file renamed over `path` when
  // complete, so a failure leaves an existing file as it was (the file gets
  // the old one's permissions, or the usual ones). False on failure.
  static bool Write(const QImage& image, const QString& path);
};

}  // namespace nv

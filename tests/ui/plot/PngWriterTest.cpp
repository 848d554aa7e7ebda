// PNG files of the fast writer read back pixel for pixel by Qt's own reader,
// and a failed write leaves the existing file.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include "plot/PngWriter.h"

namespace nv {
namespace {

QImage Pattern(int w, int h, QImage::Format format) {
  QImage img(w, h, format);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      img.setPixel(x, y, qRgba((x * 7 + y) & 255, (x ^ y) & 255, (y * 13) & 255,
                               format == QImage::Format_RGB32 ? 255 : (x * 3 + y * 5) & 255));
  return img;
}

TEST(PngWriter, OpaqueAndTranslucentImagesReadBackUnchanged) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  struct Case {
    int w, h;
    QImage::Format format;
  };
  // Odd sizes, a single pixel, and a row longer than deflate's window.
  for (const Case& c : {Case{1, 1, QImage::Format_RGB32}, Case{37, 5, QImage::Format_RGB32},
                        Case{12000, 3, QImage::Format_RGB32}, Case{33, 17, QImage::Format_ARGB32}}) {
    QImage img = Pattern(c.w, c.h, c.format);
    img.setDotsPerMeterX(3780);
    img.setDotsPerMeterY(2000);
    const QString path = dir.filePath("p.png");
    ASSERT_TRUE(PngWriter::Write(img, path));
    QImage back(path, "PNG");
    ASSERT_FALSE(back.isNull()) << c.w << "x" << c.h;
    EXPECT_EQ(back.hasAlphaChannel(), c.format == QImage::Format_ARGB32);
    EXPECT_EQ(back.dotsPerMeterX(), 3780);
    EXPECT_EQ(back.dotsPerMeterY(), 2000);
    EXPECT_EQ(back.convertToFormat(QImage::Format_ARGB32), img.convertToFormat(QImage::Format_ARGB32))
        << c.w << "x" << c.h;
  }
  // A premultiplied image (what the plots draw on) is written unpremultiplied.
  QImage pre(4, 4, QImage::Format_ARGB32_Premultiplied);
  pre.fill(QColor(200, 100, 50, 128));
  ASSERT_TRUE(PngWriter::Write(pre, dir.filePath("pre.png")));
  QImage back(dir.filePath("pre.png"));
  EXPECT_EQ(back.convertToFormat(QImage::Format_ARGB32_Premultiplied), pre);
}

TEST(PngWriter, NullImagesAndUnwritablePlacesFailAndKeepTheOldFile) {
  QTemporaryDir dir;
  const QString path = dir.filePath("old.png");
  {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("old contents");
  }
  EXPECT_FALSE(PngWriter::Write(QImage(), path));
  EXPECT_TRUE(PngWriter::Encode(QImage()).isEmpty());
  EXPECT_FALSE(PngWriter::Write(Pattern(3, 3, QImage::Format_RGB32), dir.filePath("no/such/dir/x.png")));
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll(), QByteArray("old contents"));
}

}  // namespace
}  // namespace nv

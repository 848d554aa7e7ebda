#include "plot/PngWriter.h"

#include <QFile>
#include <zlib.h>

#include <vector>

#include "fileformats/FileIo.h"

namespace nv {
namespace {

// PNG stores its integers big-endian.
void PutU32Be(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (24 - 8 * i));
}
void AppendU32Be(QByteArray& out, uint32_t v) {
  char b[4];
  PutU32Be(reinterpret_cast<uint8_t*>(b), v);
  out.append(b, 4);
}

// Appends one chunk: length, type, data and the CRC over type and data.
void PutChunk(QByteArray& out, const char type[4], const uint8_t* data, size_t n) {
  AppendU32Be(out, static_cast<uint32_t>(n));
  const qsizetype typeAt = out.size();
  out.append(type, 4);
  if (n) out.append(reinterpret_cast<const char*>(data), static_cast<qsizetype>(n));
  const uLong crc = crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(out.constData() + typeAt),
                          static_cast<uInt>(n + 4));
  AppendU32Be(out, static_cast<uint32_t>(crc));
}

}  // namespace

QByteArray PngWriter::Encode(const QImage& image) {
  if (image.isNull()) return {};
  const bool alpha = image.hasAlphaChannel();
  const QImage src = image.convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
  const int w = src.width(), h = src.height();
  const int channels = alpha ? 4 : 3;
  const size_t rowBytes = static_cast<size_t>(w) * channels + 1;  // filter byte + pixels

  QByteArray out("\x89PNG\r\n\x1a\n", 8);

  // Width, height, 8 bits per channel, colour type 6 (RGBA) or 2 (RGB),
  // compression method 0 (deflate), filter method 0, no interlace.
  uint8_t ihdr[13] = {0, 0, 0, 0, 0, 0, 0, 0, 8, static_cast<uint8_t>(alpha ? 6 : 2), 0, 0, 0};
  PutU32Be(ihdr, static_cast<uint32_t>(w));
  PutU32Be(ihdr + 4, static_cast<uint32_t>(h));
  PutChunk(out, "IHDR", ihdr, sizeof ihdr);

  if (src.dotsPerMeterX() > 0 && src.dotsPerMeterY() > 0) {
    uint8_t phys[9];
    PutU32Be(phys, static_cast<uint32_t>(src.dotsPerMeterX()));
    PutU32Be(phys + 4, static_cast<uint32_t>(src.dotsPerMeterY()));
    phys[8] = 1;  // the unit is the metre
    PutChunk(out, "pHYs", phys, sizeof phys);
  }

  // The image data: rows of a filter byte (0, none) and the pixels, deflated
  // as one stream that is cut into IDAT chunks of at most 64 KiB as it comes.
  z_stream z{};
  if (deflateInit2(&z, 1, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY) != Z_OK) return {};
  std::vector<uint8_t> piece(64 << 10);
  std::vector<uint8_t> row(rowBytes);
  row[0] = 0;
  bool ok = true;
  // Deflates what is in z.next_in and emits every filled piece; `flush` is
  // Z_NO_FLUSH for a row and Z_FINISH for the end of the stream.
  auto pump = [&](int flush) {
    for (;;) {
      z.next_out = piece.data();
      z.avail_out = static_cast<uInt>(piece.size());
      const int r = deflate(&z, flush);
      if (r == Z_STREAM_ERROR) return false;
      const size_t made = piece.size() - z.avail_out;
      if (made) PutChunk(out, "IDAT", piece.data(), made);
      if (flush == Z_FINISH ? r == Z_STREAM_END : z.avail_out != 0) return true;
    }
  };
  for (int y = 0; y < h && ok; ++y) {
    const auto* px = reinterpret_cast<const QRgb*>(src.constScanLine(y));
    uint8_t* o = row.data() + 1;
    if (alpha) {
      for (int x = 0; x < w; ++x, o += 4) {
        o[0] = static_cast<uint8_t>(qRed(px[x]));
        o[1] = static_cast<uint8_t>(qGreen(px[x]));
        o[2] = static_cast<uint8_t>(qBlue(px[x]));
        o[3] = static_cast<uint8_t>(qAlpha(px[x]));
      }
    } else {
      for (int x = 0; x < w; ++x, o += 3) {
        o[0] = static_cast<uint8_t>(qRed(px[x]));
        o[1] = static_cast<uint8_t>(qGreen(px[x]));
        o[2] = static_cast<uint8_t>(qBlue(px[x]));
      }
    }
    z.next_in = row.data();
    z.avail_in = static_cast<uInt>(rowBytes);
    ok = pump(Z_NO_FLUSH);
  }
  if (ok) ok = pump(Z_FINISH);
  deflateEnd(&z);
  if (!ok) return {};
  PutChunk(out, "IEND", nullptr, 0);
  return out;
}

bool PngWriter::Write(const QImage& image, const QString& path) {
  const QByteArray bytes = Encode(image);
  if (bytes.isEmpty()) return false;
  // Written as the sound files are: beside the target, renamed over it when
  // complete, and not forced to the disk before (a forced write-back took
  // 1 to 8 ms of a 30 ms render here); the system writes it back in time.
  ReplacingFile f(QFile::encodeName(path).toStdString());
  return f.Open() && f.Append(bytes.constData(), static_cast<size_t>(bytes.size())) && f.Commit();
}

}  // namespace nv

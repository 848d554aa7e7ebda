#include "plot/PngWriter.h"

#include <QSaveFile>
#include <zlib.h>

#include <cstring>
#include <vector>

namespace nv {
namespace {

void PutU32Be(std::vector<uint8_t>& out, uint32_t v) {
  const uint8_t b[4] = {static_cast<uint8_t>(v >> 24), static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 8),
                        static_cast<uint8_t>(v)};
  out.insert(out.end(), b, b + 4);
}

// Appends one chunk: length, type, data and the CRC over type and data.
void PutChunk(std::vector<uint8_t>& out, const char type[4], const uint8_t* data, size_t n) {
  PutU32Be(out, static_cast<uint32_t>(n));
  const size_t typeAt = out.size();
  out.insert(out.end(), type, type + 4);
  if (n) out.insert(out.end(), data, data + n);
  const uLong crc = crc32(crc32(0L, Z_NULL, 0), out.data() + typeAt, static_cast<uInt>(n + 4));
  PutU32Be(out, static_cast<uint32_t>(crc));
}

}  // namespace

QByteArray PngWriter::Encode(const QImage& image) {
  if (image.isNull()) return {};
  const bool alpha = image.hasAlphaChannel();
  const QImage src = image.convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
  const int w = src.width(), h = src.height();
  const int channels = alpha ? 4 : 3;
  const size_t rowBytes = static_cast<size_t>(w) * channels + 1;  // filter byte + pixels

  std::vector<uint8_t> out;
  static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  out.insert(out.end(), kSignature, kSignature + 8);

  std::vector<uint8_t> ihdr;
  PutU32Be(ihdr, static_cast<uint32_t>(w));
  PutU32Be(ihdr, static_cast<uint32_t>(h));
  ihdr.insert(ihdr.end(), {8, static_cast<uint8_t>(alpha ? 6 : 2), 0, 0, 0});
  PutChunk(out, "IHDR", ihdr.data(), ihdr.size());

  if (src.dotsPerMeterX() > 0 && src.dotsPerMeterY() > 0) {
    std::vector<uint8_t> phys;
    PutU32Be(phys, static_cast<uint32_t>(src.dotsPerMeterX()));
    PutU32Be(phys, static_cast<uint32_t>(src.dotsPerMeterY()));
    phys.push_back(1);  // the unit is the metre
    PutChunk(out, "pHYs", phys.data(), phys.size());
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
  return QByteArray(reinterpret_cast<const char*>(out.data()), static_cast<qsizetype>(out.size()));
}

bool PngWriter::Write(const QImage& image, const QString& path) {
  const QByteArray bytes = Encode(image);
  if (bytes.isEmpty()) return false;
  QSaveFile f(path);
  if (!f.open(QIODevice::WriteOnly)) return false;
  if (f.write(bytes) != bytes.size()) {
    f.cancelWriting();
    return false;
  }
  return f.commit();
}

}  // namespace nv

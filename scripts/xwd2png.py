#!/usr/bin/env python3
"""Converts an X window dump (xwd -root, 24/32-bit TrueColor ZPixmap) to PNG."""
import struct
import sys
import zlib


def convert(src, dst):
    data = open(src, "rb").read()
    header = struct.unpack(">25I", data[:100])
    header_size, _, _, depth, width, height = header[:6]
    byte_order, bits_per_pixel, bytes_per_line = header[7], header[11], header[12]
    ncolors = header[19]
    pixels = data[header_size + ncolors * 12:]
    if bits_per_pixel not in (24, 32):
        sys.exit("only 24 and 32 bits per pixel are handled, not %d" % bits_per_pixel)
    step = bits_per_pixel // 8
    rows = []
    for y in range(height):
        line = pixels[y * bytes_per_line:y * bytes_per_line + width * step]
        out = bytearray(b"\x00")
        for x in range(0, len(line), step):
            px = line[x:x + step]
            b, g, r = (px[0], px[1], px[2]) if byte_order == 0 else (px[-1], px[-2], px[-3])
            out += bytes((r, g, b))
        rows.append(bytes(out))
    raw = zlib.compress(b"".join(rows), 6)

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", raw) + chunk(b"IEND", b"")
    open(dst, "wb").write(png)
    del depth


if __name__ == "__main__":
    convert(sys.argv[1], sys.argv[2])

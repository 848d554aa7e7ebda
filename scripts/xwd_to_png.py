"""Converts an X window dump (xwd, 24 or 32 bits a pixel) to a PNG file: xwd_to_png.py IN.xwd OUT.png"""
import struct, sys, zlib
import numpy as np
d = open(sys.argv[1], "rb").read()
h = struct.unpack(">25I", d[:100])
header_size, version, fmt, depth, w, hgt = h[0], h[1], h[2], h[3], h[4], h[5]
byte_order, bpp, bpl, ncolors = h[7], h[11], h[12], h[19]
off = header_size + ncolors * 12
px = np.frombuffer(d[off:off + bpl * hgt], np.uint8).reshape(hgt, bpl)
n = bpp // 8
px = px[:, :w * n].reshape(hgt, w, n)
if byte_order == 0:  # LSB first: B G R (x)
    rgb = px[:, :, [2, 1, 0]]
else:
    rgb = px[:, :, [n - 3, n - 2, n - 1]]
raw = b"".join(b"\x00" + rgb[y].tobytes() for y in range(hgt))
def chunk(t, b):
    return struct.pack(">I", len(b)) + t + b + struct.pack(">I", zlib.crc32(t + b) & 0xffffffff)
png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, hgt, 8, 2, 0, 0, 0)) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")
open(sys.argv[2], "wb").write(png)

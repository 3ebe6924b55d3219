"""An 8-bit grey PNG label for the package trial: 800 x 1200 white, a black rectangle at columns 100-399, rows 100-299."""
import struct
import sys
import zlib

WIDTH, HEIGHT = 800, 1200


def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


rows = bytearray()
for y in range(HEIGHT):
    row = bytearray(b"\x00" + b"\xff" * WIDTH)  # filter byte 0, then the pixels
    if 100 <= y < 300:
        row[1 + 100:1 + 400] = b"\x00" * 300
    rows += row
header = struct.pack(">IIBBBBB", WIDTH, HEIGHT, 8, 0, 0, 0, 0)  # 8-bit greyscale
with open(sys.argv[1], "wb") as png:
    png.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(bytes(rows))) + chunk(b"IEND", b""))

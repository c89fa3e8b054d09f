#!/usr/bin/env python3
"""Writes the small 24-bit bitmaps that the toolkit tests embed as resources,
and a packed picture standing for the swatches at 150 %."""
import struct
import sys


def write_bmp(path, width, height, pixel):
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in reversed(range(height)):  # bottom-up
        row = bytearray()
        for x in range(width):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r))
        row += bytes(stride - len(row))
        rows.append(bytes(row))
    data = b"".join(rows)
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)


# 5 x 2 swatches: pure white (the default transparent colour), off-white,
# primaries, magenta and two greys.
SWATCHES = [
    [(255, 255, 255), (254, 255, 255), (255, 0, 0), (0, 0, 255), (255, 0, 255)],
    [(0, 255, 0), (0, 0, 0), (255, 255, 255), (10, 20, 30), (128, 128, 128)],
]


# 3 x 2, all given pixels (resources/bitmaps/packed_picture.h).
SWATCHES_150 = [(200, 10, 10), (10, 200, 10), (10, 10, 200), (250, 250, 0), (0, 250, 250), (90, 80, 70)]


def write_packed(path, width, height, pixels):
    data = b"QPP1" + struct.pack("<III", width, height, 0) + bytes((127 + len(pixels),))
    data += bytes(c for p in pixels for c in p)
    with open(path, "wb") as f:
        f.write(data)


def main(out_dir):
    write_bmp(f"{out_dir}/swatches.bmp", 5, 2, lambda x, y: SWATCHES[y][x])
    write_bmp(f"{out_dir}/gradient.bmp", 40, 30, lambda x, y: (x * 6, y * 8, 77))
    write_bmp(f"{out_dir}/probe.bmp", 3, 7, lambda x, y: (200, 100, 50))
    write_packed(f"{out_dir}/swatches-150.qpp", 3, 2, SWATCHES_150)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else ".")

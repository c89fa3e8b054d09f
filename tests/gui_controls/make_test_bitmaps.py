#!/usr/bin/env python3
"""Writes the control tests' bitmaps (24-bit BMP) and their resource script.

201 filmstrip: 64 frames of 40 x 40; frame k is filled with (4k + 2, 250 - 3k, 77).
202 kick pair: 12 x 30 released picture (10, 20, 200) above the pressed one (20, 210, 30).
203 indicator: 9 x 9 red with pure white (transparent) corners.
204 knob face: 40 x 80, (50, 50, 50) above (200, 100, 0).
"""
import os
import struct
import sys


def write_bmp(path, width, height, pixel):
    row_bytes = (width * 3 + 3) & ~3
    data = bytearray()
    for y in range(height - 1, -1, -1):  # bottom-up rows
        row = bytearray()
        for x in range(width):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r))
        row += bytes(row_bytes - len(row))
        data += row
    header = struct.pack('<2sIHHI', b'BM', 54 + len(data), 0, 0, 54)
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, 'wb') as f:
        f.write(header + info + data)


def filmstrip_colour(k):
    return (4 * k + 2, 250 - 3 * k, 77)


def main(out):
    os.makedirs(out, exist_ok=True)
    write_bmp(os.path.join(out, 'filmstrip.bmp'), 40, 64 * 40, lambda x, y: filmstrip_colour(y // 40))
    write_bmp(os.path.join(out, 'kick.bmp'), 12, 60, lambda x, y: (10, 20, 200) if y < 30 else (20, 210, 30))

    def indicator(x, y):
        corner = (x in (0, 8)) and (y in (0, 8))
        return (255, 255, 255) if corner else (230, 0, 0)

    write_bmp(os.path.join(out, 'indicator.bmp'), 9, 9, indicator)
    write_bmp(os.path.join(out, 'face.bmp'), 40, 80, lambda x, y: (50, 50, 50) if y < 40 else (200, 100, 0))
    with open(os.path.join(out, 'control_bitmaps.rc'), 'w') as f:
        f.write('201 BITMAP "filmstrip.bmp"\n202 BITMAP "kick.bmp"\n'
                '203 BITMAP "indicator.bmp"\n204 BITMAP "face.bmp"\n')


if __name__ == '__main__':
    main(sys.argv[1])

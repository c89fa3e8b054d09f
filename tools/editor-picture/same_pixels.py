#!/usr/bin/env python3
"""Exits 0 when two PNG files of ours hold the same header and pixels.

Pixels are compared, not bytes: another zlib may pack the same rows
differently.
    same_pixels.py A.png B.png
"""
import struct
import sys
import zlib


def pixels(path):
    data = open(path, "rb").read()
    at, header, packed = 8, b"", b""
    while at + 8 <= len(data):
        length, kind = struct.unpack_from(">I4s", data, at)
        body = data[at + 8: at + 8 + length]
        header = body if kind == b"IHDR" else header
        packed += body if kind == b"IDAT" else b""
        at += 12 + length
    return header, zlib.decompress(packed)


if __name__ == "__main__":
    sys.exit(0 if pixels(sys.argv[1]) == pixels(sys.argv[2]) else 1)

#!/usr/bin/env python3
"""Draws the program's own icon at build time: a rounded tile in a blue
gradient holding a white picture frame with a small sun and a hill, the
program's job in one glance. Sizes 16, 20, 24, 32, 40, 48 and 64 as 32-bit
bitmaps, 256 as PNG, all in one .ico. Drawn here, pixel by pixel, with
4 x 4 supersampling; no image file comes from elsewhere.
Usage: make_app_icon.py OUT.ico
"""
import struct
import sys
import zlib

SIZES = [16, 20, 24, 32, 40, 48, 64, 256]


def coverage(inside, x, y, n, samples=4):
    hit = 0
    for sy in range(samples):
        for sx in range(samples):
            if inside((x + (sx + 0.5) / samples) / n, (y + (sy + 0.5) / samples) / n):
                hit += 1
    return hit / (samples * samples)


def rounded(u, v, left, top, right, bottom, radius):
    if not (left <= u <= right and top <= v <= bottom):
        return False
    cx = min(max(u, left + radius), right - radius)
    cy = min(max(v, top + radius), bottom - radius)
    return (u - cx) ** 2 + (v - cy) ** 2 <= radius ** 2


def over(dst, src, alpha):
    return tuple(d * (1 - alpha) + s * alpha for d, s in zip(dst, src))


def pixel(x, y, n):
    tile = coverage(lambda u, v: rounded(u, v, 0.04, 0.04, 0.96, 0.96, 0.18), x, y, n)
    if tile == 0:
        return (0, 0, 0, 0)
    t = (y + 0.5) / n
    colour = (40 + 30 * t, 120 + 40 * t, 230 - 30 * t)  # a blue that deepens downwards
    frame = coverage(lambda u, v: rounded(u, v, 0.2, 0.26, 0.8, 0.74, 0.05), x, y, n)
    colour = over(colour, (255, 255, 255), frame)
    inner = coverage(lambda u, v: rounded(u, v, 0.26, 0.32, 0.74, 0.68, 0.02), x, y, n)
    colour = over(colour, (225, 238, 255), inner)
    sun = coverage(lambda u, v: (u - 0.62) ** 2 + (v - 0.43) ** 2 <= 0.055 ** 2, x, y, n)
    colour = over(colour, (255, 190, 40), sun)
    hill = coverage(lambda u, v: 0.26 <= u <= 0.74 and v <= 0.68 and v >= 0.68 - 0.22 * (1 - abs(u - 0.42) / 0.3), x, y, n)
    colour = over(colour, (60, 170, 90), hill)
    return tuple(int(round(c)) for c in colour) + (int(round(255 * tile)),)


def image(n):
    return [[pixel(x, y, n) for x in range(n)] for y in range(n)]


def png(rows):
    n = len(rows)
    raw = b"".join(b"\0" + bytes(c for px in row for c in px) for row in rows)
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", n, n, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def bitmap(rows):
    n = len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    mask_stride = ((n + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, px in enumerate(row):
            if px[3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + pixels + bytes(mask)


def main(out):
    images = [(n, png(image(n)) if n == 256 else bitmap(image(n))) for n in SIZES]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    data = b""
    for n, blob in images:
        directory += struct.pack("<BBBBHHII", n % 256, n % 256, 0, 0, 1, 32, len(blob), offset + len(data))
        data += blob
    open(out, "wb").write(directory + data)


if __name__ == "__main__":
    main(sys.argv[1])

#!/usr/bin/env python3
"""Draws the application icon, a camera glyph, as app/res/Orvane.ico:
one 48 x 48 image at 32 bits per pixel with alpha. Shapes are sampled
4 x 4 per pixel for smooth edges. No imaging library needed."""
import math
import os
import struct
import sys

SIZE = 48
SAMPLES = 4

BODY = (0x2B, 0x3A, 0x4F)
BODY_EDGE = (0x1A, 0x24, 0x33)
RING = (0xDD, 0xE3, 0xEA)
GLASS = (0x1E, 0x6F, 0xD6)
GLASS_DARK = (0x10, 0x3C, 0x80)
SHINE = (0xFF, 0xFF, 0xFF)
RECORD = (0xE5, 0x39, 0x35)


def rounded_rect(x, y, left, top, right, bottom, radius):
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2 and left <= x <= right and top <= y <= bottom


def circle(x, y, cx, cy, r):
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def colour_at(x, y):
    """Colour of the topmost shape at (x, y), or None outside every shape."""
    if circle(x, y, 38.5, 19.5, 2.2):
        return RECORD
    if circle(x, y, 20.5, 24.0, 2.0):
        return SHINE
    if circle(x, y, 24.0, 27.5, 6.5):
        t = math.hypot(x - 24.0, y - 27.5) / 6.5
        return tuple(int(a + (b - a) * t) for a, b in zip(GLASS, GLASS_DARK))
    if circle(x, y, 24.0, 27.5, 9.5):
        return RING
    if rounded_rect(x, y, 5, 14, 43, 41, 5) or rounded_rect(x, y, 15, 9, 29, 17, 2.5):
        inner = rounded_rect(x, y, 6.2, 15.2, 41.8, 39.8, 4) or rounded_rect(x, y, 16.2, 10.2, 27.8, 17, 1.5)
        return BODY if inner else BODY_EDGE
    return None


def render():
    rows = []
    for py in range(SIZE):
        row = []
        for px in range(SIZE):
            r = g = b = hits = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    c = colour_at(px + (sx + 0.5) / SAMPLES, py + (sy + 0.5) / SAMPLES)
                    if c:
                        r, g, b, hits = r + c[0], g + c[1], b + c[2], hits + 1
            if hits:
                alpha = hits * 255 // (SAMPLES * SAMPLES)
                row.append((b // hits, g // hits, r // hits, alpha))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def ico(rows):
    pixels = b"".join(struct.pack("4B", *p) for row in reversed(rows) for p in row)
    mask_row = ((SIZE + 31) // 32) * 4
    mask = bytes(mask_row * SIZE)  # alpha decides; the mask is all opaque
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0, len(pixels) + len(mask), 0, 0, 0, 0)
    image = header + pixels + mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 32, len(image), 6 + 16)
    return directory + entry + image


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "app", "res", "Orvane.ico")
    with open(target, "wb") as out:
        out.write(ico(render()))


if __name__ == "__main__":
    main()

#!/usr/bin/python3
"""Draws the bundled sample depth map: a rosette between two beaded borders, 200 x 100
pixels, 24-bit BMP. Bright = deep. Run again to regenerate samples/rosette.bmp."""
import math
import struct
import sys

W, H = 200, 100


def depth(x, y):
    # Beaded borders along the top and bottom edges (they meet when wrapped round).
    for edge in (6, H - 7):
        d = abs(y - edge)
        bead = 0.5 + 0.5 * math.cos(2 * math.pi * x / 12)
        if d < 4:
            return 0.35 + 0.25 * bead * (1 - d / 4)
    # A six-petal rosette in the middle, with a soft ring around it.
    cx, cy = W / 2, H / 2
    dx, dy = (x - cx) / 1.0, (y - cy) / 1.0
    r = math.hypot(dx, dy)
    a = math.atan2(dy, dx)
    petal = 30 * (0.55 + 0.45 * abs(math.cos(3 * a)))
    value = 0.0
    if r < petal:
        value = 0.4 + 0.6 * (1 - r / petal) ** 0.7
    ring = math.exp(-((r - 38) / 2.5) ** 2)
    value = max(value, 0.5 * ring)
    # Gentle waves towards both ends of the cylinder.
    waves = 0.2 * (0.5 + 0.5 * math.sin(2 * math.pi * y / 25)) * max(0.0, (abs(dx) - 60) / 40)
    return max(value, waves)


def main(path):
    row_bytes = (W * 3 + 3) // 4 * 4
    data = bytearray()
    for y in range(H - 1, -1, -1):  # bottom-up, as bitmaps store their rows
        row = bytearray()
        for x in range(W):
            g = max(0, min(255, round(255 * depth(x, y))))
            row += bytes((g, g, g))
        data += row + b"\0" * (row_bytes - len(row))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, W, H, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "samples/rosette.bmp")

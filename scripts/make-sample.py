#!/usr/bin/python3
"""Draws the bundled sample depth map: three rosettes between two beaded borders, 200 x 100
pixels, 24-bit BMP. Bright = deep. Run again to regenerate samples/rosette.bmp."""
import math
import struct
import sys

W, H = 200, 100


def rosette(dx, dy, size):
    """A six-petal rosette with a soft ring round it, `size` pixels across its petals."""
    r = math.hypot(dx, dy)
    a = math.atan2(dy, dx)
    petal = size * (0.55 + 0.45 * abs(math.cos(3 * a)))
    # A raised petal with a steep but not sheer wall, so a ball nose can follow it.
    value = (0.4 + 0.6 * (1 - r / petal) ** 0.7) * min(1.0, (petal - r) / 2.5) if r < petal else 0.0
    ring = math.exp(-((r - 1.25 * size) / 1.5) ** 2)
    return max(value, 0.5 * ring)


def depth(x, y):
    # Beaded borders along the top and bottom edges: they meet at the seam when wrapped round.
    for edge in (6, H - 7):
        d = abs(y - edge)
        if d < 4:
            bead = 0.5 + 0.5 * math.cos(2 * math.pi * x / 12)
            return 0.35 + 0.25 * bead * (1 - d / 4)
    # A large rosette in the middle, a small one on each side.
    return max(rosette(x - W / 2, y - H / 2, 19),
               rosette(x - W / 2 + 62, y - H / 2, 11),
               rosette(x - W / 2 - 62, y - H / 2, 11))


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

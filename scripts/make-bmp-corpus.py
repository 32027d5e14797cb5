#!/usr/bin/python3
"""Writes a corpus of bitmap files for the picture loader's tests: well-formed variants of
every layout the loader should read, and hostile files that must be refused or read into a
fully defined picture.

    make-bmp-corpus.py FOLDER

FOLDER/manifest.txt has one line per file:
    valid NAME WIDTH HEIGHT TOLERANCE RRGGBB,RRGGBB,...   colours row by row, top row first;
                                                          each channel within TOLERANCE
    refuse NAME WORDS...    must be refused, the reason naming WORDS
    survive NAME            may be refused or read, but never crash, hang or read
                            undefined memory
Only the standard library is used, so the corpus can be made on any machine.
"""
import os
import struct
import sys
import zlib

# The picture every valid variant holds, as palette indexes into PALETTE: 5 columns (an odd
# width, so rows need padding at every depth) by 3 rows, top row first.
PALETTE = [
    (0, 0, 0), (255, 255, 255), (255, 0, 0), (0, 255, 0),
    (0, 0, 255), (255, 255, 0), (0, 255, 255), (255, 0, 255),
    (200, 100, 50), (10, 20, 30), (128, 128, 128), (1, 2, 3),
    (250, 240, 230), (60, 70, 80), (90, 0, 180), (33, 66, 99),
]
INDEXES = [
    [1, 2, 3, 4, 0],
    [5, 6, 7, 8, 9],
    [10, 11, 12, 13, 14],
]
W, H = 5, 3
# Colours whose channels are all 0 or 255, for depths whose channels have fewer than 8 bits.
PURE = [[PALETTE[i] if i < 8 else PALETTE[i % 8] for i in row] for row in INDEXES]
# A picture of two colours for 1-bit variants.
MONO_PALETTE = [(20, 40, 60), (230, 210, 190)]
MONO = [[(x + y) % 2 for x in range(W)] for y in range(H)]


def le(fmt, *values):
    return struct.pack("<" + fmt, *values)


def file_header(total_size, data_offset):
    return b"BM" + le("IHHI", total_size, 0, 0, data_offset)


def info_header(width, height, bpp, compression=0, image_size=0, colours_used=0, size=40):
    return le("IiiHHIIiiII", size, width, height, 1, bpp, compression, image_size, 2835, 2835,
              colours_used, 0)


def bitmap(header, palette, pixels, data_offset=None, total_size=None):
    """Joins a DIB header, its colour table and the pixel data into a file."""
    offset = 14 + len(header) + len(palette) if data_offset is None else data_offset
    body = header + palette
    gap = max(0, offset - 14 - len(body))
    size = 14 + len(body) + gap + len(pixels) if total_size is None else total_size
    return file_header(size, offset) + body + b"\0" * gap + pixels


def quad_palette(colours):
    return b"".join(bytes((b, g, r, 0)) for (r, g, b) in colours)


def triple_palette(colours):
    return b"".join(bytes((b, g, r)) for (r, g, b) in colours)


def pad(row):
    return row + b"\0" * (-len(row) % 4)


def packed_rows(rows, bpp, top_down=False):
    """Palette indexes packed at 1, 4 or 8 bits a pixel, rows padded, bottom row first."""
    out = b""
    for row in (rows if top_down else reversed(rows)):
        bits = "".join(format(i, "0%db" % bpp) for i in row)
        bits += "0" * (-len(bits) % 8)
        out += pad(bytes(int(bits[k:k + 8], 2) for k in range(0, len(bits), 8)))
    return out


def rgb_rows(colours, bytes_per_pixel=3, top_down=False):
    out = b""
    for row in (colours if top_down else reversed(colours)):
        data = b""
        for (r, g, b) in row:
            data += bytes((b, g, r)) + (b"\0" if bytes_per_pixel == 4 else b"")
        out += pad(data)
    return out


def masked_rows(colours, bpp, masks):
    """Pixels built from channel masks (red, green, blue), bottom row first."""
    out = b""
    for row in reversed(colours):
        data = b""
        for colour in row:
            value = 0
            for channel, mask in zip(colour, masks):
                shift = (mask & -mask).bit_length() - 1
                top = mask >> shift
                value |= (channel * top // 255) << shift
            data += le("H" if bpp == 16 else "I", value)
        out += pad(data)
    return out


def rle8(rows):
    """Runs of equal indexes, end of line after each row, end of bitmap; bottom row first."""
    out = b""
    for row in reversed(rows):
        x = 0
        while x < len(row):
            n = 1
            while x + n < len(row) and row[x + n] == row[x]:
                n += 1
            if n == 1 and len(row) - x >= 3:
                # Absolute mode for a stretch of differing indexes, padded to a word.
                stretch = row[x:x + 3]
                out += bytes((0, 3)) + bytes(stretch) + b"\0"
                x += 3
                continue
            out += bytes((n, row[x]))
            x += n
        out += b"\0\0"
    return out + b"\0\1"


def rle4(rows):
    """Each pair of pixels as a two-pixel run of alternating nibbles, a last odd pixel as a
    one-pixel run; end of line after each row, end of bitmap; bottom row first."""
    out = b""
    for row in reversed(rows):
        for x in range(0, len(row), 2):
            pair = row[x:x + 2]
            if len(pair) == 2:
                out += bytes((2, pair[0] << 4 | pair[1]))
            else:
                out += bytes((1, pair[0] << 4))
        out += b"\0\0"
    return out + b"\0\1"


def v4_header(width, height, bpp, compression, masks, size=108):
    base = info_header(width, height, bpp, compression, size=size)
    red, green, blue, alpha = masks
    extra = le("IIII", red, green, blue, alpha) + b"sRGB" + b"\0" * 36 + le("III", 0, 0, 0)
    if size == 124:
        extra += le("IIII", 4, 0, 0, 0)
    return base + extra


def png_chunk(kind, data):
    return (struct.pack(">I", len(data)) + kind + data +
            struct.pack(">I", zlib.crc32(kind + data) & 0xffffffff))


def png(colours):
    raw = b"".join(b"\0" + b"".join(bytes(c) for c in row) for row in colours)
    header = struct.pack(">IIBBBBB", len(colours[0]), len(colours), 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", header) +
            png_chunk(b"IDAT", zlib.compress(raw)) + png_chunk(b"IEND", b""))


def png_claiming(width, height):
    """A black-and-white PNG header claiming a huge size over a few bytes of pixel data."""
    header = struct.pack(">IIBBBBB", width, height, 1, 0, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", header) +
            png_chunk(b"IDAT", zlib.compress(bytes(64))) + png_chunk(b"IEND", b""))


def colours_of(indexes, palette):
    return [[palette[i] for i in row] for row in indexes]


def valid_files():
    """(name, bytes, colours top row first, tolerance)"""
    full = colours_of(INDEXES, PALETTE)
    mono = colours_of(MONO, MONO_PALETTE)
    files = [
        ("1bit.bmp", bitmap(info_header(W, H, 1, colours_used=2), quad_palette(MONO_PALETTE),
                            packed_rows(MONO, 1)), mono, 0),
        ("4bit.bmp", bitmap(info_header(W, H, 4), quad_palette(PALETTE), packed_rows(INDEXES, 4)),
         full, 0),
        ("8bit-short-palette.bmp",
         bitmap(info_header(W, H, 8, colours_used=16), quad_palette(PALETTE),
                packed_rows(INDEXES, 8)), full, 0),
        ("8bit-full-palette.bmp",
         bitmap(info_header(W, H, 8), quad_palette(PALETTE + [(7, 7, 7)] * 240),
                packed_rows(INDEXES, 8)), full, 0),
        ("16bit-555.bmp", bitmap(info_header(W, H, 16), b"",
                                 masked_rows(PURE, 16, (0x7C00, 0x03E0, 0x001F))), PURE, 8),
        ("16bit-565-bitfields.bmp",
         bitmap(info_header(W, H, 16, compression=3), le("III", 0xF800, 0x07E0, 0x001F),
                masked_rows(PURE, 16, (0xF800, 0x07E0, 0x001F))), PURE, 8),
        ("24bit.bmp", bitmap(info_header(W, H, 24), b"", rgb_rows(full)), full, 0),
        ("24bit-top-down.bmp", bitmap(info_header(W, -H, 24), b"", rgb_rows(full, top_down=True)),
         full, 0),
        ("32bit.bmp", bitmap(info_header(W, H, 32), b"", rgb_rows(full, 4)), full, 0),
        ("32bit-bitfields-swapped.bmp",
         bitmap(info_header(W, H, 32, compression=3), le("III", 0x000000FF, 0x0000FF00, 0x00FF0000),
                masked_rows(full, 32, (0x000000FF, 0x0000FF00, 0x00FF0000))), full, 0),
        ("8bit-rle8.bmp", bitmap(info_header(W, H, 8, compression=1, image_size=len(rle8(INDEXES)),
                                             colours_used=16),
                                 quad_palette(PALETTE), rle8(INDEXES)), full, 0),
        ("4bit-rle4.bmp", bitmap(info_header(W, H, 4, compression=2, image_size=len(rle4(INDEXES))),
                                 quad_palette(PALETTE), rle4(INDEXES)), full, 0),
        ("os2-24bit.bmp", bitmap(le("IHHHH", 12, W, H, 1, 24), b"", rgb_rows(full)), full, 0),
        ("os2-8bit.bmp", bitmap(le("IHHHH", 12, W, H, 1, 8), triple_palette(PALETTE + [(0, 0, 0)] * 240),
                                packed_rows(INDEXES, 8)), full, 0),
        ("v4-32bit.bmp",
         bitmap(v4_header(W, H, 32, 3, (0x00FF0000, 0x0000FF00, 0x000000FF, 0)), b"",
                rgb_rows(full, 4)), full, 0),
        ("v5-24bit.bmp", bitmap(v4_header(W, H, 24, 0, (0, 0, 0, 0), size=124), b"",
                                rgb_rows(full)), full, 0),
        ("png-named-bmp.bmp", png(full), full, 0),
    ]
    return files


def hostile_files():
    """(name, bytes, expectation): 'survive', or the words a refusal must name."""
    full = colours_of(INDEXES, PALETTE)
    good24 = bitmap(info_header(W, H, 24), b"", rgb_rows(full))
    good8 = bitmap(info_header(W, H, 8, colours_used=16), quad_palette(PALETTE),
                   packed_rows(INDEXES, 8))
    os2 = bitmap(le("IHHHH", 12, W, H, 1, 24), b"", rgb_rows(full))
    big = 100000

    def with_header(base, **fields):
        """A copy of a 40-byte-header bitmap with some header fields replaced."""
        data = bytearray(base)
        places = {"offset": (10, "I"), "header": (14, "I"), "width": (18, "i"), "height": (22, "i"),
                  "planes": (26, "H"), "bpp": (28, "H"), "compression": (30, "I"),
                  "colours": (46, "I")}
        for key, value in fields.items():
            at, fmt = places[key]
            data[at:at + struct.calcsize(fmt)] = le(fmt, value)
        return bytes(data)

    def rle8_file(stream, width=W, height=H):
        return bitmap(info_header(width, height, 8, compression=1, image_size=len(stream),
                                  colours_used=16),
                      quad_palette(PALETTE), stream)

    def rle4_file(stream, width=W, height=H):
        return bitmap(info_header(width, height, 4, compression=2, image_size=len(stream)),
                      quad_palette(PALETTE), stream)

    return [
        ("empty.bmp", b"", "not a picture"),
        ("magic-only.bmp", b"BM", "cut short"),
        ("header-cut-short.bmp", good24[:30], "cut short"),
        ("header-size-huge.bmp", with_header(good24, header=0xFFFFFFF5), "cut short"),
        ("header-size-tiny.bmp", with_header(good24, header=4), "damaged"),
        ("pixels-cut-short.bmp", good24[:-7], "cut short"),
        ("pixels-cut-short-8bit.bmp", good8[:-3], "cut short"),
        ("pixels-cut-short-os2.bmp", os2[:-5], "cut short"),
        ("offset-inside-header.bmp", with_header(good24, offset=20), "outside the file"),
        ("offset-past-end.bmp", with_header(good24, offset=len(good24) + 100), "outside the file"),
        ("offset-huge.bmp", with_header(good24, offset=0xFFFFFFF0), "outside the file"),
        ("claims-100000-square.bmp", with_header(good24, width=big, height=big), "cut short"),
        ("claims-100000-square-os2.bmp",
         os2[:18] + le("HH", 65535, 65535) + os2[22:], "cut short"),
        ("claims-100000-square-rle8.bmp", rle8_file(rle8(INDEXES), big, big), "too small"),
        ("claims-30000-square-rle4.bmp", rle4_file(rle4(INDEXES), 30000, 30000), "too small"),
        ("claims-rows-beyond-64-bits.bmp",
         with_header(good24, width=0x7FFFFFFF, height=-0x80000000, bpp=32), "cut short"),
        ("zero-width.bmp", with_header(good24, width=0), "no pixels"),
        ("zero-height.bmp", with_header(good24, height=0), "no pixels"),
        ("negative-width.bmp", with_header(good24, width=-5), "no pixels"),
        ("bit-depth-7.bmp", with_header(good24, bpp=7), "bits a pixel"),
        ("bit-depth-0.bmp", with_header(good24, bpp=0), "bits a pixel"),
        ("bit-depth-64.bmp", with_header(good24, bpp=64), "bits a pixel"),
        ("compression-unknown.bmp", with_header(good24, compression=9), "compression"),
        ("compression-jpeg.bmp", with_header(good24, compression=4), "compression"),
        ("rle8-with-24-bits.bmp", with_header(good24, compression=1), "compression"),
        ("planes-zero.bmp", with_header(good24, planes=0), "survive"),
        ("colours-used-huge.bmp", with_header(good8, colours=0xFFFFFFFF), "survive"),
        ("palette-index-out-of-range.bmp",
         bitmap(info_header(W, H, 8, colours_used=2), quad_palette(PALETTE[:2]),
                packed_rows([[200, 1, 0, 255, 17]] * H, 8)), "survive"),
        ("palette-index-out-of-range-1bit.bmp",
         bitmap(info_header(W, H, 1, colours_used=1), quad_palette(PALETTE[:1]),
                packed_rows(MONO, 1)), "survive"),
        ("bitfields-zero-masks.bmp",
         bitmap(info_header(W, H, 32, compression=3), le("III", 0, 0, 0), rgb_rows(full, 4)),
         "survive"),
        ("bitfields-full-masks.bmp",
         bitmap(info_header(W, H, 16, compression=3), le("III", 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF),
                masked_rows(PURE, 16, (0xF800, 0x07E0, 0x001F))), "survive"),
        ("rle8-run-past-row.bmp", rle8_file(bytes((200, 3)) + b"\0\0" * 3 + b"\0\1"), "survive"),
        ("rle8-absolute-past-row.bmp",
         rle8_file(bytes((0, 255)) + bytes(range(255)) + b"\0" + b"\0\1"), "survive"),
        ("rle8-delta-outside.bmp", rle8_file(bytes((2, 1, 0, 2, 250, 250, 3, 4)) + b"\0\1"),
         "survive"),
        ("rle8-too-many-rows.bmp", rle8_file((bytes((5, 2)) + b"\0\0") * 50 + b"\0\1"), "survive"),
        ("rle8-ends-early.bmp", rle8_file(bytes((5, 2)) + b"\0\1"), "survive"),
        ("rle8-no-end.bmp", rle8_file(bytes((3, 2))), "survive"),
        ("rle8-top-down-ends-early.bmp", rle8_file(bytes((5, 2)) + b"\0\1", W, -H), "survive"),
        ("rle8-cut-mid-escape.bmp", rle8_file(bytes((3, 2, 0))), "survive"),
        ("rle4-run-past-row.bmp", rle4_file(bytes((200, 0x12)) + b"\0\0" * 3 + b"\0\1"), "survive"),
        ("rle4-absolute-past-row.bmp", rle4_file(bytes((0, 255)) + bytes(128) + b"\0\1"), "survive"),
        ("rle4-ends-early.bmp", rle4_file(bytes((4, 0x34)) + b"\0\1"), "survive"),
        ("png-cut-short.bmp", png(full)[:40], "survive"),
        ("png-claims-40000-square.bmp", png_claiming(40000, 40000), "too large"),
        ("garbage-after-magic.bmp", b"BM" + bytes((i * 37 + 11) % 256 for i in range(300)),
         "survive"),
        ("xpm-claims-huge.bmp",
         b'/* XPM */\nstatic char *x[] = {\n"100000 100000 1 1",\n"a c #ffffff",\n"a"};\n',
         "not a bitmap"),
        ("gif-named-bmp.bmp",
         b"GIF89a" + le("HHBBB", 1, 1, 0x80, 0, 0) + b"\0\0\0\xff\xff\xff" +
         b",\0\0\0\0\1\0\1\0\0\2\2D\1\0;", "not a bitmap"),
    ]


def main(folder):
    os.makedirs(folder, exist_ok=True)
    lines = []
    for name, data, colours, tolerance in valid_files():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)
        hexes = ",".join("%02x%02x%02x" % c for row in colours for c in row)
        lines.append("valid %s %d %d %d %s" % (name, len(colours[0]), len(colours), tolerance, hexes))
    for name, data, expectation in hostile_files():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)
        if expectation == "survive":
            lines.append("survive %s" % name)
        else:
            lines.append("refuse %s %s" % (name, expectation))
    with open(os.path.join(folder, "manifest.txt"), "w") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    main(sys.argv[1])

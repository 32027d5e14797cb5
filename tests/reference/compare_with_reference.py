#!/usr/bin/python3
"""Runs vantorel-cli on random pictures and field texts and compares all four outputs, byte for
byte, with the independent Python implementation in reference_outputs.py. The DXF's second
comment (a notice of the program's own) is taken from our file.

Usage: compare_with_reference.py VANTOREL_CLI [CASES] [SEED]"""
import os
import random
import struct
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import reference_outputs as ref  # noqa: E402


def write_bmp(path, colours):
    h, w = len(colours), len(colours[0])
    row_bytes = (w * 3 + 3) // 4 * 4
    data = bytearray()
    for row in reversed(colours):
        line = bytearray()
        for c in row:
            line += bytes(((c >> 16) & 255, (c >> 8) & 255, c & 255))
        data += line + b"\0" * (row_bytes - len(line))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)


def number_text(rng, choices):
    value = rng.choice(choices)
    return value if isinstance(value, str) else repr(value)


def random_case(rng, index):
    w = rng.choice([2, 2, 3, 4, 5, 7, 9, 16])
    h = rng.choice([1, 1, 2, 3, 4, 5, 8, 13])
    style = rng.random()
    colours = []
    for j in range(h):
        row = []
        for i in range(w):
            if style < 0.3:
                g = rng.randrange(256)
                c = g + 256 * g + 65536 * g
            elif style < 0.4:
                c = rng.choice([0, 0xFFFFFF])
            else:
                c = rng.randrange(1 << 24)
            row.append(c)
        colours.append(row)
    if all(c == 0 for row in colours for c in row):
        colours[0][0] = 0x010203
    fields = {
        "left-x": number_text(rng, ["0.0", "-12.5", "3", "1e3", "0.001", rng.uniform(-500, 500)]),
        "wrap-angle": number_text(rng, ["360", "360.0", "90", "180", "720", "-90", "0", "359.9",
                                        rng.uniform(-720, 720)]),
        "length": number_text(rng, ["100.0", "-50", "0.3", "12345.678", rng.uniform(0.01, 1000)]),
        "work-surface": number_text(rng, ["7.5", "25", "0.5", "-10", rng.uniform(0.1, 200)]),
        "depth": number_text(rng, ["1.0", "2.5", "-1", "7.5", rng.uniform(0.01, 50)]),
        "feedrate": number_text(rng, ["200", "200.25", "0", "-200", "1e", rng.uniform(1, 5000)]),
        "clearance": number_text(rng, ["10", "1000", rng.uniform(0, 1e4)]),
        "header": rng.choice(["", "G54", "(job " + str(index) + ")"]),
        "footer": rng.choice(["M2", "", "M30"]),
    }
    # A depth equal to the work surface puts points on the axis.
    if rng.random() < 0.1:
        fields["depth"] = fields["work-surface"]
    return colours, fields


def parse(text, default):
    try:
        return float(text)
    except ValueError:
        return 1.0 if text == "1e" else default


def main():
    cli = sys.argv[1]
    cases = int(sys.argv[2]) if len(sys.argv) > 2 else 150
    rng = random.Random(int(sys.argv[3]) if len(sys.argv) > 3 else 20261211)
    failures = 0
    with tempfile.TemporaryDirectory() as folder:
        for index in range(cases):
            colours, fields = random_case(rng, index)
            work = parse(fields["work-surface"], 7.5)
            clearance = parse(fields["clearance"], 0)
            if clearance < work:  # the command line raises it, as the window does
                fields["clearance"] = ref.general(work + 1)
            picture = os.path.join(folder, "p%d.bmp" % index)
            write_bmp(picture, colours)
            name = os.path.join(folder, "case%d.dxf" % index)
            args = [cli, "-q", "-f", "all", "-o", name, picture]
            for key, value in fields.items():
                args.append("--%s=%s" % (key, value))
            run = subprocess.run(args, capture_output=True, text=True)
            if run.returncode != 0:
                print("case %d: exit %d: %s %s" % (index, run.returncode, run.stderr, fields))
                failures += 1
                continue
            job = ref.Job(colours, parse(fields["left-x"], 0), parse(fields["wrap-angle"], 360),
                          parse(fields["length"], 100), work, parse(fields["depth"], 1),
                          parse(fields["feedrate"], 200), parse(fields["clearance"], 10),
                          fields["header"], fields["footer"])
            ours_dxf = open(name, "rb").read()
            notice = ours_dxf.split(b"\r\n")[3].decode()
            expected = {
                ".nc": ref.nc(job),
                ".stl": ref.stl(job, "case%d.stl" % index),
                ".obj": ref.obj(job),
                ".dxf": ref.dxf(job, notice),
            }
            for extension, want in expected.items():
                path = name[:-4] + extension
                got = open(path, "rb").read()
                if got != want:
                    failures += 1
                    got_lines, want_lines = got.split(b"\r\n"), want.split(b"\r\n")
                    where = next((k for k in range(min(len(got_lines), len(want_lines)))
                                  if got_lines[k] != want_lines[k]), min(len(got_lines), len(want_lines)))
                    print("case %d %s differs at line %d (%d vs %d lines): ours %r, reference %r; %s %dx%d"
                          % (index, extension, where + 1, len(got_lines), len(want_lines),
                             got_lines[where] if where < len(got_lines) else None,
                             want_lines[where] if where < len(want_lines) else None,
                             fields, len(colours[0]), len(colours)))
                os.remove(path)
    print("%d passed, %d failed" % (cases * 4 - failures, failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/python3
"""A second, independent implementation of Vantorel's four output files, written in Python
from the description of the files alone (no code shared with the C++ program). Python floats
are IEEE doubles and math.cos/math.sin are the C library's, so every coordinate comes out with
the same bits; the number forms are worked out with exact decimals.

compare_with_reference.py drives the real command line against it."""
import math
from decimal import Decimal, ROUND_HALF_UP, localcontext

PI = 3.141592653589793


# ---- number forms -------------------------------------------------------------------------

def _exact(value):
    return abs(Decimal(value))  # Decimal(float) is the exact binary value


def _quantize(d, exponent):
    with localcontext() as ctx:
        ctx.prec = 1200
        return d.quantize(Decimal(1).scaleb(exponent), rounding=ROUND_HALF_UP)


def general(value, precision=15):
    if value == 0:
        return "0"
    d = _exact(value)
    digits_before = d.adjusted() + 1
    r = _quantize(d, digits_before - precision)
    sign = "-" if value < 0 else ""
    digits = "".join(map(str, r.as_tuple().digits)).rstrip("0") or "0"
    e = r.adjusted() + 1  # digits before the point of the rounded value
    if -3 <= e <= precision:
        if e <= 0:
            return sign + "0." + "0" * (-e) + digits
        if len(digits) <= e:
            return sign + digits + "0" * (e - len(digits))
        return sign + digits[:e] + "." + digits[e:]
    mantissa = digits[0] + ("." + digits[1:] if len(digits) > 1 else "")
    return sign + mantissa + "E" + str(e - 1)


def fixed(value, decimals, precision=15):
    zero = "0" + ("." + "0" * decimals if decimals > 0 else "")
    if value == 0:
        return zero
    d = _exact(value)
    digits_before = d.adjusted() + 1
    r = _quantize(d, max(-decimals, digits_before - precision))
    if r == 0:
        return zero
    if r.adjusted() + 1 > precision:
        return general(value, precision)
    with localcontext() as ctx:
        ctx.prec = 1200
        text = format(r, "." + str(decimals) + "f")
    return ("-" if value < 0 else "") + text


# ---- the job ------------------------------------------------------------------------------

class Job:
    """colours[j][i]: R + 256 G + 65536 B of pixel (column i, row j)."""

    def __init__(self, colours, left_x, wrap_angle, length, work_surface, depth,
                 feedrate=200.0, clearance=10.0, header="", footer="M2"):
        self.H = len(colours)
        self.W = len(colours[0])
        self.colours = colours
        self.left_x, self.wrap_angle, self.length = left_x, wrap_angle, length
        self.work_surface, self.depth_of_cut = work_surface, depth
        self.feedrate, self.clearance, self.header, self.footer = feedrate, clearance, header, footer
        self.x_step = length / (self.W - 1)
        self.angle_step = (PI * wrap_angle) / (180 * self.H)
        self.angle_step_degrees = wrap_angle / self.H
        bright = [[(c & 255) + ((c >> 8) & 255) + ((c >> 16) & 255) for c in row] for row in colours]
        scale = depth / max(max(row) for row in bright)
        self.depth = [[bright[j][i] * scale for j in range(self.H)] for i in range(self.W)]
        # the closed grid's wrap row repeats row 0
        for i in range(self.W):
            self.depth[i].append(self.depth[i][0])

    def point(self, c, r):
        x = c * self.x_step + self.left_x
        theta = r * self.angle_step
        radius = self.work_surface - self.depth[c][r]
        return (x, math.cos(theta) * radius, math.sin(theta) * radius)

    def right_axis(self):
        return ((self.W - 1) * self.x_step + self.left_x, 0.0, 0.0)


def _crlf(lines):
    return "".join(line + "\r\n" for line in lines).encode("utf-8")


# ---- NC -----------------------------------------------------------------------------------

def nc(job):
    f4 = lambda v: fixed(v, 4)
    out = [
        "( Toolpath File Produced by the Quennock Vantorel Program )",
        "( Left Edge of Picture at X = " + general(job.left_x) + "mm )",
        "( Picture is wrapped around " + general(job.wrap_angle) + "degrees )",
        "( Z Value of worksurface " + general(job.work_surface) + "mm )",
        "( Feedrate = " + general(job.feedrate) + "mm/min )",
        "( Max Depth of Cut = " + general(job.depth_of_cut) + "mm )",
        "( Clearance Plane Z = " + general(job.clearance) + "mm )",
        "( No tool diameter is assumed, use whatever ball nose cutter is suitable )",
        "( " + "-" * 70 + " )",
        "( Header )",
        job.header,
        "(XY Plane, Metric, Absolute distance mode, mm/min feedrate)",
        "G17 G21 G90 G90.1 G94",
        "(Tool 0, Spindle 1000 rpm)",
        "T0 S1000",
        "(Move to retract plane)",
        "G0 Z" + f4(job.clearance),
        "(Move to start position)",
        "G0 X0 Y0 A0",
        "(Half speed feed for first line as it's being plunged)",
        "F" + fixed(job.feedrate * 0.5, 2),
    ]

    def move(i, j):
        line = "G1 X" + f4(i * job.x_step + job.left_x) + " Z" + f4(job.work_surface - job.depth[i][j])
        if i == 0 or i == job.W - 1:
            line += " A" + f4(j * job.angle_step_degrees)
        out.append(line)

    j, first = 0, True
    while True:
        for i in range(job.W):
            move(i, j)
        j += 1
        if first:
            first = False
            out.append("F" + fixed(job.feedrate, 2))
        if j < job.H:
            for i in range(job.W - 1, -1, -1):
                move(i, j)
            j += 1
        if j >= job.H:
            break
    out += ["( End )", "G0 Z" + f4(job.clearance), "G0 A0 X0", job.footer]
    return _crlf(out)


# ---- STL ----------------------------------------------------------------------------------

def _f10(v):
    return fixed(v, 10, 10)


def _normal(p0, p1, p2):
    e1 = (p1[0] - p0[0], p1[1] - p0[1], p1[2] - p0[2])
    e2 = (p2[0] - p0[0], p2[1] - p0[1], p2[2] - p0[2])
    n = (e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2], e1[0] * e2[1] - e1[1] * e2[0])
    length = math.sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2])
    if length == 0:
        return (1.0, 0.0, 0.0)
    return (n[0] / length, n[1] / length, n[2] / length)


def stl(job, solid_name):
    out = ["solid " + solid_name]

    def facet(normal_line, corners):
        out.append(normal_line)
        out.append("      outer loop")
        for p in corners:
            out.append("        vertex " + " ".join(_f10(v) for v in p))
        out.append("      endloop")
        out.append("    endfacet")

    for c in range(job.W - 1):
        for r in range(job.H):
            c0, c1 = job.point(c, r), job.point(c + 1, r)
            c2, c3 = job.point(c + 1, r + 1), job.point(c, r + 1)
            for tri in ((c0, c2, c1), (c0, c3, c2)):
                facet("    facet normal " + " ".join(_f10(v) for v in _normal(*tri)), tri)
    left_axis = (job.left_x, 0.0, 0.0)
    for r in range(job.H):
        facet("    facet normal -1.0 0.0 0.0", (job.point(0, r + 1), job.point(0, r), left_axis))
        facet("    facet normal 1 0 0",
              (job.point(job.W - 1, r), job.point(job.W - 1, r + 1), job.right_axis()))
    out.append("endsolid")
    return _crlf(out)


# ---- OBJ ----------------------------------------------------------------------------------

def obj(job):
    W, H = job.W, job.H
    N = W * (H + 1)
    number = lambda i, j: i * (H + 1) + j + 1
    out = ["# OBJ File Produced by the Quennock Vantorel Program"]
    for i in range(W):
        for j in range(H + 1):
            out.append("v " + " ".join(_f10(v) for v in job.point(i, j)))
    out.append("v " + " ".join(_f10(v) for v in (job.left_x, 0.0, 0.0)))
    out.append("v " + " ".join(_f10(v) for v in job.right_axis()))
    for i in range(W):
        for j in range(H + 1):
            out.append("vt " + _f10(i / (W - 1)) + " " + _f10(1 - j / H))
    for j in range(H + 1):
        theta = j * job.angle_step
        out.append("vn " + " ".join(_f10(v) for v in (0.0, math.cos(theta), math.sin(theta))))
    out.append("vn " + " ".join(_f10(v) for v in (-1.0, 0.0, 0.0)))
    out.append("vn " + " ".join(_f10(v) for v in (1.0, 0.0, 0.0)))
    out += ["g cylinder", "usemtl cylindermaterial"]
    for i in range(W - 1):
        for j in range(H):
            corners = ((number(i, j), j + 1), (number(i, j + 1), j + 2),
                       (number(i + 1, j + 1), j + 2), (number(i + 1, j), j + 1))
            out.append("f " + " ".join("%d/%d/%d" % (v, v, n) for v, n in corners))
    out += ["g ends", "usemtl endmaterial"]
    for j in range(H):
        out.append("f %d//%d %d//%d %d//%d" % (number(0, j + 1), H + 2, number(0, j), H + 2, N + 1, H + 2))
        out.append("f %d//%d %d//%d %d//%d" % (number(W - 1, j), H + 3, number(W - 1, j + 1), H + 3,
                                                N + 2, H + 3))
    out.append("# end")
    return _crlf(out)


# ---- DXF ----------------------------------------------------------------------------------

def dxf(job, notice):
    groups = [
        ("999", "DXF File Produced by the Quennock Vantorel Program"), ("999", notice),
        (" 0", "SECTION"), (" 2", "TABLES"), (" 0", "TABLE"), (" 2", "LTYPE"), ("70", "1"),
        (" 0", "LTYPE"), (" 2", "CONTINUOUS"), ("70", "64"), (" 3", "Solid Line"), ("72", "65"),
        ("73", "0"), ("40", "0.000000"), (" 0", "ENDTAB"), (" 0", "TABLE"), (" 2", "LAYER"),
        ("70", "6"), (" 0", "LAYER"), (" 2", "Quennock"), ("70", "64"), ("62", "5"),
        (" 6", "CONTINUOUS"), (" 0", "ENDTAB"), (" 0", "TABLE"), (" 2", "STYLE"), ("70", "0"),
        (" 0", "ENDTAB"), (" 0", "ENDSEC"), (" 0", "SECTION"), (" 2", "ENTITIES"),
    ]

    # The plain grid: positions use the depths of the picture rows only.
    def face(corners):
        groups.extend([(" 0", "3DFACE"), (" 8", "Quennock"), ("62", "83")])
        for k, (c, r) in enumerate(corners):
            x, y, z = job.point(c, r)
            groups.extend([("1%d" % k, general(x)), ("2%d" % k, general(y)), ("3%d" % k, general(z))])

    for i in range(job.W - 1):
        for j in range(job.H - 1):
            face(((i, j), (i + 1, j), (i + 1, j + 1), (i, j + 1)))
    if job.wrap_angle == 360:
        for i in range(job.W - 1):
            face(((i, job.H - 1), (i + 1, job.H - 1), (i + 1, 0), (i, 0)))
    groups += [(" 0", "ENDSEC"), (" 0", "EOF")]
    return _crlf([text for group in groups for text in group])

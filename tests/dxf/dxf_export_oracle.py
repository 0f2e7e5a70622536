#!/usr/bin/python3
"""The DXF export read by ezdxf, an independent DXF reader.

1. A program of lines, clockwise and counter-clockwise arcs, a full circle
   and moves after a cut-off is exported (full, lines only, points) under
   each pair of plot axis signs, with and without "Write Blue lines to dxf".
   Every file must read without error or audit complaint, and its entities
   must be what the program plots: DXF X = program Y, DXF Y = program X,
   arcs swept the way a machine runs them (G02 clockwise in the program's
   own X and Y, whatever the plot's signs), nothing for the first line, blue
   moves only when asked; the point file in the same axes.
2. Round trip under each shipped machine file: a drawing of lines and arcs
   (run both ways by its path) is imported, exported in full and as lines
   only; the export must give back the drawing.
3. Round trip through our own import: a full export of the program is
   imported and exported again; both exports hold the same geometry within
   one unit of the last decimal.

usage: dxf_export_oracle.py DRIVER TEST_DATA SHIPPED_DATA
"""
import math
import os
import subprocess
import sys
import tempfile

import ezdxf
from ezdxf import recover

EXACT = 1.01e-4   # one unit of the 4th decimal the driver writes
CHORD = 5e-3      # lines-only: chords of an arc stepped at 0.2 units
failures = []


def fail(what):
    failures.append(what)
    print("FAIL:", what, file=sys.stderr)


def run(driver, machine, source, target, mode, *flags):
    r = subprocess.run([driver, machine, source, target, mode, *flags], capture_output=True, text=True)
    if r.returncode != 0:
        fail(f"driver {mode} {os.path.basename(source)}: {r.stderr.strip()}")
        return False
    return True


def entities(path, ours=True):
    """Reads a file strictly and with recovery; both must succeed cleanly."""
    doc = ezdxf.readfile(path)
    auditor = doc.audit()
    if auditor.has_errors:
        fail(f"{path}: audit errors {[e.message for e in auditor.errors]}")
    _, rec = recover.readfile(path)
    if rec.has_errors:
        fail(f"{path}: recover errors")
    with open(path, "rb") as f:
        raw = f.read()
    if ours and raw.count(b"\n") != raw.count(b"\r\n"):
        fail(f"{path}: a record not ended by CR LF")
    return list(doc.modelspace())


def close(p, q, tol):
    return math.hypot(p[0] - q[0], p[1] - q[1]) <= tol


def angle_in(a, start, end):
    """Angle a (degrees) lies on the counter-clockwise sweep start -> end."""
    span = (end - start) % 360 or 360
    return (a - start) % 360 <= span + 1e-6


# ------------------------------------------------------------ the program

PROGRAM = """%
M03
G01 X10 Y0
G01 X10 Y20
G02 X30 Y20 I20 J20
G03 X40 Y30 I40 J20
G02 X40 Y30 I40 J40
M05
G01 X0 Y0
M03
G01 X5 Y5
"""
# The program's geometry in program coordinates: (kind, colour, data).
# Arcs: centre, radius, start, end, clockwise as programmed (G02).
GEOMETRY = [
    ("line", "red", (0, 0), (10, 0)),
    ("line", "red", (10, 0), (10, 20)),
    ("arc", "red", (20, 20), 10, (10, 20), (30, 20), True),
    ("arc", "red", (40, 20), 10, (30, 20), (40, 30), False),
    ("circle", "red", (40, 40), 10),
    ("line", "blue", (40, 30), (0, 0)),
    ("line", "red", (0, 0), (5, 5)),
]


def dxf(p):
    """Program point to DXF point: the axes exchanged."""
    return (p[1], p[0])


def expected_arc(centre, r, start, end, g02, xs, ys):
    """The arc as DXF holds it: centre, radius, start and end point of its
    counter-clockwise sweep, and the point half way along it. G02 turns
    clockwise in the program's X and Y under every sign setting."""
    cw_program = g02
    a0 = math.atan2(start[1] - centre[1], start[0] - centre[0])
    a1 = math.atan2(end[1] - centre[1], end[0] - centre[0])
    sweep = (a1 - a0) % (2 * math.pi)
    if cw_program:
        sweep = -((a0 - a1) % (2 * math.pi))
    mid = a0 + sweep / 2
    mid_point = (centre[0] + r * math.cos(mid), centre[1] + r * math.sin(mid))
    # The exchange of axes is a mirror: clockwise in the program is
    # counter-clockwise in the drawing.
    ccw_dxf = cw_program
    s, e = (dxf(start), dxf(end)) if ccw_dxf else (dxf(end), dxf(start))
    return dxf(centre), r, s, e, dxf(mid_point)


def check_full(path, xs, ys, blue, what):
    got = entities(path)
    want = [g for g in GEOMETRY if g[1] == "red" or blue]
    if len(got) != len(want):
        fail(f"{what}: {len(got)} entities, {len(want)} expected")
        return
    for g, e in zip(want, got):
        if e.dxf.layer != "0":
            fail(f"{what}: layer {e.dxf.layer}")
        if g[0] == "line":
            ok = e.dxftype() == "LINE" and close(e.dxf.start, dxf(g[2]), EXACT) and close(e.dxf.end, dxf(g[3]), EXACT)
            ok = ok and e.dxf.start.z == 0 and e.dxf.end.z == 0
        elif g[0] == "circle":
            ok = e.dxftype() == "CIRCLE" and close(e.dxf.center, dxf(g[2]), EXACT) and abs(e.dxf.radius - g[3]) <= EXACT
        else:
            c, r, s, en, mid = expected_arc(*g[2:], xs, ys)
            ok = (e.dxftype() == "ARC" and close(e.dxf.center, c, EXACT) and abs(e.dxf.radius - r) <= EXACT
                  and close(e.start_point, s, 1e-3) and close(e.end_point, en, 1e-3))
            if ok:
                a = math.degrees(math.atan2(mid[1] - c[1], mid[0] - c[0]))
                ok = angle_in(a, e.dxf.start_angle, e.dxf.end_angle)
        if not ok:
            fail(f"{what}: {e.dxftype()} {e.dxf.all_existing_dxf_attribs()} is not {g}")


def on_geometry(p, g, xs, ys):
    """DXF point p lies on program element g (as the plot draws it)."""
    if g[0] == "line":
        a, b = dxf(g[2]), dxf(g[3])
        vx, vy = b[0] - a[0], b[1] - a[1]
        t = ((p[0] - a[0]) * vx + (p[1] - a[1]) * vy) / (vx * vx + vy * vy)
        return -1e-6 <= t <= 1 + 1e-6 and close(p, (a[0] + t * vx, a[1] + t * vy), EXACT)
    c, r = dxf(g[2]), g[3]
    if abs(math.hypot(p[0] - c[0], p[1] - c[1]) - r) > 1e-3:
        return False
    if g[0] == "circle":
        return True
    c, r, s, e, _ = expected_arc(*g[2:], xs, ys)
    a = math.degrees(math.atan2(p[1] - c[1], p[0] - c[0]))
    return angle_in(a, math.degrees(math.atan2(s[1] - c[1], s[0] - c[0])),
                    math.degrees(math.atan2(e[1] - c[1], e[0] - c[0])))


def length(g, xs, ys):
    if g[0] == "line":
        return math.dist(g[2], g[3])
    if g[0] == "circle":
        return 2 * math.pi * g[3]
    c, r, s, e, mid = expected_arc(*g[2:], xs, ys)
    a0 = math.atan2(s[1] - c[1], s[0] - c[0])
    a1 = math.atan2(e[1] - c[1], e[0] - c[0])
    return r * ((a1 - a0) % (2 * math.pi))


def check_lines(path, xs, ys, blue, what):
    got = entities(path)
    want = [g for g in GEOMETRY if g[1] == "red" or blue]
    if any(e.dxftype() != "LINE" for e in got):
        fail(f"{what}: entities other than LINE")
        return
    total = 0
    for e in got:
        p, q = (e.dxf.start.x, e.dxf.start.y), (e.dxf.end.x, e.dxf.end.y)
        total += math.dist(p, q)
        if not any(on_geometry(p, g, xs, ys) and on_geometry(q, g, xs, ys) for g in want):
            fail(f"{what}: line {p} {q} is not on the program's path")
            return
    ends = [(e.dxf.start.x, e.dxf.start.y) for e in got] + [(e.dxf.end.x, e.dxf.end.y) for e in got]
    for g in want:
        for p in ([g[2], g[3]] if g[0] == "line" else [] if g[0] == "circle" else [g[4], g[5]]):
            if not any(close(dxf(p), q, EXACT) for q in ends):
                fail(f"{what}: no line ends exactly on {p}")
    # Chords are shorter than their arcs: at the machine file's "CirRes"
    # of 5 units, by up to 1 %.
    expected = sum(length(g, xs, ys) for g in want)
    if not (expected * 0.98 <= total <= expected + EXACT * len(got)):
        fail(f"{what}: lines {total:.4f} long, the path {expected:.4f}")


def check_points(path, xs, ys, what):
    got = entities(path)
    want = []
    for line in PROGRAM.splitlines()[1:]:
        words = dict((w[0], float(w[1:])) for w in line.split() if w[0] in "XY")
        if "X" in words and "Y" in words:
            want.append((words["Y"], words["X"]))
    pts = [(e.dxf.location.x, e.dxf.location.y, e.dxf.location.z) for e in got if e.dxftype() == "POINT"]
    if len(pts) != len(got) or len(pts) != len(want) or any(
            not close(p, w, EXACT) or p[2] != 0 for p, w in zip(pts, want)):
        fail(f"{what}: points {pts}, expected {want}")


def comparable(path, ours=True):
    """The entities of a file as a sorted list of rounded tuples; a line
    either way round counts alike, a line of no length not at all."""
    out = []
    for e in entities(path, ours):
        if e.dxftype() == "LINE":
            p = (round(e.dxf.start.x, 3), round(e.dxf.start.y, 3))
            q = (round(e.dxf.end.x, 3), round(e.dxf.end.y, 3))
            if p != q:
                out.append(("LINE",) + min(p, q) + max(p, q))
        elif e.dxftype() == "ARC":
            out.append(("ARC", round(e.dxf.center.x, 3), round(e.dxf.center.y, 3), round(e.dxf.radius, 3),
                        round(e.dxf.start_angle % 360, 2), round(e.dxf.end_angle % 360, 2)))
        elif e.dxftype() == "CIRCLE":
            out.append(("CIRCLE", round(e.dxf.center.x, 3), round(e.dxf.center.y, 3), round(e.dxf.radius, 3)))
    return sorted(out)


def same_within(a, b, tol):
    return len(a) == len(b) and all(x[0] == y[0] and all(abs(u - v) <= tol for u, v in zip(x[1:], y[1:]))
                                    for x, y in zip(a, b))


def main():
    driver, test_data, shipped = sys.argv[1:4]
    mill = os.path.join(test_data, "e2e", "plain_mill.ini")
    with tempfile.TemporaryDirectory() as work:
        program = os.path.join(work, "prog.nc")
        with open(program, "w") as f:
            f.write(PROGRAM)

        # 1. The program under every pair of axis signs.
        for xs in (1, -1):
            for ys in (1, -1):
                for blue in (False, True):
                    flags = [f"XsignCheckBox={int(xs < 0)}", f"YsignCheckBox={int(ys < 0)}",
                             f"WriteBlueLine={int(blue)}"]
                    what = f"X*{xs} Y*{ys} blue {blue}"
                    out = os.path.join(work, "full.dxf")
                    if run(driver, mill, program, out, "full", *flags):
                        check_full(out, xs, ys, blue, "full " + what)
                    out = os.path.join(work, "lines.dxf")
                    if run(driver, mill, program, out, "lines", *flags):
                        check_lines(out, xs, ys, blue, "lines only " + what)
                out = os.path.join(work, "points.dxf")
                if run(driver, mill, program, out, "points", f"XsignCheckBox={int(xs < 0)}",
                       f"YsignCheckBox={int(ys < 0)}"):
                    check_points(out, xs, ys, f"points X*{xs} Y*{ys}")

        # 2. A drawing through each shipped machine file and back. Its path
        # runs the first arc counter-clockwise and the second clockwise.
        drawing = os.path.join(work, "drawing.dxf")
        doc = ezdxf.new("R12")
        msp = doc.modelspace()
        msp.add_line((0, 0), (30, 0))
        msp.add_arc((30, 10), 10, 270, 0)
        msp.add_line((40, 10), (50, 10))
        msp.add_arc((60, 10), 10, 0, 180)
        msp.add_line((70, 10), (80, 20))
        msp.add_line((0, 40), (20, 40))
        msp.add_arc((20, 30), 10, 0, 90)
        doc.saveas(drawing)
        want = comparable(drawing, ours=False)
        for machine in ("tolva.ini", "plasma.ini", "lathe.ini"):
            ini = os.path.join(shipped, machine)
            out = os.path.join(work, "round.dxf")
            if run(driver, ini, drawing, out, "full") and not same_within(comparable(out), want, 1e-3):
                fail(f"{machine}: full export {comparable(out)} is not the drawing {want}")
            out = os.path.join(work, "round-lines.dxf")
            if run(driver, ini, drawing, out, "lines"):
                got = entities(out)
                xy = lambda v: (v.x, v.y)
                total = sum(math.dist(xy(e.dxf.start), xy(e.dxf.end)) for e in got)
                drawn = sum(math.dist(xy(e.dxf.start), xy(e.dxf.end)) if e.dxftype() == "LINE" else
                            math.radians((e.dxf.end_angle - e.dxf.start_angle) % 360) * e.dxf.radius
                            for e in msp)
                ends = [xy(e.dxf.start) for e in got] + [xy(e.dxf.end) for e in got]
                corners = [xy(e.dxf.start) for e in msp if e.dxftype() == "LINE"] + \
                          [xy(e.dxf.end) for e in msp if e.dxftype() == "LINE"]
                if not (drawn * 0.98 <= total <= drawn * 1.001):
                    fail(f"{machine}: lines-only export {total:.3f} long, the drawing {drawn:.3f}")
                for c in corners:
                    if not any(close(c, q, 1e-3) for q in ends):
                        fail(f"{machine}: lines-only export misses the corner {c}")

        # 3. Exported, imported by our own reader, exported again, with the
        # X * -1 of the machine files (under which the import's arcs plot the
        # way they were drawn). The import adds an approach to each path's
        # start after its cut-on: a line from one exported end point (or
        # program zero) to another is allowed besides.
        for mode in ("full", "lines"):
            first = os.path.join(work, f"first-{mode}.dxf")
            again = os.path.join(work, f"again-{mode}.dxf")
            if not (run(driver, mill, program, first, mode, "XsignCheckBox=1") and
                    run(driver, mill, first, again, mode, "XsignCheckBox=1")):
                continue
            a, b = comparable(first), comparable(again)
            ends = {(0.0, 0.0)}
            for e in entities(first):
                if e.dxftype() in ("LINE",):
                    ends |= {(round(e.dxf.start.x, 3), round(e.dxf.start.y, 3)), (round(e.dxf.end.x, 3), round(e.dxf.end.y, 3))}
                elif e.dxftype() == "ARC":
                    ends |= {(round(p.x, 3), round(p.y, 3)) for p in (e.start_point, e.end_point)}
                elif e.dxftype() == "CIRCLE":
                    c, r = e.dxf.center, e.dxf.radius
                    ends |= {(round(c.x + dx, 3), round(c.y + dy, 3)) for dx, dy in ((r, 0), (-r, 0), (0, r), (0, -r))}
            near = lambda p: any(close(p, q, 2 * EXACT) for q in ends)
            extra = [x for x in b if not any(same_within([x], [y], EXACT + 1e-9) for y in a)]
            missing = [x for x in a if not any(same_within([x], [y], EXACT + 1e-9) for y in b)]
            approaches = [x for x in extra if x[0] == "LINE" and near(x[1:3]) and near(x[3:5])]
            if mode == "lines":
                # The import joins chords that continue each other: compare
                # the lengths, approaches apart.
                la = sum(math.dist(x[1:3], x[3:5]) for x in a)
                lb = sum(math.dist(x[1:3], x[3:5]) for x in b if x not in approaches)
                if abs(la - lb) > EXACT * len(a):
                    fail(f"re-import of lines only: {la:.4f} long, then {lb:.4f}")
            elif missing or len(approaches) != len(extra):
                fail(f"re-import of the full export: missing {missing}, added {extra}")

    if failures:
        print(f"{len(failures)} failure(s)", file=sys.stderr)
        return 1
    print("DXF export: ezdxf reads every file as the program plots it")
    return 0


if __name__ == "__main__":
    sys.exit(main())

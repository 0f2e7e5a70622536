#!/usr/bin/python3
"""Arcs as a machine runs them, under every axis setting; rs274 and ezdxf judge.

1. Plot and export. Programs of G02/G03 quarter arcs, half arcs, R arcs with
   +R and -R and full circles, in each of G17, G18 and G19, are plotted and
   exported (full DXF) under all 16 combinations of the plot's three sign
   boxes and "Swap X Y" (and under "Swap Y Z"), with "Z Included" on and
   off. The plot's cut length must be what rs274 feeds; every exported ARC or
   CIRCLE, read by ezdxf in world coordinates and taken back to program axes
   (DXF X = the Y letter's axis, DXF Y = the X letter's), must lie on the arc
   rs274 runs, sampled along its whole sweep, not only at its ends.
2. Import. Drawings of ARCs, CIRCLEs, LWPOLYLINEs and POLYLINEs with bulges
   of both signs, and the same entities (and an ELLIPSE) with extrusion
   (0, 0, -1), are imported under every combination of the import's X and Y
   sign boxes and "Swap X Y". rs274 runs the program; every point it cuts
   must lie on the drawing (ezdxf's world geometry), and every point of the
   drawing on what it cuts.
   ARCs and CIRCLEs with extrusions along the drawing's X and Y (the
   machine's X-Z and Y-Z planes, "Z Included" on) likewise.
3. Lathe. A turned profile drawn as an LWPOLYLINE with bulge corners, in
   both directions, and LibreCAD's block/blk1.dxf, imported for the shipped
   lathe (X as diameter), run on rs274 in G7 along the drawing.
4. Large coordinates. Generated drawings six integer digits from the origin
   (lines, ARCs, ARCs seen from below, bulges of both signs), imported with
   3 to 6 decimals: every coordinate word has exactly the decimals asked
   for, every point the program reaches (and every arc centre it names) is
   a point of the drawing to the last decimal, and rs274 runs the program,
   without refusing an arc, along the drawing.

usage: arcs_as_run_oracle.py DRIVER TEST_DATA SHIPPED_DATA
"""
import itertools
import math
import os
import re
import subprocess
import sys
import tempfile

import ezdxf
import numpy as np

failures = []


def fail(what):
    failures.append(what)
    print("FAIL:", what, file=sys.stderr)


# ------------------------------------------------------------------ rs274

def rs274(program_path, home, tools=None):
    """Cut and rapid moves of rs274's canonical output: a list of
    (kind, cutting, start, end, arc) with arc = (plane, centre, turn, axis
    end) for arcs; points in program X, Y, Z. The first move after the
    spindle starts is the approach to the path (an imported program starts
    the cut, then goes to the path's first point): not counted as cutting."""
    r = subprocess.run(["rs274"] + (["-t", tools] if tools else []) + ["-g", program_path],
                       capture_output=True, text=True,
                       env=dict(os.environ, HOME=home), stdin=subprocess.DEVNULL)
    if r.returncode != 0 or "PROGRAM_END" not in r.stdout:
        return None, r.stdout + r.stderr
    pos = [0.0, 0.0, 0.0]
    plane = "XY"
    cutting = approach = False
    moves = []
    for line in r.stdout.splitlines():
        m = re.search(r"([A-Z_]+)\((.*)\)", line)
        if not m:
            continue
        name, args = m.group(1), m.group(2)
        try:
            nums = [float(a) for a in args.split(",")]
        except ValueError:
            nums = []
        if name == "SELECT_PLANE":
            plane = args.replace("CANON_PLANE_", "")
        elif name.startswith("START_SPINDLE") or name == "FLOOD_ON":
            cutting = True
            approach = True
        elif name in ("STOP_SPINDLE_TURNING", "FLOOD_OFF"):
            cutting = False
        elif name in ("STRAIGHT_TRAVERSE", "STRAIGHT_FEED"):
            end = nums[:3]
            moves.append(("line", cutting and not approach and name == "STRAIGHT_FEED", pos, end, None))
            approach = False
            pos = end
        elif name == "ARC_FEED":
            e1, e2, c1, c2, turn, lin = nums[:6]
            # The plane's first and second axis, and its third.
            a, b, c = {"XY": (0, 1, 2), "XZ": (2, 0, 1), "YZ": (1, 2, 0)}[plane]
            end = [0.0, 0.0, 0.0]
            end[a], end[b], end[c] = e1, e2, lin
            centre = [0.0, 0.0, 0.0]
            centre[a], centre[b], centre[c] = c1, c2, lin
            moves.append(("arc", cutting, pos, end, ((a, b, c), centre, int(turn))))
            approach = False
            pos = end
    return moves, None


def arc_points(start, end, arc, n=24):
    """n + 1 points along an rs274 arc (a helix when its third axis moves)."""
    (a, b, c), centre, turn = arc
    a0 = math.atan2(start[b] - centre[b], start[a] - centre[a])
    a1 = math.atan2(end[b] - centre[b], end[a] - centre[a])
    r = math.hypot(start[a] - centre[a], start[b] - centre[b])
    if turn > 0:
        sweep = (a1 - a0) % (2 * math.pi)
        if sweep < 1e-9:
            sweep = 2 * math.pi
        sweep += 2 * math.pi * (turn - 1)
    else:
        sweep = -((a0 - a1) % (2 * math.pi))
        if sweep > -1e-9:
            sweep = -2 * math.pi
        sweep -= 2 * math.pi * (-turn - 1)
    out = []
    for k in range(n + 1):
        t = k / n
        p = [0.0, 0.0, 0.0]
        p[a] = centre[a] + r * math.cos(a0 + sweep * t)
        p[b] = centre[b] + r * math.sin(a0 + sweep * t)
        p[c] = start[c] + (end[c] - start[c]) * t
        out.append(p)
    return out, abs(sweep) * r


def move_length(mv):
    if mv[0] == "line":
        return math.dist(mv[2], mv[3])
    return arc_points(mv[2], mv[3], mv[4], 2)[1]


# --------------------------------------------------------------- the driver

def run(driver, machine, source, target, mode, flags):
    r = subprocess.run([driver, machine, source, target, mode, *flags], capture_output=True, text=True)
    if r.returncode != 0:
        fail(f"driver {mode} {os.path.basename(source)} {flags}: {r.stderr.strip()}")
        return None
    return r.stdout


def near_all(points, cloud, tol):
    """The largest distance from a point of `points` to the nearest of `cloud`."""
    worst = 0.0
    for p in points:
        worst = max(worst, min(math.dist(p, q) for q in cloud))
        if worst > tol:
            return worst
    return worst


def off_path(points, path):
    """The largest distance from a point of `points` to the polyline chains
    of `path` (a list of point lists)."""
    a = np.array([c[i] for c in path for i in range(len(c) - 1)], dtype=float)
    b = np.array([c[i + 1] for c in path for i in range(len(c) - 1)], dtype=float)
    d = b - a
    dd = np.maximum((d * d).sum(axis=1), 1e-30)

    def nearest(p, k):
        t = np.clip(((p - a[k]) * d[k]).sum(axis=1) / dd[k], 0.0, 1.0)
        q = a[k] + d[k] * t[:, None]
        return float(np.sqrt(((q - p) ** 2).sum(axis=1)).min())

    # Segments by the cells (1 unit square in the first two axes) their
    # boxes cover: a point nearer than one cell to any segment finds its
    # nearest among those of its own and the eight cells round it.
    lo = np.floor(np.minimum(a, b)[:, :2]).astype(int)
    hi = np.floor(np.maximum(a, b)[:, :2]).astype(int)
    cells = {}
    for k in range(len(a)):
        for i in range(lo[k, 0], hi[k, 0] + 1):
            for j in range(lo[k, 1], hi[k, 1] + 1):
                cells.setdefault((i, j), []).append(k)
    everything = np.arange(len(a))
    worst = 0.0
    for p in np.array(points, dtype=float):
        i, j = int(math.floor(p[0])), int(math.floor(p[1]))
        near = [k for di in (-1, 0, 1) for dj in (-1, 0, 1) for k in cells.get((i + di, j + dj), ())]
        dist = nearest(p, np.array(near)) if near else math.inf
        if dist > 1.0:
            dist = nearest(p, everything)
        worst = max(worst, dist)
    return worst


# ------------------------------------------------------- 1. plot and export

# Arcs in the plane's first and second axis (a, b) and its centre words;
# every one starts where the one before ended. G17: (X, Y) with I J; G18:
# (Z, X) with K I; G19: (Y, Z) with J K.
PLANES = {
    "G17": ("XYZ", "IJK"),
    "G18": ("ZXY", "KIJ"),
    "G19": ("YZX", "JKI"),
}
MOVES = [  # code, end (a, b), centre offsets (da, db) or R (and the same arc's offsets)
    ("G02", (10, 0), (0, -10)),               # quarter, clockwise
    ("G03", (0, -10), (-10, 0)),              # three quarters, counter-clockwise
    ("G03", (0, 10), (0, 10)),                # half
    ("G02", (0, -10), (0, -10)),              # half, the same side
    ("G02", (-10, 0), "R10", (0, 10)),        # R, the short way
    ("G03", (0, 10), "R-10", (10, 0)),        # R, the long way
    ("G03", (0, 10), (0, -10)),               # full circle
    ("G02", (0, 10), (0, -10)),               # full circle the other way
    ("G02", (10, 20), "R-10", (0, 10)),
    ("G03", (0, 10), "R10", (0, -10)),
]


def plane_program(plane, radius_arcs):
    (a, b, c), (ia, ib, _) = PLANES[plane]
    lines = ["(arcs)", "G21 G90 G94 F100", plane, f"G00 {a}0 {b}10 {c}0", "M03 S1000"]
    for code, end, centre, *offsets in MOVES:
        if isinstance(centre, str) and not radius_arcs:
            centre = offsets[0]
        words = f"{code} {a}{end[0]} {b}{end[1]}"
        words += f" {centre}" if isinstance(centre, str) else f" {ia}{centre[0]} {ib}{centre[1]}"
        lines.append(words)
    lines += ["M05", "M02"]
    return "\n".join(lines) + "\n"


def dxf_to_program(v, shows):
    """A DXF world point in program axes: DXF X is the plot's Y axis, DXF Y
    its X, DXF Z its Z; plot axis i reads program axis shows[i]."""
    p = [0.0, 0.0, 0.0]
    p[shows[1]], p[shows[0]], p[shows[2]] = v[0], v[1], v[2]
    return p


def entity_points(e, n=24):
    """Points of an ARC or CIRCLE in world coordinates, along its sweep."""
    ocs = e.ocs()
    c, r = e.dxf.center, e.dxf.radius
    if e.dxftype() == "CIRCLE":
        a0, sweep = 0.0, 360.0
    else:
        a0 = e.dxf.start_angle
        sweep = (e.dxf.end_angle - a0) % 360 or 360
    out = []
    for k in range(n + 1):
        t = math.radians(a0 + sweep * k / n)
        out.append(list(ocs.to_wcs((c.x + r * math.cos(t), c.y + r * math.sin(t), c.z))))
    return out


RUNS = {}  # rs274's run of each plane's program: the same text under every setting


def check_plane(driver, mill, work, home, plane, combo, include_z, radius_arcs=True):
    sx, sy, sz, swap_xy, swap_yz = combo
    flags = [f"XsignCheckBox={sx}", f"YsignCheckBox={sy}", f"ZsignCheckBox={sz}", f"SwapXY={swap_xy}",
             f"SwapYZ={swap_yz}", f"IncludeZCheckBox={int(include_z)}", "Bridgeport=1"]
    what = (f"{plane} X*-1 {sx} Y*-1 {sy} Z*-1 {sz} SwapXY {swap_xy} SwapYZ {swap_yz} Z included {int(include_z)}"
            f" {os.path.basename(mill)}")
    # The plot reads the words of its letters: with a swap, the program the
    # machine runs is the same text, its axes shown exchanged.
    shows = [0, 1, 2]
    if swap_xy:
        shows = [1, 0, 2]
    if swap_yz:
        shows = [0, 2, 1]
    prog = os.path.join(work, f"{plane}-{int(radius_arcs)}.ngc")
    if (plane, radius_arcs) not in RUNS:
        with open(prog, "w") as f:
            f.write(plane_program(plane, radius_arcs))
        RUNS[plane, radius_arcs] = rs274(prog, home)
    moves, err = RUNS[plane, radius_arcs]
    if moves is None:
        fail(f"{what}: rs274 refuses the test program: {err}")
        return
    want_cut = sum(move_length(m) for m in moves if m[1])
    out = run(driver, mill, prog, os.path.join(work, "len"), "length", flags)
    if out is not None:
        cut = float(out.split()[1])
        if abs(cut - want_cut) > 1e-3 * want_cut:
            fail(f"{what}: the plot cuts {cut:.4f}, rs274 {want_cut:.4f}")
    # The export: only where the drawing can hold the arcs: without Z an arc
    # the plot draws across its Z axis is written as its shadow.
    program_axes = {"G17": (0, 1), "G18": (0, 2), "G19": (1, 2)}[plane]
    if not include_z and 2 in [i for i in range(3) if shows[i] in program_axes]:
        return
    target = os.path.join(work, "full.dxf")
    if run(driver, mill, prog, target, "full", flags) is None:
        return
    arcs = [e for e in ezdxf.readfile(target).modelspace() if e.dxftype() in ("ARC", "CIRCLE")]
    want = [m for m in moves if m[0] == "arc"]
    if len(arcs) != len(want):
        fail(f"{what}: {len(arcs)} arcs exported, rs274 runs {len(want)}")
        return
    for k, (e, m) in enumerate(zip(arcs, want)):
        got = [dxf_to_program(p, shows) for p in entity_points(e)]
        ran, _ = arc_points(m[2], m[3], m[4])
        # A DXF arc turns counter-clockwise about its extrusion: compare
        # with the run either way round.
        if e.dxftype() == "CIRCLE":
            worst = near_all(got, arc_points(m[2], m[3], m[4], 360)[0], 2e-3)
        else:
            worst = min(max(math.dist(p, q) for p, q in zip(got, ran)),
                        max(math.dist(p, q) for p, q in zip(got, reversed(ran))))
        if worst > 2e-3:
            fail(f"{what}: arc {k + 1} exported off the run by {worst:.4f}")


def swapped_mills(test_data, work, kerf=True):
    """The plain mill for each (Swap X Y, Swap Y Z). The label table's plane
    codes name the plot's planes (the axes of the letters in force): with a
    swap, each takes the code of the program plane it shows (a radius arc
    has nothing else to find its plane by). Without `kerf` the paths are
    not framed by a compensation code (a machine changes no plane under
    one)."""
    with open(os.path.join(test_data, "e2e", "plain_mill.ini")) as f:
        text = f.read()
    if not kerf:
        text = text.replace("Kerf Comp Left=G41", "Kerf Comp Left=")
    mills = {}
    for swaps, codes in (((0, 0), ("G17", "G18", "G19")), ((1, 0), ("G17", "G19", "G18")),
                         ((0, 1), ("G18", "G17", "G19"))):
        t = text.replace("XY PLANE=G17", "XY PLANE=" + codes[0]).replace("XZ PLANE=G18", "XZ PLANE=" + codes[1])
        t = t.replace("YZ PLANE=G19", "YZ PLANE=" + codes[2])
        mills[swaps] = os.path.join(work, "mill-%d%d%s.ini" % (swaps + ("" if kerf else "-open",)))
        with open(mills[swaps], "w") as f:
            f.write(t)
    return mills


def plot_and_export(driver, test_data, work, home):
    plain = os.path.join(test_data, "e2e", "plain_mill.ini")
    mills = swapped_mills(test_data, work)
    combos = [c + (0,) for c in itertools.product((0, 1), repeat=4)]
    combos += [(sx, sy, sz, 0, 1) for sx, sy, sz in itertools.product((0, 1), repeat=3)]
    for plane in PLANES:
        for combo in combos:
            for include_z in (False, True):
                check_plane(driver, mills[combo[3:]], work, home, plane, combo, include_z)
                # The machine files' own plane codes (G17 G18 G19 whatever
                # the swaps): arcs with centre words find their plane by them.
                if combo[3:] != (0, 0):
                    check_plane(driver, plain, work, home, plane, combo, include_z, radius_arcs=False)


# ------------------------------------------------------------- 2. import

def entity_chains(e):
    """An entity as chains of points in world coordinates, exactly on its
    geometry (ezdxf's own object coordinate systems; polylines through its
    virtual LINE and ARC entities)."""
    kind = e.dxftype()
    if kind in ("LWPOLYLINE", "POLYLINE"):
        return [c for v in e.virtual_entities() for c in entity_chains(v)]
    if kind == "LINE":
        return [[list(e.dxf.start), list(e.dxf.end)]]
    if kind in ("ARC", "CIRCLE"):
        return [entity_points(e, 720)]
    if kind == "ELLIPSE":
        s, t = e.dxf.start_param, e.dxf.end_param
        if t <= s:
            t += 2 * math.pi
        return [[list(v) for v in e.vertices([s + (t - s) * k / 2000 for k in range(2001)])]]
    raise ValueError(kind)


def drawing_chains(path):
    return [c for e in ezdxf.readfile(path).modelspace() for c in entity_chains(e)]


def cut_chains(moves, to_drawing):
    """Every cutting move as a chain of points about 0.05 apart."""
    chains = []
    for mv in moves:
        if not mv[1]:
            continue
        n = max(2, int(move_length(mv) / 0.05))
        if mv[0] == "line":
            pts = [[s + (e - s) * k / n for s, e in zip(mv[2], mv[3])] for k in range(n + 1)]
        else:
            pts = arc_points(mv[2], mv[3], mv[4], n)[0]
        chains.append([to_drawing(p) for p in pts])
    return chains


def runnable(program_path, head):
    """The program as rs274 takes it: `head` (modes the machine has set
    up) first; a line of only "%" opens and closes a tape, which the
    machine files use as their start code: taken out. LinuxCNC has no U W
    incremental addresses: the Fanuc home return "G28 U0. W0." becomes its
    own "G28"."""
    with open(program_path) as f:
        lines = [l for l in f.read().splitlines() if l.strip() != "%"]
    lines = ["G28" if re.match(r"^G28 U0\. *W0\. *$", l) else l for l in lines]
    with open(program_path, "w") as f:
        f.write("\n".join([head] + lines) + "\nM02\n")


def check_import(driver, machine, work, home, drawing, flags, to_drawing, what, tol=2e-3, head="G94 F100",
                 tools=None):
    target = os.path.join(work, "import.dxf")
    if run(driver, machine, drawing, target, "full", flags) is None:
        return
    program = target + ".nc"
    runnable(program, head)
    moves, err = rs274(program, home, tools)
    if moves is None:
        fail(f"{what}: rs274 refuses the imported program: {err[-300:]}")
        return
    cut = cut_chains(moves, to_drawing)
    drawn = drawing_chains(drawing)
    if not cut:
        fail(f"{what}: nothing is cut")
        return
    worst = off_path([p for c in cut for p in c], drawn)
    if worst > tol:
        fail(f"{what}: the program cuts {worst:.4f} off the drawing")
    worst = off_path([p for c in drawn for p in c[::4]], cut)
    if worst > tol:
        fail(f"{what}: the program misses the drawing by {worst:.4f}")


def make_drawings(work):
    """(name, path): drawings of arcs in both directions and
    bulges of both signs, and the same seen from below."""
    out = []
    doc = ezdxf.new("R2000")
    msp = doc.modelspace()
    msp.add_arc((20, 20), 8, 30, 120)
    msp.add_arc((50, 20), 6, 200, 330)
    msp.add_arc((0, 0), 5, 300, 60)
    msp.add_circle((80, 10), 4)
    msp.add_lwpolyline([(0, 40, 0.5), (20, 40, -0.7), (30, 50, 0), (40, 50, 1.5), (50, 60, 0)], format="xyb")
    msp.add_lwpolyline([(60, 40, -0.4), (75, 40, 0.3), (75, 55, 0)], format="xyb", close=True)
    poly = msp.add_polyline2d([(0, 70), (10, 70), (20, 80)])
    poly.vertices[0].dxf.bulge = 0.6
    poly.vertices[1].dxf.bulge = -1.2
    path = os.path.join(work, "plain.dxf")
    doc.saveas(path)
    out.append(("arcs and bulges", path))

    doc = ezdxf.new("R2000")
    msp = doc.modelspace()
    below = {"extrusion": (0, 0, -1)}
    msp.add_arc((-50, 20), 7, 10, 100, dxfattribs=below)
    msp.add_circle((-80, 10), 3, dxfattribs=below)
    msp.add_lwpolyline([(-10, 40, 0.5), (-30, 40, -0.3), (-40, 55, 0)], format="xyb", dxfattribs=below)
    path = os.path.join(work, "below.dxf")
    doc.saveas(path)
    out.append(("seen from below", path))

    doc = ezdxf.new("R2000")
    msp = doc.modelspace()
    msp.add_ellipse((30, -40), major_axis=(10, 4, 0), ratio=0.5, start_param=0.3, end_param=4.0,
                    dxfattribs={"extrusion": (0, 0, -1)})
    path = os.path.join(work, "ellipse.dxf")
    doc.saveas(path)
    out.append(("an ellipse part seen from below", path))

    # Extrusions along the drawing's X and Y (both ways): arcs in the
    # machine's X-Z and Y-Z planes; centres in each object's own axes.
    doc = ezdxf.new("R2000")
    msp = doc.modelspace()
    for k, n in enumerate([(1, 0, 0), (-1, 0, 0), (0, 1, 0), (0, -1, 0)]):
        along = {"extrusion": n}
        msp.add_arc((10 + 30 * k, 5, 7 - 3 * k), 6, 20, 150, dxfattribs=along)
        msp.add_arc((-10 - 30 * k, -8, 4 + k), 4, 300, 80, dxfattribs=along)
        msp.add_circle((5 + 25 * k, 30, -5 - k), 3, dxfattribs=along)
    path = os.path.join(work, "across.dxf")
    doc.saveas(path)
    out.append(("across Z", path))
    return out


def import_drawings(driver, test_data, work, home):
    mills = swapped_mills(test_data, work)
    open_mills = swapped_mills(test_data, work, kerf=False)
    for name, drawing in make_drawings(work):
        # Arcs across Z need the Z words, and the plane codes named for the swap.
        across = name == "across Z"
        for xm, ym, swap_xy in itertools.product((0, 1), repeat=3):
            flags = [f"XmultCheckBox={xm}", f"YmultCheckBox={ym}", f"SwapXY={swap_xy}",
                     f"IncludeZCheckBox={int(across)}"]
            mill = (open_mills if across else mills)[swap_xy, 0]
            fx, fy = (-1 if xm else 1), (-1 if ym else 1)
            shows = [1, 0, 2] if swap_xy else [0, 1, 2]

            def to_drawing(p, fx=fx, fy=fy, shows=shows):
                # The X letter's word is the drawing's Y times the X factor,
                # the Y letter's its X times the Y factor; Z is Z.
                return [p[shows[1]] / fy, p[shows[0]] / fx, p[2] if across else 0.0]

            # Centres as offsets from the start (rs274's I J K), or R words.
            for rmode in (0, 1):
                what = f"{name}: X*-1 {xm} Y*-1 {ym} SwapXY {swap_xy} R {rmode}"
                check_import(driver, mill, work, home, drawing,
                             flags + [f"RCheckbox={rmode}", f"Bridgeport={1 - rmode}"], to_drawing, what)


# -------------------------------------------------------------- 3. lathe

def lathe(driver, shipped, work, home):
    """A turned profile (drawing X along the spindle, Y the radius) with
    bulge corners, drawn both ways round, imported for the shipped lathe:
    X words are diameters and arcs lie in the program's XZ plane, so rs274
    runs it in G18 G7 and reports the radius as X."""
    ini = os.path.join(shipped, "lathe.ini")
    tools = os.path.join(work, "lathe.tbl")
    with open(tools, "w") as f:
        f.write("T101 P1 D0 ;\n")
    profile = [(0, 0, 0), (0, 10, 0), (-20, 10, -0.4142), (-24, 14, 0), (-40, 14, 0.4142), (-45, 19, 0),
               (-60, 19, 0.25), (-70, 25, 0), (-80, 25, 0)]
    for forwards in (True, False):
        n = len(profile) - 1
        # Run backwards, each segment keeps its arc: the bulge turns over.
        pts = profile if forwards else [profile[n - k][:2] + ((-profile[n - k - 1][2]) if k < n else 0,)
                                        for k in range(n + 1)]
        doc = ezdxf.new("R2000")
        doc.modelspace().add_lwpolyline(pts, format="xyb")
        drawing = os.path.join(work, "profile.dxf")
        doc.saveas(drawing)
        check_import(driver, ini, work, home, drawing, [], lambda p: [p[2], p[0], 0.0],
                     f"lathe profile {'forwards' if forwards else 'backwards'}", head="G18 G7 G94 F100",
                     tools=tools)
    # A real drawing: LibreCAD's rounded block outline.
    blk1 = "/usr/share/librecad/library/block/blk1.dxf"
    if os.path.exists(blk1):
        check_import(driver, ini, work, home, blk1, [], lambda p: [p[2], p[0], 0.0], "lathe blk1.dxf",
                     head="G18 G7 G94 F100", tools=tools)
    else:
        fail("blk1.dxf missing: install librecad-data")


# ------------------------------------------------------ 4. large coordinates

def key_points(path):
    """End points of every piece of the drawing and centres of its arcs,
    world coordinates (bulges through ezdxf's own ARCs)."""
    ends, centres = [], []

    def add(e):
        kind = e.dxftype()
        if kind in ("LWPOLYLINE", "POLYLINE"):
            for v in e.virtual_entities():
                add(v)
        elif kind == "LINE":
            ends.extend([list(e.dxf.start), list(e.dxf.end)])
        elif kind == "ARC":
            ends.extend(list(p) for p in (e.start_point, e.end_point))  # world points
            centres.append(list(e.ocs().to_wcs(e.dxf.center)))

    for e in ezdxf.readfile(path).modelspace():
        add(e)
    return ends, centres


def written_points(program_path, decimals, what):
    """The points the program's motion lines reach and the centres its arcs
    name (absolute X Y, incremental I J), as (x, y) in program axes; fails
    for a coordinate word without exactly `decimals` decimals."""
    word = re.compile(r"([XYIJR])(\S*)")
    form = re.compile(r"-?\d+" + (r"\.\d{%d}" % decimals if decimals else "") + "$")
    pos = [None, None]
    points, centres = [], []
    with open(program_path) as f:
        for line in f:
            words = dict()
            for letter, value in word.findall(line.split("(")[0]):
                if not form.match(value):
                    fail(f"{what}: {letter}{value} is not written with {decimals} decimals")
                    return [], []
                words[letter] = float(value)
            if "X" not in words and "Y" not in words:
                continue
            start = list(pos)
            pos = [words.get("X", pos[0]), words.get("Y", pos[1])]
            if None not in pos:
                points.append(list(pos))
            if "I" in words and "J" in words and None not in start:
                centres.append([start[0] + words["I"], start[1] + words["J"]])
    return points, centres


def large_drawing(rng, decimals, path):
    """A drawing of lines, arcs both ways and bulges both ways, every value
    with `decimals` decimals, six integer digits from the origin."""
    q = lambda v: round(v, decimals)
    # Sweeps (and bulges) both sides of half a turn but not near it: there
    # an R word rounded at its last decimal moves the centre a machine
    # derives from it by far more than the rounding.
    sweep = lambda: rng.choice((rng.uniform(20, 150), rng.uniform(210, 340)))
    bulge = lambda: round(rng.choice((1, -1)) * math.tan(math.radians(sweep()) / 4), 6)
    bx, by = rng.uniform(100000, 999000) * rng.choice((1, -1)), rng.uniform(100000, 999000) * rng.choice((1, -1))
    doc = ezdxf.new("R2000")
    msp = doc.modelspace()
    for k in range(6):
        ox, oy = bx + 60 * k, by + rng.uniform(0, 40)
        kind = k % 3
        if kind == 0:
            msp.add_line((q(ox), q(oy)), (q(ox + rng.uniform(5, 40)), q(oy + rng.uniform(-30, 30))))
        elif kind == 1:
            below = {"extrusion": (0, 0, -1)} if k > 3 else {}
            # Seen from below the centre's X is the object's: minus the drawing's.
            cx = -q(ox) if below else q(ox)
            a = rng.uniform(0, 360)
            msp.add_arc((cx, q(oy)), q(rng.uniform(3, 25)), q(a), q((a + sweep()) % 360), dxfattribs=below)
        else:
            pts = [(q(ox), q(oy), bulge())]
            for _ in range(3):
                x, y, _ = pts[-1]
                pts.append((q(x + rng.uniform(4, 15)), q(y + rng.uniform(-10, 10)), bulge()))
            msp.add_lwpolyline(pts, format="xyb")
    doc.saveas(path)


def large_coordinates(driver, test_data, work, home):
    import random
    rng = random.Random(123456)
    with open(os.path.join(test_data, "e2e", "plain_mill.ini")) as f:
        text = f.read()
    for decimals in (3, 4, 5, 6):
        mill = os.path.join(work, f"mill-{decimals}.ini")
        with open(mill, "w") as f:
            f.write(text.replace("Decimal Places=4", f"Decimal Places={decimals}"))
        for n in range(2):
            drawing = os.path.join(work, f"large-{decimals}-{n}.dxf")
            large_drawing(rng, decimals, drawing)
            for rmode in (0, 1):
                what = f"six-digit drawing {n} with {decimals} decimals, R {rmode}"
                flags = [f"RCheckbox={rmode}", f"Bridgeport={1 - rmode}"]
                # R words: the centre rs274 derives from a rounded R moves a
                # few times the rounding (at most 150 degrees: under 4 times).
                tol = 2e-3 if rmode == 0 else max(2e-3, 5 * 10.0 ** -decimals)
                check_import(driver, mill, work, home, drawing, flags, lambda p: [p[1], p[0], 0.0], what, tol=tol)
                points, centres = written_points(os.path.join(work, "import.dxf.nc"), decimals, what)
                ends, drawn_centres = key_points(drawing)
                # Program X is the drawing's Y, program Y its X.
                half = 0.5 * 10.0 ** -decimals + 1e-9
                for got, want, name in ((points, ends, "point"), (centres, drawn_centres, "arc centre")):
                    for p in got:
                        off = min(max(abs(p[0] - w[1]), abs(p[1] - w[0])) for w in want)
                        if off > half:
                            fail(f"{what}: the {name} X{p[0]} Y{p[1]} is {off:.7f} from the drawing's")
                            break
                for w in ends:
                    if min(max(abs(p[0] - w[1]), abs(p[1] - w[0])) for p in points) > half:
                        fail(f"{what}: the drawing's point ({w[0]}, {w[1]}) is not written")
                        break


# ----------------------------------------------------------------- main

def main():
    driver, test_data, shipped = sys.argv[1:4]
    with tempfile.TemporaryDirectory() as work:
        home = os.path.join(work, "home")
        os.makedirs(home)
        plot_and_export(driver, test_data, work, home)
        import_drawings(driver, test_data, work, home)
        lathe(driver, shipped, work, home)
        large_coordinates(driver, test_data, work, home)
    if failures:
        print(f"{len(failures)} failure(s)", file=sys.stderr)
        return 1
    print("arcs plot, export and import as rs274 runs them")
    return 0


if __name__ == "__main__":
    sys.exit(main())

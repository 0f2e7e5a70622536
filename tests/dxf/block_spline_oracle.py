#!/usr/bin/python3
"""Blocks placed by INSERT and SPLINEs, against ezdxf's own geometry.

ezdxf writes a drawing of INSERTs of blocks holding LINEs, ARCs, CIRCLEs, a
bulged LWPOLYLINE, an ELLIPSE and a SPLINE: placed plainly, scaled (also unequally, its
arcs then ellipses), rotated, mirrored (negative X scale, or the extrusion (0, 0, -1)), as a grid of columns and rows, and a block that
inserts another (nested, each level turned and scaled); and of SPLINEs: open
and closed, degree 2 and 3, rational, with fit points beside their control
points, and with fit points alone (with and without end tangents). The
tolerance is the machine's connect tolerance (0.010), within which curves
are fitted by arcs and straight pieces, and 0.003 more.
The real tolva binary converts it with the shipped mill, and with the mill
with every sign and swap box off; rs274 runs the program (tool radius 0) and
its cutting moves, sampled every 0.05 along lines and along arcs, laid on
the drawing by the axis map that fits best, must lie within TOL of the
geometry ezdxf's virtual_entities and flattening give (0.001), and every
point of that geometry within TOL of a cut.

Smooth splines alone must be written with far fewer pieces than any fit of
straight pieces alone could be: at most half the least such a fit needs,
reckoned from the curvature ezdxf's flattening shows.

usage: block_spline_oracle.py TOLVA SHIPPED_DATA_DIR
"""
import os
import re
import subprocess
import sys
import tempfile

import ezdxf
import numpy as np
from ezdxf import path as dxfpath

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from compensation_oracle import AXIS_MAPS, cuts, distances, ini_with, report, rs274, to_drawing  # noqa: E402

TOL = 0.013


def drawing(target):
    doc = ezdxf.new()
    part = doc.blocks.new("PART", base_point=(5, 5))
    part.add_line((0, 0), (20, 0))
    part.add_line((20, 0), (20, 10))
    part.add_arc((15, 10), 5, 0, 180)
    part.add_line((10, 10), (0, 10))
    part.add_line((0, 10), (0, 0))
    part.add_circle((5, 5), 2)
    part.add_lwpolyline([(12, 3, 0.5), (17, 3, 0)], format="xyb")
    part.add_ellipse((15, 6), major_axis=(1.5, 0.5), ratio=0.4)
    part.add_open_spline([(2, 2), (4, 8), (6, 2), (8, 8)], degree=3)
    group = doc.blocks.new("GROUP")
    group.add_blockref("PART", (0, 0), dxfattribs={"rotation": 15, "xscale": 0.5, "yscale": 0.5})
    group.add_blockref("PART", (20, 5), dxfattribs={"xscale": -1})
    group.add_line((-5, -5), (30, -5))

    msp = doc.modelspace()
    msp.add_blockref("PART", (0, 0))
    msp.add_blockref("PART", (40, 0), dxfattribs={"xscale": 1.5, "yscale": 1.5})
    rounds = doc.blocks.new("ROUNDS")  # no bulges: those stay circular arcs only under equal scales
    rounds.add_arc((0, 0), 4, 30, 250)
    rounds.add_circle((10, 0), 3)
    rounds.add_line((-10, -10), (20, -10))
    msp.add_blockref("ROUNDS", (220, 60), dxfattribs={"xscale": 2, "yscale": 0.5, "rotation": 25})
    msp.add_blockref("PART", (100, 0), dxfattribs={"rotation": 30})
    msp.add_blockref("PART", (160, 0), dxfattribs={"xscale": -1, "rotation": 10})
    msp.add_blockref("PART", (-60, 20), dxfattribs={"rotation": 35, "extrusion": (0, 0, -1)})
    grid = msp.add_blockref("PART", (0, 60), dxfattribs={"rotation": 20})
    grid.grid(size=(2, 3), spacing=(30, 40))  # 2 rows, 3 columns
    msp.add_blockref("GROUP", (120, 80), dxfattribs={"rotation": -40, "xscale": 2, "yscale": 2})

    msp.add_open_spline([(0, 200), (10, 230), (30, 190), (50, 240), (70, 200)], degree=3)
    msp.add_open_spline([(100, 200), (110, 240), (130, 190), (150, 230)], degree=2)
    # Closed: the control polygon returns to its first point (clamped knots,
    # which ezdxf's flattening follows).
    for points, degree in (([(200, 200), (240, 200), (240, 240), (200, 240)], 3),
                           ([(260, 200), (300, 210), (280, 240)], 2)):
        msp.add_open_spline(points + points[:1], degree=degree).closed = True
    msp.add_rational_spline([(0, 300), (20, 340), (40, 300), (60, 340)], [1, 3, 0.5, 1], degree=3)
    fit = [(100, 300), (120, 330), (140, 310), (160, 340)]
    spline = msp.add_spline_control_frame(fit, degree=3)
    spline.fit_points = fit
    # Fit points alone: the curve is the cubic through them, with the end
    # tangents when the drawing gives both.
    for fit_only, tangents in FIT_ONLY:
        s = msp.add_spline(fit_only)
        if tangents:
            s.dxf.start_tangent, s.dxf.end_tangent = tangents
    doc.saveas(target)


FIT_ONLY = [([(200, 300), (215, 330), (240, 310), (250, 335), (275, 320), (290, 340)], None),
            ([(300, 300), (330, 340), (360, 290), (380, 330)], ((1, 2, 0), (1, -1, 0))),
            ([(0, 400), (40, 420), (80, 400), (120, 420), (160, 400), (200, 420), (240, 400)], ((0, 1, 0), (0, -1, 0)))]


# Smooth splines alone, for the count of the pieces they are written with.
COUNTED = {
    "cubic S": lambda msp: msp.add_open_spline([(0, 0), (10, 30), (30, -10), (50, 40), (70, 0)], degree=3),
    "closed cubic": lambda msp: msp.add_open_spline([(0, 0), (40, 0), (40, 40), (0, 40), (0, 0)], degree=3),
    "rational": lambda msp: msp.add_rational_spline([(0, 0), (20, 40), (40, 0), (60, 40)], [1, 3, 0.5, 1], degree=3),
    "fit points": lambda msp: msp.add_spline(FIT_ONLY[2][0]),
}


def line_fit_least(spline, tol):
    """The fewest straight pieces any fit within `tol` of a spline needs: a
    chord of a curve of curvature k strays k L^2 / 8 from it, so at least the
    integral of sqrt(k / (8 tol)) along the curve (ezdxf's flattening taken
    as the curve)."""
    p = np.array([(v.x, v.y) for v in spline.flattening(0.00005)])
    d = np.diff(p, axis=0)
    length = np.hypot(d[:, 0], d[:, 1])
    keep = length > 1e-12
    d, length = d[keep], length[keep]
    turn = np.abs(np.arctan2(d[:-1, 0] * d[1:, 1] - d[:-1, 1] * d[1:, 0], (d[:-1] * d[1:]).sum(axis=1)))
    ds = (length[:-1] + length[1:]) / 2
    return float(np.sum(np.sqrt(turn * ds / (8 * tol))))


def geometry(path):
    doc = ezdxf.readfile(path)
    segs = []

    def flat(e):
        if e.dxftype() == "INSERT":
            for one in (e.multi_insert() if e.mcount > 1 else [e]):
                for v in one.virtual_entities():
                    flat(v)
            return
        # A SPLINE is flattened by its own NURBS (weights included); ezdxf's
        # paths hold splines as cubic Beziers without weights.
        flat_points = e.flattening(0.001) if e.dxftype() == "SPLINE" else dxfpath.make_path(e).flattening(0.001)
        pts = [(v.x, v.y) for v in flat_points]
        segs.extend((pts[i], pts[i + 1]) for i in range(len(pts) - 1))

    for e in doc.modelspace():
        flat(e)
    return np.array(segs, dtype=float)


def convert(tolva, dxf, nc, ini, work):
    return subprocess.run([tolva, dxf, nc, ini], capture_output=True, text=True,
                          env=dict(os.environ, XDG_CONFIG_HOME=os.path.join(work, "config"),
                                   QT_QPA_PLATFORM="offscreen"))


def counts(tolva, ini, work):
    """Each smooth spline alone: straight pieces and arcs in its program,
    against the fewest straight pieces a fit of lines alone needs."""
    problems = []
    for name, add in COUNTED.items():
        doc = ezdxf.new()
        spline = add(doc.modelspace())
        if name == "closed cubic":
            spline.closed = True
        dxf, nc = os.path.join(work, "one.dxf"), os.path.join(work, "one.nc")
        doc.saveas(dxf)
        run = convert(tolva, dxf, nc, ini, work)
        if run.returncode != 0:
            problems.append(f"{name}: conversion: {run.stderr}")
            continue
        with open(nc) as f:
            text = f.read()
        arcs = len(re.findall(r"^G0?[23]\b", text, re.M))
        lines = len(re.findall(r"^G0?1\b", text, re.M)) - 1  # less the move to the start
        least = line_fit_least(spline, 0.010)
        print(f"{name}: {arcs} arcs and {lines} straight pieces; a fit of lines alone needs at least {least:.0f}")
        if arcs + lines > least / 2:
            problems.append(f"{name}: {arcs + lines} pieces, not far fewer than the {least:.0f} of lines alone")
    return problems


def main():
    tolva, shipped = sys.argv[1], sys.argv[2]
    problems = []
    with tempfile.TemporaryDirectory(prefix="tolva-insert-") as work:
        dxf, nc, ini = (os.path.join(work, n) for n in ("inserts.dxf", "inserts.nc", "mill.ini"))
        drawing(dxf)
        segs = geometry(dxf)
        every = {("Dxf", "Layer"): "*"}
        off = dict(every)
        for section in ("Dxf", "Plotting"):
            off.update({(section, k): "0" for k in ("SwapXY", "SwapYZ", "X*-1", "Y*-1", "Z*-1")})
        for mname, changes in (("shipped mill", every), ("mill, signs and swaps off", off)):
            ini_with(os.path.join(shipped, "tolva.ini"), ini, changes)
            problems += [f"{mname}: {p}" for p in check(tolva, dxf, nc, ini, segs, work)]
        ini_with(os.path.join(shipped, "tolva.ini"), ini, every)
        problems += counts(tolva, ini, work)
    return report(problems, 1, 1 if problems else 0)


def check(tolva, dxf, nc, ini, segs, work):
    """Problems of the program of `dxf` under `ini`, run by rs274."""
    run = convert(tolva, dxf, nc, ini, work)
    if run.returncode != 0:
        return [f"conversion: {run.stderr}"]
    table = os.path.join(work, "d0.tbl")
    with open(table, "w") as f:
        f.write("T1 P1 D0 Z0 ;\n")
    try:
        blocks = cuts(rs274(nc, table, work))
    except RuntimeError as e:
        return [str(e)]
    if not blocks:
        return ["no cutting move"]
    problems = []
    moves = np.concatenate(blocks)
    # The axis map that puts the moves nearest the drawing.
    best = min(AXIS_MAPS, key=lambda m: distances(to_drawing(moves, m), segs, 1.0).max())
    moves = to_drawing(moves, best)
    blocks = [to_drawing(b, best) for b in blocks]
    off = distances(moves, segs, 1.0)
    if off.max() > TOL:
        k = int(np.argmax(off))
        problems.append(f"program point ({moves[k][0]:.4f}, {moves[k][1]:.4f}) is {off[k]:.4f} off the drawing")
    chain = np.concatenate([np.stack([b[:-1], b[1:]], axis=1) for b in blocks if len(b) > 1])
    points = np.concatenate([segs[:, 0, :], segs[:, 1, :]])
    missing = distances(points, chain, 1.0)
    if missing.max() > TOL:
        k = int(np.argmax(missing))
        problems.append(f"drawing point ({points[k][0]:.4f}, {points[k][1]:.4f}) is not cut "
                        f"(nearest {missing[k]:.4f})")
    return problems


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/python3
"""Blocks placed by INSERT and SPLINEs, against ezdxf's own geometry.

ezdxf writes a drawing of INSERTs of blocks holding LINEs, ARCs, CIRCLEs, a
bulged LWPOLYLINE, an ELLIPSE and a SPLINE: placed plainly, scaled (also unequally, its
arcs then ellipses), rotated, mirrored (negative X scale, or the extrusion (0, 0, -1)), as a grid of columns and rows, and a block that
inserts another (nested, each level turned and scaled); and of SPLINEs: open
and closed, degree 2 and 3, rational, with and without fit points beside
their control points. The tolerance is the machine's connect tolerance
(0.010), within which curves are fitted, and 0.003 more.
The real tolva binary converts it with the shipped mill; rs274 runs the
program (tool radius 0) and its cutting moves, sampled every 0.05 along lines
and arcs and laid on the drawing by the axis map that fits best, must lie
within TOL of the geometry ezdxf's virtual_entities and flattening give
(0.001), and every point of that geometry within TOL of a cut.

usage: insert_oracle.py TOLVA SHIPPED_DATA_DIR
"""
import os
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
    doc.saveas(target)


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


def main():
    tolva, shipped = sys.argv[1], sys.argv[2]
    problems = []
    with tempfile.TemporaryDirectory(prefix="tolva-insert-") as work:
        dxf, nc, ini = (os.path.join(work, n) for n in ("inserts.dxf", "inserts.nc", "mill.ini"))
        drawing(dxf)
        ini_with(os.path.join(shipped, "tolva.ini"), ini, {("Dxf", "Layer"): "*"})
        run = subprocess.run([tolva, dxf, nc, ini], capture_output=True, text=True,
                             env=dict(os.environ, XDG_CONFIG_HOME=os.path.join(work, "config"),
                                      QT_QPA_PLATFORM="offscreen"))
        segs = geometry(dxf)
        if run.returncode != 0:
            problems.append(f"conversion: {run.stderr}")
        else:
            table = os.path.join(work, "d0.tbl")
            with open(table, "w") as f:
                f.write("T1 P1 D0 Z0 ;\n")
            try:
                blocks = cuts(rs274(nc, table, work))
            except RuntimeError as e:
                problems.append(str(e))
                blocks = []
            if not blocks:
                problems.append("no cutting move")
    if not problems:
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
    return report(problems, 1, 1 if problems else 0)


if __name__ == "__main__":
    sys.exit(main())

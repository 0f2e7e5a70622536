#!/usr/bin/python3
"""Blocks placed by INSERT, against ezdxf's own expansion.

ezdxf writes a drawing whose entities are only INSERTs of blocks holding
LINEs, ARCs, CIRCLEs, a bulged LWPOLYLINE and an ELLIPSE: placed plainly,
scaled, rotated, mirrored (negative X scale), as a grid of columns and rows,
and a block that inserts another (nested, each level turned and scaled).
The real tolva binary converts it with a machine file of absolute centres;
the program's moves are sampled every 0.05 along lines and arcs (the move
into each path's first point, which connects paths, is not) and must lie
within 0.003 of the geometry ezdxf's virtual_entities give (flattened to
0.001), and every point of that geometry within 0.003 of a move.

usage: insert_oracle.py TOLVA MACHINE.ini
"""
import math
import os
import re
import subprocess
import sys
import tempfile

import ezdxf
import numpy as np
from ezdxf import path as dxfpath

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from compensation_oracle import arc_points, distances  # noqa: E402

TOL = 0.003
STEP = 0.05


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
    group = doc.blocks.new("GROUP")
    group.add_blockref("PART", (0, 0), dxfattribs={"rotation": 15, "xscale": 0.5, "yscale": 0.5})
    group.add_blockref("PART", (20, 5), dxfattribs={"xscale": -1})
    group.add_line((-5, -5), (30, -5))

    msp = doc.modelspace()
    msp.add_blockref("PART", (0, 0))
    msp.add_blockref("PART", (40, 0), dxfattribs={"xscale": 1.5, "yscale": 1.5})
    msp.add_blockref("PART", (100, 0), dxfattribs={"rotation": 30})
    msp.add_blockref("PART", (160, 0), dxfattribs={"xscale": -1, "rotation": 10})
    grid = msp.add_blockref("PART", (0, 60), dxfattribs={"rotation": 20})
    grid.grid(size=(2, 3), spacing=(30, 40))  # 2 rows, 3 columns
    msp.add_blockref("GROUP", (120, 80), dxfattribs={"rotation": -40, "xscale": 2, "yscale": 2})
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
        pts = [(v.x, v.y) for v in dxfpath.make_path(e).flattening(0.001)]
        segs.extend((pts[i], pts[i + 1]) for i in range(len(pts) - 1))

    for e in doc.modelspace():
        flat(e)
    return np.array(segs, dtype=float)


WORD = re.compile(r"([GXYIJ])\s*(-?\d*\.?\d+)")


def program_moves(text):
    """Sampled points of the cutting moves, as drawing (x, y): program X is
    the drawing's Y."""
    pts, at, connect = [], None, True
    for line in text.splitlines():
        words = {k: float(v) for k, v in WORD.findall(line)}
        if "X" not in words or "Y" not in words:
            connect = True  # a frame line: the next point starts a path
            continue
        new = (words["X"], words["Y"])
        g = words.get("G", 1)
        if at is not None and not connect:
            if g in (2, 3) and "I" in words and "J" in words:
                pts += arc_points(at, new, (words["I"], words["J"]), g == 3)
            else:
                n = max(1, int(math.hypot(new[0] - at[0], new[1] - at[1]) / STEP))
                pts += [(at[0] + (new[0] - at[0]) * i / n, at[1] + (new[1] - at[1]) * i / n) for i in range(n + 1)]
        at, connect = new, False
    return np.array([(y, x) for x, y in pts], dtype=float)


def main():
    tolva, machine = sys.argv[1], sys.argv[2]
    with tempfile.TemporaryDirectory(prefix="tolva-insert-") as work:
        dxf, nc = os.path.join(work, "inserts.dxf"), os.path.join(work, "inserts.nc")
        drawing(dxf)
        run = subprocess.run([tolva, dxf, nc, machine], capture_output=True, text=True,
                             env=dict(os.environ, XDG_CONFIG_HOME=os.path.join(work, "config"),
                                      QT_QPA_PLATFORM="offscreen"))
        if run.returncode != 0:
            print(f"FAIL: conversion: {run.stderr}")
            print("0 passed, 1 failed")
            return 1
        with open(nc) as f:
            moves = program_moves(f.read())
        segs = geometry(dxf)
    problems = []
    if len(moves) == 0:
        problems.append("no move in the program")
    else:
        off = distances(moves, segs)
        if off.max() > TOL:
            k = int(np.argmax(off))
            problems.append(f"program point ({moves[k][0]:.4f}, {moves[k][1]:.4f}) is {off[k]:.4f} off the drawing")
        chain = np.stack([moves[:-1], moves[1:]], axis=1)
        points = np.concatenate([segs[:, 0, :], segs[:, 1, :]])
        missing = distances(points, chain)
        if missing.max() > TOL:
            k = int(np.argmax(missing))
            problems.append(f"drawing point ({points[k][0]:.4f}, {points[k][1]:.4f}) is not cut "
                            f"(nearest {missing[k]:.4f})")
    for p in problems:
        print("FAIL:", p)
    print(f"{0 if problems else 1} passed, {1 if problems else 0} failed")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())

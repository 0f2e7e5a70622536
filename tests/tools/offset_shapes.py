"""Writes the drawings of the offset's property test with ezdxf, one shape a file.

    /usr/bin/python3 offset_shapes.py OUT_DIR

Each drawing holds closed outlines (and open paths where said), in millimetres,
a few tens of millimetres across, so that offsets of 0.2 and 2 both have room
on the outside and some of them vanish on the inside.
"""
import math
import sys

import ezdxf


def save(name, build):
    doc = ezdxf.new("R2000")
    build(doc.modelspace())
    doc.saveas(f"{sys.argv[1]}/{name}.dxf")


def rounded_rectangle(msp, x0=0, y0=0, w=40, h=25, r=5):
    # Corners as bulges of a quarter turn (tan(90/4) = 0.41421356).
    b = math.tan(math.pi / 8)
    msp.add_lwpolyline(
        [(x0 + r, y0, 0, 0, 0), (x0 + w - r, y0, 0, 0, b), (x0 + w, y0 + r, 0, 0, 0), (x0 + w, y0 + h - r, 0, 0, b),
         (x0 + w - r, y0 + h, 0, 0, 0), (x0 + r, y0 + h, 0, 0, b), (x0, y0 + h - r, 0, 0, 0), (x0, y0 + r, 0, 0, b)],
        format="xyseb", close=True)


def slot(msp):
    # Two half circles joined by straight sides: a bulge of 1 is a half turn.
    msp.add_lwpolyline([(0, 0, 0, 0, 0), (30, 0, 0, 0, 1), (30, 8, 0, 0, 0), (0, 8, 0, 0, 1)], format="xyseb",
                       close=True)


def star(msp):
    pts = []
    for k in range(10):
        a = math.pi / 2 + k * math.pi / 5
        r = 20 if k % 2 == 0 else 8
        pts.append((r * math.cos(a), r * math.sin(a)))
    msp.add_lwpolyline(pts, close=True)


def notch(msp):
    # A plate with a rectangular notch cut into one side, and a V notch in another.
    msp.add_lwpolyline([(0, 0), (50, 0), (50, 30), (35, 30), (35, 15), (20, 15), (20, 30), (12, 30), (6, 22),
                        (0, 30)], close=True)


def circle(msp):
    msp.add_circle((0, 0), 10)


def nested(msp):
    rounded_rectangle(msp, 0, 0, 80, 50, 8)
    msp.add_circle((15, 15), 5)
    msp.add_circle((65, 35), 6)
    msp.add_lwpolyline([(30, 20), (50, 20), (50, 30), (30, 30)], close=True)


def tangent_arcs(msp):
    # An S of two half circles meeting tangentially, closed below by straight
    # lines, the last of them tangent to the first half circle.
    msp.add_arc((10, 0), 10, 0, 180)
    msp.add_arc((30, 0), 10, 180, 360)
    msp.add_line((40, 0), (40, -20))
    msp.add_line((40, -20), (0, -20))
    msp.add_line((0, -20), (0, 0))


def cusp_arcs(msp):
    # Three arcs bulging inwards meet at cusps: a curved triangle whose sides
    # each turn 60 degrees, so that they leave every corner in one direction.
    pts = [(20 * math.cos(a), 20 * math.sin(a)) for a in (math.pi / 2, math.pi * 7 / 6, math.pi * 11 / 6)]
    b = -math.tan(math.pi / 12)
    msp.add_lwpolyline([(p[0], p[1], 0, 0, b) for p in pts], format="xyseb", close=True)


def open_path(msp):
    msp.add_lwpolyline([(0, 0, 0, 0, 0), (20, 0, 0, 0, 0.5), (30, 10, 0, 0, 0), (30, 25, 0, 0, 0), (10, 35)],
                       format="xyseb")


for name, build in [("rounded_rectangle", rounded_rectangle), ("slot", slot), ("star", star), ("notch", notch),
                    ("circle", circle), ("nested", nested), ("tangent_arcs", tangent_arcs),
                    ("cusp_arcs", cusp_arcs), ("open_path", open_path)]:
    save(name, build)

#!/usr/bin/python3
"""Cutter compensation of converted drawings, judged by rs274 against ezdxf.

Drawings: a washer (CIRCLEs R20 and R5), LibreCAD's block/blk1.dxf (a rounded
rectangle drawn counter-clockwise) and a plate whose outline, holes and an
island inside a hole are drawn in random directions (seeded). Each is
converted by the real tolva binary with the shipped mill, the shipped plasma
file and the mill with every sign and swap box off. rs274 runs each program
twice with a tool table: tool radius 0, which fixes how the program's axes
lie on the drawing's (the one of the eight axis maps that puts every cut on
the drawing), and the machine's tool (6 mm mill, 1.5 mm plasma kerf).

ezdxf flattens the drawing (0.001) into its boundary; the material is what
an even number of boundaries encloses... counted by the even-odd rule. Every
cutting move of the compensated run, sampled every 0.05, must lie outside the
material and no nearer to the boundary than r - 0.02; every point of the
boundary must have a cut within r + 0.02. So every outline is cut r outside
and every hole r inside. As a control, the washer converted with "Keep drawn
direction=1" (counter-clockwise circles) must fail the check.

The plasma file's circle lead-ins are turned off ("Edit Line only" keeps the
rapid to each path's start): they start inside every circle, also inside a
disc that is an outline, and are no part of the contour.

usage: compensation_oracle.py TOLVA SHIPPED_DATA_DIR
"""
import math
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile

import ezdxf
import numpy as np
from ezdxf import path as dxfpath

LIBRARY_BLK1 = "/usr/share/librecad/library/block/blk1.dxf"
TOL = 0.02
STEP = 0.05


def washer(target):
    doc = ezdxf.new()
    msp = doc.modelspace()
    msp.add_circle((40, 30), 20)
    msp.add_circle((40, 30), 5)
    doc.saveas(target)


def plate(target, seed):
    """A 120 x 80 outline with corner radius 10 of LINEs and ARCs, each line
    in a random direction; a round hole, a square hole as a polyline in a
    random direction, a slot with bulges, and a 40 x 30 hole holding a round
    island (a polyline with two bulges)."""
    rng = random.Random(seed)
    doc = ezdxf.new()
    msp = doc.modelspace()

    def line(a, b):
        if rng.random() < 0.5:
            a, b = b, a
        msp.add_line(a, b)

    def poly(points, bulges=None):
        pts = list(points)
        bl = list(bulges or [0] * len(pts))
        if rng.random() < 0.5:  # the other way round: bulges move and turn sign
            n = len(pts)
            pts = pts[::-1]
            bl = [-bl[(n - 2 - i) % n] for i in range(n)]
        msp.add_lwpolyline([(x, y, 0, 0, b) for (x, y), b in zip(pts, bl)], format="xyseb", close=True)

    w, h, r = 120, 80, 10
    line((r, 0), (w - r, 0))
    line((w, r), (w, h - r))
    line((w - r, h), (r, h))
    line((0, h - r), (0, r))
    msp.add_arc((w - r, r), r, 270, 360)
    msp.add_arc((w - r, h - r), r, 0, 90)
    msp.add_arc((r, h - r), r, 90, 180)
    msp.add_arc((r, r), r, 180, 270)
    msp.add_circle((25, 60), 8)
    poly([(15, 15), (35, 15), (35, 30), (15, 30)])
    # Starting on a straight side: LinuxCNC refuses to enter compensation
    # where a rapid meets an arc at a concave corner.
    poly([(65, 60), (75, 60), (75, 70), (55, 70), (55, 60)], [0, 1, 0, 1, 0])
    poly([(60, 10), (100, 10), (100, 40), (60, 40)])
    poly([(75, 25), (85, 25)], [1, 1])  # an island of radius 5 in the last hole
    doc.saveas(target)


def ini_with(source, target, changes):
    """`source` with the keys of `changes` ({(section, key): value}) set."""
    out, section = [], None
    with open(source, encoding="latin-1") as f:
        for line in f.read().splitlines():
            m = re.match(r"\[(.*)\]\s*$", line)
            if m:
                section = m.group(1)
            elif "=" in line and not line.startswith(";"):
                key = line.split("=", 1)[0]
                if (section, key) in changes:
                    line = f"{key}={changes[(section, key)]}"
            out.append(line)
    with open(target, "w", encoding="latin-1") as f:
        f.write("\n".join(out) + "\n")


def boundary(drawing):
    """The drawing's boundary as segments (n x 2 x 2), flattened by ezdxf."""
    doc = ezdxf.readfile(drawing)
    segs = []
    for e in doc.modelspace():
        for p in [dxfpath.make_path(e)]:
            pts = [(v.x, v.y) for v in p.flattening(0.001)]
            segs += [(pts[i], pts[i + 1]) for i in range(len(pts) - 1)]
    return np.array(segs, dtype=float)


def distances(points, segs, reach=None):
    """Distance of each point to the nearest segment. With `reach`, only
    segments within about `reach` of a point are looked at, and a point with
    none that near gets infinity: far faster on large drawings."""
    points = np.asarray(points, dtype=float)
    out = np.full(len(points), np.inf)
    if len(points) == 0 or len(segs) == 0:
        return out
    a, b = segs[:, 0, :], segs[:, 1, :]
    lo, hi = np.minimum(a, b), np.maximum(a, b)
    # Chunks of neighbouring points: columns about as wide as a chunk is
    # tall, sorted along their length; few points go in small chunks.
    chunk = 256 if reach is None or len(points) > 4096 else 32
    column = 1e9
    if reach is not None:
        area = float(np.prod(points.max(axis=0) - points.min(axis=0)))
        column = max(reach, math.sqrt(area * chunk / len(points)))
    order = np.lexsort((points[:, 1], np.floor(points[:, 0] / column)))
    for k in range(0, len(points), chunk):
        idx = order[k:k + chunk]
        p = points[idx]
        if reach is not None:
            pl, ph = p.min(axis=0) - reach, p.max(axis=0) + reach
            near = np.all(hi >= pl, axis=1) & np.all(lo <= ph, axis=1)
            sa, sb = a[near], b[near]
            if len(sa) == 0:
                continue
        else:
            sa, sb = a, b
        ab = sb - sa
        len2 = np.maximum((ab ** 2).sum(axis=1), 1e-300)
        q = p[:, None, :]
        t = np.clip(((q - sa) * ab).sum(axis=2) / len2, 0, 1)
        foot = sa + t[..., None] * ab
        d = np.sqrt(((q - foot) ** 2).sum(axis=2)).min(axis=1)
        if reach is not None:
            d[d > reach] = np.inf
        out[idx] = d
    return out


def in_material(points, segs):
    """Even-odd rule over every boundary: a ray to +X crosses an odd number.
    The ray runs a hair above the point, so that it passes no flattened
    vertex, where two boundaries' ends need not meet exactly."""
    points = points + np.array([0.0, 1.234567e-7])
    a, b = segs[:, 0, :], segs[:, 1, :]
    out = np.empty(len(points), dtype=bool)
    for k in range(0, len(points), 512):
        p = points[k:k + 512, None, :]
        ay, by = a[:, 1], b[:, 1]
        cross = (ay > p[..., 1]) != (by > p[..., 1])
        with np.errstate(divide="ignore", invalid="ignore"):
            x = a[:, 0] + (p[..., 1] - ay) * (b[:, 0] - a[:, 0]) / (by - ay)
        out[k:k + 512] = ((cross & (x > p[..., 0])).sum(axis=1) % 2) == 1
    return out


def rs274(program, table, home):
    run = subprocess.run(["rs274", "-t", table, "-g", program], capture_output=True, text=True,
                         env=dict(os.environ, HOME=home), stdin=subprocess.DEVNULL)
    text = run.stdout + run.stderr
    if run.returncode != 0 or "PROGRAM_END" not in text:
        raise RuntimeError(f"rs274 stopped on {program}: {text[-600:]}")
    return text


def arc_points(a, b, c, ccw, step=STEP):
    """Points every `step` along the arc from a to b about c (a full turn
    when a is b), counter-clockwise or clockwise."""
    r = math.hypot(a[0] - c[0], a[1] - c[1])
    t0 = math.atan2(a[1] - c[1], a[0] - c[0])
    sweep = math.atan2(b[1] - c[1], b[0] - c[0]) - t0
    if ccw:
        while sweep <= 0:
            sweep += 2 * math.pi
    else:
        while sweep >= 0:
            sweep -= 2 * math.pi
    n = max(2, int(abs(sweep) * r / step))
    return [(c[0] + r * math.cos(t0 + sweep * i / n), c[1] + r * math.sin(t0 + sweep * i / n)) for i in range(n + 1)]


def cuts(canon):
    """Cutting blocks: runs of feed moves in XY at the cutting depth (the
    lowest Z any XY feed runs at), each sampled every STEP as XY points. A
    rapid, or a move in Z alone, ends a block."""
    moves, at = [], (0.0, 0.0, 0.0)
    for line in canon.splitlines():
        m = re.search(r"(STRAIGHT_FEED|STRAIGHT_TRAVERSE|ARC_FEED)\(([^)]*)\)", line)
        if not m:
            continue
        v = [float(x) for x in m.group(2).split(",")]
        if m.group(1) == "ARC_FEED":
            end = (v[0], v[1], v[5])
            moves.append(("A", at, end, (v[2], v[3]), int(v[4])))
        else:
            end = (v[0], v[1], v[2])
            moves.append(("F" if m.group(1) == "STRAIGHT_FEED" else "T", at, end, None, 0))
        at = end
    def in_xy(mv):
        return mv[0] == "A" or (mv[0] == "F" and (mv[1][0], mv[1][1]) != (mv[2][0], mv[2][1]))
    xy = [mv for mv in moves if in_xy(mv)]
    if not xy:
        return []
    depth = min(mv[2][2] for mv in xy)
    blocks, pts = [], []
    for kind, a, b, c, turn in moves:
        if not in_xy((kind, a, b, c, turn)) or abs(b[2] - depth) > 1e-6 or abs(a[2] - depth) > 1e-6:
            if pts:
                blocks.append(np.array(pts, dtype=float))
            pts = []
            continue
        if kind == "F":
            n = max(1, int(math.hypot(b[0] - a[0], b[1] - a[1]) / STEP))
            pts += [(a[0] + (b[0] - a[0]) * i / n, a[1] + (b[1] - a[1]) * i / n) for i in range(n + 1)]
        else:
            pts += arc_points(a, b, c, turn > 0)
    if pts:
        blocks.append(np.array(pts, dtype=float))
    return blocks


AXIS_MAPS = [(sx, sy, swap) for sx in (1, -1) for sy in (1, -1) for swap in (False, True)]


def to_drawing(points, axis_map):
    sx, sy, swap = axis_map
    p = points[:, ::-1] if swap else points
    return p * np.array([sx, sy])


def check(name, drawing, program, radius_mm, work, plasma):
    """Problems found; empty when every outline is cut radius outside and
    every hole radius inside."""
    segs = boundary(drawing)
    prog = program
    if plasma:  # the control holds the kerf as tool 1
        prog = os.path.join(work, "with_tool.ngc")
        with open(program) as f:
            lines = f.read().splitlines()
        with open(prog, "w") as f:
            f.write("\n".join(lines[:1] + ["T1 M6"] + lines[1:]) + "\n")
    d0 = os.path.join(work, "d0.tbl")
    dr = os.path.join(work, "dr.tbl")
    with open(d0, "w") as f:
        f.write("T1 P1 D0 Z0 ;\n")
    with open(dr, "w") as f:
        f.write(f"T1 P1 D{2 * radius_mm / 25.4:.7f} Z0 ;\n")  # rs274 reads tool tables in inches

    plain = cuts(rs274(prog, d0, work))
    if not plain:
        return [f"{name}: no cutting move"]
    plain = np.concatenate(plain)
    axis_map = None
    for m in AXIS_MAPS:
        if distances(to_drawing(plain, m), segs).max() < TOL:
            axis_map = m
            break
    if axis_map is None:
        return [f"{name}: the uncompensated program does not run on the drawing under any axis map"]

    # The program enters and leaves compensation on each path's first and
    # last move, without a lead-in: within 2r of a block's ends the tool is
    # on its way to or from the offset contour.
    blocks = [to_drawing(b, axis_map) for b in cuts(rs274(prog, dr, work))]
    ends = np.array([b[0] for b in blocks] + [b[-1] for b in blocks])
    cut = np.concatenate(blocks)
    away = distances(cut, np.stack([ends, ends], axis=1)) > 2 * radius_mm
    contour = cut[away]
    problems = []
    dist = distances(contour, segs)
    inside = in_material(contour, segs)
    if inside.any():
        k = int(np.argmax(inside))
        problems.append(f"{name}: {int(inside.sum())} of {len(contour)} cut points in the material, "
                        f"e.g. ({contour[k][0]:.3f}, {contour[k][1]:.3f})")
    near = dist < radius_mm - TOL
    if near.any():
        k = int(np.argmin(dist))
        problems.append(f"{name}: cut {dist[k]:.3f} from the drawing at ({contour[k][0]:.3f}, "
                        f"{contour[k][1]:.3f}), tool radius {radius_mm}")
    # Every point r away from the drawing on the side away from the material,
    # where the tool fits (no nearer to any boundary than r), is cut.
    mid = (segs[:, 0, :] + segs[:, 1, :]) / 2
    d = segs[:, 1, :] - segs[:, 0, :]
    length = np.maximum(np.hypot(d[:, 0], d[:, 1]), 1e-12)
    normal = np.stack([-d[:, 1], d[:, 0]], axis=1) / length[:, None]
    flip = in_material(mid + 0.01 * normal, segs)
    normal[flip] *= -1
    target = mid + radius_mm * normal
    fits = distances(target, segs) > radius_mm - TOL / 2
    fits &= distances(target, np.stack([ends, ends], axis=1)) > 2 * radius_mm
    target = target[fits]
    chain = np.concatenate([np.stack([b[:-1], b[1:]], axis=1) for b in blocks if len(b) > 1])
    reach = distances(target, chain)
    far = reach > TOL
    if far.any():
        k = int(np.argmax(reach))
        problems.append(f"{name}: ({target[k][0]:.3f}, {target[k][1]:.3f}), {radius_mm} off the drawing, "
                        f"is not cut (nearest cut {reach[k]:.3f} away)")
    return problems


def main():
    tolva, shipped = sys.argv[1], sys.argv[2]
    failures = []
    with tempfile.TemporaryDirectory(prefix="tolva-comp-") as work:
        drawings = {"washer": os.path.join(work, "washer.dxf"), "blk1": LIBRARY_BLK1,
                    "plate": os.path.join(work, "plate.dxf")}
        washer(drawings["washer"])
        plate(drawings["plate"], 28)
        if not os.path.exists(LIBRARY_BLK1):
            print("blk1.dxf missing: install librecad-data")
            return 1
        mill, plasma = os.path.join(shipped, "tolva.ini"), os.path.join(shipped, "plasma.ini")
        every = {("Dxf", "Layer"): "*"}
        off = dict(every)
        for section in ("Dxf", "Plotting"):
            off.update({(section, k): "0" for k in ("SwapXY", "SwapYZ", "X*-1", "Y*-1", "Z*-1")})
        # With the swaps off a bulge's arc runs the wrong way yet (machine X
        # is the drawing's Y, a mirror the bulge direction does not follow),
        # so only the washer's circles are judged there.
        machines = [("mill", mill, every, 3.0, False, drawings),
                    ("plasma", plasma, {**every, ("Dxf", "Circle Lead In"): "0", ("Dxf", "Lead In"): "1"}, 0.75,
                     True, drawings),
                    ("mill, signs and swaps off", mill, off, 3.0, False, {"washer": drawings["washer"]})]
        runs = failed_runs = 0
        for mname, source, changes, radius, is_plasma, judged in machines:
            ini = os.path.join(work, "machine.ini")
            ini_with(source, ini, changes)
            for dname, drawing in judged.items():
                program = os.path.join(work, f"{dname}.nc")
                config = os.path.join(work, "config")
                shutil.rmtree(config, ignore_errors=True)
                conv = subprocess.run([tolva, drawing, program, ini], capture_output=True, text=True,
                                      env=dict(os.environ, XDG_CONFIG_HOME=config, QT_QPA_PLATFORM="offscreen"))
                if conv.returncode != 0:
                    failures.append(f"{mname} {dname}: conversion failed: {conv.stderr}")
                    runs += 1
                    failed_runs += 1
                    continue
                try:
                    problems = check(f"{mname} {dname}", drawing, program, radius, work, is_plasma)
                except RuntimeError as e:
                    problems = [f"{mname} {dname}: {e}"]
                failures += problems
                runs += 1
                failed_runs += bool(problems)

        # The control: circles as drawn (counter-clockwise) cut the washer's
        # outline inside; the check must see it.
        ini = os.path.join(work, "machine.ini")
        ini_with(mill, ini, {**every, ("Dxf", "Keep drawn direction"): "1"})
        program = os.path.join(work, "control.nc")
        subprocess.run([tolva, drawings["washer"], program, ini], capture_output=True,
                       env=dict(os.environ, XDG_CONFIG_HOME=os.path.join(work, "config-control")))
        runs += 1
        if not check("control", drawings["washer"], program, 3.0, work, False):
            failures.append("control: the washer with circles as drawn passed the check")
            failed_runs += 1

    return report(failures, runs, failed_runs)


def report(failures, runs, failed_runs):
    """Prints the failures and the closing count line; the exit status."""
    for f in failures:
        print("FAIL:", f)
    print(f"{runs - failed_runs} passed, {failed_runs} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())

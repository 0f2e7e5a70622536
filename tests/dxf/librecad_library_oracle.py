#!/usr/bin/python3
"""Every drawing of LibreCAD's part library, run by rs274 against ezdxf.

Each drawing is converted with layer "*" (AutoSketch set where its group
codes are written without leading blanks, as a user would set it) by
dxf_library_driver, which also times each import. rs274 runs the programs
(many to a run, each after a comment naming it; its arcs' centres are
absolute, as the machine file writes them) and every cutting move, straight
or arc, is sampled along its whole length. ezdxf, an independent DXF reader,
flattens every entity the import reads (LINE, ARC, CIRCLE, ELLIPSE,
LWPOLYLINE, POLYLINE, SOLID, TRACE, SPLINE, and INSERT by its virtual
entities) of model space and the active paper space. With program X = drawing
Y and program Y = drawing X (the machine file's axes), every sampled cut
point must lie on the drawing and every point of the drawing on a cut,
within the connect tolerance (points of a path are joined within it), the
rounding of the program's decimals and of 32-bit numbers, and the flattening.
An ellipse is written as straight pieces, 360 to a turn (the machine file's
"Ellipse Points"): its cuts may stray from it by as much as such chords do
(an eighth of the square of the step in parameter times the major radius).
The move that takes the tool to each path's start (the first after the lead-in
dwell) is no cut. No program may hold a word without a number, no import
may fail or take more than two seconds, and only a drawing with nothing the
import reads may end without a program. A drawing that passes is complete;
at least 99 % of the drawings ezdxf can read must be. Every drawing that is
not is listed with its reason.

usage: librecad_library_oracle.py DRIVER MACHINE.ini [LIBRARY]
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
from ezdxf import recover

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from compensation_oracle import distances  # noqa: E402

CONNECT = 0.005  # the machine file's "Connect Error"
FLAT = 0.0005    # ezdxf's flattening of the drawing
GOAL = 0.99
SLOWEST = 2.0    # seconds for one import
CHUNK = 40       # programs to one rs274 run
MOST_SAMPLES = 400000
ELLIPSE_POINTS = 360
READ = {"LINE", "ARC", "CIRCLE", "ELLIPSE", "LWPOLYLINE", "POLYLINE", "SOLID", "TRACE", "SPLINE"}


def codes_without_blanks(path):
    """AutoSketch as a user would set it: the code line before the first
    SECTION has no leading blank."""
    with open(path, "rb") as f:
        lines = f.read().split(b"\n")
    for i, line in enumerate(lines):
        if line.strip() == b"SECTION" and i > 0:
            return not lines[i - 1].startswith(b" ")
    return False


def drawing_segments(doc):
    """The entities the import reads in model space and the active paper
    space, flattened, as segments (n x 2 x 2) in the drawing's X, Y: those
    of ellipses apart, with the most their straight pieces stray."""
    layouts = [doc.modelspace()]
    try:
        layouts.append(doc.layouts.active_layout())
    except Exception:
        pass
    segs, ellipses, stray = [], [], 0.0

    def flat(e, depth=0):
        nonlocal stray
        kind = e.dxftype()
        try:
            if kind == "INSERT" and depth < 32:
                for one in (e.multi_insert() if e.mcount > 1 else [e]):
                    for v in one.virtual_entities():
                        flat(v, depth + 1)
                return
            if kind in ("LWPOLYLINE", "POLYLINE") and depth < 32:
                for v in e.virtual_entities():  # lines and arcs
                    flat(v, depth + 1)
                return
            if kind not in READ:
                return
            if kind == "ELLIPSE" and abs(e.dxf.end_param - e.dxf.start_param) < 1e-9:
                # A whole turn, as written (ezdxf's placing of a block's
                # whole ellipse may bring its end round to its start).
                e.dxf.end_param = e.dxf.start_param + 2 * math.pi
            if kind == "LINE":
                pts = [(e.dxf.start.x, e.dxf.start.y), (e.dxf.end.x, e.dxf.end.y)]
            elif kind in ("ARC", "CIRCLE", "ELLIPSE", "SPLINE"):
                # The entity's own curve: ezdxf's paths hold arcs as cubic
                # Beziers, a few parts in ten thousand of the radius off.
                pts = [(v.x, v.y) for v in e.flattening(FLAT)]
            else:
                pts = [(v.x, v.y) for v in dxfpath.make_path(e).flattening(FLAT)]
        except Exception:  # a polyface or mesh, or an entity ezdxf cannot build
            return
        if len(pts) == 1:
            pts = pts * 2
        into = segs
        if kind == "ELLIPSE":
            into = ellipses
            stray = max(stray, e.dxf.major_axis.magnitude * (2 * math.pi / ELLIPSE_POINTS) ** 2 / 8)
        into.extend((pts[i], pts[i + 1]) for i in range(len(pts) - 1))

    for layout in layouts:
        for e in layout:
            flat(e)
    return (np.array(segs, dtype=float).reshape(-1, 2, 2), np.array(ellipses, dtype=float).reshape(-1, 2, 2),
            stray)


NUMBER = re.compile(r"[-+]?(\d+\.?\d*|\.\d+)([eE][-+]?\d+)?")
LETTER = re.compile(r"[A-Z]")


def words_without_numbers(text):
    bad = []
    for line in text.splitlines():
        for m in LETTER.finditer(line):
            if not NUMBER.match(line, m.end()):
                bad.append(line)
                break
    return bad


CANON = re.compile(r"(STRAIGHT_FEED|ARC_FEED|STRAIGHT_TRAVERSE|SELECT_PLANE|DWELL|START_SPINDLE\w*|COMMENT)\((.*)\)")
PLANE_AXES = {"XY": (0, 1, 2), "XZ": (2, 0, 1), "YZ": (1, 2, 0)}  # first, second, normal axis of ARC_FEED


def run_programs(programs, work):
    """rs274's moves of each program: {n: list of (kind, start, end, arc)}
    with arc = (plane, centre, turn) for arcs, or {n: message} where rs274
    stops. `programs` is a list of (n, text)."""
    results = {}
    pending = list(programs)
    while pending:
        chunk, pending = pending[:CHUNK], pending[CHUNK:]
        lines = ["F1000", "G17 G90 G90.1"]
        for n, text in chunk:
            lines.append(f"(drawing {n})")
            lines += [l for l in text.splitlines() if l.strip() not in ("%", "M30")]
            lines.append("M05 G40 G17")
        lines.append("M30")
        path = os.path.join(work, "chunk.ngc")
        with open(path, "w") as f:
            f.write("\n".join(lines) + "\n")
        run = subprocess.run(["rs274", "-g", path], capture_output=True, text=True,
                             env=dict(os.environ, HOME=work), stdin=subprocess.DEVNULL)
        out = run.stdout + run.stderr
        n, pos, plane, moves = None, (0.0, 0.0, 0.0), "XY", []
        for line in out.splitlines():
            m = CANON.search(line)
            if not m:
                continue
            name, args = m.group(1), m.group(2)
            if name == "COMMENT":
                d = re.match(r'"drawing (\d+)"', args)
                if d:
                    if n is not None:
                        results[n] = moves
                    n, moves = int(d.group(1)), []
                continue
            if name == "SELECT_PLANE":
                plane = args.replace("CANON_PLANE_", "")
                continue
            if name == "DWELL" or name.startswith("START_SPINDLE"):
                moves.append(("start", None, None, None))
                continue
            v = [float(a) for a in args.split(",")]
            if name == "ARC_FEED":
                first, second, normal = PLANE_AXES[plane]
                end, centre = list(pos), [0.0, 0.0, 0.0]
                end[first], end[second], end[normal] = v[0], v[1], v[5]
                centre[first], centre[second] = v[2], v[3]
                end = tuple(end)
                moves.append(("arc", pos, end, (plane, tuple(centre), int(v[4]))))
            else:
                end = tuple(v[:3])
                moves.append(("feed" if name == "STRAIGHT_FEED" else "rapid", pos, end, None))
            pos = end
        if n is not None:
            if "PROGRAM_END" in out:
                results[n] = moves
            else:  # rs274 stopped in drawing n: the rest of the chunk runs again
                tail = [l for l in out.strip().splitlines() if "N....." not in l][-2:]
                results[n] = "rs274 stops: " + " / ".join(tail)
                done = [k for k, _ in chunk]
                pending = chunk[done.index(n) + 1:] + pending
        else:
            for k, _ in chunk:
                results[k] = "rs274 stops before the program: " + out[-300:]
    return results


def cut_samples(moves, step):
    """(cut points, cut segments): the cutting moves sampled every `step`
    (at least 3 points a straight move, 9 an arc), in program X, Y; the
    first feed after each path's start is the move to the path, no cut."""
    lines, arcs, approach = [], [], True
    for kind, a, b, arc in moves:
        if kind == "start":
            approach = True
        elif kind == "rapid":
            pass
        elif approach:
            approach = False
        elif kind == "feed":
            lines.append((a, b))
        else:
            arcs.append((a, b, arc))
    chains = []
    if lines:
        a = np.array([l[0] for l in lines])[:, :2]
        b = np.array([l[1] for l in lines])[:, :2]
        n = np.clip((np.hypot(*(b - a).T) / step).astype(int), 2, 2000)
        move = np.repeat(np.arange(len(a)), n + 1)
        first = np.repeat(np.cumsum(n + 1) - (n + 1), n + 1)
        f = (np.arange(len(move)) - first) / np.repeat(n, n + 1)
        points = a[move] + (b - a)[move] * f[:, None]
        same = move[1:] == move[:-1]
        line_segs = np.stack([points[:-1][same], points[1:][same]], axis=1)
    else:
        points, line_segs = np.zeros((0, 2)), np.zeros((0, 2, 2))
    for a, b, (plane, c, turn) in arcs:
        first, second, normal = PLANE_AXES[plane]
        r = math.hypot(a[first] - c[first], a[second] - c[second])
        t0 = math.atan2(a[second] - c[second], a[first] - c[first])
        sweep = math.atan2(b[second] - c[second], b[first] - c[first]) - t0
        if turn > 0:
            while sweep <= 1e-12:
                sweep += 2 * math.pi
            sweep += 2 * math.pi * (turn - 1)
        else:
            while sweep >= -1e-12:
                sweep -= 2 * math.pi
            sweep -= 2 * math.pi * (-turn - 1)
        n = max(8, min(4000, int(abs(sweep) * r / step)))
        f = np.linspace(0, 1, n + 1)
        pts = np.zeros((n + 1, 3))
        pts[:, first] = c[first] + r * np.cos(t0 + sweep * f)
        pts[:, second] = c[second] + r * np.sin(t0 + sweep * f)
        pts[:, normal] = a[normal] + (b[normal] - a[normal]) * f
        chains.append(pts[:, :2])
    all_points = np.concatenate([points] + chains)
    segs = np.concatenate([line_segs] + [np.stack([c[:-1], c[1:]], axis=1) for c in chains])
    return all_points, segs


def judge(drawing, moves):
    """Empty when every cut lies on the drawing and the drawing is cut."""
    segs, ellipses, stray = drawing
    every = np.concatenate([segs, ellipses])
    if len(every) == 0:
        return "nothing of the drawing is read, yet a program was written"
    lo, hi = every.reshape(-1, 2).min(axis=0), every.reshape(-1, 2).max(axis=0)
    size = float(max(hi - lo))
    big = float(np.abs(every).max())
    tol = CONNECT + FLAT + 1e-4 + 2e-6 * big
    step = max(0.05, size / 2000)
    cut, chain = cut_samples(moves, step)
    if len(cut) == 0:
        return "no cutting move"
    cut = cut[:, ::-1]  # program X is drawing Y
    chain = chain[:, :, ::-1]
    problem = farthest(cut, [(segs, tol), (ellipses, tol + stray)],
                       "cut point {} (drawing X, Y) lies {} off the drawing")
    if problem:
        return problem
    # The drawing: every flattened vertex and the middle of every segment.
    for part, t in ((segs, tol), (ellipses, tol + stray)):
        mids = (part[:, 0, :] + part[:, 1, :]) / 2
        problem = farthest(np.concatenate([part[:, 0, :], part[:, 1, :], mids]), [(chain, t)],
                           "drawing point {} is not cut (the nearest cut {} away)")
        if problem:
            return problem
    return ""


def farthest(points, groups, words):
    """Empty when every point (at most MOST_SAMPLES of them, evenly
    picked) lies within the tolerance of one of the groups (segments,
    tolerance); else `words` filled with the point that strays most and how
    far beyond, and how many stray."""
    if len(points) == 0:
        return ""
    if len(points) > MOST_SAMPLES:
        points = points[np.linspace(0, len(points) - 1, MOST_SAMPLES).astype(int)]
    beyond = np.full(len(points), np.inf)
    for segs, tol in groups:
        if len(segs):
            beyond = np.minimum(beyond, distances(points, segs, 4 * tol) - tol)
    if beyond.max() <= 0:
        return ""
    k = int(np.argmax(beyond))
    far = "far" if math.isinf(beyond[k]) else f"{beyond[k]:.4f} more than allowed"
    return (words.format(f"({points[k][0]:.4f}, {points[k][1]:.4f})", far) +
            f"; {int((beyond > 0).sum())} of {len(points)} points")


def main():
    driver, machine = sys.argv[1], sys.argv[2]
    library = sys.argv[3] if len(sys.argv) > 3 else "/usr/share/librecad/library"
    drawings = sorted(os.path.join(d, f) for d, _, fs in os.walk(library) for f in fs
                      if f.lower().endswith(".dxf"))
    if not drawings:
        print(f"no drawings under {library}: install librecad-data")
        return 1
    with tempfile.TemporaryDirectory(prefix="tolva-oracle-") as out:
        listing = "".join(f"{int(codes_without_blanks(p))} {p}\n" for p in drawings)
        run = subprocess.run([driver, machine, out], input=listing, capture_output=True, text=True)
        if run.returncode != 0:
            print(f"driver failed ({run.returncode}): {run.stderr}")
            return 1
        results = {}
        for row in run.stdout.splitlines():
            n, kind, seconds, message = row.split("\t", 3)
            results[int(n)] = (kind, float(seconds), message)
        # The programs run by rs274 a chunk at a time, each judged as its
        # chunk's moves come (the moves of all at once fill the memory).
        programs = sorted(n for n, (kind, _, _) in results.items() if kind == "Program")
        runs = {}
        readable, complete, incomplete, unreadable, recovered, slow, refused = 0, 0, [], [], [], [], []
        for n, path in enumerate(drawings):
            name = os.path.relpath(path, library)
            kind, seconds, message = results.get(n, ("Missing", 0.0, "no result from the driver"))
            if seconds > SLOWEST:
                slow.append(f"{name}: {seconds:.2f} s")
            if kind not in ("Program", "NoUsableData"):
                refused.append(f"{name}: {kind}: {message.strip()}")
            text = ""
            if kind == "Program":
                if n not in runs:
                    chunk = [k for k in programs if k >= n][:CHUNK]
                    texts = []
                    for k in chunk:
                        with open(os.path.join(out, f"{k}.nc")) as f:
                            texts.append((k, f.read()))
                    runs = run_programs(texts, out)
                with open(os.path.join(out, f"{n}.nc")) as f:
                    text = f.read()
            try:
                doc = ezdxf.readfile(path)
            except ezdxf.DXFStructureError:
                # A structure the strict reader refuses (an ENDSEC without
                # its SECTION): ezdxf's recover mode reads such files.
                try:
                    doc, _ = recover.readfile(path)
                    recovered.append(name)
                except Exception as e:  # ezdxf cannot read it: not counted
                    unreadable.append(f"{name}: {type(e).__name__}: {e}")
                    continue
            except Exception as e:
                unreadable.append(f"{name}: {type(e).__name__}: {e}")
                continue
            readable += 1
            drawn = drawing_segments(doc)
            pieces = len(drawn[0]) + len(drawn[1])
            if kind != "Program":
                if pieces or kind != "NoUsableData":
                    incomplete.append(f"{name}: {kind}: {message.strip()} ({pieces} pieces expected)")
                else:
                    complete += 1
                continue
            bad = words_without_numbers(text)
            moves = runs.pop(n, "rs274 gave nothing")
            problem = (f"word without a number in \"{bad[0]}\"" if bad
                       else moves if isinstance(moves, str) else judge(drawn, moves))
            if problem:
                incomplete.append(f"{name}: {problem}; {message}")
            else:
                complete += 1

    share = complete / readable if readable else 0.0
    print(f"LibreCAD library: {len(drawings)} drawings, {readable} readable by ezdxf, "
          f"{complete} complete ({100 * share:.2f} %)")
    for line in recovered:
        print(f"  read by ezdxf's recover mode: {line}")
    for line in unreadable:
        print(f"  not readable by ezdxf: {line}")
    for line in incomplete:
        print(f"  incomplete: {line}")
    for line in slow:
        print(f"  slower than {SLOWEST:g} s: {line}")
    for line in refused:
        print(f"  not imported: {line}")
    if share < GOAL:
        print(f"FAILED: fewer than {100 * GOAL:.0f} % of the readable drawings are complete")
        return 1
    if slow or refused:
        print("FAILED: an import took too long or failed")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())

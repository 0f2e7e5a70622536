#!/usr/bin/python3
"""Every drawing of LibreCAD's part library against ezdxf.

Each drawing is converted with layer "*" (AutoSketch set where its group
codes are written without leading blanks, as a user would set it) by
dxf_library_driver. ezdxf, an independent DXF reader, gives the end points of
every LINE, ARC and ELLIPSE and every LWPOLYLINE vertex of the ENTITIES
section; each must appear in the program, with program X = drawing Y and
program Y = drawing X (the machine file's axes). Points of a path are joined within the
connect tolerance, so a program point counts when it lies within that
tolerance of the drawing's point. No program may hold a word without a
number. A drawing that passes is complete; at least 99 % of the drawings
ezdxf can read must be. Every drawing that is not is listed with its reason.

usage: librecad_library_oracle.py DRIVER MACHINE.ini [LIBRARY]
"""
import math
import os
import re
import subprocess
import sys
import tempfile

import ezdxf
from ezdxf import recover

CONNECT = 0.005  # the machine file's "Connect Error"
GOAL = 0.99


def codes_without_blanks(path):
    """AutoSketch as a user would set it: the code line before the first
    SECTION has no leading blank."""
    with open(path, "rb") as f:
        lines = f.read().split(b"\n")
    for i, line in enumerate(lines):
        if line.strip() == b"SECTION" and i > 0:
            return not lines[i - 1].startswith(b" ")
    return False


def drawing_points(doc):
    """(x, y) of LINE, ARC and ELLIPSE ends and LWPOLYLINE vertices in ENTITIES:
    model space and the active paper space."""
    layouts = [doc.modelspace()]
    try:
        layouts.append(doc.layouts.active_layout())
    except Exception:
        pass
    points = []
    for layout in layouts:
        for e in layout:
            kind = e.dxftype()
            if kind == "LINE":
                points += [(e.dxf.start.x, e.dxf.start.y), (e.dxf.end.x, e.dxf.end.y)]
            elif kind == "ARC":
                points += [(p.x, p.y) for p in (e.start_point, e.end_point)]
            elif kind == "LWPOLYLINE":
                points += [(x, y) for x, y in e.get_points("xy")]
            elif kind == "ELLIPSE":
                points += [(p.x, p.y) for p in (e.start_point, e.end_point)]
    return points


NUMBER = re.compile(r"[-+]?(\d+\.?\d*|\.\d+)([eE][-+]?\d+)?")
LETTER = re.compile(r"[A-Z]")


def program_points(text):
    """(X, Y) of every program line that has both words, and the words that
    have no number."""
    points, bad = [], []
    for line in text.splitlines():
        words = {}
        for m in LETTER.finditer(line):
            n = NUMBER.match(line, m.end())
            if not n:
                bad.append(line)
                break
            words[m.group()] = float(n.group())
        if "X" in words and "Y" in words:
            points.append((words["X"], words["Y"]))
    return points, bad


def missing_points(expected, program):
    """Drawing points with no program point within the connect tolerance
    (|dX| + |dY|) and the rounding of 7 significant digits."""
    cell = 0.02
    grid = {}
    for px, py in program:
        grid.setdefault((math.floor(px / cell), math.floor(py / cell)), []).append((px, py))
    missing = []
    for dx, dy in expected:
        x, y = dy, dx  # program X is drawing Y
        tol = CONNECT + 1e-4 + 1e-6 * max(abs(x), abs(y))
        reach = int(tol / cell) + 1
        cx, cy = math.floor(x / cell), math.floor(y / cell)
        found = False
        for i in range(cx - reach, cx + reach + 1):
            for j in range(cy - reach, cy + reach + 1):
                for px, py in grid.get((i, j), ()):
                    if abs(px - x) + abs(py - y) <= tol:
                        found = True
                        break
                if found:
                    break
            if found:
                break
        if not found:
            missing.append((dx, dy))
    return missing


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
            n, kind, message = row.split("\t", 2)
            results[int(n)] = (kind, message)

        readable, complete, incomplete, unreadable, recovered = 0, 0, [], [], []
        # Every drawing imports, whether ezdxf reads it or not: a program, or
        # "no usable data" where ezdxf finds nothing to cut either.
        refused = [f"{os.path.relpath(p, library)}: {results.get(n, ('no result from the driver', ''))}"
                   for n, p in enumerate(drawings) if results.get(n, ("Failed",))[0] == "Failed"]
        for n, path in enumerate(drawings):
            name = os.path.relpath(path, library)
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
            expected = drawing_points(doc)
            kind, message = results.get(n, ("Missing", "no result from the driver"))
            text = ""
            if kind == "Program":
                with open(os.path.join(out, f"{n}.nc")) as f:
                    text = f.read()
                if not text.startswith("%\n"):
                    refused.append(f"{name}: the program does not start with the machine file's \"%\"")
            elif expected or kind != "NoUsableData":
                if kind == "NoUsableData":
                    refused.append(f"{name}: no usable data, but {len(expected)} points in the drawing")
                incomplete.append(f"{name}: {kind}: {message.strip()} ({len(expected)} points expected)")
                continue
            points, bad = program_points(text)
            lost = missing_points(expected, points)
            if bad:
                incomplete.append(f"{name}: word without a number in \"{bad[0]}\"")
            elif lost:
                sample = ", ".join(f"({x:g}, {y:g})" for x, y in lost[:3])
                incomplete.append(f"{name}: {len(lost)} of {len(expected)} points not in the program, "
                                  f"e.g. drawing {sample}; {message}")
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
    for line in refused:
        print(f"  not imported: {line}")
    if refused:
        print("FAILED: drawings were not imported")
        return 1
    if share < GOAL:
        print(f"FAILED: fewer than {100 * GOAL:.0f} % of the readable drawings are complete")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env bash
# The real binary writes DXF files from the command line: a program source
# with a .DXF target gives the drawing of its plot, a .PNT source a point
# file. ezdxf (python3-ezdxf) reads them back.
source "$(dirname "$0")/common.bash"
py=/usr/bin/python3
$py -c 'import ezdxf' 2>/dev/null || { echo "FAIL: python3-ezdxf is not installed" >&2; exit 1; }

# entities FILE: one line per entity, coordinates to 3 decimals; fails when
# ezdxf cannot read the file or its audit finds errors.
entities() {
    $py - "$1" <<'PY'
import sys, ezdxf
doc = ezdxf.readfile(sys.argv[1])
if doc.audit().has_errors:
    sys.exit("audit errors")
f = lambda v: "%.3f" % v if abs(v) >= 0.0005 else "0.000"
for e in doc.modelspace():
    t = e.dxftype()
    if t == "LINE":
        print(t, f(e.dxf.start.x), f(e.dxf.start.y), f(e.dxf.end.x), f(e.dxf.end.y))
    elif t == "ARC":
        print(t, f(e.dxf.center.x), f(e.dxf.center.y), f(e.dxf.radius), f(e.dxf.start_angle % 360), f(e.dxf.end_angle % 360))
    elif t == "CIRCLE":
        print(t, f(e.dxf.center.x), f(e.dxf.center.y), f(e.dxf.radius))
    elif t == "POINT":
        print(t, f(e.dxf.location.x), f(e.dxf.location.y), f(e.dxf.location.z))
PY
}

# A program of lines, a clockwise half circle, a counter-clockwise quarter
# and a full circle, then a move after the cut-off (blue: not written). The
# machine file has no axis signs: the plot sweeps G02 clockwise in the
# program's own frame. DXF X carries the program's Y and DXF Y its X; the
# first line draws nothing and writes nothing.
printf '%s\n' 'G00 X50 Y50' 'G01 X10 Y0' 'G01 X10 Y20' 'G02 X30 Y20 I20 J20' 'G03 X40 Y10 I40 J20' \
    'G02 X40 Y10 I40 J5' 'M05' 'G01 X0 Y0' 'M30' >"$work/prog.nc"
"$tolva" "$work/prog.nc" "$work/prog.DXF" "$data/e2e/plain_mill.ini" 2>"$work/err"
check "program export exits 0" "[ $? -eq 0 ] && [ ! -s '$work/err' ]"
entities "$work/prog.DXF" >"$work/prog.got"
cat >"$work/prog.want" <<'DXF'
LINE 50.000 50.000 0.000 10.000
LINE 0.000 10.000 20.000 10.000
ARC 20.000 20.000 10.000 270.000 90.000
ARC 20.000 40.000 10.000 180.000 270.000
CIRCLE 5.000 40.000 5.000
DXF
check "program export read by ezdxf as plotted" "diff '$work/prog.want' '$work/prog.got' >&2"
check "records end in CR LF" "[ \$(grep -c \$'\r\$' '$work/prog.DXF') -eq \$(wc -l <'$work/prog.DXF') ]"
check "group codes right-aligned" "head -1 '$work/prog.DXF' | grep -qx \$'  0\r'"

# Under a locale whose decimal separator is the comma (Qt takes the user's
# locale at start), the drawing is the same file: DXF numbers take the period.
if locale -a | grep -qix 'de_DE.utf8'; then
  LC_ALL=de_DE.UTF-8 "$tolva" "$work/prog.nc" "$work/prog-de.DXF" "$data/e2e/plain_mill.ini" 2>"$work/err"
  check "program export under de_DE exits 0" "[ $? -eq 0 ] && [ ! -s '$work/err' ]"
  check "program export under de_DE is the same file" "cmp '$work/prog.DXF' '$work/prog-de.DXF' >&2"
  check "program export under de_DE read by ezdxf as plotted" "entities '$work/prog-de.DXF' | diff '$work/prog.want' - >&2"
else
  check "locale de_DE.UTF-8 installed (package locales-all)" false
fi

# A point file: one POINT per line with X and Y after the first line, X and
# Y as written (no axis signs in this machine file).
printf '%s\n' 'X9 Y9' 'X1.5 Y-2' 'X4' 'Y3 X-7' >"$work/pts.PNT"
"$tolva" "$work/pts.PNT" "$work/pts.dxf" "$data/e2e/plain_mill.ini" 2>"$work/err"
check "point file exits 0" "[ $? -eq 0 ]"
check "point file read by ezdxf" "[ \"\$(entities '$work/pts.dxf' | tr '\n' ' ')\" = 'POINT 1.500 -2.000 0.000 POINT -7.000 3.000 0.000 ' ]"

# A drawing converted and exported under the shipped mill machine file comes
# back as drawn: the line, the clockwise bulge and the counter-clockwise ARC.
"$tolva" "$data/e2e/mill_arcs.dxf" "$work/mill.DXF" "$data/../../data/tolva.ini" 2>"$work/err"
check "drawing export exits 0" "[ $? -eq 0 ]"
entities "$work/mill.DXF" | grep -v '^LINE \([-0-9.]*\) \([-0-9.]*\) \1 \2$' >"$work/mill.got"
cat >"$work/mill.want" <<'DXF'
LINE 0.000 0.000 30.000 0.000
ARC 40.000 -7.500 12.500 36.870 143.130
ARC 58.000 -6.000 10.000 143.130 270.000
DXF
check "drawing comes back from the shipped mill" "diff '$work/mill.want' '$work/mill.got' >&2"

# Targets that cannot be written: the error, a failed run, no file.
"$tolva" "$work/prog.nc" "$work/none/out.DXF" "$data/e2e/plain_mill.ini" 2>"$work/err"
check "missing folder fails" "[ $? -ne 0 ] && grep -q 'none/out.DXF' '$work/err' && [ ! -e '$work/none' ]"
"$tolva" "$work/prog.nc" "$work/prog.nc/out.DXF" "$data/e2e/plain_mill.ini" 2>"$work/err"
check "a file for a folder fails" "[ $? -ne 0 ] && grep -q 'Not a directory' '$work/err'"
check "no temporary file left" "[ -z \"\$(ls '$work' | grep tolva-)\" ]"

exit $fail

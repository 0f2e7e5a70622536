#!/usr/bin/env bash
# The shipped machine files turn drawings into programs that LinuxCNC's
# interpreter (rs274) runs to the end; its canonical moves are compared with
# the drawings. rs274 reads tool tables in inches: 6 mm is D0.2362205.
source "$(dirname "$0")/common.bash"
shipped=$data/../../data
command -v rs274 >/dev/null || { echo "FAIL: rs274 (linuxcnc-uspace) is not installed" >&2; exit 1; }

convert() {  # drawing, shipped machine file, program
    XDG_CONFIG_HOME=$work/config-$2 "$tolva" "$1" "$3" "$shipped/$2" 2>>"$work/err"
}

# moves PLANE PROGRAM [TOOL-TABLE]: runs rs274 and prints its cutting moves,
# rounded to 3 decimals, in the plane's own two axes (xy, or zx for a lathe):
#   F a b z                    a straight feed to (a, b) at height z
#   A a b c=CA CB r=R s=SWEEP  an arc to (a, b) about (CA, CB), radius R, swept
#                              SWEEP degrees from the previous point (+ counter-clockwise)
# and "T" for a rapid move. Fails when rs274 stops with an error.
moves() {
    if ! HOME=$work rs274 ${3:+-t "$3"} -g "$2" >"$work/canon" 2>"$work/canon-err"; then
        echo "rs274 stopped: $(cat "$work/canon-err" "$work/canon" | grep -v -e '^executing' -e 'N\.\.\.\.\.' | head -2 | tr '\n' ' ')" >&2
        return 1
    fi
    awk -v plane="$1" '
        function f(v) { v = sprintf("%.3f", v); return v == "-0.000" ? "0.000" : v }
        function at(x, y, z) { if (plane == "xy") { pa = x; pb = y } else { pa = z; pb = x } }
        match($0, /(STRAIGHT_FEED|STRAIGHT_TRAVERSE|ARC_FEED)\(/) {
            kind = substr($0, RSTART, RLENGTH - 1)
            split(substr($0, RSTART + RLENGTH), v, /[,)] */)
            if (kind == "ARC_FEED") {
                r = sqrt((v[1] - v[3]) ^ 2 + (v[2] - v[4]) ^ 2)
                s = (atan2(v[2] - v[4], v[1] - v[3]) - atan2(pb - v[4], pa - v[3])) * 45 / atan2(1, 1)
                if (v[5] > 0) { while (s <= 0) s += 360 } else { while (s >= 0) s -= 360 }
                printf "A %s %s c=%s %s r=%s s=%.2f\n", f(v[1]), f(v[2]), f(v[3]), f(v[4]), f(r), s
                pa = v[1]; pb = v[2]
            } else {
                at(v[1], v[2], v[3])
                if (kind == "STRAIGHT_FEED") print "F " f(pa) " " f(pb) " " f(plane == "xy" ? v[3] : v[2])
                else print "T"
            }
        }' "$work/canon"
}

# Mill: a line, a clockwise bulge arc (bulge -0.5 from (30,0) to (50,0): radius
# 12.5 about (40,-7.5), 106.26 degrees) and a counter-clockwise ARC (radius 10
# about (58,-6) from 143.13 to 270 degrees). Tool radius 0: the moves are the drawing's.
convert "$data/e2e/mill_arcs.dxf" tolva.ini "$work/arcs.nc"
check "mill program of the arcs" "[ -s '$work/arcs.nc' ]"
printf 'T1 P1 D0 Z0 ;\n' >"$work/d0.tbl"
printf 'T1 P1 D0.2362205 Z0 ;\n' >"$work/d6.tbl"
moves xy "$work/arcs.nc" "$work/d0.tbl" | grep -v '^T' >"$work/arcs.moves"
cat >"$work/arcs.expected" <<'MOVES'
F 0.000 0.000 -1.000
F 0.000 0.000 -1.000
F 30.000 0.000 -1.000
A 50.000 0.000 c=40.000 -7.500 r=12.500 s=-106.26
A 58.000 -16.000 c=58.000 -6.000 r=10.000 s=126.87
MOVES
check "mill arcs run on rs274 as drawn" "diff '$work/arcs.expected' '$work/arcs.moves' >&2"
check "mill retracts at rapid after the cut" "grep -qx 'G00 Z5.000 ' '$work/arcs.nc'"

# Mill and the example plate: the program runs to its end, the retracts are
# rapids to Z5, and left compensation with a 6 mm tool cuts outside the
# clockwise outline (corner radius 10 + 3) and inside the holes (8 - 3).
convert "$shipped/examples/plate.dxf" tolva.ini "$work/plate.nc"
moves xy "$work/plate.nc" "$work/d0.tbl" >"$work/plate.moves"
check "mill plate runs on rs274" "[ \$? -eq 0 ] && grep -q '^A' '$work/plate.moves'"
check "mill plate retracts at rapid" "[ \$(grep -c 'STRAIGHT_TRAVERSE(.*, 5.0000, 0.0000, 0.0000, 0.0000)' '$work/canon') -ge 4 ]"
moves xy "$work/plate.nc" "$work/d6.tbl" >"$work/plate6.moves"
# radii MOVES CENTRES R: every arc about one of CENTRES (a pattern of "a b") has
# radius R, and there is at least one.
radii() { grep -E "^A .* c=($2) r=" "$1" | awk -v want="$3" '{ r = $6; sub(/r=/, "", r); n++; if (r + 0 != want + 0) bad++ }
    END { exit !(n > 0 && !bad) }'; }
corners='(10|110)\.000 (10|70)\.000'
holes='(30|90)\.000 40\.000'
check "mill cuts outside the outline" "radii '$work/plate6.moves' '$corners' 13"
check "mill cuts inside the holes" "radii '$work/plate6.moves' '$holes' 5"

# Plasma and the example plate: the control holds the kerf (here tool 1,
# 1.5 mm, loaded before the program); G41 keeps it outside the outline and
# inside the holes.
convert "$shipped/examples/plate.dxf" plasma.ini "$work/plasma.nc"
printf 'T1 P1 D0.0590551 Z0 ;\n' >"$work/kerf.tbl"
sed '1a T1 M6' "$work/plasma.nc" >"$work/plasma.ngc"
moves xy "$work/plasma.ngc" "$work/kerf.tbl" >"$work/plasma.moves"
check "plasma plate runs on rs274" "[ -s '$work/plasma.moves' ]"
check "plasma cuts outside the outline" "radii '$work/plasma.moves' '$corners' 10.75"
check "plasma cuts inside the holes" "radii '$work/plasma.moves' '$holes' 7.25"

# Lathe: a profile along the spindle (drawing X) with a counter-clockwise and
# a clockwise corner of radius 4. In diameter mode (G7, as a LinuxCNC lathe
# starts) X words are diameters, so rs274's moves are in the drawing's units:
# Z along the drawing's X, X the drawing's Y. LinuxCNC has no U W incremental
# addresses: the Fanuc home return "G28 U0. W0." becomes its own "G28".
convert "$data/e2e/lathe_profile.dxf" lathe.ini "$work/lathe.nc"
check "lathe writes diameters" "grep -qx 'G01 X12.000 Z20.000 ' '$work/lathe.nc'"
check "lathe approaches at rapid before cutting" "grep -B1 -x 'M08 ' '$work/lathe.nc' | grep -qx 'G00 X12.000 Z0.000 '"
printf 'T101 P1 D0 ;\n' >"$work/lathe.tbl"
sed -e '1a G7' -e 's/^G28 U0\. *W0\. *$/G28/' "$work/lathe.nc" >"$work/lathe.ngc"
moves zx "$work/lathe.ngc" "$work/lathe.tbl" | grep -v '^T' >"$work/lathe.moves"
cat >"$work/lathe.expected" <<'MOVES'
F 0.000 6.000 0.000
F 20.000 6.000 0.000
A 24.000 10.000 c=20.000 10.000 r=4.000 s=90.00
F 40.000 10.000 0.000
A 44.000 14.000 c=44.000 10.000 r=4.000 s=-90.00
F 60.000 14.000 0.000
MOVES
check "lathe profile runs on rs274 as drawn" "diff '$work/lathe.expected' '$work/lathe.moves' >&2"

exit $fail

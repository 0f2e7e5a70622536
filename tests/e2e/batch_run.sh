#!/usr/bin/env bash
# tolva --run: every operation of the menus on a small program, through the
# real binary without a display, compared with expected programs worked out
# by hand; pipelines; refusals that write nothing; and LinuxCNC's rs274
# checking the geometry of the slides, spin, size, flip and offset.
source "$(dirname "$0")/common.bash"
command -v rs274 >/dev/null || { echo "FAIL: rs274 (linuxcnc-uspace) is not installed" >&2; exit 1; }
b=$data/e2e/batch
ini=$b/mill.ini

# run NAME "OPS" SOURCE EXPECTED [--sel START,COUNT]: exit 0, silent, TARGET
# equal to EXPECTED.
run() {
    local name=$1 ops=$2 src=$3 expected=$4
    shift 4
    rm -f "$work/out.nc"
    "$tolva" --run "$ops" "$src" "$work/out.nc" "$ini" "$@" 2>"$work/err"
    local rc=$?
    check "$name: exit 0" "[ $rc -eq 0 ]"
    check "$name: nothing said" "[ ! -s '$work/err' ] || cat '$work/err' >&2"
    check "$name: program as expected" "diff '$expected' '$work/out.nc' >&2"
}

# The find-and-insert texts live in the recall file: M08 between a rapid
# and a following spindle start.
mkdir -p "$XDG_CONFIG_HOME/tolva"
printf '[LineInsert]\nEdit6=G00\nEdit7=M03\nEdit8=M08\n' >"$XDG_CONFIG_HOME/tolva/LastIni.ini"

# Text operations on part.nc.
run "Compress" "Compress" "$b/part.nc" "$b/compress.nc"
run "Add Line Numbers" "&Add Line Numbers" "$b/part.nc" "$b/numbered.nc"
run "Remove Line Numbers" "Remove Line Numbers" "$b/part.nc" "$b/unnumbered.nc"
run "Translate" "Translate Using table from setup window" "$b/part.nc" "$b/translated.nc"
run "Pack" "Pack the file remove all spaces" "$b/part.nc" "$b/packed.nc"
run "Remove Comments" "Remove Comments enclosed by labels (71-72)" "$b/part.nc" "$b/uncommented.nc"
run "Add Chars" "Add Chars  to line end" "$b/part.nc" "$b/ends_added.nc"
run "Remove Chars" "Remove Chars from line end" "$b/ends.nc" "$b/ends_removed.nc"
run "Add then Remove Chars" "Add Chars to line end;Remove Chars from line end" "$b/part.nc" "$b/part.nc"
run "Find and Insert" "Find and Insert" "$b/part.nc" "$b/inserted.nc"
run "Line Order M first" "Line Order N G M X Y Z I J K R" "$data/e2e/order_in.nc" "$data/e2e/order_expected.nc"
run "Line Order M last" "Line Order N G X Y Z I J K R M" "$data/e2e/order_in.nc" "$b/order_mlast.nc"

# Geometry on geo.nc (Decimal Places 4, arc centres relative to the start).
run "Slide Up" "Slide Up 5" "$b/geo.nc" "$b/geo_up.nc"
run "Slide Down" "Slide Down 5" "$b/geo.nc" "$b/geo_down.nc"
run "Slide Left" "Slide Left 5" "$b/geo.nc" "$b/geo_left.nc"
run "Slide Right" "Slide Right 5" "$b/geo.nc" "$b/geo_right.nc"
run "Slide Up Left" "Slide Up Left 5" "$b/geo.nc" "$b/geo_up_left.nc"
run "Slide Up Right" "Slide Up Right 5" "$b/geo.nc" "$b/geo_up_right.nc"
run "Slide Down Left" "Slide Down Left 5" "$b/geo.nc" "$b/geo_down_left.nc"
run "Slide Down Right" "Slide Down Right 5" "$b/geo.nc" "$b/geo_down_right.nc"
run "Spin" "Spin 90" "$b/geo.nc" "$b/geo_spin.nc"
run "Size" "Size 2.5" "$b/geo.nc" "$b/geo_size.nc"
run "Flip" "Flip" "$b/geo.nc" "$b/geo_flip.nc"
run "Flop" "Flop" "$b/geo.nc" "$b/geo_flop.nc"
run "Inch to Metric" "Inch to Metric" "$b/geo.nc" "$b/geo_metric.nc"
run "Metric to Inch" "Metric to Inch" "$b/metric.nc" "$b/metric_inch.nc"
run "Super Compress" "Super Compress" "$b/geo.nc" "$b/geo_super.nc"
run "Convert to Incremental" "Convert to Incremental G91" "$b/geo.nc" "$b/geo_incremental.nc"
run "Incremental and back" "Convert to Incremental G91;Convert to Absolute G90" "$b/geo.nc" "$b/geo_absolute.nc"

# Ordering and the block operations.
run "Sort Acending" "Sort Objects Acending" "$b/sort.nc" "$b/sort_ascending.nc"
run "Sort Decending" "Sort Objects Decending" "$b/sort.nc" "$b/sort_descending.nc"
# Lengths 10, 4, 7: the first object goes behind the third.
run "Largest to bottom" "Largest Object to bottom Only" "$b/sort.nc" "$b/sort_ascending.nc"
run "Swap" "Swap" "$b/swap.nc" "$b/swapped.nc" --sel 2,4
run "Move start" "Move starting point Forward on highlighted code" "$b/swap.nc" "$b/start_moved.nc" --sel 2,4

# The offset window's run over every cut block, the result before the last line.
run "Offset left" "Offset -0.125" "$b/offset.nc" "$b/offset_left.nc"
run "Offset right" "Offset 0.125" "$b/offset.nc" "$b/offset_right.nc"

# The array window: a column down (quantity, X increment) and a grid down
# right (X quantity and increment, Y quantity and increment); one File End
# line, the last.
run "Array column" "Array 3 2.5" "$b/arr.nc" "$b/array_column.nc"
run "Array grid" "Array 2 30 3 20" "$b/arr.nc" "$b/array_grid.nc"

# A drawing in, compressed, numbered and translated out.
run "Drawing pipeline" "Compress;Add Line Numbers;Translate Using table from setup window" \
    "$data/e2e/line.dxf" "$b/drawing_pipeline.nc"
check "no scratch folder left" "! ls '$TMPDIR' | grep -q '^tolva-'"

# rs274 as the oracle of the geometry: the moves of the result are those of
# the source, moved as the operation says (X runs down the plot, so up is -X
# and right is +Y; the spin turns counter-clockwise seen from +Z).
moves "$b/geo.nc" >"$work/geo.moves"
check "geo.nc runs on rs274" "[ \$(wc -l <'$work/geo.moves') -eq 3 ]"
# transform AWK-EXPRESSION-ON-x-y: applies (x, y) -> (X, Y) to the end point
# and, for an arc, to its centre; `s` scales Z.
transform() {
    awk -v expr="$1" '
        function t(x, y) { if (expr == "up") { X = x - 5; Y = y }
                           else if (expr == "right") { X = x; Y = y + 5 }
                           else if (expr == "spin") { X = -y; Y = x }
                           else if (expr == "size") { X = x * 2.5; Y = y * 2.5 } }
        function f(v) { v = sprintf("%.4f", v); return v == "-0.0000" ? "0.0000" : v }
        { t($2, $3); $2 = f(X); $3 = f(Y)
          if ($1 == "ARC_FEED") { t($4, $5); $4 = f(X); $5 = f(Y); if (expr == "size") $7 = f($7 * 2.5) }
          else if (expr == "size") $4 = f($4 * 2.5)
          print }' "$work/geo.moves"
}
for case in "up:Slide Up 5" "right:Slide Right 5" "spin:Spin 90" "size:Size 2.5"; do
    expr=${case%%:*} op=${case#*:}
    "$tolva" --run "$op" "$b/geo.nc" "$work/$expr.nc" "$ini" 2>/dev/null
    moves "$work/$expr.nc" >"$work/$expr.moves"
    transform "$expr" >"$work/$expr.expected"
    check "rs274: $op moves every point and centre" "diff '$work/$expr.expected' '$work/$expr.moves' >&2"
done
# The array's copies: the source's moves again, shifted by each copy's offset.
moves "$b/arr.nc" >"$work/arr.moves"
shifted() { awk -v dx="$1" -v dy="$2" '{ $2 = sprintf("%.4f", $2 + dx); $3 = sprintf("%.4f", $3 + dy); print }' "$work/arr.moves"; }
{ shifted 0 0; shifted 2.5 0; shifted 5 0; } >"$work/column.expected"
moves "$b/array_column.nc" >"$work/column.moves"
check "rs274: the column's parts 2.5 apart in X" "[ -s '$work/column.moves' ] && diff '$work/column.expected' '$work/column.moves' >&2"
{ shifted 0 0; shifted 30 0; shifted 0 20; shifted 30 20; shifted 0 40; shifted 30 40; } >"$work/grid.expected"
moves "$b/array_grid.nc" >"$work/grid.moves"
check "rs274: the grid's six parts" "diff '$work/grid.expected' '$work/grid.moves' >&2"
# Flip mirrors Y and turns the arc the other way: rs274 sees the rotation's sign change.
moves "$b/geo_flip.nc" >"$work/flip.moves"
awk '{ $3 = sprintf("%.4f", -$3); if ($1 == "ARC_FEED") { $5 = sprintf("%.4f", -$5); $6 = sprintf("%.4f", -$6) } print }' \
    "$work/geo.moves" >"$work/flip.expected"
check "rs274: Flip mirrors the path" "diff '$work/flip.expected' '$work/flip.moves' >&2"
# The offset contour: rs274's feed moves of the result after the source's own
# three lie 0.125 to the left of the source's segments (left of travel), parallel.
moves "$b/offset_left.nc" >"$work/offset.moves"
check "rs274: the offset runs parallel at 0.125 left" "python3 - '$work/offset.moves' >&2 <<'PY'
import sys
feeds = [tuple(map(float, l.split()[1:3])) for l in open(sys.argv[1]) if l.startswith('STRAIGHT_FEED')]
src, off = [(0.0, 0.0)] + feeds[:3], feeds[3:]
assert len(off) == 3, off
for k in range(2):
    (ax, ay), (bx, by) = src[k + 1], src[k + 2]
    dx, dy = bx - ax, by - ay
    n = (dx * dx + dy * dy) ** 0.5
    for px, py in (off[k], off[k + 1]):
        left = (dx * (py - ay) - dy * (px - ax)) / n
        assert abs(left - 0.125) < 1e-4, (k, px, py, left)
PY"

# Refusals: a 3-D program given to Convert to Incremental, after steps that
# ran, writes nothing and leaves an old target as it was.
printf 'OLD\n' >"$work/old.nc"
printf 'G90\nG18 G02 X1 Z0 I0.5 K0\n' >"$work/k.nc"
"$tolva" --run "Compress;Add Line Numbers;Convert to Incremental G91;Pack the file remove all spaces" "$work/k.nc" \
    "$work/old.nc" "$ini" 2>"$work/err"
check "refused pipeline exits 1" "[ $? -eq 1 ]"
check "the 3-D message" "grep -q 'File is 3d' '$work/err'"
check "the refused step named" "grep -q '\"Convert to Incremental G91\" refused' '$work/err'"
check "old target kept" "[ \"\$(cat '$work/old.nc')\" = OLD ]"
# Without "Incremental Type I J" the absolute conversion stops at the first
# line that is already absolute (the window only beeps there).
grep -v '^Bridgeport' "$ini" >"$work/plain.ini"
"$tolva" --run "Convert to Absolute G90" "$b/geo.nc" "$work/a.out" "$work/plain.ini" 2>"$work/err"
check "an absolute program stops Convert to Absolute" "[ $? -eq 1 ] && [ ! -e '$work/a.out' ] && grep -q 'already in the target mode' '$work/err'"

# Command lines that cannot run: exit 2, nothing written.
for bad in "Bogus" "Slide Up" "Slide Up five" "Spin 180" "Swap" "Array 3" "Array 2.5 3" ""; do
    "$tolva" --run "$bad" "$b/geo.nc" "$work/bad.out" "$ini" 2>"$work/err"
    check "\"$bad\" exits 2" "[ $? -eq 2 ] && [ ! -e '$work/bad.out' ] && [ -s '$work/err' ]"
done
"$tolva" --run "Swap" "$b/swap.nc" "$work/bad.out" "$ini" --sel 5,9 2>"$work/err"
check "a block past the end exits 2" "[ $? -eq 2 ] && [ ! -e '$work/bad.out' ]"
"$tolva" --run "Compress" "$work/nope.nc" "$work/bad.out" "$ini" 2>"$work/err"
check "a missing source exits 1" "[ $? -eq 1 ] && grep -q 'Source File Not Found' '$work/err' && [ ! -e '$work/bad.out' ]"
"$tolva" --run "Compress" "$b/geo.nc" "$work/bad.out" "$work/nope.ini" 2>"$work/err"
check "a missing machine file exits 1" "[ $? -eq 1 ] && grep -q 'INI File Not Found' '$work/err' && [ ! -e '$work/bad.out' ]"
"$tolva" --run "Compress" "$b/geo.nc" /dev/full "$ini" 2>"$work/err"
check "a target that cannot be written exits 1" "[ $? -eq 1 ] && grep -q 'No space left' '$work/err'"

# Names over 255 characters are refused for the target as for the source.
long=$work/$(printf 'n%.0s' $(seq 1 260)).nc
"$tolva" --run "Compress" "$b/geo.nc" "$long" "$ini" 2>"$work/err"
check "a target name over 255 characters exits 1" "[ $? -eq 1 ] && grep -q 'longer than 255' '$work/err' && [ -z \"\$(ls '$work' | grep nnnnnnnn)\" ]"
"$tolva" "$b/geo.nc" "$long" "$ini" 2>"$work/err"
check "a conversion to a target name over 255 characters exits 1" "[ $? -eq 1 ] && grep -q 'longer than 255' '$work/err'"

# The machine file used last has gone: standard error names it, the shipped
# default (the mill, numbering from 10 by 10) is used, the recall file keeps it.
gone=$work/config-gone
cp "$data/../../data/lathe.ini" "$work/mine.ini"
XDG_CONFIG_HOME=$gone "$tolva" --run "Compress" "$b/geo.nc" "$work/g1.nc" "$work/mine.ini" 2>/dev/null
rm "$work/mine.ini"
cp "$gone/tolva/LastIni.ini" "$work/recall-before"
printf 'G00 X1\nG01 X2\n' >"$work/two.nc"
XDG_CONFIG_HOME=$gone "$tolva" --run "Add Line Numbers" "$work/two.nc" "$work/g2.nc" 2>"$work/err"
check "a missing machine file used last: exit 0" "[ $? -eq 0 ]"
check "a missing machine file used last: named" "grep -q 'mine.ini\" used last is missing' '$work/err'"
check "a missing machine file used last: the default mill numbers the lines" "[ \"\$(head -1 '$work/g2.nc')\" = 'N10 G00 X1' ]"
check "a missing machine file used last: the recall file as it was" "cmp -s '$work/recall-before' '$gone/tolva/LastIni.ini'"
XDG_CONFIG_HOME=$gone "$tolva" --run "Add Line Numbers" "$work/two.nc" "$work/g3.nc" "$ini" --sel 1,2 2>"$work/err"
check "a run naming its machine file says nothing of the missing one" "[ $? -eq 0 ] && [ ! -s '$work/err' ]"

# --list names every operation the menus spell, and the amounts they take.
"$tolva" --list >"$work/list"
check "--list exits 0" "[ $? -eq 0 ]"
check "--list names them" "grep -qx 'Compress' '$work/list' && grep -qx 'Slide Down Right AMOUNT' '$work/list' && grep -qx 'Offset DISTANCE' '$work/list' && grep -q '^Swap .*--sel' '$work/list'"
exit $fail

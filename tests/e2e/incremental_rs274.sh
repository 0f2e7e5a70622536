#!/usr/bin/env bash
# A target named .SGT converts the program to incremental coordinates; LinuxCNC's
# interpreter (rs274) must reach the very same points, arc centres included,
# from the absolute source (arc centres absolute, G90.1) and from the result
# (G91 with its default offsets from the start point).
source "$(dirname "$0")/common.bash"
command -v rs274 >/dev/null || { echo "FAIL: rs274 (linuxcnc-uspace) is not installed" >&2; exit 1; }

"$tolva" "$data/e2e/absolute_mill.nc" "$work/out.SGT" "$data/e2e/plain_mill.ini" 2>"$work/err"
check "conversion exits 0" "[ $? -eq 0 ]"
check "nothing said on success" "[ ! -s '$work/err' ]"
check "the result is incremental" "grep -q '^G91' '$work/out.SGT' && ! grep -q 'G90' '$work/out.SGT'"
moves "$data/e2e/absolute_mill.nc" >"$work/absolute.moves"
moves "$work/out.SGT" >"$work/incremental.moves"
check "the source runs on rs274" "[ \$(wc -l <'$work/absolute.moves') -eq 9 ]"
check "rs274 reaches the same points from both" "diff '$work/absolute.moves' '$work/incremental.moves' >&2"

# A program with arcs out of the XY plane is refused and nothing is written.
printf 'G90\nG18 G02 X1 Z0 I0.5 K0\n' >"$work/k.nc"
"$tolva" "$work/k.nc" "$work/k.SGT" "$data/e2e/plain_mill.ini" 2>"$work/err"
check "a 3-D program fails" "[ $? -ne 0 ] && [ ! -e '$work/k.SGT' ]"
check "the 3-D message" "grep -q 'File is 3d' '$work/err'"
exit $fail

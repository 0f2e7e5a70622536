#!/usr/bin/env bash
# The real binary turns a drawing into a program without a window.
source "$(dirname "$0")/common.bash"

# One LINE from drawing (0,0) to (0,10): the nine-line program.
"$tolva" "$data/e2e/line.dxf" "$work/line.nc" "$data/e2e/plain_mill.ini" 2>"$work/err"
check "drawing converts" "[ $? -eq 0 ]"
check "nine-line program" "cmp -s '$work/line.nc' '$data/e2e/line_expected.nc'"
check "nothing said on success" "[ ! -s '$work/err' ]"
check "no scratch folder left" "! ls '$TMPDIR' | grep -q '^tolva-'"

# A German desktop's comma locale changes nothing in the program text: a
# coordinate beyond seven integer digits (every digit written) keeps the period.
if locale -a | grep -qix 'de_DE.utf8'; then
  sed 's/^10\.0$/12345678.0/' "$data/e2e/line.dxf" > "$work/far.dxf"
  LC_ALL=de_DE.UTF-8 XDG_CONFIG_HOME=$work/config-de "$tolva" "$work/far.dxf" "$work/far.nc" "$data/e2e/plain_mill.ini" 2>"$work/err"
  check "comma locale converts" "[ $? -eq 0 ]"
  check "comma locale writes periods" "grep -q '^G01 X12345678\.0* ' '$work/far.nc' && ! grep -q ',' '$work/far.nc'"
else
  check "locale de_DE.UTF-8 installed (package locales-all)" false
fi

# A TEXT (whose text is LINE) beside the LINE: the same program, and one
# line on standard error telling what of the layer was passed over (the
# INSERT lies on another layer).
"$tolva" "$data/e2e/line_text.dxf" "$work/line_text.nc" "$data/e2e/plain_mill.ini" 2>"$work/err"
check "drawing with text converts" "[ $? -eq 0 ] && cmp -s '$work/line_text.nc' '$data/e2e/line_expected.nc'"
check "passed-over line" "[ \$(wc -l < '$work/err') -eq 1 ] && grep -q '^tolva: Passed over on layer \"0\": 1 TEXT (' '$work/err'"

# Machine files that differ from the plain one in a single setting.
variant() { sed "s/^\[Dxf\]\$/[Dxf]\n$1/" "$data/e2e/plain_mill.ini" > "$work/$2"; }
variant "" plain.ini
printf '[Options]\nBridgeport IJ=1\n' | cat "$data/e2e/plain_mill.ini" - > "$work/bridgeport.ini"
variant "VectorCheckBox=1" linecomp.ini
variant "Corel=1" corel.ini
run() { XDG_CONFIG_HOME=$work/config-$3 "$tolva" "$data/e2e/$1" "$work/$3.nc" "$work/$2" 2>>"$work/err"; }

# Arc centres: absolute by default, offsets from the start with "Incremental Type I J".
run arc.dxf plain.ini arc-absolute
run arc.dxf bridgeport.ini arc-incremental
check "absolute centre" "grep -qx 'G03 X1.0000 Y0.0000 I0.0000 J0.0000 ' '$work/arc-absolute.nc'"
check "incremental centre" "grep -qx 'G03 X1.0000 Y0.0000 I0.0000 J-1.0000 ' '$work/arc-incremental.nc'"

# "Line comp" drops the middle of three collinear pieces.
run collinear.dxf plain.ini collinear-kept
run collinear.dxf linecomp.ini collinear-dropped
check "all pieces without line comp" "grep -q '^G01 X10.0000 ' '$work/collinear-kept.nc'"
check "collinear piece dropped" "! grep -q '^G01 X10.0000 ' '$work/collinear-dropped.nc' && grep -q '^G01 X15.0000 ' '$work/collinear-dropped.nc'"

# A Corel-style file without Z groups reads through the pre-pass.
run corel.dxf corel.ini corel
check "corel pre-pass" "cmp -s '$work/corel.nc' '$data/e2e/line_expected.nc'"

# Nothing on the chosen layer: the no-data message and a failed run.
"$tolva" "$data/e2e/line.dxf" "$work/none.nc" "$data/e2e/other_layer.ini" 2>"$work/err"
check "no-data run fails" "[ $? -ne 0 ]"
check "no-data message" "grep -q 'No Usable Data found in dxf file' '$work/err'"
check "no-data writes nothing" "[ ! -e '$work/none.nc' ]"

# The shipped example with the shipped mill file gives a program (a fresh
# program folder: the runs above made a machine file elsewhere the last used).
XDG_CONFIG_HOME=$work/config2 "$tolva" "$data/../../data/examples/plate.dxf" "$work/plate.nc" 2>"$work/err"
check "example converts" "[ $? -eq 0 ] && grep -q '^M30' '$work/plate.nc'"
# Its outline runs clockwise (four corners), the two holes counter-clockwise.
check "example arcs" "[ \$(grep -c '^G02' '$work/plate.nc') -eq 4 ] && [ \$(grep -c '^G03' '$work/plate.nc') -eq 2 ]"

# Garbage named .dxf: a clear message, no program.
head -c 3000 /dev/urandom > "$work/junk.dxf"
"$tolva" "$work/junk.dxf" "$work/junk.nc" 2>"$work/err"
check "garbage drawing fails" "[ $? -ne 0 ] && [ -s '$work/err' ] && [ ! -e '$work/junk.nc' ]"
exit $fail

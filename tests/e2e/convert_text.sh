#!/usr/bin/env bash
# The real binary converts a text program without a window: word order
# rebuilt, line ends kept, exit status telling success or failure.
source "$(dirname "$0")/common.bash"

# A plain conversion with a machine file of plain letters.
"$tolva" "$data/e2e/order_in.nc" "$work/out.nc" "$data/e2e/letters.ini" 2>"$work/err"
check "conversion exits 0" "[ $? -eq 0 ]"
check "word-ordered program written" "cmp -s '$work/out.nc' '$data/e2e/order_expected.nc'"
check "nothing said on success" "[ ! -s '$work/err' ]"

# A missing source.
"$tolva" "$work/nope.nc" "$work/out2.nc" 2>"$work/err"
rc=$?
check "missing source fails" "[ $rc -ne 0 ]"
check "missing source message" "grep -q 'Source File Not Found' '$work/err'"
check "no target written" "[ ! -e '$work/out2.nc' ]"

# A target that cannot be written keeps the old file.
printf 'OLD\n' > "$work/ro.nc"
chmod 444 "$work/ro.nc"
if [ "$(id -u)" != 0 ]; then
  "$tolva" "$data/e2e/order_in.nc" "$work/ro.nc" 2>"$work/err"
  check "read-only target fails" "[ $? -ne 0 ]"
  check "read-only target kept" "[ \"\$(cat '$work/ro.nc')\" = OLD ]"
fi
"$tolva" "$data/e2e/order_in.nc" /dev/full 2>"$work/err"
check "full disk fails" "[ $? -ne 0 ]"
check "full disk message" "grep -q 'No space left' '$work/err'"

# A missing machine file is reported and the last one is used.
"$tolva" "$data/e2e/order_in.nc" "$work/out3.nc" "$work/none.ini" 2>"$work/err"
check "missing machine file still converts" "[ $? -eq 0 ] && [ -s '$work/out3.nc' ]"
check "missing machine file message" "grep -q 'INI File Not Found ( Last INI file will be used )' '$work/err'"

# A binary source is refused.
head -c 4096 /dev/urandom > "$work/bin.nc"
"$tolva" "$work/bin.nc" "$work/out4.nc" 2>"$work/err"
check "binary source fails" "[ $? -ne 0 ] && [ ! -e '$work/out4.nc' ]"

# A DXF target from a text source writes the drawing of its plot
# (export_dxf.sh reads such drawings back).
"$tolva" "$data/e2e/order_in.nc" "$work/out.DXF" 2>"$work/err"
check "DXF target is a drawing" "[ $? -eq 0 ] && head -2 '$work/out.DXF' | tr -d '\r' | tr '\n' ' ' | grep -qx '  0 SECTION '"

# The program folder was made and seeded; no scratch folder is left behind.
check "program folder seeded" "[ -d '$work/config/tolva' ]"
exit $fail

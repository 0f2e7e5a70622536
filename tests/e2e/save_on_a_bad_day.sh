#!/usr/bin/env bash
# Saves that cannot be made: over a file-size limit (ulimit -f), into a
# folder the user may not write, and through a symbolic link. The process
# lives and exits 1 with the system's reason, the old file is as it was, and
# no partial file is left beside it; through a link the file it names is
# replaced and the link stays.
source "$(dirname "$0")/common.bash"

# A program of about 9 KB, over a limit of 4 KB (ulimit -f counts 1024 bytes).
for i in $(seq 1 400); do echo "G01 X$i.000 Y$((i * 2)).000"; done > "$work/big.nc"
# The first start seeds the program folder; the limited runs only save.
"$tolva" "$work/big.nc" "$work/seed.nc" 2>/dev/null

leftovers() { find "$1" -maxdepth 1 -name '*.tolva-*' | wc -l; }

mkdir "$work/out"
for form in conversion run dxf; do
  case $form in
    conversion) target=$work/out/part.nc; cmd=("$tolva" "$work/big.nc" "$target") ;;
    run) target=$work/out/part.nc; cmd=("$tolva" --run "Add Line Numbers" "$work/big.nc" "$target") ;;
    dxf) target=$work/out/part.dxf; cmd=("$tolva" "$work/big.nc" "$target") ;;
  esac
  echo "OLD" > "$target"
  (ulimit -f 4; "${cmd[@]}") 2>"$work/err"
  status=$?
  check "$form over ulimit -f: exit 1, not killed (status $status)" "[ $status -eq 1 ]"
  check "$form over ulimit -f: the system's reason" "grep -q 'File too large' '$work/err' || { cat '$work/err' >&2; false; }"
  check "$form over ulimit -f: old file intact" "[ \"\$(cat '$target')\" = OLD ]"
  check "$form over ulimit -f: no partial file" "[ \$(leftovers '$work/out') -eq 0 ]"
  # Without the limit the same command writes the file.
  "${cmd[@]}" 2>/dev/null
  check "$form without the limit writes" "[ $? -eq 0 ] && [ \$(wc -c < '$target') -gt 4096 ]"
done

# Through a symbolic link (as to a DNC share): the file it names is written.
mkdir "$work/share" "$work/job"
echo "OLD" > "$work/share/part.nc"
ln -s ../share/part.nc "$work/job/part.nc"
"$tolva" --run "Add Line Numbers" "$work/big.nc" "$work/job/part.nc" 2>"$work/err"
check "--run through a link exits 0" "[ $? -eq 0 ]"
check "--run through a link: the link stays" "[ -L '$work/job/part.nc' ]"
check "--run through a link: its file holds the program" "[ \$(wc -l < '$work/share/part.nc') -eq 400 ] && head -1 '$work/share/part.nc' | grep -q '^N'"
"$tolva" "$work/big.nc" "$work/job/part.nc" 2>"$work/err"
check "conversion through a link: the link stays" "[ -L '$work/job/part.nc' ] && ! head -1 '$work/share/part.nc' | grep -q '^N'"
check "no partial file in either folder" "[ \$(leftovers '$work/share') -eq 0 ] && [ \$(leftovers '$work/job') -eq 0 ]"

# A folder the user may not write. root writes anywhere, so as root the
# runs go as the user nobody.
as_user=()
if [ "$(id -u)" -eq 0 ]; then
  as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups --)
  chmod 755 "$work"
  chmod -R a+rwX "$work/config" "$work/tmp"
fi
mkdir "$work/locked"
echo "OLD" > "$work/locked/part.nc"
chmod 644 "$work/locked/part.nc"
chmod 555 "$work/locked"
for form in conversion run; do
  case $form in
    conversion) cmd=("$tolva" "$work/big.nc" "$work/locked/part.nc") ;;
    run) cmd=("$tolva" --run "Compress" "$work/big.nc" "$work/locked/part.nc") ;;
  esac
  "${as_user[@]}" env HOME="$work" "${cmd[@]}" 2>"$work/err"
  status=$?
  check "$form into a read-only folder: exit 1 (status $status)" "[ $status -eq 1 ]"
  check "$form into a read-only folder: the system's reason" "grep -q 'Permission denied' '$work/err' || { cat '$work/err' >&2; false; }"
  check "$form into a read-only folder: old file intact" "[ \"\$(cat '$work/locked/part.nc')\" = OLD ]"
  check "$form into a read-only folder: nothing left" "[ \$(ls -A '$work/locked' | wc -l) -eq 1 ]"
done
chmod 755 "$work/locked"
exit $fail

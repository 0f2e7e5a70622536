#!/usr/bin/env bash
# packaging/build-deb.sh builds tolva_<version>_amd64.deb: lintian finds no
# error, warning or hardening note in it; it depends on Debian's Qt 6 and
# QScintilla runtime packages; unpacked into a root of its own, its desktop
# entry validates and names the G-code types, its MIME types leave *.nc to
# NetCDF and *.gcode to Debian's text/x.gcode, its manual page formats
# cleanly and its examples run as written, and the binary answers --version.
source "$(dirname "$0")/common.bash"
build=$(dirname "$tolva")
source_dir=$(cd "$data/../.." && pwd)

deb=$(bash "$source_dir/packaging/build-deb.sh" "$build" "$work/pkg" 2>"$work/build.log")
check "build-deb.sh builds the package" "[ $? -eq 0 ] || { cat '$work/build.log' >&2; false; }"
version=$("$tolva" --version | sed 's/^Tolva //')
check "package named tolva_<version>_amd64.deb" "[ '$deb' = '$work/pkg/tolva_${version}_amd64.deb' ] && [ -f '$deb' ]"

# Errors, warnings and the informational hardening notes (bindnow, fortify).
lintian --display-info --tag-display-limit 0 "$deb" > "$work/lintian" 2>&1
check "lintian: no error or warning" "! grep -E '^[EW]: ' '$work/lintian' >&2"
check "lintian: no hardening note" "! grep -E 'hardening-' '$work/lintian' >&2"

depends=$(dpkg-deb -f "$deb" Depends 2>/dev/null)
check "depends on Qt 6 widgets" "[[ '$depends' == *libqt6widgets6* ]]"
check "depends on QScintilla for Qt 6" "[[ '$depends' == *libqscintilla2-qt6* ]]"
dpkg-deb -c "$deb" | awk '{print $6}' > "$work/files"
for f in ./usr/bin/tolva ./usr/share/tolva/tolva.ini ./usr/share/tolva/examples/plate.dxf \
         ./usr/share/applications/tolva.desktop ./usr/share/metainfo/org.example.tolva.metainfo.xml \
         ./usr/share/icons/hicolor/256x256/apps/tolva.png ./usr/share/man/man1/tolva.1.gz \
         ./usr/share/doc/tolva/copyright ./usr/share/doc/tolva/changelog.gz; do
  check "package holds $f" "grep -qxF '$f' '$work/files'"
done
check "nothing outside /usr" "! grep -v '^\./usr' '$work/files' | grep -qv '^\./$'"

root=$work/root
dpkg-deb -x "$deb" "$root"
check "the packaged binary answers --version" "[ \"\$('$root/usr/bin/tolva' --version)\" = 'Tolva $version' ]"

desktop=$root/usr/share/applications/tolva.desktop
check "desktop entry validates" "desktop-file-validate '$desktop'"
mimes=$(sed -n 's/^MimeType=//p' "$desktop")
check "desktop entry opens Debian's text/x.gcode" "[[ '$mimes' == *'text/x.gcode;'* ]]"
check "desktop entry opens our G-code type" "[[ '$mimes' == *'text/x-gcode;'* ]]"
check "desktop entry claims no NetCDF" "[[ '$mimes' != *netcdf* ]]"

# The type of each ending in a MIME database built from Debian's types and
# ours, as update-mime-database resolves them (highest glob weight wins).
mkdir -p "$work/mime/packages"
cp /usr/share/mime/packages/freedesktop.org.xml "$root/usr/share/mime/packages/tolva.xml" "$work/mime/packages/"
update-mime-database "$work/mime" 2>"$work/mime.err"
check "MIME types install" "[ $? -eq 0 ] || { cat '$work/mime.err' >&2; false; }"
types_of() {  # the types whose glob is exactly $1, best weight first
  awk -F: -v g="$1" '$3 == g { print $1 " " $2 }' "$work/mime/globs2" | sort -rn | awk '{print $2}' | paste -sd' '
}
for ending in ngc tap cnc gc eia; do
  check "*.$ending is text/x-gcode" "[[ \" \$(types_of '*.$ending') \" == *' text/x-gcode '* ]]"
done
check "*.gcode is only Debian's text/x.gcode" "[ \"\$(types_of '*.gcode')\" = text/x.gcode ]"
check "*.nc is only NetCDF" "[ \"\$(types_of '*.nc')\" = application/x-netcdf ]"

# The manual page: formats without a warning, and every command of its
# EXAMPLES runs as printed (the package's root standing in for /).
page=$root/usr/share/man/man1/tolva.1.gz
check "manual page formats cleanly" "[ -z \"\$(MANWIDTH=200 man --warnings -l '$page' 2>&1 >/dev/null)\" ]"
MANWIDTH=200 man -l "$page" 2>/dev/null | col -b | awk '
  /^EXAMPLES/ { on = 1; next }
  /^[A-Z]/ { on = 0 }
  on {
    sub(/^[[:space:]]+/, "")
    if (more) cmd = cmd $0; else if ($0 ~ /^tolva /) cmd = $0; else next
    more = sub(/\\$/, "", cmd)
    if (!more) print cmd
  }' > "$work/examples"
check "manual page has examples" "[ \$(wc -l < '$work/examples') -ge 4 ]"
mkdir -p "$work/run"
n=0
while IFS= read -r example; do
  n=$((n + 1))
  command=${example//\/usr\/share\/tolva/$root/usr/share/tolva}
  command="$root/usr/bin/${command}"
  (cd "$work/run" && env -u XDG_CONFIG_HOME HOME="$work/home" bash -c "$command") >"$work/example-$n.out" 2>&1
  check "example $n runs as written: $example" "[ $? -eq 0 ] || { cat '$work/example-$n.out' >&2; false; }"
done < "$work/examples"
check "examples wrote their files" "[ -s '$work/run/plate.nc' ] && [ -s '$work/run/plate2.nc' ] && grep -q ENTITIES '$work/run/plate2.dxf'"
exit $fail

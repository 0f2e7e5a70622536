#!/usr/bin/env bash
# Installed into a prefix, Tolva runs from there: it answers --version and
# --help without a display, seeds the program folder from the installed
# share/tolva, converts the shipped example drawing, and its desktop entry
# and AppStream data validate.
source "$(dirname "$0")/common.bash"
build=$(dirname "$tolva")
prefix=$work/prefix

cmake --install "$build" --prefix "$prefix" >/dev/null
check "installs" "[ -x '$prefix/bin/tolva' ]"
# A file only the installed copy holds shows where the seed came from.
echo "[marker]" > "$prefix/share/tolva/installed-marker.ini"
for f in share/applications/tolva.desktop share/metainfo/org.example.tolva.metainfo.xml \
         share/mime/packages/tolva.xml share/man/man1/tolva.1 share/icons/hicolor/48x48/apps/tolva.png \
         share/icons/hicolor/scalable/apps/tolva.svg share/tolva/examples/plate.dxf; do
  check "installed $f" "[ -s '$prefix/$f' ]"
done

version=$("$prefix/bin/tolva" --version)
check "--version answers without a display" "[ $? -eq 0 ] && [[ '$version' =~ ^Tolva\ [0-9]+\.[0-9]+ ]]"
"$prefix/bin/tolva" --help > "$work/help"
check "--help answers on standard output" "[ $? -eq 0 ] && grep -q 'SOURCE TARGET' '$work/help'"
check "--help opened no program folder" "[ ! -e '$XDG_CONFIG_HOME/tolva' ]"

"$prefix/bin/tolva" "$prefix/share/tolva/examples/plate.dxf" "$work/plate.nc" 2>"$work/err"
check "installed binary converts the example drawing" "[ $? -eq 0 ] && [ ! -s '$work/err' ]"
check "program folder seeded from share/tolva" "[ -f '$XDG_CONFIG_HOME/tolva/installed-marker.ini' ]"
for f in tolva.ini plasma.ini lathe.ini Tolvamax.Htm; do
  check "seeded $f" "cmp -s '$prefix/share/tolva/$f' '$XDG_CONFIG_HOME/tolva/$f'"
done
# The shipped mill cuts the plate's outline and two holes: three plunges,
# clockwise corners and counter-clockwise holes.
check "example program has three cut paths" "[ \$(grep -c '^G01 Z-' '$work/plate.nc') -eq 3 ] && [ \$(grep -c '^G02 ' '$work/plate.nc') -eq 4 ] && [ \$(grep -c '^G03 ' '$work/plate.nc') -eq 2 ]"
# The same program as the build tree's binary writes.
XDG_CONFIG_HOME=$work/config-build "$tolva" "$data/../../data/examples/plate.dxf" "$work/plate-build.nc" 2>/dev/null
check "same program as the build tree" "cmp -s '$work/plate.nc' '$work/plate-build.nc'"

check "desktop entry validates" "desktop-file-validate '$prefix/share/applications/tolva.desktop'"
check "AppStream data validates" "appstreamcli validate --no-net '$prefix/share/metainfo/org.example.tolva.metainfo.xml' >/dev/null"
check "manual page formats cleanly" "[ -z \"\$(MANWIDTH=80 man --warnings -l '$prefix/share/man/man1/tolva.1' 2>&1 >/dev/null)\" ]"
exit $fail

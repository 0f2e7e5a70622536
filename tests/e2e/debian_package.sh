#!/usr/bin/env bash
# CPack builds tolva_<version>_amd64.deb: it depends on Debian's Qt 6 and
# QScintilla runtime packages, holds the binary, the shipped files and the
# desktop integration under /usr, and the binary unpacked from it converts
# the example drawing.
source "$(dirname "$0")/common.bash"
build=$(dirname "$tolva")

cpack --config "$build/CPackConfig.cmake" -B "$work/pkg" >"$work/cpack.log" 2>&1
check "cpack builds the package" "[ $? -eq 0 ] || { cat '$work/cpack.log' >&2; false; }"
version=$("$tolva" --version | sed 's/^Tolva //')
deb=$work/pkg/tolva_${version}_amd64.deb
check "package named tolva_<version>_amd64.deb" "[ -f '$deb' ]"

depends=$(dpkg-deb -f "$deb" Depends 2>/dev/null)
check "depends on Qt 6 widgets" "[[ '$depends' == *libqt6widgets6* ]]"
check "depends on QScintilla for Qt 6" "[[ '$depends' == *libqscintilla2-qt6* ]]"
dpkg-deb -c "$deb" | awk '{print $6}' > "$work/files"
for f in ./usr/bin/tolva ./usr/share/tolva/tolva.ini ./usr/share/tolva/examples/plate.dxf \
         ./usr/share/applications/tolva.desktop ./usr/share/metainfo/org.example.tolva.metainfo.xml \
         ./usr/share/icons/hicolor/256x256/apps/tolva.png ./usr/share/man/man1/tolva.1; do
  check "package holds $f" "grep -qxF '$f' '$work/files'"
done
check "nothing outside /usr" "! grep -v '^\./usr' '$work/files' | grep -qv '^\./$'"

dpkg-deb -x "$deb" "$work/root"
"$work/root/usr/bin/tolva" "$work/root/usr/share/tolva/examples/plate.dxf" "$work/plate.nc" 2>"$work/err"
check "the packaged binary converts" "[ $? -eq 0 ] && grep -q '^G0[123] ' '$work/plate.nc'"
exit $fail

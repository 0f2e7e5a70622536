#!/usr/bin/env bash
# Builds the Debian package tolva_<version>_<arch>.deb from a built tree:
#
#   bash packaging/build-deb.sh BUILD_DIR [OUT_DIR]
#
# The tree is installed under /usr into a staging folder; the binary is
# stripped, the manual page and changelog compressed, the copyright file
# added, and the dependencies read from the binary's shared libraries by
# dpkg-shlibdeps. The build's compiler and linker flags carry Debian's
# hardening (see CMakeLists.txt). Prints the package's path.
set -euo pipefail
build=$(cd "${1:?usage: build-deb.sh BUILD_DIR [OUT_DIR]}" && pwd)
out=$(mkdir -p "${2:-$build}" && cd "${2:-$build}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
arch=$(dpkg --print-architecture)
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
root=$stage/root

DESTDIR=$root cmake --install "$build" --prefix /usr >/dev/null
strip --strip-unneeded --remove-section=.comment --remove-section=.note "$root/usr/bin/tolva"
gzip -9n "$root/usr/share/man/man1/tolva.1"
doc=$root/usr/share/doc/tolva
install -d "$doc"
install -m 644 "$here/copyright" "$doc/copyright"
# A native package: its Debian changelog is changelog.gz.
gzip -9nc "$here/changelog" > "$doc/changelog.gz"
chmod 644 "$doc/changelog.gz"
# Files as root:root with the usual modes, whatever the umask of the build.
find "$root" -type d -exec chmod 755 {} +
find "$root" -type f ! -path '*/bin/*' -exec chmod 644 {} +

# dpkg-shlibdeps wants a source package's control file beside it.
mkdir -p "$stage/src/debian"
printf 'Source: tolva\n\nPackage: tolva\nArchitecture: any\n' > "$stage/src/debian/control"
depends=$(cd "$stage/src" && dpkg-shlibdeps -O -e"$root/usr/bin/tolva" 2>/dev/null | sed -n 's/^shlibs:Depends=//p')
[ -n "$depends" ] || { echo "build-deb.sh: dpkg-shlibdeps found no dependencies" >&2; exit 1; }

install -d "$root/DEBIAN"
cat > "$root/DEBIAN/control" <<EOF
Package: tolva
Version: $version
Architecture: $arch
Maintainer: The Tolva developers <tolva@tolva.example.org>
Installed-Size: $(du -sk --exclude=DEBIAN "$root" | cut -f1)
Depends: $depends
Section: electronics
Priority: optional
Homepage: https://tolva.example.org/
Description: workbench for CNC part programs
 Tolva edits G-code part programs as text, backplots the tool path and
 steps through it, turns DXF drawings into programs for the machine
 described by a machine file, transforms programs (compress, renumber,
 slide, spin, scale, offset, array), writes the path as a DXF drawing,
 and sends programs to a controller over a serial line or a tape punch.
EOF
(cd "$root" && find usr -type f -print0 | sort -z | xargs -0 md5sum) > "$root/DEBIAN/md5sums"
chmod 644 "$root/DEBIAN/control" "$root/DEBIAN/md5sums"

deb=$out/tolva_${version}_${arch}.deb
dpkg-deb --root-owner-group -Zxz --build "$root" "$deb" >/dev/null
echo "$deb"

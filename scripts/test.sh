#!/usr/bin/env bash
# Installs what is missing, builds from scratch and runs every test through CTest.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
"$here/install-deps.sh"
rm -rf "$root/build"
"$here/build.sh"
cd "$root/build"
ctest --output-on-failure -j"$(nproc)"

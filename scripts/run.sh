#!/usr/bin/env bash
# Installs what is missing, builds, and starts Tolva with the given arguments:
#   scripts/run.sh                     start the workbench
#   scripts/run.sh part.nc             start with a program open
#   scripts/run.sh in.nc out.nc [m.ini] convert without a window
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
"$here/install-deps.sh"
"$here/build.sh" >&2
exec "$here/../build/tolva" "$@"

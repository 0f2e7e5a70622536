# Shared start of the end-to-end scripts: arguments, a private work folder
# with its own program and scratch folders, no display, and `check`.
set -u
tolva=$1
data=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config TMPDIR=$work/tmp
mkdir -p "$TMPDIR"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
fail=0
check() { if ! eval "$2"; then echo "FAIL: $1" >&2; fail=1; fi; }

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

# The canonical moves LinuxCNC's interpreter (rs274) makes of a program, one
# a line: the call's name, then its numbers rounded to 4 decimals. rs274
# truncates and maps $HOME/.tool.mmap, so each script gives it its own home.
moves() {
    HOME=$work rs274 -g "$1" 2>"$work/canon-err" | grep -oE '(STRAIGHT_FEED|STRAIGHT_TRAVERSE|ARC_FEED)\(.*\)' |
        awk -F'[(,)]' '{ printf "%s", $1; for (i = 2; i < NF; ++i) { v = sprintf("%.4f", $i); if (v == "-0.0000") v = "0.0000"; printf " %s", v } print "" }'
}

#!/usr/bin/env bash
# Headless sending and punching through the real binary: a pseudo-terminal
# acts as the machine, bytes compared with the framing the machine file asks.
source "$(dirname "$0")/common.bash"
machine=$(dirname "$0")/pty_machine.py

printf 'G1 X1\nM30\n' > "$work/PART1.NC"
cat > "$work/tpl.ini" <<'INI'
[Com Port]
Com 1=0
Com 2=1
Device2=@DEV@
[Transmit]
Start=2
End=4
[Options]
Cr=1
CrLf=0
Strip Spaces=1
INI

python3 "$machine" read "$work/tpl.ini" "$work/m.ini" "$work/got" -- "$tolva" --send "$work/PART1.NC" "$work/m.ini" 2>"$work/err"
check "send exits 0" "[ $? -eq 0 ]"
printf '\002\rG1X1\rM30\r\004\r' > "$work/want"
check "send bytes" "cmp -s '$work/got' '$work/want'"
check "nothing said on success" "[ ! -s '$work/err' ]"

# A program far larger than the pseudo-terminal holds, and the bytes a send of
# it gives under tpl.ini (start 2, blanks stripped, CR, end 4).
seq 1 20000 | awk '{ print "N" $1 " G1 X" $1 ".5 Y-2.25" }' > "$work/MID.NC"
{ printf '\002\r'; tr -d ' ' < "$work/MID.NC" | tr '\n' '\r'; printf '\004\r'; } > "$work/mid-want"

# A control drip-feeding a long move holds XOFF longer than the output
# timeout: it is waited for, and nothing goes out while it holds.
{ cat "$work/tpl.ini"; printf '[Flow]\nXon=1\nOutput Timeout=1\n'; } > "$work/xon.ini"
python3 "$machine" xoff:2.5 "$work/xon.ini" "$work/m.ini" "$work/got" -- "$tolva" --send "$work/MID.NC" "$work/m.ini" 2>"$work/err"
check "send held by XOFF exits 0" "[ $? -eq 0 ]"
check "send held by XOFF bytes" "cmp -s '$work/got' '$work/mid-want'"
read before during < "$work/got.held"
check "XOFF came in the middle of the send" "[ $before -lt $(stat -c %s "$work/mid-want") ]"
check "nothing sent while XOFF held" "[ $during -eq 0 ]"

# A machine that stops reading, without XOFF: the timeout, reported, non-zero.
{ cat "$work/tpl.ini"; printf '[Flow]\nOutput Timeout=1\n'; } > "$work/timeout.ini"
python3 "$machine" stall "$work/timeout.ini" "$work/m.ini" "$work/got" -- "$tolva" --send "$work/MID.NC" "$work/m.ini" 2>"$work/err"
check "stalled send fails" "[ $? -eq 1 ]"
check "timeout message" "grep -q 'TimeOut Err Close Comm and try Again' '$work/err' && grep -q 'took no characters for 1 s' '$work/err'"

# Output Timeout 0 waits for ever: a machine that reads only after a while.
{ cat "$work/tpl.ini"; printf '[Flow]\nOutput Timeout=0\n'; } > "$work/forever.ini"
python3 "$machine" late:2.5 "$work/forever.ini" "$work/m.ini" "$work/got" -- "$tolva" --send "$work/MID.NC" "$work/m.ini" 2>"$work/err"
check "no timeout waits and exits 0" "[ $? -eq 0 ]"
check "no timeout bytes" "cmp -s '$work/got' '$work/mid-want'"

# A port that cannot be opened.
sed 's|@DEV@|/dev/tolva-no-such-port|' "$work/tpl.ini" > "$work/missing.ini"
"$tolva" --send "$work/PART1.NC" "$work/missing.ini" 2>"$work/err"
check "missing port fails" "[ $? -eq 1 ]"
check "missing port message" "grep -q 'Error: could not connect.*No such file or directory' '$work/err'"

# The punch: start, readable header of A1.NC, leader, program with even
# parity (line ends and start/end characters too), end, trailer.
printf 'A1\n' > "$work/A1.NC"
cat > "$work/tape.ini" <<'INI'
[Transmit]
Start=37
End=37
[Options]
Cr=1
CrLf=0
[Tape]
TapeYes=1
None=0
Even=1
Odd=0
ReadableHeader=1
HeaderLen=3
HeaderChar=0
INI
"$tolva" --punch "$work/A1.NC" "$work/tape.bin" "$work/tape.ini" 2>"$work/err"
check "punch exits 0" "[ $? -eq 0 ]"
# % (25h, 3 holes) -> A5; CR (0Dh, 3 holes) -> 8D; A (41h) and 1 (31h): 41, B1.
# Header, last character first, each glyph's columns last to first:
# C: 00 41 41 41 41 3E; N: 00 7F 20 1C 02 7F; ".": 00; 1: 00 00 40 7F 42 00; A: 00 7C 12 11 12 7C.
want='a58d 0041 4141 413e 007f 201c 027f 0000 0040 7f42 0000 7c12 1112 7c00 0000 41b1 8da5 8d00 0000'
got=$(od -An -tx1 -v "$work/tape.bin" | tr -d ' \n' | sed 's/\(....\)/\1 /g; s/ $//')
check "punch bytes" "[ \"$got\" = \"$want\" ]"
"$tolva" --punch "$work/none.nc" "$work/x.bin" "$work/tape.ini" 2>"$work/err"
check "missing program fails" "[ $? -ne 0 ] && [ ! -e '$work/x.bin' ]"

"$tolva" --help > "$work/help"
check "help lists send and punch" "grep -q -- '--send PROGRAM' '$work/help' && grep -q -- '--punch PROGRAM OUT' '$work/help'"
exit $fail

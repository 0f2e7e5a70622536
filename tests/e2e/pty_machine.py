#!/usr/bin/env python3
"""A pseudo-terminal acting as the machine for `tolva --send`.

usage: pty_machine.py MODE TEMPLATE.ini MACHINE.ini RECEIVED -- COMMAND...

Writes MACHINE.ini from TEMPLATE.ini with @DEV@ replaced by the terminal's
device, runs COMMAND, keeps everything the machine receives in the file
RECEIVED and exits with COMMAND's status. MODE:
  read        reads everything as it comes
  stall       never reads
  late:S      reads nothing for S seconds, then everything
  xoff:S      a control drip-feeding a long move: once the first bytes are in
              it sends XOFF, holds it S seconds (still reading, so anything
              that arrives meanwhile is counted), sends XON and reads the
              rest; RECEIVED.held gets two numbers: the bytes that had
              arrived when the XOFF had taken effect (a tenth of a second
              after it was sent), and the bytes that arrived after that
              while it held XOFF
"""
import os, pty, select, subprocess, sys, time

XON, XOFF = b'\x11', b'\x13'
mode, template, machine, received = sys.argv[1:5]
kind, _, seconds = mode.partition(':')
seconds = float(seconds or 0)
command = sys.argv[sys.argv.index('--') + 1:]
master, slave = pty.openpty()  # the slave stays open: the pair outlives the sender
with open(template) as t, open(machine, 'w') as m:
    m.write(t.read().replace('@DEV@', os.ttyname(slave)))
start = time.time()
proc = subprocess.Popen(command)
data = bytearray()
held = None      # time XOFF was sent
held_bytes = 0   # bytes that arrived while XOFF was held (after it took effect)
before = None    # bytes in when it took effect
GRACE = 0.1
deadline = start + 60 + seconds
while time.time() < deadline:
    done = proc.poll() is not None
    reading = kind == 'read' or kind == 'xoff' or (kind == 'late' and time.time() - start >= seconds)
    if reading:
        ready, _, _ = select.select([master], [], [], 0.05)
        if ready:
            chunk = os.read(master, 65536)
            if held is not None and time.time() - held > GRACE:
                if before is None:
                    before = len(data)
                held_bytes += len(chunk)
            data += chunk
            if kind == 'xoff' and held is None and len(data) > 0 and seconds > 0:
                os.write(master, XOFF)
                held = time.time()
            continue
    else:
        time.sleep(0.05)
    if held is not None and before is None and time.time() - held > GRACE:
        before = len(data)
    if held is not None and seconds > 0 and time.time() - held >= seconds:
        os.write(master, XON)
        seconds = 0  # held once
        held = None
    if done:
        break
if proc.poll() is None:
    proc.kill()
    proc.wait()
with open(received, 'wb') as f:
    f.write(data)
if kind == 'xoff':
    with open(received + '.held', 'w') as f:
        f.write('%s %d' % (before, held_bytes))
sys.exit(proc.returncode)

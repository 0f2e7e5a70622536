#!/usr/bin/env python3
"""A pseudo-terminal acting as the machine for `tolva --send`.

usage: pty_machine.py read|stall TEMPLATE.ini MACHINE.ini RECEIVED -- COMMAND...

Writes MACHINE.ini from TEMPLATE.ini with @DEV@ replaced by the terminal's
device, runs COMMAND, and (in read mode) keeps everything the machine
receives in the file RECEIVED; in stall mode it never reads. Exits with
COMMAND's status.
"""
import os, pty, select, subprocess, sys, time

mode, template, machine, received = sys.argv[1:5]
command = sys.argv[sys.argv.index('--') + 1:]
master, slave = pty.openpty()  # the slave stays open: the pair outlives the sender
with open(template) as t, open(machine, 'w') as m:
    m.write(t.read().replace('@DEV@', os.ttyname(slave)))
proc = subprocess.Popen(command)
data = bytearray()
deadline = time.time() + 60
while time.time() < deadline:
    done = proc.poll() is not None
    if mode == 'read':
        ready, _, _ = select.select([master], [], [], 0.05)
        if ready:
            data += os.read(master, 65536)
            continue
    else:
        time.sleep(0.05)
    if done:
        break
if proc.poll() is None:
    proc.kill()
    proc.wait()
with open(received, 'wb') as f:
    f.write(data)
sys.exit(proc.returncode)

#!/usr/bin/python3
"""The simulator's firmware loader judges record lines by itself: the host's
transcripts only ever send good ones, so this plays a host that does not.

Usage: sim_loader_test.py SIMULATOR
"""
import os
import select
import subprocess
import sys
import tempfile
import tty


def read_byte(fd, timeout=3.0):
    if not select.select([fd], [], [], timeout)[0]:
        sys.exit('FAIL: no byte within %g s' % timeout)
    return os.read(fd, 1)


def main():
    sim = sys.argv[1]
    work = tempfile.mkdtemp(prefix='dz-sim-loader-')
    saved = os.path.join(work, 'saved.hex')
    proc = subprocess.Popen([sim, '--fast', '--power-delay', '50', '--save-firmware', saved, '--log', '-'],
                            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    try:
        path = proc.stdout.readline().decode().strip()
        fd = os.open(path, os.O_RDWR | os.O_NOCTTY)
        tty.setraw(fd)
        assert read_byte(fd) == b'\x05', 'loader prompt'
        os.write(fd, b'\x16')
        assert read_byte(fd) == b'\x06', 'sync acknowledged'
        os.write(fd, b'VoVoDi1.0')
        assert read_byte(fd) == b'\x06', 'identifier acknowledged'
        cases = [
            (b'0400000001020304F2', b'\x11'),         # no start character
            (b'\n:0400000001020304F2', b'\x11'),      # a line feed is no start character either
            (b':0400000001020304F3', b'\x12'),        # checksum
            (b':04000000010203G4F2', b'\x12'),        # not a digit
            (b':0400000001020304', b'\x12'),          # no checksum field
            (b':0500000001020304F1', b'\x12'),        # sum right, length field wrong
            (b':' + b'0' * 700, b'\x17'),             # longer than the loader's buffer
            (b':0400000001020304F2', b'\x06'),
            (b':00000001ff', b'\x06'),
        ]
        for line, status in cases:
            os.write(fd, line + b'\r')
            got = read_byte(fd)
            if got != status:
                sys.exit('FAIL: %r answered %r, expected %r' % (line[:40], got, status))
        os.close(fd)
        with open(saved, 'rb') as f:
            data = f.read()
        if data != b':0400000001020304F2\n:00000001ff\n':
            sys.exit('FAIL: saved %r' % data)
        print('ok')
    finally:
        proc.terminate()
        proc.wait(timeout=5)
        for name in os.listdir(work):
            os.remove(os.path.join(work, name))
        os.rmdir(work)


if __name__ == '__main__':
    main()

#!/usr/bin/python3
"""--trace against the simulator's log: a download to the simulator, with a
packet refused and sent again, traced by the utility and logged by the
device. The packets the trace shows written must be, byte for byte, the
packets the device logged as received, and the bytes the trace shows read
the ACKs and NAKs it logged as sent.

Usage: trace_test.py UTILITY SIMULATOR EXAMPLES [unittest arguments]
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

EXE = SIM = EXAMPLES = None

TIME = r'[ 0-9]{4,}\.[0-9]{3}'
# The hex column is 47 wide (16 bytes), the text column follows 2 spaces on.
BYTES_ROW = re.compile(r'^(%s) (COM[0-9]+) (read |write) ([0-9a-f]{4}): ((?:[0-9a-f]{2} ){0,15}[0-9a-f]{2} *)  (.*)$'
                       % TIME)
EVENT = re.compile(r'^(%s) (COM[0-9]+) (open|rate|purge|read  nothing|close|cannot open|write failed|fatal)\b'
                   % TIME)
SIM_BYTES = re.compile(r'^ *[0-9]+\.[0-9]{3} (.*) \(([0-9]+) bytes?\): "(.*)"$')


def unescape(text):
    """The bytes of the simulator's quoted text."""
    out = bytearray()
    i = 0
    while i < len(text):
        c = text[i]
        if c == '\\':
            n = text[i + 1]
            if n == 'x':
                out.append(int(text[i + 2:i + 4], 16))
                i += 4
                continue
            out.append({'r': 13, 'n': 10}.get(n, ord(n)))
            i += 2
            continue
        out.append(ord(c))
        i += 1
    return bytes(out)


def trace_transfers(text):
    """The trace as (direction, bytes) per read or write, its lines checked."""
    transfers = []
    last_time = 0.0
    for line in text.split('\n')[:-1]:
        row = BYTES_ROW.match(line)
        event = EVENT.match(line)
        assert row or event, 'not a trace line: %r' % line
        t = float((row or event).group(1))
        assert t >= last_time, 'time goes back at %r' % line
        last_time = t
        if not row:
            continue
        direction, offset = row.group(3).strip(), int(row.group(4), 16)
        line_start = row.start(5)
        hex_column = line[line_start:line_start + 47]
        text_column = line[line_start + 49:]
        data = bytes.fromhex(hex_column)
        assert len(data) == len(text_column), 'columns of %r' % line
        shown = ''.join(chr(b) if 0x20 <= b < 0x7f else '.' for b in data)
        assert text_column == shown, 'text column of %r' % line
        if offset == 0:
            transfers.append((direction, bytearray()))
        assert transfers and transfers[-1][0] == direction and len(transfers[-1][1]) == offset, line
        transfers[-1][1].extend(data)
    return transfers


class Trace(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix='dz-trace-')
        for name in os.listdir(EXAMPLES):
            shutil.copy(os.path.join(EXAMPLES, name), self.dir)

    def tearDown(self):
        shutil.rmtree(self.dir)

    def test_download_trace_matches_the_simulator_log(self):
        stdin = b'configure station.cfg\nrules filters.rules\nconnect 1\ndownload\nx\n'
        r = subprocess.run([SIM, '--fast', '--nak', '2', '--log', 'sim.log', '--com', '1', '--',
                            EXE, '--trace', 'trace.txt'], input=stdin, stdout=subprocess.PIPE,
                           stderr=subprocess.PIPE, cwd=self.dir, timeout=120)
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertIn(b'Downloading Rules succeeded\n', r.stdout)
        with open(os.path.join(self.dir, 'trace.txt'), encoding='latin-1') as f:
            transfers = trace_transfers(f.read())
        with open(os.path.join(self.dir, 'sim.log'), encoding='latin-1') as f:
            log = f.read().split('\n')

        # From the utility's "download" line on.
        start = transfers.index(('write', bytearray(b'download\r\n')))
        written = b''.join(data for d, data in transfers[start + 1:] if d == 'write')
        read = b''.join(data for d, data in transfers[start + 1:] if d == 'read')

        packets = b''
        answers = b''
        in_download = False
        for line in log:
            in_download = in_download or line.endswith(' download: packet mode')
            m = SIM_BYTES.match(line)
            if not in_download or not m:
                continue
            data = unescape(m.group(3))
            self.assertEqual(len(data), int(m.group(2)), line)
            if re.match(r'packet [0-9]+$', m.group(1)):
                packets += data
            elif m.group(1) in ('ACK', 'NAK'):
                answers += data
        self.assertEqual(answers.count(b'\x15'), 1)  # the one refusal
        self.assertEqual(written, packets)
        self.assertEqual(read, answers)


if __name__ == '__main__':
    EXE, SIM, EXAMPLES = sys.argv[1:4]
    unittest.main(argv=[sys.argv[0]] + sys.argv[4:])

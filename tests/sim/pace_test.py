#!/usr/bin/python3
"""The simulator keeps the line's pace: it sends no faster than the rate the
host set, and takes the host's bytes no faster either. Only lower bounds on
time are checked here; how close the pace comes is scripts/bench.sh's business.

Usage: pace_test.py SIMULATOR UTILITY [unittest arguments]
"""
import os
import select
import shutil
import subprocess
import sys
import tempfile
import termios
import time
import unittest

SIM = None
UTILITY = None


def open_port(path, speed):
    """Opens the pty as the utility does: raw 8N1 at speed."""
    fd = os.open(path, os.O_RDWR | os.O_NOCTTY)
    a = termios.tcgetattr(fd)
    a[0] = a[1] = a[3] = 0
    a[2] = termios.CS8 | termios.CREAD | termios.CLOCAL
    a[4] = a[5] = speed
    termios.tcsetattr(fd, termios.TCSANOW, a)
    return fd


def read_until(fd, text, seconds):
    """What arrives until text has come, and when the last piece came."""
    out = b''
    end = time.monotonic() + seconds
    last = None
    while text not in out:
        left = end - time.monotonic()
        if left <= 0 or not select.select([fd], [], [], left)[0]:
            raise AssertionError('no %r within %g s, got %r' % (text, seconds, out[-80:]))
        out += os.read(fd, 4096)
        last = time.monotonic()
    return out, last


def record(offset, data):
    fields = [len(data), offset >> 8, offset & 0xFF, 0] + list(data)
    return ':' + ''.join('%02X' % b for b in fields + [(-sum(fields)) & 0xFF])


class Pace(unittest.TestCase):
    def console(self, *options, speed=termios.B9600):
        """A device at its prompt, and the host's end of the line."""
        sim = subprocess.Popen([SIM, '--log', os.devnull, '--no-loader', '--power-delay', '100']
                               + list(options), stdout=subprocess.PIPE)
        self.addCleanup(lambda: (sim.terminate(), sim.wait(), sim.stdout.close()))
        fd = open_port(sim.stdout.readline().decode().strip(), speed)
        self.addCleanup(os.close, fd)
        read_until(fd, b'console\r\n', 10)
        return fd

    def answer_time(self, fd, line):
        """Seconds from writing line to the last byte of the device's answer."""
        start = time.monotonic()
        os.write(fd, line)
        answer, last = read_until(fd, b'Rudoda> ', 20)
        return last - start, answer

    def test_a_long_command_line_and_its_answer_take_their_line_time(self):
        # 300 characters and CR to the device, 14 back: at 9600 each
        # character is 10 bits, 1.04 ms.
        fd = self.console()
        line = b'x' * 300 + b'\r'
        took, answer = self.answer_time(fd, line)
        self.assertEqual(answer, b'\r\n?\r\nRudoda> ')
        self.assertGreaterEqual(took, (len(line) + len(answer)) * 10 / 9600)

    def test_the_rate_the_host_sets_is_the_pace(self):
        # The same exchange at 2400 takes four times as long.
        fd = self.console(speed=termios.B2400)
        line = b'y' * 100 + b'\r'
        took, answer = self.answer_time(fd, line)
        self.assertGreaterEqual(took, (len(line) + len(answer)) * 10 / 2400)

    def test_fast_does_not_wait_for_the_line(self):
        # At 300 baud the exchange would take 3.8 s on the line.
        fd = self.console('--fast', speed=termios.B300)
        took, _ = self.answer_time(fd, b'z' * 100 + b'\r')
        self.assertLess(took, 1.5)

    def test_a_firmware_update_takes_at_least_its_line_time(self):
        # The utility sends record lines at 19200, each answered by its
        # status byte: every one of those characters crosses the line. The
        # 128-byte records take 140 ms each to go out, longer than the status
        # wait itself.
        work = tempfile.mkdtemp(prefix='dz-pace-')
        self.addCleanup(shutil.rmtree, work)
        lines = [record(16 * i, bytes((7 * i + j) & 0xFF for j in range(16))) for i in range(30)]
        lines += [record(0x1000 + 128 * i, bytes((5 * i + j) & 0xFF for j in range(128))) for i in range(2)]
        lines.append(':00000001FF')
        with open(os.path.join(work, 'fw.hex'), 'w') as f:
            f.write('\n'.join(lines) + '\n')
        start = time.monotonic()
        run = subprocess.run([SIM, '--com', '1', '--log', os.path.join(work, 'sim.log'),
                              '--save-firmware', 'saved.hex', '--', UTILITY],
                             input=b'firmware 1 fw.hex\ny\n\nx\n', cwd=work,
                             stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=60)
        took = time.monotonic() - start
        self.assertIn(b'Firmware update succeeded', run.stdout)
        with open(os.path.join(work, 'saved.hex')) as f:
            self.assertEqual(f.read().split('\n')[:-1], lines)
        characters = sum(len(line) + 2 for line in lines)  # CR and status byte
        self.assertGreaterEqual(took, characters * 10 / 19200)


if __name__ == '__main__':
    UTILITY = sys.argv.pop(2)
    SIM = sys.argv.pop(1)
    unittest.main()

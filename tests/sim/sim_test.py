#!/usr/bin/python3
"""The device simulator seen from the host's side of its pseudo-terminal.

Usage: sim_test.py SIMULATOR [unittest arguments]
"""
import os
import select
import subprocess
import sys
import tempfile
import termios
import time
import unittest

SIM = None


def open_port(path, speed=termios.B9600):
    """Opens the pty as the utility does: raw 8N1 at speed."""
    fd = os.open(path, os.O_RDWR | os.O_NOCTTY)
    a = termios.tcgetattr(fd)
    a[0] = a[1] = a[3] = 0
    a[2] = termios.CS8 | termios.CREAD | termios.CLOCAL
    a[4] = a[5] = speed
    termios.tcsetattr(fd, termios.TCSANOW, a)
    return fd


def read_for(fd, seconds, until=None):
    """What arrives within seconds (or until the text until has come)."""
    out = b''
    end = time.monotonic() + seconds
    while True:
        left = end - time.monotonic()
        if left <= 0 or (until is not None and until in out):
            return out
        r, _, _ = select.select([fd], [], [], left)
        if not r:
            return out
        try:
            data = os.read(fd, 4096)
        except OSError:
            return out
        if not data:
            return out
        out += data


class Device(unittest.TestCase):
    def start(self, *options):
        self.log = tempfile.NamedTemporaryFile(prefix='dz-sim-', suffix='.log', delete=False).name
        self.sim = subprocess.Popen([SIM, '--fast', '--log', self.log] + list(options), stdout=subprocess.PIPE)
        self.addCleanup(self.stop)
        self.path = self.sim.stdout.readline().decode().strip()
        self.assertTrue(self.path.startswith('/dev/'), self.path)

    def stop(self):
        self.sim.terminate()
        self.sim.wait()
        os.unlink(self.log)

    def log_text(self):
        with open(self.log, encoding='latin-1') as f:
            return f.read()

    def test_each_open_powers_the_device_on_anew(self):
        self.start('--loader-window', '300')
        for speed, rate in ((termios.B9600, b'9600'), (termios.B57600, b'57600')):
            fd = open_port(self.path, speed)
            banner = read_for(fd, 5, until=b'console\r\n')
            self.assertTrue(banner.startswith(b'\x05\r\nDiriduzede'), banner)
            self.assertIn(b'Version 2.1a', banner[:100])
            self.assertGreaterEqual(len(banner), 101)
            os.write(fd, b'\x03')
            self.assertEqual(read_for(fd, 2, until=b'> '), b'Connected ' + rate + b'\r\nRudoda> ')
            os.write(fd, b'host 19200\r')
            os.write(fd, b'\r')
            self.assertEqual(read_for(fd, 2, until=b'> '), b'\r\nRudoda> ')
            os.close(fd)
        self.assertEqual(self.log_text().count('power on'), 2)

    def test_prompt_waits_for_a_host_that_does_not_read_yet(self):
        # A firmware update whose operator sits at its Enter prompt: the
        # banner must not come before the host has taken the loader prompt
        # and let the loader window pass.
        self.start('--loader-window', '300')
        fd = open_port(self.path)
        time.sleep(2.0)
        self.assertEqual(read_for(fd, 0.1), b'\x05')
        os.write(fd, b'\x16')
        time.sleep(0.3)
        os.close(fd)
        self.assertIn('received 0x16: firmware loader', self.log_text())

    def test_late_sync_discards_the_unread_banner(self):
        self.start('--loader-window', '200')
        fd = open_port(self.path)
        self.assertEqual(read_for(fd, 2, until=b'\x05'), b'\x05')
        time.sleep(1.5)  # the banner has come by now, unread
        os.write(fd, b'\x16')
        time.sleep(0.3)
        rest = read_for(fd, 0.3)
        self.assertNotIn(b'Diriduzede', rest)
        os.close(fd)
        self.assertIn('received 0x16 first: firmware loader', self.log_text())

    def test_hangup_closes_the_line(self):
        self.start('--hangup', '3', '--loader-window', '200')
        fd = open_port(self.path)
        read_for(fd, 3, until=b'console\r\n')
        os.write(fd, b'\x03')
        self.assertEqual(read_for(fd, 1, until=b'> '), b'Connected 9600\r\nRudoda> ')
        os.write(fd, b'ab')
        time.sleep(0.3)
        with self.assertRaises(OSError):
            os.write(fd, b'\r')
        os.close(fd)

    def test_command_gets_the_port_and_its_status_is_the_result(self):
        run = subprocess.run([SIM, '--com', '3', '--', 'sh', '-c',
                              'test -c "$DIRIDUZEDE_COM3" && echo here && exit 7'],
                             stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=10)
        self.assertEqual(run.returncode, 7)
        # Without --log the device writes nothing over the command's screen.
        self.assertEqual((run.stdout, run.stderr), (b'here\n', b''))


class CommandLine(unittest.TestCase):
    def run_sim(self, *args):
        return subprocess.run([SIM] + list(args), stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                              timeout=10)

    def test_help_and_version_go_to_standard_output(self):
        for args in (['--help'], ['-h'], ['--silent', '--help']):
            run = self.run_sim(*args)
            self.assertEqual((run.returncode, run.stderr), (0, b''), args)
            self.assertTrue(run.stdout.startswith(b'Usage: diriduzede-sim '), args)
            # Every part's options under its own title.
            for title in (b'\nOptions:\n', b'\nFaults:\n', b'\nPacket mode (download):\n',
                          b'\nFirmware loader:\n'):
                self.assertIn(title, run.stdout)
            self.assertIn(b'  --fw-version TEXT ', run.stdout)
        run = self.run_sim('--version')
        self.assertEqual((run.returncode, run.stderr), (0, b''))
        lines = run.stdout.decode().split('\n')
        self.assertRegex(lines[0], r'^diriduzede-sim \(diriduzede\) \d+\.\d+\S*$')
        self.assertTrue(any(line.startswith('License MIT') for line in lines), lines)

    def test_refusals_name_the_fault_and_exit_2(self):
        cases = [
            (['--no-such'], b"unrecognized option '--no-such'"),
            (['--baud'], b"option '--baud' requires an argument"),
            (['--baud=fast'], b'--baud needs a number, not fast'),
            (['-x'], b"invalid option -- 'x'"),
            (['--silent=1'], b"option '--silent' doesn't allow an argument"),
            (['--com', '2'], b'--com N needs a number 1..99 and -- COMMAND'),
        ]
        for args, message in cases:
            run = self.run_sim(*args)
            self.assertEqual((run.returncode, run.stdout), (2, b''), args)
            self.assertIn(message, run.stderr, args)

    def test_options_take_their_value_after_an_equals_sign(self):
        # --opt=value, and the played firmware version reaches the banner.
        run = self.run_sim('--com=4', '--fw-version=9.9z', '--power-delay=500', '--no-loader', '--',
                           sys.executable, '-c', CHECK_BANNER, '4')
        self.assertEqual((run.returncode, run.stderr), (0, b''), run.stdout)
        self.assertIn(b'Version 9.9z\r\n', run.stdout)


# Opens DIRIDUZEDE_COMn (n from argv) and prints what comes until the banner's end.
CHECK_BANNER = """
import os, select, sys, termios, tty
fd = os.open(os.environ['DIRIDUZEDE_COM' + sys.argv[1]], os.O_RDWR | os.O_NOCTTY)
tty.setraw(fd)
out = b''
while b'console' not in out and select.select([fd], [], [], 5)[0]:
    out += os.read(fd, 4096)
sys.stdout.buffer.write(out)
"""


if __name__ == '__main__':
    SIM = sys.argv.pop(1)
    unittest.main()

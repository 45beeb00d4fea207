#!/usr/bin/python3
"""The ports from the operator's side, on Linux: --list-ports against ptys
this test makes, the open's messages for a device that is missing or that
the user may not open (run as nobody when the tests run as root), and the
UUCP lock files of a live and of a stale holder.

Usage: ports_cli_test.py UTILITY SIMULATOR [unittest arguments]
"""
import grp
import os
import select
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

EXE = SIM = None
LOCKS = '/var/lock'


def lock_of(pty):
    """The lock file of /dev/pts/N."""
    return os.path.join(LOCKS, 'LCK..' + pty[len('/dev/'):].replace('/', '_'))


def write_lock(path, pid):
    with open(path, 'w') as f:
        f.write('%10d\n' % pid)


def gone_pid():
    """The PID of a process that has ended."""
    p = subprocess.Popen(['true'])
    p.wait()
    return p.pid


def as_nobody():
    """The command prefix that runs a program as nobody, or None when the
    tests do not run as root."""
    if os.geteuid() != 0:
        return None
    return ['setpriv', '--reuid=nobody', '--regid=nogroup', '--clear-groups']


class Ports(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix='dz-ports-')
        os.chmod(self.dir, 0o755)
        self.fds = []
        self.locks = []
        self.procs = []
        self.env = {k: v for k, v in os.environ.items() if not k.startswith('DIRIDUZEDE_COM')}

    def tearDown(self):
        for p in self.procs:
            if p.poll() is None:
                p.kill()
                p.wait()
            for f in (p.stdin, p.stdout, p.stderr):
                if f:
                    f.close()
        for fd in self.fds:
            os.close(fd)
        for path in self.locks:
            if os.path.lexists(path):
                os.remove(path)
        shutil.rmtree(self.dir)

    def pty(self):
        master, slave = os.openpty()
        self.fds += [master, slave]
        path = os.ttyname(slave)
        self.locks.append(lock_of(path))
        return path

    def locks_here(self):
        return os.access(LOCKS, os.W_OK)

    def run_exe(self, args, stdin=b'', prefix=None):
        exe = EXE
        if prefix:
            # A copy nobody can reach: the build may lie in a folder only root may enter.
            exe = os.path.join(self.dir, 'diriduzede')
            if not os.path.exists(exe):
                shutil.copy(EXE, exe)
                os.chmod(exe, 0o755)
        return subprocess.run((prefix or []) + [exe] + args, input=stdin, stdout=subprocess.PIPE,
                              stderr=subprocess.PIPE, cwd=self.dir, env=self.env, timeout=60)

    def listing(self, prefix=None):
        r = self.run_exe(['--list-ports'], prefix=prefix)
        self.assertEqual((r.returncode, r.stderr), (0, b''))
        return r.stdout.decode().split('\n')

    def test_listing_shows_each_port_by_its_variable(self):
        free, held = self.pty(), self.pty()
        link = os.path.join(self.dir, 'adapter')
        os.symlink(free, link)
        self.env.update(DIRIDUZEDE_COM5=link, DIRIDUZEDE_COM6=held,
                        DIRIDUZEDE_COM7='/nonexistent/ttyUSB9', DIRIDUZEDE_COM8='/dev/null')
        expected = [
            'COM5   free        %s -> %s (set by DIRIDUZEDE_COM5)' % (link, free),
            'COM6   free        %s (set by DIRIDUZEDE_COM6)' % held,
            'COM7   missing     /nonexistent/ttyUSB9 (set by DIRIDUZEDE_COM7)',
            'COM8   not a tty   /dev/null (set by DIRIDUZEDE_COM8)',
        ]
        lines = self.listing()
        self.assertEqual(lines[4:8], expected)
        self.assertEqual([line.split()[0] for line in lines[:20]], ['COM%d' % n for n in range(1, 21)])
        self.assertTrue(lines[8].startswith('COM9 ') and lines[8].endswith(' /dev/ttyS8'), lines[8])
        self.assertEqual(lines[20], '')
        self.assertTrue(lines[21].startswith('Other serial devices:'), lines[21])

        # A live program's lock makes the port busy, with its PID.
        if self.locks_here():
            write_lock(lock_of(held), os.getpid())
            expected[1] = 'COM6   busy        %s (set by DIRIDUZEDE_COM6), held by PID %d' % (held, os.getpid())
            self.assertEqual(self.listing()[4:8], expected)

    def test_listing_as_a_user_without_access(self):
        pty = self.pty()
        self.env['DIRIDUZEDE_COM5'] = pty
        prefix = self.deny_access(pty)
        self.assertEqual(self.listing(prefix)[4],
                         'COM5   no access   %s (set by DIRIDUZEDE_COM5) (is your user in the dialout group?)'
                         % pty)

    def deny_access(self, pty):
        """Makes pty a device of the dialout group that the runner may not
        open; returns the command prefix of that runner."""
        prefix = as_nobody()
        if prefix is None:
            os.chmod(pty, 0)
            return []
        os.chown(pty, 0, grp.getgrnam('dialout').gr_gid)
        os.chmod(pty, 0o660)
        return prefix

    def test_connect_names_the_device_and_the_cure(self):
        pty = self.pty()
        self.env.update(DIRIDUZEDE_COM5=pty, DIRIDUZEDE_COM3='/nonexistent/ttyUSB0')
        prefix = self.deny_access(pty)
        group = 'dialout' if prefix else grp.getgrgid(os.stat(pty).st_gid).gr_name
        start = time.monotonic()
        r = self.run_exe([], b'connect 3\nconnect 5\nx\n', prefix)
        self.assertLess(time.monotonic() - start, 5)  # at once, not after the 20 s of a connect
        self.assertEqual(r.returncode, 0)
        self.assertEqual(r.stdout.split(b'Command> ')[1:], [
            b'Connecting at 9600...\n'
            b'\a\aError: cannot open COM port COM3: COM3 (/nonexistent/ttyUSB0): No such file or directory\n'
            b'\a\aError: could not open COM port COM3\n',
            b'Connecting at 9600...\n'
            b'\a\aError: cannot open COM port COM5: COM5 (' + pty.encode() +
            b'): Permission denied (is your user in the ' + group.encode() + b' group?)\n'
            b'\a\aError: could not open COM port COM5\n',
            b''])

    def test_live_lock_refuses_the_port(self):
        if not self.locks_here():
            self.skipTest('%s is not writable' % LOCKS)
        pty = self.pty()
        self.env['DIRIDUZEDE_COM5'] = pty
        holder = subprocess.Popen(['sleep', '60'])
        self.procs.append(holder)
        write_lock(lock_of(pty), holder.pid)
        r = self.run_exe([], b'connect 5\nx\n')
        self.assertEqual(r.stdout.split(b'Command> ')[1],
                         b'Connecting at 9600...\n'
                         b'\a\aError: cannot open COM port COM5: COM5 (%s): in use by PID %d (sleep), '
                         b'lock file %s\n'
                         b'\a\aError: could not open COM port COM5\n'
                         % (pty.encode(), holder.pid, lock_of(pty).encode()))
        with open(lock_of(pty)) as f:
            self.assertEqual(f.read(), '%10d\n' % holder.pid)  # not the utility's to touch

    def start_sim(self):
        """The simulator on its own; returns its pty's path."""
        sim = subprocess.Popen([SIM, '--fast', '--log', os.path.join(self.dir, 'sim.log')],
                               stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        self.procs.append(sim)
        line = b''
        deadline = time.monotonic() + 10
        while not line.endswith(b'\n') and time.monotonic() < deadline:
            if select.select([sim.stdout], [], [], 1)[0]:
                byte = os.read(sim.stdout.fileno(), 1)
                if not byte:
                    break
                line += byte
        self.assertTrue(line.endswith(b'\n'), 'the simulator did not start')
        path = line.decode().strip()
        self.locks.append(lock_of(path))
        return path

    def read_until(self, proc, text, seconds=30):
        out = b''
        deadline = time.monotonic() + seconds
        while text not in out and time.monotonic() < deadline:
            if select.select([proc.stdout], [], [], 1)[0]:
                chunk = os.read(proc.stdout.fileno(), 4096)
                if not chunk:
                    break
                out += chunk
        self.assertIn(text, out)
        return out

    def test_stale_lock_is_taken_over_and_removed_at_exit(self):
        if not self.locks_here():
            self.skipTest('%s is not writable' % LOCKS)
        pty = self.start_sim()
        lock = lock_of(pty)
        write_lock(lock, gone_pid())
        self.env['DIRIDUZEDE_COM1'] = pty
        exe = subprocess.Popen([EXE], stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                               cwd=self.dir, env=self.env)
        self.procs.append(exe)
        exe.stdin.write(b'connect 1\n')
        exe.stdin.flush()
        self.read_until(exe, b'Connected at 9600\n')
        with open(lock) as f:
            self.assertEqual(f.read(), '%10d\n' % exe.pid)
        # Ending with the port still open removes the lock too.
        exe.stdin.write(b'x\n')
        exe.stdin.flush()
        self.assertEqual(exe.wait(timeout=30), 0)
        self.assertFalse(os.path.lexists(lock))


if __name__ == '__main__':
    EXE, SIM = sys.argv[1], sys.argv[2]
    unittest.main(argv=[sys.argv[0]] + sys.argv[3:])

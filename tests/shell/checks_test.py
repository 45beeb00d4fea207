#!/usr/bin/python3
"""--check-config, --check-rules and --check-firmware: the readers' own
messages, the exit status, and the same result as the commands at the prompt.

Usage: checks_test.py UTILITY EXAMPLES [unittest arguments]
"""
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

EXE = None
EXAMPLES = None

BAD_CONFIG = b'call N0CALL\r\nssid 99\r\n'
BAD_RULES = b'drop implicit\npass destin APRS\npass sideways W1AW\n'
# A data record whose checksum is one off.
BAD_HEX = b':020000040000FA\n:04000000DEADBEEFC5\n:00000001FF\n'


def run(args, cwd, stdin=b''):
    return subprocess.run([EXE] + args, input=stdin, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                          cwd=cwd, timeout=30)


def prompt_replies(out):
    """What the commands printed at the prompt, start-up and prompts left out."""
    parts = out.split(b'Command> ')
    return b''.join(parts[1:])


class Checks(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix='dz-checks-')
        for name in os.listdir(EXAMPLES):
            shutil.copy(os.path.join(EXAMPLES, name), self.dir)
        for name, data in (('bad.cfg', BAD_CONFIG), ('bad.rules', BAD_RULES), ('bad.hex', BAD_HEX)):
            with open(os.path.join(self.dir, name), 'wb') as f:
                f.write(data)

    def tearDown(self):
        shutil.rmtree(self.dir)

    def test_exit_status_and_messages(self):
        good = [b'Configuration items processed 16\n', b'Rules processed 13, implicit 1\n',
                b'Firmware file firmware.hex: 108 records\n']
        cases = [
            (['--check-config', 'station.cfg', '--check-rules', 'filters.rules',
              '--check-firmware', 'firmware.hex'], 0, b''.join(good)),
            (['--check-firmware=firmware.hex'], 0, good[2]),
            (['--check-config', 'bad.cfg'], 2,
             b'\a\aError: line 2: invalid SSID argument range [0..15]: 99: ssid 99\n'
             b'\a\aError: Configuration processing failed\n'),
            (['--check-rules', 'bad.rules', '--check-config', 'station.cfg'], 2,
             b'\a\aError: bad.rules[3]: command sideways invalid:\npass sideways W1AW\n'
             b'\a\aError: Rule processing failed\n' + good[0]),
            (['--check-firmware', 'bad.hex', '--check-rules', 'filters.rules'], 2,
             b'\a\aError: checksum mismatch (0x01) for line 2 in Firmware file!\n'
             b'\a\aError: Firmware file has some kind of error!\n' + good[1]),
            (['--check-config', 'station.cfg', '--check-firmware', 'nothere.hex'], 2,
             good[0] + b'\a\aError: cannot open nothere.hex\n'),
            (['--check-rules', '.'], 2, b'\a\aError: cannot open .\n\a\aError: Rule processing failed\n'),
        ]
        for args, status, out in cases:
            with self.subTest(args=args):
                r = run(args, self.dir, stdin=b'x\n')
                self.assertEqual(r.returncode, status, r.stdout)
                self.assertEqual(r.stderr, b'')
                self.assertNotIn(b'Command> ', r.stdout)  # no prompt, no banner
                self.assertEqual(r.stdout, out)

    def test_same_result_as_the_commands_at_the_prompt(self):
        # In the order given, on the state a fresh prompt has: a failed
        # configuration keeps what its lines before set, rules after it count.
        sequences = [
            [('config', 'station.cfg'), ('rules', 'filters.rules')],
            [('rules', 'filters.rules'), ('config', 'bad.cfg'), ('rules', 'bad.rules')],
            [('rules', 'bad.rules'), ('rules', 'filters.rules'), ('config', 'station.cfg')],
        ]
        command = {'config': 'configure', 'rules': 'rules'}
        for seq in sequences:
            with self.subTest(seq=seq):
                args = []
                stdin = b''
                for kind, name in seq:
                    args += ['--check-' + kind, name]
                    stdin += ('%s %s\n' % (command[kind], name)).encode()
                checked = run(args, self.dir)
                prompted = run([], self.dir, stdin=stdin + b'x\n')
                self.assertEqual(checked.stdout, prompt_replies(prompted.stdout))

    def test_nothing_waits_for_a_port_or_the_console(self):
        # Standard input stays open and unread; COM ports are never looked at.
        env = dict(os.environ, DIRIDUZEDE_COM1='/nonexistent/tty')
        proc = subprocess.Popen([EXE, '--check-firmware', 'firmware.hex'], stdin=subprocess.PIPE,
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, cwd=self.dir, env=env)
        try:
            status = proc.wait(timeout=10)
        finally:
            proc.kill() if proc.poll() is None else None
            proc.stdin.close()
        out, err = proc.stdout.read(), proc.stderr.read()
        proc.stdout.close()
        proc.stderr.close()
        self.assertEqual((status, out, err), (0, b'Firmware file firmware.hex: 108 records\n', b''))

if __name__ == '__main__':
    EXE, EXAMPLES = sys.argv[1], sys.argv[2]
    unittest.main(argv=[sys.argv[0]] + sys.argv[3:])

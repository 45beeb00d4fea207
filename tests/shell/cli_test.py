#!/usr/bin/python3
"""The utility's command line: --help, --version, refused arguments, and the
version it reports against the one the build was configured with.

Usage: cli_test.py UTILITY VERSION [unittest arguments]
"""
import subprocess
import sys
import unittest

EXE = None
VERSION = None

USAGE = [b'Usage: diriduzede [OPTION]...', b"Try 'diriduzede --help' for more information."]


def run(*args, stdin=b''):
    return subprocess.run([EXE] + list(args), input=stdin, stdout=subprocess.PIPE,
                          stderr=subprocess.PIPE, timeout=30)


class CommandLine(unittest.TestCase):
    def test_banner_carries_the_configured_version(self):
        r = run(stdin=b'x\n')
        self.assertEqual(r.returncode, 0)
        first = r.stdout.split(b'\n')[0]
        self.assertTrue(first.startswith(b'Diriduzede PC Host Dozozu Utility Version %s ' % VERSION),
                        first)

    def test_version_names_program_version_and_licence(self):
        for args in (['--version'], ['--vers'], ['--version', 'extra'], ['extra', '--version']):
            with self.subTest(args=args):
                r = run(*args)
                self.assertEqual((r.returncode, r.stderr), (0, b''))
                lines = r.stdout.split(b'\n')
                self.assertEqual(lines[0], b'diriduzede ' + VERSION)
                self.assertIn(b'License MIT', r.stdout)
                self.assertNotIn(b'Command Summary', r.stdout)  # no start-up

    def test_help_lists_the_options_on_standard_output(self):
        for args in (['--help'], ['--he'], ['--help', '--bogus'], ['--help', 'x']):
            with self.subTest(args=args):
                r = run(*args)
                self.assertEqual((r.returncode, r.stderr), (0, b''))
                lines = r.stdout.split(b'\n')
                self.assertEqual(lines[0], USAGE[0])
                for option in (b'--help', b'--version'):
                    self.assertTrue(any(line.lstrip().startswith(option) for line in lines), option)
                self.assertNotIn(b'Command Summary', r.stdout)  # no start-up

    def test_other_arguments_are_refused_with_a_usage_line(self):
        cases = [
            (['--bogus'], b"diriduzede: unrecognized option '--bogus'"),
            (['com1'], b"diriduzede: unexpected argument 'com1'"),
            (['-h'], b"diriduzede: invalid option -- 'h'"),
            (['-'], b"diriduzede: unexpected argument '-'"),
            (['--help=yes'], b"diriduzede: option '--help' doesn't allow an argument"),
            (['--version=2'], b"diriduzede: option '--version' doesn't allow an argument"),
            (['--', '--help'], b"diriduzede: unexpected argument '--help'"),
            (['--bogus', '--help'], b"diriduzede: unrecognized option '--bogus'"),
        ]
        for args, message in cases:
            with self.subTest(args=args):
                r = run(*args, stdin=b'x\n')
                self.assertEqual(r.returncode, 2)
                self.assertEqual(r.stdout, b'', 'nothing on standard output, no prompt')
                self.assertEqual(r.stderr.split(b'\n'), [message] + USAGE + [b''])


if __name__ == '__main__':
    EXE, VERSION = sys.argv[1], sys.argv[2].encode()
    unittest.main(argv=[sys.argv[0]] + sys.argv[3:])

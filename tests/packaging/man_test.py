#!/usr/bin/python3
"""The manual pages: mandoc's lint finds nothing, and each page documents
exactly the options its program's --help lists.

Usage: man_test.py MAN_DIR UTILITY SIMULATOR [unittest arguments]
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

MAN_DIR = UTILITY = SIM = None
PAGES = ('diriduzede.1', 'diriduzede-sim.1')


def help_options(exe):
    out = subprocess.run([exe, '--help'], stdout=subprocess.PIPE, timeout=30, check=True).stdout
    return set(re.findall(r'^\s+--([a-z][a-z0-9-]*)', out.decode(), re.M))


def page_options(page):
    with open(os.path.join(MAN_DIR, page), encoding='utf-8') as f:
        return set(re.findall(r'^\.It (?:Fl \S+ , )?Fl -([a-z][a-z0-9-]*)', f.read(), re.M))


class ManPages(unittest.TestCase):
    def test_pages_pass_mandoc_lint(self):
        mandoc = shutil.which('mandoc')
        makewhatis = shutil.which('makewhatis') or shutil.which('makewhatis', path='/usr/sbin:/sbin')
        if not mandoc or not makewhatis:
            self.skipTest('mandoc is not installed (scripts/deps.sh installs it)')
        with tempfile.TemporaryDirectory(prefix='dz-man-') as manpath:
            # The pages refer to each other: lint them installed side by side.
            os.mkdir(os.path.join(manpath, 'man1'))
            for p in PAGES:
                shutil.copy(os.path.join(MAN_DIR, p), os.path.join(manpath, 'man1'))
            subprocess.run([makewhatis, manpath], check=True)
            r = subprocess.run([mandoc, '-Tlint', '-W', 'style', '-M', manpath]
                               + [os.path.join(manpath, 'man1', p) for p in PAGES],
                               stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
            self.assertEqual((r.returncode, r.stdout.decode()), (0, ''))

    def test_every_option_is_documented(self):
        for exe, page in ((UTILITY, 'diriduzede.1'), (SIM, 'diriduzede-sim.1')):
            with self.subTest(page=page):
                listed = help_options(exe)
                self.assertIn('help', listed)
                self.assertEqual(page_options(page), listed)


if __name__ == '__main__':
    MAN_DIR, UTILITY, SIM = sys.argv[1:4]
    unittest.main(argv=[sys.argv[0]] + sys.argv[4:])

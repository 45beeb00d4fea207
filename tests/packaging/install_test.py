#!/usr/bin/python3
"""cmake --install lays out the programs, the manual pages and the documents,
under --prefix and under DESTDIR, and the installed programs run.

Usage: install_test.py CMAKE BUILD_DIR VERSION
"""
import os
import subprocess
import sys
import tempfile

CMAKE, BUILD, VERSION = sys.argv[1], sys.argv[2], sys.argv[3]

EXPECTED = {
    'bin/diriduzede', 'bin/diriduzede-sim',
    'share/man/man1/diriduzede.1', 'share/man/man1/diriduzede-sim.1',
    'share/doc/diriduzede/README.md', 'share/doc/diriduzede/LICENSE',
    'share/doc/diriduzede/copyright', 'share/doc/diriduzede/changelog',
    'share/doc/diriduzede/examples/station.cfg', 'share/doc/diriduzede/examples/filters.rules',
    'share/doc/diriduzede/examples/firmware.hex',
}


def tree(root):
    found = set()
    for d, _, files in os.walk(root):
        for f in files:
            found.add(os.path.relpath(os.path.join(d, f), root))
    return found


def install(prefix, destdir=None):
    env = dict(os.environ)
    env.pop('DESTDIR', None)
    if destdir is not None:
        env['DESTDIR'] = destdir
    r = subprocess.run([CMAKE, '--install', BUILD, '--prefix', prefix], env=env,
                       stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    if r.returncode != 0:
        sys.exit('FAIL: cmake --install:\n' + r.stdout.decode(errors='replace'))


def main():
    failed = []
    with tempfile.TemporaryDirectory(prefix='dz-install-') as work:
        prefix = os.path.join(work, 'prefix')
        install(prefix)
        got = tree(prefix)
        if got != EXPECTED:
            failed.append('--prefix: missing %s, unexpected %s'
                          % (sorted(EXPECTED - got), sorted(got - EXPECTED)))
        for exe, first in (('diriduzede', 'diriduzede ' + VERSION),
                           ('diriduzede-sim', 'diriduzede-sim (diriduzede) ' + VERSION)):
            path = os.path.join(prefix, 'bin', exe)
            if not os.access(path, os.X_OK):
                failed.append('%s is not executable' % path)
                continue
            out = subprocess.run([path, '--version'], stdout=subprocess.PIPE, timeout=30).stdout
            if out.decode().split('\n')[0] != first:
                failed.append('%s --version: %r, expected %r first' % (exe, out, first))

        # The Debian changelog names the version being packaged.
        with open(os.path.join(prefix, 'share/doc/diriduzede/changelog'), encoding='utf-8') as f:
            head = f.readline()
        if not head.startswith('diriduzede (%s) ' % VERSION):
            failed.append('changelog begins %r, not with version %s' % (head, VERSION))

        dest = os.path.join(work, 'dest')
        install('/usr', destdir=dest)
        got = tree(os.path.join(dest, 'usr'))
        if got != EXPECTED or set(os.listdir(dest)) != {'usr'}:
            failed.append('DESTDIR: got %s' % sorted(tree(dest)))
    if failed:
        sys.exit('FAIL:\n' + '\n'.join(failed))
    print('ok')


if __name__ == '__main__':
    main()

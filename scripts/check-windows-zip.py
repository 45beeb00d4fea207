#!/usr/bin/python3
"""Checks the Windows release zip: its files, the CR LF line ends of the texts
for Windows users, and the exe's version resource.

Usage: scripts/check-windows-zip.py ZIP VERSION
"""
import re
import sys
import zipfile


def version_string(exe, key):
    """The value of key in the exe's version resource (UTF-16LE), or None."""
    m = re.search(key.encode('utf-16-le') + rb'(?:\x00\x00)+((?:[^\x00].|\x00[^\x00])*?)\x00\x00', exe, re.S)
    return m.group(1).decode('utf-16-le') if m else None


def main():
    path, version = sys.argv[1], sys.argv[2]
    top = 'diriduzede-%s-win64/' % version
    expected = {top + n for n in ('diriduzede.exe', 'README.txt', 'LICENSE.txt', 'examples/station.cfg',
                                  'examples/filters.rules', 'examples/firmware.hex')}
    failed = []
    with zipfile.ZipFile(path) as z:
        files = {n for n in z.namelist() if not n.endswith('/')}
        if files != expected:
            failed.append('files: missing %s, unexpected %s' % (sorted(expected - files), sorted(files - expected)))
        for name in ('README.txt', 'LICENSE.txt'):
            if top + name not in files:
                continue
            text = z.read(top + name)
            if re.search(rb'(?<!\r)\n', text) or not text.endswith(b'\r\n'):
                failed.append('%s: a line not ended by CR LF' % name)
        if top + 'README.txt' in files:
            readme = z.read(top + 'README.txt').decode('ascii')
            for needed in ('Command Prompt', 'Device Manager', 'COM20', version):
                if needed not in readme:
                    failed.append('README.txt does not mention %s' % needed)
        if top + 'diriduzede.exe' in files:
            exe = z.read(top + 'diriduzede.exe')
            if not exe.startswith(b'MZ'):
                failed.append('diriduzede.exe is no Windows program')
            for key in ('FileVersion', 'ProductVersion'):
                got = version_string(exe, key)
                if got != version:
                    failed.append('diriduzede.exe %s is %r, expected %r' % (key, got, version))
            if not version_string(exe, 'FileDescription'):
                failed.append('diriduzede.exe has no FileDescription')
    if failed:
        sys.exit('FAIL: %s\n  ' % path + '\n  '.join(failed))
    print('ok: %s' % path)


if __name__ == '__main__':
    main()

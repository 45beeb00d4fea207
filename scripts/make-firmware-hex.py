#!/usr/bin/python3
"""Writes examples/firmware.hex: a small made-up firmware image in Intel HEX.

Usage: scripts/make-firmware-hex.py [OUTPUT]

The image is 3 KiB of code at 0x00000000 in 32-byte records and 1 KiB of
tables at 0x00010000 (reached through an extended linear address record) in
128-byte records, ending with a short record and the end-of-file record. Every
data record starts on a 4-byte boundary. The bytes come from a fixed
pseudo-random sequence, so the file is the same on every run.
"""
import os
import sys


def record(rtype, offset, data):
    fields = [len(data), offset >> 8, offset & 0xFF, rtype] + list(data)
    check = (-sum(fields)) & 0xFF
    return ':' + ''.join('%02X' % b for b in fields + [check])


def pseudo_random_bytes(count, seed):
    out = []
    x = seed
    for _ in range(count):
        x = (x * 1103515245 + 12345) & 0x7FFFFFFF
        out.append((x >> 16) & 0xFF)
    return bytes(out)


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    path = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, 'examples', 'firmware.hex')
    lines = [record(4, 0, b'\x00\x00')]
    code = pseudo_random_bytes(3072, 1)
    for off in range(0, len(code), 32):
        lines.append(record(0, off, code[off:off + 32]))
    lines.append(record(4, 0, b'\x00\x01'))
    tables = pseudo_random_bytes(1024, 2)
    for off in range(0, len(tables), 128):
        lines.append(record(0, off, tables[off:off + 128]))
    lines.append(record(0, 0x0400, b'DiriduzedeFW'))
    lines.append(record(1, 0, b''))
    with open(path, 'w', newline='\n') as f:
        f.write('\n'.join(lines) + '\n')


if __name__ == '__main__':
    main()

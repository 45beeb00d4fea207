#!/usr/bin/python3
"""Downloads over a pty to the simulator and compares the images it saved, byte
for byte, with the images the example files must give. The expected bytes are
built here from the values written in the files, not taken from the utility."""
import argparse
import os
import re
import shlex
import shutil
import struct
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
import transcript  # noqa: E402  (the simulator start-up for Wine runs)

OK_TAIL = (b'Downloading Configuration succeeded\nDownloading Rules succeeded\n'
           b'\a\aPlease Power OFF the Diriduzede and power it back on to RESET it.\n'
           b'Disconnected\n')


def f32(value):
    return struct.pack('<f', value)


def deg(d, m=0.0, s=0.0, negative=False):
    """Degrees, minutes and seconds as the angle notations give them."""
    f = m / 60 + s / 3600
    return -(d + f) if negative else d + f


def conf_image(rule_count, implicit):
    """station.cfg over the defaults, with the rules reader's two fields."""
    img = struct.pack('<III', 57600, 9600, 19200)
    img += f32(deg(39, 44, 21.5)) + f32(deg(104, 59, 5, negative=True))
    img += b'N0CALL\0\0'
    # ssid, widemax, widetotal, relay, nsr, link_on_dstar, dupewin, log,
    # haltonerr, dropmangld, fixvalid, pass_no_position, implicit, rule count
    img += struct.pack('<14H', 10, 3, 6, 1, 0, 1, 28, 1, 0, 1, 1, 0, implicit, rule_count)
    img += b'WIDE1-1\0' + b'WIDE2-1\0' + bytes(48)
    assert len(img) == 120
    return img


def slot(data=b''):
    return data.ljust(6, b'\0')


def call_rule(kind, action, mods, line, call=b'', ssid=0):
    return slot(call) + slot(bytes([ssid])) + bytes(12) + struct.pack('<BBH', kind, action | mods, line)


def float_rule(kind, action, line, a, b, c, d=0.0, first=None):
    first = slot(first) if first is not None else f32(a) + b'\0\0'
    return (first + f32(b) + b'\0\0' + f32(c) + b'\0\0' + f32(d) + b'\0\0' +
            struct.pack('<BBH', kind, action, line))


DROP, PASS = 4, 8
DESTIN, SOURCE, CIRCLE, COMPASS, RECTANGLE, SECTOR = 0x25, 0x26, 0x27, 0x28, 0x29, 0x2A


def example_rules(text):
    """The records of examples/filters.rules; each rule is found by its line."""
    lines = text.split('\n')

    def at(start):
        hits = [i + 1 for i, l in enumerate(lines) if l.startswith(start)]
        assert len(hits) == 1, start
        return hits[0]

    return [
        call_rule(DESTIN, PASS, 0x00, at('pass destin APRS'), b'APRS'),
        call_rule(DESTIN, DROP, 0x40, at('drop dst BEACON-15'), b'BEACON', 15),
        call_rule(DESTIN, PASS, 0x10, at('pass dst AP*'), b'AP'),
        call_rule(SOURCE, PASS, 0x40, at('pass source KD0ABC-9'), b'KD0ABC', 9),
        call_rule(SOURCE, PASS, 0x10, at('p    src    W0*'), b'W0'),
        call_rule(SOURCE, DROP, 0x00, at('drop src    NOCALL'), b'NOCALL'),
        call_rule(SOURCE, DROP, 0x30, at('d    src    *')),
        float_rule(CIRCLE, PASS, at('pass circle 25,'), 25.0, deg(39, 44, 30), deg(104, 59, 10, True)),
        float_rule(CIRCLE, PASS, at('pass circle 7.5,'), 7.5, deg(38, 50), deg(104, 49, 0, True)),
        float_rule(COMPASS, PASS, at('pass compass NE,'), 0, deg(39, 30.0), deg(105, 10.0, 0, True),
                   first=bytes([2])),
        float_rule(RECTANGLE, DROP, at('drop rectangle'), 40.0, -106.0, 41.0, -105.0),
        float_rule(SECTOR, PASS, at('pass sector 0d'), 0.0, 90.0, 2.0, 40.0),
        float_rule(SECTOR, DROP, at('drop sector 180'), 180.0, 270.0, 0.5, 0.0),
    ]


def run(args, work, stdin, sim_options=()):
    log_path = os.path.join(work, 'sim.log')
    options = ['--fast', '--save-dir', os.path.join(work, 'saved')] + list(sim_options)
    if args.com_link:
        # A Windows build under Wine: the simulator on its own, its pty linked
        # as the Wine prefix's COM1.
        sim = transcript.start_linked_sim(args.sim, args.com_link, log_path, options, work)
        try:
            proc = subprocess.run(shlex.split(args.exe), input=stdin, stdout=subprocess.PIPE,
                                  stderr=subprocess.PIPE, cwd=work, timeout=120)
        finally:
            transcript.stop_sim(sim)
        proc.stdout = proc.stdout.replace(b'\r\n', b'\n')
    else:
        cmd = [args.sim, '--com', '1', '--log', log_path] + options + ['--', args.exe]
        proc = subprocess.run(cmd, input=stdin, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                              cwd=work, timeout=120)
    with open(log_path, encoding='latin-1') as f:
        log = f.read()
    return proc, log


def saved(work, name):
    with open(os.path.join(work, 'saved', name), 'rb') as f:
        return f.read()


def first_difference(a, b):
    for i, (x, y) in enumerate(zip(a, b)):
        if x != y:
            return i
    return min(len(a), len(b))


failures = []


def check(what, got, expected):
    if got != expected and isinstance(got, str):
        failures.append('%s: %s, expected %s' % (what, got, expected))
    elif got != expected:
        i = first_difference(got, expected)
        failures.append('%s: differs from byte %d (%d bytes, expected %d)\n  got      %s\n  expected %s'
                        % (what, i, len(got), len(expected), got[i:i + 16].hex(' '),
                           expected[i:i + 16].hex(' ')))


def examples_case(args, work):
    with open(os.path.join(work, 'examples', 'filters.rules'), encoding='latin-1') as f:
        records = example_rules(f.read())
    stdin = b'configure examples/station.cfg\nrules examples/filters.rules\nconnect 1\ndownload\nx\n'
    proc, log = run(args, work, stdin)
    check('examples: exit status', str(proc.returncode), '0')
    if not proc.stdout.endswith(b'\n\aConnected at 9600\nCommand> ' + OK_TAIL + b'Command> '):
        failures.append('examples: the download did not end as expected:\n' +
                        proc.stdout[-400:].decode('latin-1'))
    check('examples: conf image', saved(work, 'conf.bin'), conf_image(len(records), 0x64))
    check('examples: rule records', saved(work, 'rules.bin'), b''.join(records))
    # The device's report names the fields as dconfigure and drules do.
    for text in ('Station Call\tN0CALL\tSSID 0x0a', 'Digi Path[2]: WIDE1-1,WIDE2-1',
                 'Rule count 13\tImplicit Rule Action: Drop',
                 'Drop   source    30   *   ', 'Pass   compass   00   NE Dir, 39.500000  D Lat,'):
        if text not in log:
            failures.append('examples: the simulator\'s report lacks %r' % text)


def hundred_case(args, work):
    lines = ['pass destin C%03d-%d' % (i, i % 16) for i in range(100)]
    with open(os.path.join(work, 'hundred.rules'), 'w') as f:
        f.write('\n'.join(lines) + '\n')
    records = [call_rule(DESTIN, PASS, 0x40, i + 1, b'C%03d' % i, i % 16) for i in range(100)]
    shutil.rmtree(os.path.join(work, 'saved'), ignore_errors=True)
    stdin = b'configure examples/station.cfg\nrules hundred.rules\nconnect 1\ndownload\nx\n'
    proc, log = run(args, work, stdin)
    check('100 rules: exit status', str(proc.returncode), '0')
    if not proc.stdout.endswith(OK_TAIL + b'Command> '):
        failures.append('100 rules: the download did not succeed:\n' + proc.stdout[-400:].decode('latin-1'))
    check('100 rules: conf image', saved(work, 'conf.bin'), conf_image(100, 0x70))
    check('100 rules: rule records', saved(work, 'rules.bin'), b''.join(records))
    # On the line: the rules command with "2800", then 46 frames of 64 bytes and
    # one of 44, then the 21-byte finish packet.
    after = log[log.find('command "rules", size 2800'):]
    if not after or 'command "rules", size 2800' not in log:
        failures.append('100 rules: no rules command with size 2800 in the log')
        return
    after = after[:after.find('command "-cestfini-"')]
    sizes = [int(n) for n in re.findall(r'packet \d+ \((\d+) bytes\)', after)]
    check('100 rules: rule data frames', str(sizes), str([64] * 46 + [44, 21]))


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument('--exe', required=True, help='the utility, or a command line for it')
    ap.add_argument('--sim', required=True)
    ap.add_argument('--examples', required=True)
    ap.add_argument('--com-link', metavar='PATH',
                    help='run the simulator on its own with its pty linked at PATH (a Wine COM port); '
                         'the console\'s CR LF is read as LF')
    args = ap.parse_args()
    work = tempfile.mkdtemp(prefix='dz-images-')
    try:
        shutil.copytree(args.examples, os.path.join(work, 'examples'))
        examples_case(args, work)
        hundred_case(args, work)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    if failures:
        print('FAIL\n' + '\n'.join(failures))
        sys.exit(1)
    print('ok')


if __name__ == '__main__':
    main()

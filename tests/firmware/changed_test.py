#!/usr/bin/python3
"""The firmware file changes between its check and the transfer: the utility
under the simulator is held at the Enter prompt while the file is changed in
place, and must send only what still passes the check, then fail.

Usage: changed_test.py --exe UTILITY --sim SIMULATOR --examples DIR
"""
import argparse
import os
import select
import shutil
import subprocess
import sys
import tempfile
import time

ENTER_PROMPT = b'Type the Enter key when you are ready to continue...'
FAILED = (b'Disconnected\nError: Firmware update failed!\n'
          b'\tPower cycle Diriduzede and try again!\nCommand> ')


def changed(line):
    return b'\n\a\aError: Firmware file changed after it was checked (line %d)!\n' % line


def rewrite(path, lines):
    """Rewrites the file in place: the utility keeps the same open file."""
    with open(path, 'r+b') as f:
        f.write(b''.join(lines))
        f.truncate()


def cut_short(path, lines):
    rewrite(path, lines[:4])


def spoil_line_6(path, lines):
    lines[5] = lines[5][:11] + (b'0' if lines[5][11:12] != b'0' else b'1') + lines[5][12:]
    rewrite(path, lines)


def nul_before_line_3(path, lines):
    lines[2] = b'\0' + lines[2]
    rewrite(path, lines)


def comment_for_line_10(path, lines):
    lines[9] = b'; gone\n'
    rewrite(path, lines)


def one_record_more(path, lines):
    rewrite(path, lines + [b':00000001FF\n'])


# (what, change, lines the device accepts, the message after them)
CASES = [
    ('cut short after 4 records', cut_short, list(range(4)), changed(5)),
    ('line 6 no longer sums to 0', spoil_line_6, list(range(5)), changed(6)),
    ('a NUL byte before line 3', nul_before_line_3, list(range(2)), changed(3)),
    ('line 10 now a comment', comment_for_line_10, [i for i in range(108) if i != 9], changed(109)),
    ('a record more than was checked', one_record_more, list(range(108)), changed(109)),
]


def read_until(proc, text, out, timeout):
    """Reads on until text has come (None: to the end of the output)."""
    deadline = time.monotonic() + timeout
    fd = proc.stdout.fileno()
    while text is None or text not in out:
        left = deadline - time.monotonic()
        if left <= 0 or not select.select([fd], [], [], left)[0]:
            return out, False
        chunk = os.read(fd, 4096)
        if not chunk:
            return out, False
        out += chunk
    return out, True


def run(args, work, name, change):
    """The utility flashes work/name, changed by change once it waits for
    Enter. Returns its output after the Enter prompt and its exit status."""
    log = os.path.join(work, 'sim.log')
    saved = os.path.join(work, 'saved.hex')
    proc = subprocess.Popen([args.sim, '--fast', '--com', '1', '--log', log, '--save-firmware', saved,
                             '--', args.exe], cwd=work, stdin=subprocess.PIPE,
                            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    try:
        proc.stdin.write(b'firmware 1 ' + name.encode() + b'\ny\n')
        proc.stdin.flush()
        out, ok = read_until(proc, ENTER_PROMPT, b'', 30)
        if ok and change is not None:
            change()
        proc.stdin.write(b'\nx\n')
        proc.stdin.close()
        out, _ = read_until(proc, None, out, 120)
        status = proc.wait(timeout=10)
    finally:
        if proc.poll() is None:
            proc.kill()
            proc.wait()
    if not ok:
        sys.exit('FAIL: no Enter prompt:\n%r' % out)
    return out[out.index(ENTER_PROMPT) + len(ENTER_PROMPT):], status


def check(what, out, status, message, progress, saved, want_saved):
    connected = (b'\nTo begin TURN ON the Diriduzede or CYCLE THE POWER if it is already on.\n'
                 b'\a\aYou have 20 seconds to do this...\a\nConnected at 19200\n\n\n')
    errors = []
    if not out.startswith(connected):
        errors.append('not connected as usual')
    if not out.endswith(message + FAILED):
        errors.append('does not end with the message, "Disconnected" and the failure advice')
    if out.count(b'\r') != progress:
        errors.append('%d progress lines, expected %d' % (out.count(b'\r'), progress))
    if b'succeeded' in out:
        errors.append('reports success')
    if status != 0:
        errors.append('exit status %d' % status)
    if saved != want_saved:
        errors.append('the device accepted %d lines, expected %d'
                      % (saved.count(b'\n'), want_saved.count(b'\n')))
    if errors:
        print('FAIL: %s: %s\n--- output after the Enter prompt:\n%r' % (what, '; '.join(errors), out))
        return False
    return True


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument('--exe', required=True)
    ap.add_argument('--sim', required=True)
    ap.add_argument('--examples', required=True)
    args = ap.parse_args()
    with open(os.path.join(args.examples, 'firmware.hex'), 'rb') as f:
        original = f.read().splitlines(keepends=True)
    assert len(original) == 108 and all(line.startswith(b':') for line in original)

    ok = True
    for what, change, accepted, message in CASES:
        work = tempfile.mkdtemp(prefix='dz-fw-changed-')
        try:
            path = os.path.join(work, 'fw.hex')
            with open(path, 'wb') as f:
                f.write(b''.join(original))
            out, status = run(args, work, 'fw.hex', lambda: change(path, list(original)))
            saved = b''
            if os.path.exists(os.path.join(work, 'saved.hex')):
                with open(os.path.join(work, 'saved.hex'), 'rb') as f:
                    saved = f.read()
            want = b''.join(original[i] for i in accepted)
            ok = check(what, out, status, message, len(accepted), saved, want) and ok
        finally:
            shutil.rmtree(work, ignore_errors=True)

    if not ok:
        sys.exit(1)
    print('ok')


if __name__ == '__main__':
    main()

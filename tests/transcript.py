#!/usr/bin/python3
"""Runs the utility on a transcript and compares its output byte for byte.

A transcript (*.t) is a list of sections, each opened by a line "--- NAME [ARGS]":

  --- args ARGS          the utility's command-line arguments (split like a shell)
  --- stdin              the utility's standard input
  --- stdout [startup]   the expected standard output; "startup" puts the
                         start-up text (banner, summary, blank line) first
  --- status             the expected exit status (default 0)
  --- stderr             the expected standard error, like stdout (no startup)
  --- stderr re          the same, each line a regular expression that must match
                         the whole of the corresponding line (no escapes decoded)
  --- stdout re          the whole standard output must match the lines, each
                         with its line end, as one regular expression (no
                         escapes decoded; after --crlf's normalisation)
  --- file NAME          a file created in the run's folder before the run
  --- fifo NAME          a FIFO created there, with no writer (POSIX)
  --- sim ARGS           run the utility under the device simulator as COM1,
                         with these simulator options (with --com-link the
                         simulator runs on its own and links its pty there);
                         always unpaced (--fast): no transcript is about the
                         line's pace, and paced ones would only be slower
  --- timeout            seconds the run may take (default 60)
  --- env NAME=VALUE     an environment variable set for the run
  --- compare A B        after the run, files A and B of the run's folder
                         must be byte for byte the same
  --- not-windows WHY    skip the transcript for a Windows build
  --- platform NAME      run only on this platform (posix or windows, see
                         --platform); elsewhere the transcript is skipped

Lines before the first section are comments. In stdin, stdout and file
sections each line ends with a line feed, escapes \\a \\t \\r \\n \\0 \\\\ and
\\xHH are decoded, and a line ending in a lone backslash gets no line feed.
In stdout, \\? stands for any one byte (a clock reading, say).
The run's folder is a fresh temporary one holding a copy of examples/.

With --crlf (a Windows build) every line feed of the output must come as CR LF
and is compared as a line feed.
"""
import argparse
import os
import re
import select
import shlex
import shutil
import signal
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SKIPPED = 77  # the exit status of a transcript that does not apply here


def decode(lines):
    return decode_pattern(lines)[0]


def decode_pattern(lines):
    """The bytes of lines, and the set of positions written as \\? (any byte)."""
    out = bytearray()
    wild = set()
    for line in lines:
        newline = True
        i = 0
        while i < len(line):
            c = line[i]
            if c == '\\':
                if i + 1 == len(line):
                    newline = False
                    break
                n = line[i + 1]
                simple = {'a': 7, 't': 9, 'r': 13, 'n': 10, '0': 0, '\\': 92}
                if n in simple:
                    out.append(simple[n])
                    i += 2
                    continue
                if n == 'x':
                    out.append(int(line[i + 2:i + 4], 16))
                    i += 4
                    continue
                if n == '?':
                    wild.add(len(out))
                    out.append(ord('?'))
                    i += 2
                    continue
                raise ValueError('bad escape \\%s in %r' % (n, line))
            out += c.encode('utf-8')
            i += 1
        if newline:
            out.append(10)
    return bytes(out), wild


def parse(path):
    sections = []
    with open(path, encoding='utf-8') as f:
        text = f.read().split('\n')
    if text and text[-1] == '':
        text.pop()
    current = None
    for line in text:
        if line.startswith('--- '):
            words = line[4:].split(None, 1)
            current = [words[0], words[1] if len(words) > 1 else '', []]
            sections.append(current)
        elif current is not None:
            current[2].append(line)
    return sections


def startup_text():
    with open(os.path.join(HERE, 'shell', 'startup.out'), encoding='utf-8') as f:
        lines = f.read().split('\n')
    if lines and lines[-1] == '':
        lines.pop()
    return decode(lines)


def show(data):
    return data.decode('latin-1').encode('unicode_escape').decode('ascii').replace('\\n', '\\n\n')


def start_linked_sim(sim, link, log, options, cwd):
    """Starts the simulator on its own with its pty linked at link (the COM
    port of a Windows build under Wine); returns it once the link is there."""
    if os.path.lexists(link):
        os.remove(link)
    errors = open(os.path.join(cwd, 'sim.stderr'), 'wb')
    proc = subprocess.Popen([sim, '--link', link, '--log', log] + options, cwd=cwd,
                            stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                            stderr=errors)
    errors.close()
    # It prints its pty's path once the pty and the link are ready.
    ready = b''
    deadline = time.monotonic() + 10
    while not ready.endswith(b'\n') and time.monotonic() < deadline:
        if select.select([proc.stdout], [], [], deadline - time.monotonic())[0]:
            byte = os.read(proc.stdout.fileno(), 1)
            if not byte:
                break
            ready += byte
    if not ready.endswith(b'\n') or not os.path.lexists(link):
        stop_sim(proc)
        with open(os.path.join(cwd, 'sim.stderr'), encoding='latin-1') as f:
            sys.exit('FAIL: the simulator did not start (%r)\n%s' % (ready, f.read()))
    return proc


def stop_sim(proc):
    if proc.poll() is None:
        proc.send_signal(signal.SIGTERM)
        try:
            proc.wait(timeout=5)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()
    proc.stdout.close()


def matches(out, expected, wild):
    if len(out) != len(expected):
        return False
    return all(o == e or i in wild for i, (o, e) in enumerate(zip(out, expected)))


def read_or_none(path):
    try:
        with open(path, 'rb') as f:
            return f.read()
    except OSError:
        return None


def lone_line_feed(data):
    m = re.search(rb'(?<!\r)\n', data)
    return m.start() if m else -1


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument('--exe', required=True, help='the utility, or a command line for it')
    ap.add_argument('--sim', help='the device simulator')
    ap.add_argument('--examples', required=True)
    ap.add_argument('--crlf', action='store_true',
                    help='the console writes CR LF for LF (Windows): normalise before comparing')
    ap.add_argument('--platform', choices=('posix', 'windows'), default='posix',
                    help='the platform the utility was built for (default posix)')
    ap.add_argument('--com-link', metavar='PATH',
                    help='run the simulator on its own, its pty linked at PATH '
                         '(e.g. $WINEPREFIX/dosdevices/com1)')
    ap.add_argument('transcript')
    args = ap.parse_args()

    stdin = b''
    expected = None
    expected_err = None
    err_patterns = None
    out_pattern = None
    wild = set()
    compares = []
    platform = None
    not_windows = None
    status = 0
    timeout = 60
    sim = None
    files = []
    fifos = []
    exe_args = []
    env = dict(os.environ)
    for name, arg, lines in parse(args.transcript):
        if name == 'args':
            exe_args = shlex.split(arg)
        elif name == 'stdin':
            stdin = decode(lines)
        elif name == 'stdout' and arg == 're':
            out_pattern = ''.join(line + '\n' for line in lines)
        elif name == 'stdout':
            prefix = startup_text() if arg == 'startup' else b''
            body, body_wild = decode_pattern(lines)
            expected = prefix + body
            wild = {len(prefix) + i for i in body_wild}
        elif name == 'status':
            status = int(''.join(lines).strip())
        elif name == 'stderr' and arg == 're':
            err_patterns = lines
        elif name == 'stderr':
            expected_err = decode(lines)
        elif name == 'timeout':
            timeout = float(''.join(lines).strip())
        elif name == 'file':
            files.append((arg, decode(lines)))
        elif name == 'fifo':
            fifos.append(arg)
        elif name == 'env':
            key, eq, value = arg.partition('=')
            if not eq:
                sys.exit('%s: env section without NAME=VALUE' % args.transcript)
            env[key] = value
        elif name == 'sim':
            sim = arg
        elif name == 'compare':
            compares.append(arg.split())
        elif name == 'not-windows':
            not_windows = arg
        elif name == 'platform':
            platform = arg.strip()
            if platform not in ('posix', 'windows'):
                sys.exit('%s: unknown platform %s' % (args.transcript, platform))
        else:
            sys.exit('%s: unknown section %s' % (args.transcript, name))

    windows = args.platform == 'windows' or args.crlf
    if not_windows is not None and windows:
        print('skipped on Windows: %s' % not_windows)
        sys.exit(SKIPPED)
    if platform is not None and platform != ('windows' if windows else 'posix'):
        print('skipped: %s only' % platform)
        sys.exit(SKIPPED)

    work = tempfile.mkdtemp(prefix='dz-transcript-')
    try:
        shutil.copytree(args.examples, os.path.join(work, 'examples'))
        for name, data in files:
            with open(os.path.join(work, name), 'wb') as f:
                f.write(data)
        for name in fifos:
            os.mkfifo(os.path.join(work, name))
        cmd = shlex.split(args.exe) + exe_args
        log = os.path.join(work, 'sim.log')
        linked = None
        if sim is not None:
            if not args.sim:
                sys.exit('this transcript needs the simulator (--sim)')
            sim_options = ['--fast'] + sim.split()
            if args.com_link:
                linked = start_linked_sim(args.sim, args.com_link, log, sim_options, work)
            else:
                cmd = [args.sim, '--com', '1', '--log', log] + sim_options + ['--'] + cmd
        try:
            run = subprocess.run(cmd, input=stdin, stdout=subprocess.PIPE,
                                 stderr=subprocess.PIPE, cwd=work, timeout=timeout, env=env)
        except subprocess.TimeoutExpired:
            sys.exit('FAIL: no exit within %g s' % timeout)
        finally:
            if linked is not None:
                stop_sim(linked)
        out = run.stdout
        ok = True
        if args.crlf:
            lone = lone_line_feed(out)
            if lone >= 0:
                ok = False
                print('FAIL: line feed without CR at byte %d of the output' % lone)
            out = out.replace(b'\r\n', b'\n')
        if expected is not None and not matches(out, expected, wild):
            ok = False
            common = 0
            while common < min(len(out), len(expected)) and \
                    (out[common] == expected[common] or common in wild):
                common += 1
            print('FAIL: standard output differs from byte %d' % common)
            print('--- expected (from there):\n' + show(expected[common:common + 400]))
            print('--- got (from there):\n' + show(out[common:common + 400]))
        if out_pattern is not None and not re.fullmatch(out_pattern, out.decode('latin-1')):
            ok = False
            print('FAIL: standard output does not match:\n' + out_pattern)
            print('--- got:\n' + show(out[:2000]))
        err = run.stderr.replace(b'\r\n', b'\n') if args.crlf else run.stderr
        if expected_err is not None and err != expected_err:
            ok = False
            print('FAIL: standard error differs')
            print('--- expected standard error:\n' + show(expected_err))
        if err_patterns is not None:
            got = err.decode('latin-1').split('\n')
            if got and got[-1] == '':
                got.pop()
            if len(got) != len(err_patterns) or not all(
                    re.fullmatch(p, g) for p, g in zip(err_patterns, got)):
                ok = False
                print('FAIL: standard error does not match, line by line:\n' + '\n'.join(err_patterns))
        for a, b in compares:
            da = read_or_none(os.path.join(work, a))
            db = read_or_none(os.path.join(work, b))
            if da is None or db is None or da != db:
                ok = False
                print('FAIL: %s and %s differ' % (a, b))
                print('--- %s:\n%s' % (a, 'missing' if da is None else show(da[:2000])))
                print('--- %s:\n%s' % (b, 'missing' if db is None else show(db[:2000])))
        if run.returncode != status:
            ok = False
            print('FAIL: exit status %d, expected %d' % (run.returncode, status))
        if not ok:
            print('--- standard error:\n' + run.stderr.decode('latin-1'))
            if os.path.exists(log):
                print('--- simulator log:\n' + open(log, encoding='latin-1').read()[-4000:])
            sys.exit(1)
        print('ok')
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == '__main__':
    main()

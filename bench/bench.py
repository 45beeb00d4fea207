#!/usr/bin/python3
"""The benchmark behind scripts/bench.sh: runs each case and prints one table
(figure, measured, limit or peer, ratio). Not a test: it judges nothing, it
prints what this machine does. Ratios are of figures measured side by side in
this run.

Usage: bench/bench.py BUILD_DIR
"""
import os
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

BUILD = None
UTILITY = None
SIM = None
MEASURE = None  # bench/measure.c, built by scripts/bench.sh


def record(rtype, offset, data):
    fields = [len(data), offset >> 8, offset & 0xFF, rtype] + list(data)
    return ':' + ''.join('%02X' % b for b in fields + [(-sum(fields)) & 0xFF])


def firmware_lines(count):
    """count 16-byte data records from address 0, an extended linear address
    record before each further 64 KiB, and the end-of-file record."""
    lines = []
    for i in range(count):
        address = 16 * i
        if address % 0x10000 == 0 and address:
            lines.append(record(4, 0, bytes([address >> 24, (address >> 16) & 0xFF])))
        lines.append(record(0, address & 0xFFFF, bytes((i * 7 + j) & 0xFF for j in range(16))))
    lines.append(record(1, 0, b''))
    return lines


def write_lines(path, lines):
    with open(path, 'w') as f:
        f.write('\n'.join(lines) + '\n')


def measured(argv, stdin=b'', cwd=None, env=None, timeout=300):
    """Runs argv; returns its output, its CPU seconds (user + system) and its
    peak RSS in KiB, measured by a wrapper that waits for it alone."""
    usage = os.path.join(tempfile.gettempdir(), 'dz-bench-usage.%d' % os.getpid())
    wrapped = [MEASURE, 'usage', usage] + argv
    run = subprocess.run(wrapped, input=stdin, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                         cwd=cwd, env=env, timeout=timeout)
    with open(usage) as f:
        cpu, maxrss = f.read().split()
    os.remove(usage)
    return run.stdout, float(cpu), int(maxrss)


def under_sim(work, sim_options, stdin, timeout=300):
    """The utility under the simulator as COM1. Returns the utility's output,
    its CPU seconds and peak RSS (measured by a wrapper that waits for it
    alone) and the simulator's log."""
    log = os.path.join(work, 'sim.log')
    usage = os.path.join(work, 'usage')
    argv = [SIM, '--com', '1', '--log', log] + sim_options + ['--', MEASURE, 'usage', usage, UTILITY]
    run = subprocess.run(argv, input=stdin, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                         cwd=work, timeout=timeout)
    with open(usage) as f:
        cpu, maxrss = f.read().split()
    with open(log, encoding='latin-1') as f:
        return run.stdout, float(cpu), int(maxrss), f.read()


def log_figure(log, pattern):
    m = re.search(pattern, log)
    if m is None:
        sys.exit('bench: the simulator\'s log lacks %r:\n%s' % (pattern, log[-2000:]))
    return m


def case_firmware_paced(work, rows, peaks):
    lines = firmware_lines(500)
    write_lines(os.path.join(work, 'fw500.hex'), lines)
    out, cpu, rss, log = under_sim(work, [], b'firmware 1 fw500.hex\ny\n\nx\n')
    if b'Firmware update succeeded' not in out:
        sys.exit('bench: the paced firmware update failed:\n' + out.decode('latin-1')[-2000:])
    m = log_figure(log, r'record lines: (\d+) answered, (\d+) bytes crossed, ([\d.]+) s')
    crossed = sum(len(line) + 2 for line in lines)  # CR and status byte
    if int(m.group(1)) != len(lines) or int(m.group(2)) != crossed:
        sys.exit('bench: the simulator counted %s lines, %s bytes; expected %d, %d'
                 % (m.group(1), m.group(2), len(lines), crossed))
    took = float(m.group(3))
    line_time = crossed * 10 / 19200
    rows.append(('firmware, 501 records at 19200, paced: record phase', '%.3f s' % took,
                 '%.3f s line time' % line_time, took / line_time, '<= 1.01'))
    peaks.append(rss)


def case_download_paced(work, rows, peaks):
    shutil.copy(os.path.join(ROOT, 'examples', 'station.cfg'), work)
    write_lines(os.path.join(work, 'bench.rules'),
                ['pass src N%02dABC' % i for i in range(100)])
    out, cpu, rss, log = under_sim(
        work, [], b'configure station.cfg\nrules bench.rules\nconnect 1\ndownload\nx\n')
    if b'Downloading Rules succeeded' not in out:
        sys.exit('bench: the paced download failed:\n' + out.decode('latin-1')[-2000:])
    m = log_figure(log, r'download: (\d+) packets, (\d+) bytes crossed, ([\d.]+) s')
    rules = log_figure(log, r'rule records received \((\d+) bytes\)')
    if int(rules.group(1)) != 100 * 28:
        sys.exit('bench: %s bytes of rule records, not 100 records' % rules.group(1))
    took = float(m.group(3))
    line_time = int(m.group(2)) * 10 / 9600
    rows.append(('download, 100 rules at 9600, paced: first packet to last ACK', '%.3f s' % took,
                 '%.3f s line time' % line_time, took / line_time, '<= 1.01'))
    peaks.append(rss)


def case_firmware_cpu(work, rows, peaks):
    count = 4096
    write_lines(os.path.join(work, 'fw4096.hex'), firmware_lines(count))
    out, cpu, rss, log = under_sim(work, ['--fast'], b'firmware 1 fw4096.hex\ny\n\nx\n')
    if b'Firmware update succeeded' not in out:
        sys.exit('bench: the unpaced firmware update failed:\n' + out.decode('latin-1')[-2000:])
    per = cpu / (count + 1) * 1e6
    rows.append(('utility CPU per firmware record (4097, unpaced)', '%.1f us' % per, '20 us',
                 per / 20, '<= 1'))
    peaks.append(rss)


def best_cpu(argv, tries, stdin=b'', cwd=None, env=None, expect=None):
    """The least CPU of tries runs, and the largest peak RSS."""
    best, peak = None, 0
    for _ in range(tries):
        out, cpu, rss = measured(argv, stdin=stdin, cwd=cwd, env=env)
        if expect is not None and expect not in out:
            sys.exit('bench: %s gave:\n%s' % (argv[0], out.decode('latin-1')[-2000:]))
        best = cpu if best is None else min(best, cpu)
        peak = max(peak, rss)
    return best, peak


def case_inhexverify(work, rows, peaks, tries):
    big = os.path.join(work, 'big.hex')
    write_lines(big, firmware_lines(262144))
    size = os.path.getsize(big)
    env = dict(os.environ, DIRIDUZEDE_COM1=os.path.join(work, 'no-such-port'))
    # The update stops at the port, after the whole file was verified.
    ours, rss = best_cpu([UTILITY], tries, stdin=b'firmware 1 big.hex\ny\nx\n', cwd=work, env=env,
                       expect=b'could not open COM port')
    peaks.append(rss)
    peer, _ = best_cpu([shutil.which('srec_info'), big, '-Intel'], tries, expect=b'Data:')
    rows.append(('inhexverify, 262,144 records (%.1f MB), CPU' % (size / 1e6), '%.3f s' % ours,
                 '%.3f s srec_info' % peer, peer / ours, '>= 3 (peer / ours)'))


def case_silent_connect(work, rows, peaks):
    out, cpu, rss, log = under_sim(work, ['--silent', '--fast'], b'connect 1\nx\n')
    if b'Connected' in out:
        sys.exit('bench: a silent device connected:\n' + out.decode('latin-1')[-2000:])
    # Less what starting and ending cost, measured alike.
    _, base, _, _ = under_sim(work, ['--silent', '--fast'], b'x\n')
    during = max(cpu - base, 0) * 1e3
    rows.append(('CPU during a silent connect (20 s)', '%.1f ms' % during, '10 ms', during / 10, '< 1'))
    peaks.append(rss)


def case_startup(work, rows, peaks, tries):
    def median_ms(program):
        run = subprocess.run([MEASURE, 'startup', str(tries), program], stdout=subprocess.PIPE,
                             cwd=work, check=True)
        return float(run.stdout)
    ours = median_ms(UTILITY)
    peer = median_ms('prompt')
    rows.append(('start-up to the first prompt (median of %d)' % tries, '%.2f ms' % ours,
                 '5 ms; %.2f ms a bare C prompt' % peer, ours / 5, '< 1'))


def machine():
    model = '?'
    with open('/proc/cpuinfo') as f:
        for line in f:
            if line.startswith('model name'):
                model = line.split(':', 1)[1].strip()
                break
    load = os.getloadavg()
    return '%s, %d cores, load %.1f %.1f %.1f' % (model, os.cpu_count(), *load)


def main():
    global BUILD, UTILITY, SIM, ROOT, MEASURE
    BUILD = os.path.abspath(sys.argv[1])
    MEASURE = os.path.join(BUILD, 'measure')
    ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    UTILITY = os.path.join(BUILD, 'diriduzede')
    SIM = os.path.join(BUILD, 'diriduzede-sim')
    print('machine: ' + machine())
    print('date: ' + time.strftime('%Y-%m-%d %H:%M UTC', time.gmtime()))
    rows = []
    peaks = []
    work = tempfile.mkdtemp(prefix='dz-bench-')
    try:
        for case in (case_firmware_paced, case_download_paced, case_firmware_cpu, case_silent_connect):
            case(work, rows, peaks)
        case_inhexverify(work, rows, peaks, 3)
        case_startup(work, rows, peaks, 21)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    peak = max(peaks) / 1024
    rows.append(('peak RSS of the utility (largest of the runs)', '%.2f MB' % peak, '4 MB', peak / 4, '< 1'))
    print()
    head = ('figure', 'measured', 'limit or peer', 'ratio', 'target')
    cells = [head] + [(r[0], r[1], r[2], '%.3f' % r[3], r[4]) for r in rows]
    widths = [max(len(c[i]) for c in cells) for i in range(5)]
    fmt = '| %%-%ds | %%%ds | %%%ds | %%%ds | %%-%ds |' % tuple(widths)
    for i, c in enumerate(cells):
        print(fmt % c)
        if i == 0:
            print('|' + '|'.join('-' * (w + 2) for w in widths) + '|')


if __name__ == '__main__':
    main()

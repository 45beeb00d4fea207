#!/usr/bin/python3
"""Full sessions against a misbehaving simulated device: each reads the
example files, connects, downloads and updates the firmware, with faults drawn
at random from the simulator's options. What must come of the faults drawn is
worked out here beforehand: the utility's messages and exit status, and what
the device holds afterwards (the images and the firmware lines it accepted,
byte for byte). Any difference fails the run, and so does a session that
outlives the time-outs its faults allow.

Usage: scripts/soak.py --exe UTILITY --sim SIMULATOR --examples DIR [--seed S]
       [--jobs J] [--session I] SESSIONS
A session is drawn from the seed and its number alone, so
"--seed S --session I" repeats session I of a run."""
import argparse
import collections
import concurrent.futures
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, '..', 'tests', 'download'))
import images_test  # noqa: E402  (the expected images, built from the example files' values)

STDIN = (b'configure station.cfg\nrules filters.rules\nconnect 1\ndownload\n'
         b'firmware 1 firmware.hex\ny\n\nx\n')

ACK, NAK = 0x06, 0x15
NOISE = [0xff, 0x80, 0xaa, 0x7f, 0x55, 0xc3, 0x9e, 0xe7]  # the simulator's noise bytes, in turn

# The utility's time-outs, in seconds.
REPLY_WAIT = 5.0      # a download packet's ACK
FATAL_PAUSE = 5.0     # the pause before the end on a failed port read
RECORD_WAIT = 0.1     # a record line's status byte
WRITE_WAIT = 0.1      # a record line's write
# What a session takes without any wait, at most, on a busy machine.
WORK = 15.0

# Download frames of the example files: the conf command, 120 image bytes in
# frames of 60, the rules command, 13 records (364 bytes), the finish packet.
FRAMES = [21, 64, 64, 21] + [64] * 6 + [8, 21]
CONSOLE_BYTES = 11    # ctrl-C, then "download\r\n", before the first frame


# The simulator's option for the firmware version it plays.
VERSION_OPTION = '--fw-version'


def firmware_records(examples):
    with open(os.path.join(examples, 'firmware.hex'), 'rb') as f:
        return [l.rstrip(b'\r\n') for l in f if l.startswith(b':')]


def draw(rng, records):
    """The simulator's options for one session, and the faults by kind."""
    opts, kinds = [], []
    # The console and the line.
    r = rng.random()
    noise = 0
    if r < 0.15:
        noise = rng.randint(1, 8)
        opts += ['--noise', str(noise)]
        kinds.append('noise')
    if rng.random() < 0.15:
        opts += ['--zeros']
        kinds.append('zeros')
    old = None
    if rng.random() < 0.04:
        # The banner's text, and the version the utility reads from it.
        text, old = rng.choice([('2.0', '2.0'), ('1.9', '1.9'), ('2.0b', '2.0')])
        opts += [VERSION_OPTION, text]
        kinds.append('old version')
    # The download.
    download = None
    r = rng.random()
    if r < 0.2:
        k, times = rng.randint(1, len(FRAMES)), rng.randint(1, 6)
        opts += ['--nak', str(k), '--nak-times', str(times)]
        download = ('nak', k, times)
    elif r < 0.28:
        k = rng.randint(1, len(FRAMES))
        opts += ['--no-reply', str(k)]
        download = ('no reply', k)
    elif r < 0.38:
        k = rng.randint(1, len(FRAMES))
        byte = rng.choice([0, NAK] + [b for b in range(256) if b not in (0, ACK, NAK)])
        opts += ['--garbage', str(k), '--garbage-byte', str(byte)]
        download = ('garbage', k, byte)
    elif r < 0.44:
        k = rng.randint(1, len(FRAMES))
        opts += ['--hangup-packet', str(k)]
        download = ('hang-up at a packet', k)
    if download:
        kinds.append(download[0])
    # The firmware loader.
    firmware = None
    r = rng.random()
    if r < 0.3:
        schedule = {}
        for _ in range(rng.randint(1, 5)):
            n = rng.randint(1, len(records) + 3)
            schedule[n] = rng.choice(['none', 0x12, 0x11, 0x15, 0x00, 0x17, 0x18, ACK,
                                      rng.randint(1, 255)])
        opts += ['--fw-status', ','.join('%d=%s' % (n, s if s == 'none' else '0x%02x' % s)
                                         for n, s in sorted(schedule.items()))]
        firmware = ('firmware statuses', schedule)
    elif r < 0.36:
        n = rng.randint(1, len(records))
        opts += ['--fw-hangup', str(n)]
        firmware = ('hang-up at a record line', n)
    elif r < 0.4:
        opts += ['--no-loader']
        firmware = ('no loader',)
    elif r < 0.44:
        n = rng.randint(1, len(records))
        opts += ['--fw-stall', str(n)]
        firmware = ('stall at a record line', n)
    if firmware:
        kinds.append(firmware[0])
    # A hang-up at any byte since power-on, in the download or in the loader,
    # when nothing else changes how many bytes come.
    hangup = None
    if download is None and firmware is None and rng.random() < 0.25:
        total = CONSOLE_BYTES + sum(FRAMES) + 10 + sum(len(l) + 1 for l in records)
        hangup = rng.randint(1, total)
        opts += ['--hangup', str(hangup)]
        kinds.append('hang-up at a byte')
    if not kinds:
        kinds.append('none')
    return opts, kinds, dict(noise=noise, old=old, download=download, firmware=firmware, hangup=hangup)


def packet_failure(k, code, message):
    """The messages of a download that fails at frame k with dwn_write_pkt's code."""
    out = []
    if k >= 4:
        out.append('Downloading Configuration succeeded')
    if k >= 12:
        out.append('Downloading Rules succeeded')
    if message:
        out.append(message)
    if k == 1:
        out += ['Error: writing Configuration command failed: %d' % code, 'Error: Download failed: -1']
    elif k in (2, 3):
        out += ['Error: writing data pkt: %d' % code, 'Error: writing Configuration file failed: -3',
                'Error: Download failed: -2']
    elif k == 4:
        out += ['Error: writing Rules command failed: %d' % code, 'Error: Download failed: -3']
    elif k < 12:
        out += ['Error: writing data pkt: %d' % code, 'Error: writing Rules file failed: -3',
                'Error: Download failed: -4']
    else:
        out += ['Error: error writing finish pkt: %d' % code, 'Error: Download failed: -5']
    return out


STATUS_TEXT = {0x00: 'timed out on Line %d, resending.',
               0x11: "didn't get start character on Line %d, resending.",
               0x12: 'bad record checksum on Line %d, resending.',
               0x15: 'validation on Line %d, resending.',
               0x17: 'buffer full on Line %d- aborting!',
               0x18: 'fatal on Line %d- aborting!'}


def predict(plan, records):
    """What the session must give: message lines, exit status, images saved
    (None: none), firmware lines saved, and the seconds its waits may take."""
    msgs, wait = [], 0.0
    saved = {'conf': False, 'rules': False}
    fw_saved = []
    hangup = plan['hangup']

    def fatal():
        return dict(msgs=msgs, status=3, saved=saved, fw_saved=fw_saved, wait=wait + FATAL_PAUSE)

    def cut_at(k):
        # The download ends while frame k is under way: what came before it stays.
        if k > 3:
            msgs.append('Downloading Configuration succeeded')
            saved['conf'] = True
        if k > 11:
            msgs.append('Downloading Rules succeeded')
            saved['rules'] = True

    # connect
    if plan['old']:
        msgs.append('Error: received Diriduzede version %s but minimal is 2.1!' % plan['old'])
        msgs.append('Error: not Connected!')
    else:
        if hangup is not None and hangup <= 1:
            return fatal()
        msgs.append('Connected at 9600')
        if hangup is not None and hangup <= CONSOLE_BYTES:
            return fatal()
        # download
        d = plan['download']
        end = CONSOLE_BYTES
        failed_at = None
        for k, size in enumerate(FRAMES, 1):
            end += size
            if hangup is not None and hangup <= end:
                cut_at(k)
                return fatal()
            if d and d[1] == k:
                kind = d[0]
                if kind == 'nak' and d[2] >= 5:
                    failed_at = (k, -6, None)
                elif kind == 'no reply' or (kind == 'garbage' and d[2] == 0):
                    failed_at = (k, -4, 'Error: reading ack or nak: 0')
                    wait += REPLY_WAIT
                elif kind == 'garbage' and d[2] == NAK:
                    failed_at = (k, -6, None)
                elif kind == 'garbage':
                    failed_at = (k, -5, 'Error: reading ack or nak: got 0x%02x' % d[2])
                elif kind == 'hang-up at a packet':
                    cut_at(k)
                    return fatal()
                if failed_at:
                    break
        if failed_at:
            k, code, message = failed_at
            msgs += packet_failure(k, code, message)
            saved['conf'] = k > 3
            saved['rules'] = k > 11
        else:
            msgs += ['Downloading Configuration succeeded', 'Downloading Rules succeeded']
            saved['conf'] = saved['rules'] = True
        msgs.append('Disconnected')
        # A hang-up byte past the download counts again from the loader's power-on.

    # firmware
    fw = plan['firmware']
    failure = ['Disconnected', 'Error: Firmware update failed!']
    first4 = None
    if fw and fw[0] == 'no loader':
        first4 = [NOISE[i % 8] for i in range(min(plan['noise'], 4))] + list(b'\r\nDiriduzede')
    elif plan['noise'] >= 4:
        first4 = [NOISE[i % 8] for i in range(4)]
    if first4 is not None:
        msgs.append('Error: did not receive the Diriduzede Firmware prompt!')
        msgs.append('Got 4: ' + ' '.join('0x%02x' % b for b in first4[:4]))
        msgs += failure
        return dict(msgs=msgs, status=0, saved=saved, fw_saved=fw_saved, wait=wait)
    if hangup is not None and hangup <= 1:
        return fatal()
    msgs.append('Connected at 19200')
    if hangup is not None and hangup <= 10:
        return fatal()
    schedule = fw[1] if fw and fw[0] == 'firmware statuses' else {}
    fw_hangup = fw[1] if fw and fw[0] == 'hang-up at a record line' else None
    stall = fw[1] if fw and fw[0] == 'stall at a record line' else None
    count, errors, sent = 0, 0, 10
    for line_no, line in enumerate(records, 1):
        while True:
            count += 1
            sent += len(line) + 1
            if count == fw_hangup or (hangup is not None and hangup <= sent):
                return fatal()
            if count == stall:
                msgs.append('Error: wrote 0 of %d, got error on port COM1: Connection timed out' % (len(line) + 1))
                msgs.append('Error: wrote FIRMSYNC attention character, got error on port COM1')
                msgs += failure
                return dict(msgs=msgs, status=0, saved=saved, fw_saved=fw_saved, wait=wait + WRITE_WAIT)
            s = schedule.get(count, ACK)
            if s == 'none' or s == 0:
                s = 0
                wait += RECORD_WAIT
            if s == ACK:
                fw_saved.append(line)
                break
            errors += 1
            if errors >= 10:
                msgs.append('Error: maximum Firmware updating errors (10) encountered- aborting!')
                msgs += failure
                return dict(msgs=msgs, status=0, saved=saved, fw_saved=fw_saved, wait=wait)
            text = STATUS_TEXT.get(s)
            if text is None:
                msgs.append('Error: Firmware updating error: unknown (0x%02x) on Line %d, resending.'
                            % (s, line_no))
            else:
                msgs.append('Error: Firmware updating error: ' + text % line_no)
            if s in (0x17, 0x18):
                msgs += failure
                return dict(msgs=msgs, status=0, saved=saved, fw_saved=fw_saved, wait=wait)
    msgs += ['Disconnected', 'Firmware update succeeded!']
    return dict(msgs=msgs, status=0, saved=saved, fw_saved=fw_saved, wait=wait)


MESSAGE = re.compile(r'Error|Warning|succeeded|Connected at|Disconnected|^Got \d')


def message_lines(out):
    lines = []
    for piece in re.split(r'[\r\n]', out.decode('latin-1')):
        piece = piece.replace('\a', '').strip()
        # A message may follow the progress line without a line end of its own.
        m = re.search(r'Error|Warning', piece)
        if m:
            piece = piece[m.start():]
        if piece.startswith('Command> '):
            piece = piece[len('Command> '):]
        if MESSAGE.search(piece):
            lines.append(piece)
    return lines


def run_session(args, seed, number, records, expected, sim_extra):
    rng = random.Random('%s-%d' % (seed, number))
    opts, kinds, plan = draw(rng, records)
    want = predict(plan, records)
    bound = WORK + want['wait']
    work = tempfile.mkdtemp(prefix='dz-soak-')
    problems = []
    try:
        for name in ('station.cfg', 'filters.rules', 'firmware.hex'):
            shutil.copy(os.path.join(args.examples, name), work)
        cmd = ([args.sim, '--com', '1', '--log', os.path.join(work, 'sim.log'),
                '--save-dir', os.path.join(work, 'saved'),
                '--save-firmware', os.path.join(work, 'firmware.saved')] + sim_extra + opts +
               ['--', args.exe])
        start = time.monotonic()
        try:
            proc = subprocess.run(cmd, input=STDIN, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                  cwd=work, timeout=bound + 60)
        except subprocess.TimeoutExpired:
            return dict(number=number, kinds=kinds, opts=opts, took=time.monotonic() - start,
                        bound=bound, problems=['still running %.0f s after its bound' % 60])
        took = time.monotonic() - start
        got = message_lines(proc.stdout)
        if got != want['msgs']:
            problems.append('messages:\n    got      %s\n    expected %s' % (got, want['msgs']))
        if proc.returncode != want['status']:
            problems.append('exit status %d, expected %d' % (proc.returncode, want['status']))
        err = proc.stderr.decode('latin-1')
        if want['status'] == 3:
            if not err.startswith('\a\aError: could not read on COM port COM1: '):
                problems.append('standard error: %r' % err[:200])
        elif err:
            problems.append('standard error: %r' % err[:200])
        for name in ('conf', 'rules'):
            path = os.path.join(work, 'saved', name + '.bin')
            there = os.path.exists(path)
            if there != want['saved'][name]:
                problems.append('%s.bin %s' % (name, 'saved' if there else 'not saved'))
            elif there:
                with open(path, 'rb') as f:
                    if f.read() != expected[name]:
                        problems.append('%s.bin differs from the expected image' % name)
        path = os.path.join(work, 'firmware.saved')
        lines = []
        if os.path.exists(path):
            with open(path, 'rb') as f:
                lines = f.read().split(b'\n')[:-1]
        if lines != want['fw_saved']:
            problems.append('firmware lines saved: %d, expected %d (the first %d of the file)'
                            % (len(lines), len(want['fw_saved']), len(want['fw_saved'])))
        if took > bound:
            problems.append('took %.1f s, more than its bound %.1f s' % (took, bound))
        if problems:
            with open(os.path.join(work, 'sim.log'), encoding='latin-1') as f:
                tail = f.read()[-1500:]
            problems.append('simulator log, end:\n' + tail)
        return dict(number=number, kinds=kinds, opts=opts, took=took, bound=bound, problems=problems)
    finally:
        shutil.rmtree(work, ignore_errors=True)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument('sessions', type=int, nargs='?', default=200)
    ap.add_argument('--exe', required=True)
    ap.add_argument('--sim', required=True)
    ap.add_argument('--examples', required=True)
    ap.add_argument('--seed', type=int)
    ap.add_argument('--jobs', type=int, default=2)
    ap.add_argument('--session', type=int, help='run only this session of the seed')
    args = ap.parse_args()
    args.exe, args.sim, args.examples = (os.path.abspath(p) for p in (args.exe, args.sim, args.examples))
    seed = args.seed if args.seed is not None else random.SystemRandom().randrange(1 << 32)
    print('soak: seed %d (repeat with --seed %d)' % (seed, seed), flush=True)

    records = firmware_records(args.examples)
    with open(os.path.join(args.examples, 'filters.rules'), encoding='latin-1') as f:
        rules = images_test.example_rules(f.read())
    expected = {'conf': images_test.conf_image(len(rules), 0x64), 'rules': b''.join(rules)}
    helptext = subprocess.run([args.sim, '--help'], stdout=subprocess.PIPE).stdout.decode()
    sim_extra = ['--fast'] if '--fast' in helptext else []
    global VERSION_OPTION
    if '--fw-version' not in helptext:
        VERSION_OPTION = '--version'

    numbers = [args.session] if args.session is not None else range(1, args.sessions + 1)
    kinds = collections.Counter()
    failures = []
    finished = []
    longest = None
    with concurrent.futures.ThreadPoolExecutor(max_workers=args.jobs) as pool:
        for r in pool.map(lambda n: run_session(args, seed, n, records, expected, sim_extra), numbers):
            kinds.update(r['kinds'])
            if longest is None or r['took'] > longest['took']:
                longest = r
            done = len(finished) + 1
            finished.append(r['number'])
            if done % 100 == 0 and done < len(numbers):
                print('soak: %d of %d sessions, %d failed' % (done, len(numbers), len(failures)), flush=True)
            if r['problems']:
                failures.append(r)
                print('soak: session %d FAILED (%s)\n  %s' % (r['number'], ' '.join(r['opts']),
                                                              '\n  '.join(r['problems'])), flush=True)
    print('soak: %d sessions, %d failed' % (len(numbers), len(failures)))
    print('soak: faults drawn: ' + ', '.join('%s %d' % kv for kv in sorted(kinds.items())))
    print('soak: longest session %d took %.1f s, its bound %.1f s (%s)'
          % (longest['number'], longest['took'], longest['bound'], ' '.join(longest['opts']) or 'no faults'))
    sys.exit(1 if failures else 0)


if __name__ == '__main__':
    main()

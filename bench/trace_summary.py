#!/usr/bin/env python3
"""Numbers from an `strace -f -ttt -T` trace of one run: system calls per
second by kind (what `strace -c` counts), frames, writes per frame, bytes per
second to the terminal, the tick period and how late the ticks came, and,
while no key was pressed, the main loop's passes per second and the system
calls per tick.

Usage: trace_summary.py TRACE QUIET_FROM QUIET_TO [RATE_FILE]
       trace_summary.py --peer TRACE FROM TO [RATE_FILE]
  QUIET_FROM, QUIET_TO: wall-clock seconds (date +%s.%N, the clock of -ttt)
  between which no key was sent. RATE_FILE, if given, receives the frames per
  second over that span, for the CPU time per frame of a run without strace.
  --peer: another terminal game, left alone from FROM to TO: its system calls
  and frames there.

A frame of the game is a write to standard output that begins with ESC [ H
(cursor home); every frame the game draws starts so, and nothing else does.
Keys only queue turns and size changes are avoided, so every frame after the
first comes from a tick. Another game may draw a frame in several writes: for
it, writes to standard output less than PEER_GAP apart are one frame.
Numbers only: this never judges them.
"""
import math
import re
import statistics
import sys
from collections import Counter

TICK = 0.100  # seconds
EARLY = 0.002  # seconds
PEER_GAP = 0.010  # seconds
LINE = re.compile(r'^(?:\d+\s+)?(\d+\.\d+)\s+(\w+)\((.*)$')
SPENT = re.compile(r'<(\d+\.\d+)>\s*$')  # strace -T: time inside the call
RESULT = re.compile(r'\)\s+=\s+(-?\d+)')
# The main loop's wait on the terminal and the self-pipe: ppoll (or poll) on
# two descriptors, or select (pselect6 as the kernel sees it) with both in
# the read set.
WAITS = ('poll', 'ppoll', 'select', 'pselect6', '_newselect')
WAIT_FDS = re.compile(r'events=POLLIN\}\], 2, |^\d+, \[\d+ \d+\], ')
POLL_MS = re.compile(r'\], 2, (-?\d+)\)')
TIMESPEC = re.compile(r'\{tv_sec=(\d+), tv_(n|u)sec=(\d+)\}')


def parse(path):
    calls = []  # (time, name, arguments and result)
    with open(path, errors='replace') as trace:
        for line in trace:
            m = LINE.match(line)
            if m and 'resumed>' not in line:
                calls.append((float(m.group(1)), m.group(2), m.group(3)))
    return calls


def written(rest):
    m = RESULT.search(rest)
    return int(m.group(1)) if m and int(m.group(1)) > 0 else 0


def wait_timeout(rest):
    """The wait's timeout in seconds; None when it has none or it cannot be read."""
    arguments = rest.split(') = ', 1)[0]
    if m := POLL_MS.search(arguments):
        return int(m.group(1)) / 1e3 if int(m.group(1)) >= 0 else None
    if m := TIMESPEC.search(arguments):
        return int(m.group(1)) + int(m.group(3)) / (1e9 if m.group(2) == 'n' else 1e6)
    return None


def by_kind(kinds, per):
    return ', '.join(f'{name} {n / per:.2f}' for name, n in kinds.most_common())


def peer(calls, since, until, rate_file):
    """Another game left alone from since to until: its calls from its first
    frame there to its last, so that the span holds whole frames only."""
    writes = [t for t, name, rest in calls
              if name == 'write' and rest.startswith('1,') and since <= t < until]
    frames = [t for before, t in zip([None] + writes, writes)
              if before is None or t - before >= PEER_GAP]
    if len(frames) < 3:
        print('  no frames in the trace (did strace run, did the game start?)')
        return
    start, end = frames[0], frames[-1]
    span, drawn = end - start, len(frames) - 1
    kinds = Counter(name for t, name, _ in calls if start <= t < end)
    total = sum(kinds.values())
    each = sum(1 for t in writes if start <= t < end) / drawn
    print(f'  {span:.1f} s traced, no key: system calls per second {total / span:.1f}'
          f' ({by_kind(kinds, span)})')
    print(f'  frames per second {drawn / span:.2f} (a frame: writes to the terminal less than'
          f' {PEER_GAP * 1e3:.0f} ms apart; {each:.1f} writes each);'
          f' system calls per frame {total / drawn:.1f}')
    if rate_file:
        with open(rate_file, 'w') as out:
            print(f'{drawn / span:.6f}', file=out)


def main():
    args = sys.argv[1:]
    peer_run = args[:1] == ['--peer']
    if peer_run:
        args = args[1:]
    calls = parse(args[0])
    quiet_from, quiet_to = float(args[1]), float(args[2])
    rate_file = args[3] if len(args) > 3 else None
    if peer_run:
        return peer(calls, quiet_from, quiet_to, rate_file)
    to_terminal = [(t, rest) for t, name, rest in calls if name == 'write' and rest.startswith('1,')]
    frame_writes = [(t, rest) for t, rest in to_terminal if rest.startswith('1, "\\33[H')]
    frames = [t for t, _ in frame_writes]
    if len(frames) < 3:
        print('  no frames in the trace (did strace run?)')
        return

    # The steady run: from the first tick's frame to the last frame, so the
    # set-up, the first full frame and the restore are left out.
    start, end = frames[1], frames[-1]
    # The schedule starts once the first frame is out: that frame's write
    # returned (strace -T) is the 100 ms grid's origin.
    spent = SPENT.search(frame_writes[0][1])
    origin = frames[0] + (float(spent.group(1)) if spent else 0.0)
    span = end - start
    print(f'  {span:.1f} s of play traced: {len(frames)} frames, the first a full redraw')

    kinds = Counter(name for t, name, _ in calls if start <= t < end)
    total = sum(kinds.values())
    print(f'  system calls per second: {total / span:.1f} in all')
    for name, n in kinds.most_common():
        print(f'    {name:<16} {n / span:8.1f}')

    # Every frame's writes, the first (a full redraw) among them, up to the
    # next frame; the restore's writes after the last frame are left out.
    per_frame = [sum(1 for t, _ in to_terminal if here <= t < after)
                 for here, after in zip(frames, frames[1:])]
    first_bytes = sum(written(rest) for t, rest in to_terminal if frames[0] <= t < frames[1])
    print(f'  writes per frame: mean {statistics.mean(per_frame):.3f}, max {max(per_frame)};'
          f' the first frame (a full redraw): {per_frame[0]} write(s), {first_bytes} bytes')
    sent = sum(written(rest) for t, rest in to_terminal if start <= t < end)
    print(f'  bytes per second to the terminal: {sent / span:.0f}'
          f' ({sent / (len(frames) - 2):.0f} per frame after the first)')

    # Tick n falls due n * 100 ms after the origin; a pass that found two
    # ticks due draws one frame for both. A frame is never drawn before its
    # tick, so it belongs to the last tick due before it, however late (up
    # to EARLY before the due time counts as on time, for the origin's
    # estimate).
    ticks = frames[1:]
    periods = [b - a for a, b in zip(ticks, ticks[1:])]
    numbers, n = [], 0
    for t in ticks:
        n = max(n + 1, math.floor((t - origin + EARLY) / TICK))
        numbers.append(n)
    late = [t - (origin + k * TICK) for t, k in zip(ticks, numbers)]
    mean_period = (ticks[-1] - ticks[0]) / (numbers[-1] - numbers[0])
    print(f'  tick period over {len(periods)} ticks: mean {mean_period * 1e3:.3f} ms'
          f' ({(mean_period / TICK - 1) * 100:+.3f} %),'
          f' std dev {statistics.pstdev(periods) * 1e3:.3f} ms,'
          f' min {min(periods) * 1e3:.1f} ms, max {max(periods) * 1e3:.1f} ms')
    skipped = numbers[-1] - numbers[0] - len(periods)
    print(f'  lateness after the tick fell due: mean {statistics.mean(late) * 1e3:.2f} ms,'
          f' max {max(late) * 1e3:.2f} ms, ticks drawn together with the next: {skipped}')

    # Where a tick's lateness comes from: the end of the wait's timeout past
    # the due time (set a little after the due time was worked out, and
    # rounded up to whole microseconds by select); the system waking the game
    # after that timeout; the pass itself, from the wait's return to the
    # frame's write.
    waits = [(t, wait_timeout(rest), rest) for t, name, rest in calls
             if name in WAITS and WAIT_FDS.search(rest)]
    rounding, wake_up, work = [], [], []
    w = 0
    for t, k in zip(ticks if waits else [], numbers):
        while w + 1 < len(waits) and waits[w + 1][0] < t:
            w += 1
        began, timeout, rest = waits[w]
        spent = SPENT.search(rest)
        if timeout is None or not spent or began > t:
            continue
        returned = began + float(spent.group(1))
        expiry = began + timeout
        rounding.append(expiry - (origin + k * TICK))
        wake_up.append(returned - expiry)
        work.append(t - returned)
    if work:
        def ms(values):
            return f'{statistics.mean(values) * 1e3:.2f}/{max(values) * 1e3:.2f}'
        print(f'    of which (mean/max ms): timeout ending past due {ms(rounding)},'
              f' woken after the timeout {ms(wake_up)}, the pass up to its write {ms(work)}')

    if quiet_to <= quiet_from:
        return
    quiet = [timeout for t, timeout, _ in waits if quiet_from <= t < quiet_to]
    busy = sum(1 for timeout in quiet if timeout == 0)
    print(f'  passes per second with no key pressed: {len(quiet) / (quiet_to - quiet_from):.1f}'
          f' (over {quiet_to - quiet_from:.1f} s; waits with a zero timeout: {busy})')
    # Per tick from the quiet span's first frame to its last: every call of
    # the passes in between, and a tick for each 100 ms between them.
    idle = [t for t in frames if quiet_from <= t < quiet_to]
    ticks_idle = round((idle[-1] - idle[0]) / TICK) if len(idle) > 1 else 0
    if ticks_idle > 0:
        kinds = Counter(name for t, name, _ in calls if idle[0] <= t < idle[-1])
        print(f'  system calls per tick with no key pressed: {sum(kinds.values()) / ticks_idle:.2f}'
              f' ({by_kind(kinds, ticks_idle)}; over {ticks_idle} ticks)')
        if rate_file:
            with open(rate_file, 'w') as out:
                print(f'{(len(idle) - 1) / (idle[-1] - idle[0]):.6f}', file=out)


if __name__ == '__main__':
    main()

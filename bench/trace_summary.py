#!/usr/bin/env python3
"""Numbers from an `strace -f -ttt -T` trace of one game run: system calls per
second by kind (what `strace -c` counts), frames, writes per frame, bytes per
second to the terminal, the tick period and how late the ticks came, and the
main loop's passes per second while no key was pressed.

Usage: trace_summary.py TRACE QUIET_FROM QUIET_TO
  QUIET_FROM, QUIET_TO: wall-clock seconds (date +%s.%N, the clock of -ttt)
  between which no key was sent.

A frame is a write to standard output that begins with ESC [ H (cursor
home); every frame the game draws starts so, and nothing else does. Keys only
queue turns and size changes are avoided, so every frame after the first
comes from a tick. Numbers only: this never judges them.
"""
import re
import statistics
import sys
from collections import Counter

TICK = 0.100  # seconds
LINE = re.compile(r'^(?:\d+\s+)?(\d+\.\d+)\s+(\w+)\((.*)$')
SPENT = re.compile(r'<(\d+\.\d+)>\s*$')  # strace -T: time inside the call
RESULT = re.compile(r'\)\s+=\s+(-?\d+)')
WAIT_POLL = re.compile(r'\],\s*2,\s*(\S+?)[,)]')  # the main loop's wait: two fds


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


def main():
    calls = parse(sys.argv[1])
    quiet_from, quiet_to = float(sys.argv[2]), float(sys.argv[3])
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
    # ticks due draws one frame for both.
    ticks = frames[1:]
    periods = [b - a for a, b in zip(ticks, ticks[1:])]
    numbers, n = [], 0
    for t in ticks:
        n = max(n + 1, round((t - origin) / TICK))
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
    # the due time (rounded up to whole milliseconds, and set a little after
    # the due time was worked out); the system waking the game after that
    # timeout; the pass itself, from the wait's return to the frame's write.
    waits = [(t, m.group(1), rest) for t, name, rest in calls
             if name in ('poll', 'ppoll') and (m := WAIT_POLL.search(rest))]
    rounding, wake_up, work = [], [], []
    w = 0
    for t, k in zip(ticks if waits else [], numbers):
        while w + 1 < len(waits) and waits[w + 1][0] < t:
            w += 1
        began, timeout, rest = waits[w]
        spent = SPENT.search(rest)
        if not timeout.isdigit() or not spent or began > t:
            continue
        returned = began + float(spent.group(1))
        expiry = began + int(timeout) / 1e3
        rounding.append(expiry - (origin + k * TICK))
        wake_up.append(returned - expiry)
        work.append(t - returned)
    if work:
        def ms(values):
            return f'{statistics.mean(values) * 1e3:.2f}/{max(values) * 1e3:.2f}'
        print(f'    of which (mean/max ms): timeout ending past due {ms(rounding)},'
              f' woken after the timeout {ms(wake_up)}, the pass up to its write {ms(work)}')

    quiet = [timeout for t, timeout, _ in waits if quiet_from <= t < quiet_to]
    busy = [w for w in quiet if w in ('0', '{tv_sec=0, tv_nsec=0}')]
    if quiet_to > quiet_from:
        print(f'  passes per second with no key pressed: {len(quiet) / (quiet_to - quiet_from):.1f}'
              f' (over {quiet_to - quiet_from:.1f} s; waits with a zero timeout: {len(busy)})')


if __name__ == '__main__':
    main()

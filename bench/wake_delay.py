#!/usr/bin/env python3
"""How late this machine wakes a process that sleeps in poll for 100 ms, as
the game does between ticks: the floor under the game's own tick lateness.
Runs beside the game in make profile. Usage: wake_delay.py SECONDS"""
import select
import statistics
import sys
import time

waiter = select.poll()
delays = []
end = time.monotonic() + float(sys.argv[1])
while time.monotonic() < end:
    began = time.monotonic()
    waiter.poll(100)
    delays.append(time.monotonic() - began - 0.100)
delays.sort()
print(f"  this machine's wake-up delay meanwhile (a bare 100 ms poll, {len(delays)} times):"
      f' mean {statistics.mean(delays) * 1e3:.2f} ms,'
      f' 99th percentile {delays[len(delays) * 99 // 100] * 1e3:.2f} ms, max {delays[-1] * 1e3:.2f} ms')

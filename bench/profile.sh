#!/usr/bin/env bash
# make profile: the real game in a private tmux server at 80 x 24 and at
# 400 x 120, left alone for a while and then steered now and then, measured
# from outside. Two runs per size: one under strace for the system calls,
# frames and ticks (bench/trace_summary.py reads the trace), one without it
# for the CPU time, since tracing costs the game time of its own; beside that
# one, a bare sleeper shows how late the machine itself wakes a process
# (bench/wake_delay.py). It reports numbers and always ends with status 0,
# however slow the machine.
#
# Usage: bench/profile.sh [BINARY]   (PROFILE_SECONDS=40 per run; the first
# quarter without keys)
set -u
cd "$(dirname "$0")/.." || exit 0
binary=$(realpath "${1:-build/zintarapolke}")
seconds=${PROFILE_SECONDS:-40}
quiet=$((seconds / 4))
here=$(pwd)

need=()
command -v tmux >/dev/null || need+=(tmux)
command -v strace >/dev/null || need+=(strace)
command -v python3 >/dev/null || need+=(python3)
if [ ${#need[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq && apt-get install -y -qq "${need[@]}" \
    || echo "profile: could not install ${need[*]}"
fi
if [ ! -x "$binary" ]; then
  echo "profile: no game binary at $binary (make build first)"
  exit 0
fi

work=$(mktemp -d /tmp/zintarapolke-profile-XXXXXX)
trap 'tmux -S "$work/socket" kill-server 2>/dev/null; rm -rf "$work"' EXIT
tm() { tmux -f /dev/null -S "$work/socket" "$@"; }
now() { date +%s.%N; }

# The process's CPU time so far in seconds: user and system time from
# /proc/PID/stat (fields 14 and 15, in clock ticks of 10 ms; the name in
# field 2 may hold spaces), then the scheduler's own count in nanoseconds
# from /proc/PID/schedstat, which also sees runs shorter than a tick.
cpu_seconds() {
  local stat sched
  stat=$(cat "/proc/$1/stat" 2>/dev/null) || stat="x) - - - - - - - - - - - 0 0"
  read -r sched _ <"/proc/$1/schedstat" 2>/dev/null || sched=0
  echo "${stat##*) }" | awk -v hz="$(getconf CLK_TCK)" -v ns="$sched" \
    '{ printf "%.3f %.6f\n", ($12 + $13) / hz, ns / 1e9 }'
}

# Plays for $seconds in a session of $1 x $2 running $3: no key for the
# first $quiet seconds, then a turn every two seconds (down, right, up,
# right: a staircase that never turns back on itself), and R whenever the
# game is over. Writes the quiet span's start and end to $work/quiet; the
# game goes on until finish.
play() {
  local cols=$1 rows=$2 command=$3 turns=(s d w d) k=0
  tm new-session -d -s game -x "$cols" -y "$rows" "$command"
  sleep 1
  local quiet_from
  quiet_from=$(now)
  sleep "$quiet"
  echo "$quiet_from $(now)" >"$work/quiet"
  local until=$((SECONDS + seconds - quiet - 1))
  while [ $SECONDS -lt $until ]; do
    if tm capture-pane -p -t game 2>/dev/null | grep -q 'GAME OVER'; then
      tm send-keys -t game r
    fi
    tm send-keys -t game "${turns[k % 4]}"
    k=$((k + 1))
    sleep 2
  done
}

# Quits the game and waits (up to 5 s) until its session is gone.
finish() {
  tm send-keys -t game q 2>/dev/null
  for _ in $(seq 50); do
    tm has-session -t game 2>/dev/null || return 0
    sleep 0.1
  done
  tm kill-server 2>/dev/null
}

for size in 80x24 400x120; do
  cols=${size%x*}
  rows=${size#*x}
  echo "== $size console ($((cols / 2)) x $((rows - 1)) board), $seconds s per run," \
    "load average $(cut -d ' ' -f 1-3 /proc/loadavg)"

  trace="$work/trace-$size"
  play "$cols" "$rows" "exec strace -f -ttt -T -s 8 -o '$trace' '$binary'"
  finish
  read -r quiet_from quiet_to <"$work/quiet"
  python3 "$here/bench/trace_summary.py" "$trace" "$quiet_from" "$quiet_to" \
    || echo "  the trace could not be read"

  play "$cols" "$rows" "exec '$binary'" &
  player=$!
  sleep 2  # the game has started and drawn its first frame
  python3 "$here/bench/wake_delay.py" $((seconds - 4)) >"$work/wake-delay" &
  game=$(tm display-message -p -t game '#{pane_pid}')
  server=$(tm display-message -p '#{pid}')
  before="$(now) $(cpu_seconds "$game") $(cpu_seconds "$server")"
  wait "$player"
  after="$(now) $(cpu_seconds "$game") $(cpu_seconds "$server")"
  finish
  # Time, then game and tmux server CPU seconds (ticks, scheduler) before and after.
  echo "$before $after" | awk '{
    t = $6 - $1
    printf "  CPU without strace over %.1f s, %% of one core: game %.2f (scheduler: %.3f),", \
           t, 100 * ($7 - $2) / t, 100 * ($8 - $3) / t
    printf " tmux server %.2f (%.3f)\n", 100 * ($9 - $4) / t, 100 * ($10 - $5) / t
  }'
  wait
  cat "$work/wake-delay"
done
exit 0

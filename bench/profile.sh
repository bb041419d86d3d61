#!/usr/bin/env bash
# make profile: the real game in a private tmux server at 80 x 24 and at
# 400 x 120, left alone for a while and then steered now and then, measured
# from outside. Two runs per size: one under strace for the system calls,
# frames and ticks (bench/trace_summary.py reads the trace), one without it
# for the CPU time, since tracing costs the game time of its own; beside that
# one, a bare sleeper shows how late the machine itself wakes a process
# (bench/wake_delay.py). While no key is pressed it counts system calls per
# tick (from the trace), voluntary context switches per tick and CPU time per
# frame drawn (from /proc without strace). Beside the game, the same idle
# numbers for two other terminal snake games where they are installed:
# Debian's nsnake and bsdgames' worm, each started with one key and then left
# alone; and, where it is built (build/bench/idle_floor), a bare loop of the
# two calls an idle pass makes, the floor under the game's CPU time per
# frame. It reports numbers and always ends with status 0, however slow the
# machine.
#
# Usage: bench/profile.sh [BINARY]   (PROFILE_SECONDS=40 per run of the game,
# the first quarter without keys; half as long for the other games)
set -u
cd "$(dirname "$0")/.." || exit 0
binary=$(realpath "${1:-build/zintarapolke}")
floor=$(dirname "$binary")/bench/idle_floor
seconds=${PROFILE_SECONDS:-40}
quiet=$((seconds / 4))
# nsnake's snake runs into the wall about a minute after it starts.
peer_seconds=$((seconds / 2 > 45 ? 45 : seconds / 2))
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

# A process's voluntary context switches and CPU nanoseconds (the
# scheduler's count), summed over its threads, after the time now.
sample() {
  local t
  t=$(now)
  cat /proc/"$1"/task/*/status /proc/"$1"/task/*/schedstat 2>/dev/null | awk -v t="$t" '
    /^voluntary_ctxt_switches/ { switches += $2 }
    /^[0-9]+ [0-9]+ [0-9]+$/ { ns += $1 }
    END { printf "%s %d %d\n", t, switches, ns }'
}

# Plays for $seconds in a session of $1 x $2 running $3: no key for the
# first $quiet seconds, then a turn every two seconds (down, right, up,
# right: a staircase that never turns back on itself), and R whenever the
# game is over. Writes the quiet span's start and end to $work/quiet, and a
# sample of the pane's process at both to $work/idle; the game goes on until
# finish.
play() {
  local cols=$1 rows=$2 command=$3 turns=(s d w d) k=0
  tm new-session -d -s game -x "$cols" -y "$rows" "$command"
  sleep 1
  local quiet_from pid first
  pid=$(tm display-message -p -t game '#{pane_pid}')
  first=$(sample "$pid")
  quiet_from=$(now)
  sleep "$quiet"
  echo "$first $(sample "$pid")" >"$work/idle"
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

# Idle numbers from two samples "time switches ns time switches ns" and the
# frames per second in $work/rate (from the trace, as the run without strace
# cannot count them); $2 names a frame: the game draws one a tick.
idle_numbers() {
  echo "$1 $(cat "$work/rate" 2>/dev/null || echo 0)" | awk -v unit="$2" '{
    t = $4 - $1; fps = $7
    if (t <= 0 || fps <= 0) { print "  no idle numbers (no frames counted)"; exit }
    printf "  without strace over %.1f s, no key: voluntary context switches %.2f per %s, %.1f a second;", \
           t, ($5 - $2) / (t * fps), unit, ($5 - $2) / t
    printf " CPU %.3f %% of one core, %.0f µs per frame drawn\n", \
           100 * ($6 - $3) / 1e9 / t, ($6 - $3) / 1e3 / (t * fps)
  }'
}

# The same idle numbers for another game: $1 x $2 running $3, started with
# the key $4 and then left alone for $peer_seconds, once under strace and
# once without. Its whole process group ends with the run: nsnake does not
# end when its terminal goes away.
peer() {
  local cols=$1 rows=$2 program=$3 key=$4 pid first from to
  rm -f "$work/rate"
  for traced in yes no; do
    local command="exec '$program'"
    [ $traced = yes ] && command="exec strace -f -ttt -T -s 8 -o '$work/peer-trace' '$program'"
    # Its scores and settings go to a home of its own, removed with $work.
    tm new-session -d -s peer -x "$cols" -y "$rows" -e HOME="$work/home" "$command"
    sleep 1
    tm send-keys -t peer "$key"
    sleep 2
    pid=$(tm display-message -p -t peer '#{pane_pid}')
    first=$(sample "$pid")
    from=$(now)
    sleep "$peer_seconds"
    to=$(now)
    if [ $traced = yes ]; then
      python3 "$here/bench/trace_summary.py" --peer "$work/peer-trace" "$from" "$to" "$work/rate" \
        || echo "  the trace could not be read"
    else
      idle_numbers "$first $(sample "$pid")" frame
    fi
    pid=$(tm display-message -p -t peer '#{pane_pid}')
    kill -TERM -- "-$pid" 2>/dev/null
    sleep 0.5
    kill -KILL -- "-$pid" 2>/dev/null
    tm kill-session -t peer 2>/dev/null
  done
}

# The bare loop of an idle pass's two calls, alone at $1 x $2 for as long as
# the game's quiet span, without strace: a pass every 100 ms.
idle_floor() {
  local pid first
  echo 10 >"$work/rate"
  tm new-session -d -s floor -x "$1" -y "$2" "exec '$floor'"
  sleep 1
  pid=$(tm display-message -p -t floor '#{pane_pid}')
  first=$(sample "$pid")
  sleep "$quiet"
  idle_numbers "$first $(sample "$pid")" pass
  kill -TERM "$pid" 2>/dev/null
  tm kill-session -t floor 2>/dev/null
}

mkdir -p "$work/home"
for size in 80x24 400x120; do
  cols=${size%x*}
  rows=${size#*x}
  echo "== $size console ($((cols / 2)) x $((rows - 1)) board), $seconds s per run," \
    "load average $(cut -d ' ' -f 1-3 /proc/loadavg)"

  trace="$work/trace-$size"
  play "$cols" "$rows" "exec strace -f -ttt -T -s 8 -o '$trace' '$binary'"
  finish
  read -r quiet_from quiet_to <"$work/quiet"
  rm -f "$work/rate"
  python3 "$here/bench/trace_summary.py" "$trace" "$quiet_from" "$quiet_to" "$work/rate" \
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
  idle_numbers "$(cat "$work/idle")" tick
  wait
  cat "$work/wake-delay"
  if [ -x "$floor" ]; then
    echo "  a bare loop of the same two calls (ppoll, a write of 110 bytes), alone:"
    idle_floor "$cols" "$rows" | sed 's/^  without/    without/'
  else
    echo "  no $floor (make profile builds it): the bare loop skipped"
  fi

  for peer in /usr/games/nsnake:Enter /usr/games/worm:l; do
    program=${peer%:*}
    echo "-- ${program##*/} at $size, $peer_seconds s per run, load average $(cut -d ' ' -f 1-3 /proc/loadavg)"
    if [ -x "$program" ]; then
      peer "$cols" "$rows" "$program" "${peer#*:}"
    else
      echo "  not installed (Debian packages nsnake and bsdgames): skipped"
    fi
  done
done
exit 0

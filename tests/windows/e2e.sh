#!/usr/bin/env bash
# The Windows executable under Wine, played with real keys typed on a
# pseudo-terminal (script(1)) through the launcher, without which Wine would
# not read that terminal. Wine prints escape sequences as text, so the frames
# go to a file (which also gives the game 80 x 24: a board of 40 x 23) and are
# replayed from there. Wine turns ESC [ A and ESC O A into the console's
# 0xE0 'H', and its _kbhit sees an arrow only once a key with a character
# follows: each arrow goes with an x, which the game ignores. Eating, scoring,
# dying and restarting are the golden sessions' to pin; here only what the
# Windows console alone can show: its keys, its refusal and its restore.
# Usage: e2e.sh LAUNCHER.exe GAME.exe WORKDIR (WINEPREFIX set, the Wine server running)
set -u
launcher=$1 exe=$2 dir=$3 out=$3/out
fail() { echo "windows e2e: $*" >&2 && exit 1; }

# The ways (U D L R, or ? for two ticks round a turn in one frame) the head
# went into the last two frames that painted it, from the frames so far:
# every frame paints the head (in its colour, 102) right after a cursor move.
moves() {
    perl -0777 -ne 'my @h; push @h, [($2 - 1) >> 1, $1 - 2] while /\e\[(\d+);(\d+)H\e\[102m/g;
        print map { my ($x, $y) = (($h[$_][0] - $h[$_ - 1][0] + 60) % 40 - 20, ($h[$_][1] - $h[$_ - 1][1] + 34) % 23 - 11);
            !$x == !$y ? "?" : $x ? ($x > 0 ? "R" : "L") : $y > 0 ? "D" : "U" } @h > 2 ? (-2, -1) : ();' "$out"
}
# Replays the frames every 20 ms until CONDITION holds, for SECONDS at most.
within() { local end=$((SECONDS + $1)); until eval "$2"; do [ $SECONDS -lt $end ] && sleep 0.02 || return 1; done; }
# KEY turns the head WAY, as the frames show it however late they come: two
# moves that way, so turns are two ticks apart at least: no loop is shorter
# than eight moves, and the snake, however much it eats here, never runs into
# itself.
turn() { local way=$1 && printf %s "$2" >&3 && within 30 '[ "$(moves)" = $way$way ]' ||
    fail "${2@Q} did not turn the head $way: $(moves)"; }
# The game through the launcher on the terminal, its keys on fd 3.
start() {
    : >"$out"
    script -qec "wine '$launcher' '$exe' >'$out' 2>'$dir/err'" /dev/null <"$dir/keys" >/dev/null &
    pid=$! && exec 3>"$dir/keys" && within 30 '[ "$(moves)" = RR ]' || fail "no frame: $(head -c 300 "$dir/err")"
}
# The game ends with STATUS, the console set up first and restored last.
ended() {
    within 10 '! kill -0 $pid 2>/dev/null' && wait $pid; local status=$? && exec 3>&-
    [[ $status = $1 && $(<"$out") == $'\e[?1049h\e[1;1H\e[?7l\e[?25l'* &&
        $(<"$out") == *$'\e[0m\e[2J\e[1;1H\e[?7h\e[?1049l\e[?25h\e[?1015l\e[?1006l\e[?1003l\e[?1002l\e[?1000l' ]] ||
        fail "status $status, not $1, or no set-up first or no restore last"
}

# With no console at all, the game refuses to start.
wine "$exe" </dev/null >"$out" 2>"$dir/err"
status=$? && [ $status = 1 ] && [ ! -s "$out" ] && [ "$(wc -l <"$dir/err")" = 1 ] ||
    fail "without a console: status $status, $(wc -c <"$out") bytes out, $(head -c 300 "$dir/err")"

rm -f "$dir/keys" && mkfifo "$dir/keys" && start
keys=(w a s d $'\e[A'x $'\e[D'x $'\eOB'x $'\e[C'x) ways=ULDRULDR
for i in {0..7}; do turn ${ways:i:1} "${keys[i]}"; done
printf q >&3 && ended 0

# Ctrl+C on the terminal: an interrupt, the low byte of STATUS_CONTROL_C_EXIT.
start && printf '\003' >&3 && ended 58

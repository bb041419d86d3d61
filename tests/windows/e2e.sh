#!/usr/bin/env bash
# The Windows executable under Wine, played with real keys typed on a
# pseudo-terminal (script(1)) through the launcher, without which Wine would
# not read that terminal. Wine prints escape sequences as text, so the frames
# go to a file (which also gives the game 80 x 24: a board of 40 x 23) and are
# replayed from there. Wine turns ESC [ A into the console's 0xE0 'H', and its
# _kbhit sees an arrow only once a key with a character follows: each arrow
# goes with an x, which the game ignores.
# Usage: e2e.sh LAUNCHER.exe GAME.exe WORKDIR (WINEPREFIX set, the Wine server running)
set -u
launcher=$1 exe=$2 dir=$3 out=$3/out
fail() { echo "windows e2e: $*" >&2 && exit 1; }

# The frames so far (the last perhaps not yet whole), replayed onto the
# screen: heads (the head's cell "x,y" in each frame that paints it), moves
# (the way it went into each of those frames after the first: U D L R, or ?
# for two ticks round a turn in one frame), food (x y value), frames, score,
# screen (rows 1 to 24), steer (the turn toward the food now, if any: along
# the row to the food's column, then along the column) and back (the three
# turns that lead the head into its body).
look() {
    eval "$(perl -0777 -ne '
        my ($r, $c, @h, @f) = (1, 1);
        my @row = (" " x 80) x 25;
        while (/\e\[(\d*);?(\d*)(H)|\e\[(\d+)m|\e\[[^a-zA-Z]*.|([^\e]+)/g) {
            ($r, $c) = ($1 || 1, $2 || 1) if $3;
            push @h, [($c - 1) >> 1, $r - 2] if ($4 // 0) == 102;
            @f = (($c - 1) >> 1, $r - 2) if ($4 // 0) == 100;
            substr($row[$r], $c - 1, length $5) = $5, $c += length $5 if defined $5;
        }
        my @d = map { [($h[$_][0] - $h[$_ - 1][0] + 60) % 40 - 20, ($h[$_][1] - $h[$_ - 1][1] + 34) % 23 - 11] } 1 .. $#h;
        my $m = join "", map { $$_[0] && $$_[1] ? "?" : qw(U D L R)[$$_[0] ? 2 + ($$_[0] > 0) : $$_[1] > 0] } @d;
        my ($x, $y) = @{$h[-1]};
        my $steer = $m =~ /[LR]$/ && $x == $f[0] ? (($f[1] - $y + 23) % 23 < 12 ? "D" : "U")
            : $m =~ /[UD]$/ && $y == $f[1] ? (($f[0] - $x + 40) % 40 < 20 ? "R" : "L") : "";
        print "heads=(", join(" ", map { "$$_[0],$$_[1]" } @h), ") moves=$m food=(@f ", hex(substr $row[$f[1] + 2], 2 * $f[0], 2),
            ") frames=", scalar(() = /\e\[H/g), " score=", hex(substr $row[1], 9, 4), " screen=\x27", join("\n", @row[1 .. 24]),
            "\x27 steer=$steer back=", substr("ULDRULDR", index("ULDR", substr $m, -1) + 1, 3);
    ' "$out")"
}
# Replays the frames every 20 ms until CONDITION holds, for SECONDS at most.
within() { local end=$((SECONDS + $1)); until look && eval "$2"; do [ $SECONDS -lt $end ] && sleep 0.02 || return 1; done; }
# KEY turns the head WAY (U D L R) within three ticks.
turn() {
    look && local n=${#heads[@]} && printf %s "$2" >&3
    within 5 '((${#heads[@]} >= n + 3))' && [[ ${moves:n-1:3} == *$1* ]] ||
        fail "${2@Q} did not turn the head $1 within three ticks: ${moves:n-1:3}"
}
# A new game in frame I: the snake in the middle row, from the middle column
# on, the score 0 and the title.
fresh() { [[ ${heads[$1]-} == 2[0-3],11 && $screen == "SCORE: 0x0000"*"ZINTARAPOLKE V1.0 - PRESS Q TO QUIT"* ]]; }
# The game through the launcher on the terminal, its keys on fd 3.
start() {
    : >"$out"
    script -qec "wine '$launcher' '$exe' >'$out' 2>'$dir/err'" /dev/null <"$dir/keys" >/dev/null &
    pid=$! && exec 3>"$dir/keys" && within 30 '((${#heads[@]}))' || fail "no frame: $(head -c 300 "$dir/err")"
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

rm -f "$dir/keys" && mkfifo "$dir/keys" && start && within 5 'fresh 0' || fail "first frame: ${screen%%$'\n'*}"
keys=(w a s d $'\e[A'x $'\e[D'x $'\e[B'x $'\e[C'x) ways=ULDRULDR
for i in {0..7}; do turn ${ways:i:1} "${keys[i]}"; done
eaten=("${food[@]}") score0=$score
within 90 '[ "${food[*]}" != "${eaten[*]}" ] || { [ -n "$steer" ] && turn $steer $(tr ULDR wasd <<<$steer); false; }' ||
    fail "the food at ${eaten[*]} not eaten"
within 2 '((score == score0 + eaten[2]))' || fail "score $score after eating ${eaten[2]} from $score0"
# Five segments long now, the snake runs into itself after three turns queued at once.
within 2 '[[ $moves == *[ULDR] ]]' && printf %s "$(tr ULDR wasd <<<$back)" >&3
within 5 '[[ $screen == *"GAME OVER"*"PRESS Q TO QUIT"*"PRESS R TO RESTART"* ]]' || fail "no game over: $screen"
# Nothing moves for three ticks; then R brings a new game, drawn at the next
# tick, which has moved the new snake on.
n=${#heads[@]} f=$frames && within 5 '((frames >= f + 3))' && ((${#heads[@]} == n)) || fail "the board moved after the game was over"
printf r >&3 && within 5 'fresh $n' || fail "R did not restart: ${heads[n]-}, ${screen%%$'\n'*}"
printf q >&3 && ended 0

# Ctrl+C on the terminal: an interrupt, the low byte of STATUS_CONTROL_C_EXIT.
start && printf '\003' >&3 && ended 58
echo "windows e2e: 8 keys turned, food $(printf 0x%02X ${eaten[2]}) eaten, died, restarted; Q and Ctrl+C restored"

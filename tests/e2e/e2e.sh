#!/usr/bin/env bash
# End-to-end tests: the real binary in a real terminal emulator (tmux), for
# what only a real terminal shows: both encodings of the arrow keys, live
# resizes, job control, redirected output, and every way the program can end,
# each of which must leave the terminal as the shell had it.
#
# Each case starts the game from an interactive dash (no line editing, so the
# modes seen between two commands are the ones the last program left) on a
# tmux server of its own, between two records of `stty -g`.
# Usage: e2e.sh BINARY CASE
set -u
bin=$1 case=$2 failed=0
dir=$(mktemp -d /tmp/zintarapolke-e2e-XXXXXX)
title="ZINTARAPOLKE V1.0 - PRESS Q TO QUIT"

t() { tmux -f /dev/null -S "$dir/socket" "$@" 2>/dev/null; }
fail() { echo "FAIL ($case): $*"; t capture-pane -p; failed=1; }
# Polls every 20 ms, for 5 s at most, until the command succeeds.
within() { local i; for ((i = 0; i < 250; i++)); do "$@" && return 0 || sleep 0.02; done; return 1; }
type() { t send-keys -l "$1"$'\n'; }

# The pid that `game` wrote, once that process runs the game: a missing or
# stale pid must never reach kill (kill 0 would signal the tests themselves).
gamepid() { local pid && pid=$(cat "$dir/pid" 2>/dev/null) && [ "/proc/$pid/exe" -ef "$bin" ] && echo "$pid"; }
gone() { ! gamepid >/dev/null; }
signal() { within gamepid >/dev/null && kill "-$1" "$(gamepid)" || fail "no game to send $1"; }
# A game still running when its session ends is killed.
reap() { local pid && pid=$(gamepid) && kill -KILL "$pid"; t kill-server; }
trap 'reap; rm -rf "$dir"; exit $failed' EXIT

# A fresh shell in a window of COLS x ROWS; `game` writes its pid, then
# becomes the game.
session() {
    reap
    rm -rf "${dir:?}"/*
    printf "echo \$\$ >pid; exec '%s'\n" "$bin" >"$dir/game"
    t new -d -c "$dir" -x "${1:-80}" -y "${2:-24}" 'ENV= sh -i'
    type 'trap : INT; ulimit -c 0'  # a command line goes on after Ctrl+C; no core files
}
# The job between the two records, its status in rc; TAIL continues its pipeline.
start() { rm -f "$dir/after" && type "stty -g >before; { ${1:-sh game}; echo \$? >rc; }${2:-}; stty -g >after"; }
# The head (bright green) is on the screen, or in the file the frames go to.
painted() { t capture-pane -pe | grep -q $'\e\\[102m' || grep -qas $'\e\\[102m' "$dir/${1:-out}"; }
# The head's board cell, "x y": two columns a cell, the board under the status row.
head_at() { t capture-pane -pe | perl -ne 's/\e\[(?!102m)[0-9;]*m//g; /^(.*?)\e\[102m/ and print length($1) >> 1, " ", $. - 2, "\n" and exit'; }
# The first row shows TEXT centred on a console COLS wide.
centred() { local row && row=$(t capture-pane -p | head -1) && [ "${row:$((($1 - ${#2}) / 2)):${#2}}" = "$2" ]; }
screen_back() { [ "$(t display -p '#{alternate_on}#{cursor_flag}')" = 01 ]; }
titled() { [ "$(t display -p '#{pane_title}')" = "$1" ]; }
# After the job: its status, stty -g as before, the main screen and the cursor back.
restored() {
    within test -s "$dir/after" || fail "the job did not end"
    [ "$(cat "$dir/rc" 2>/dev/null)" = "$1" ] || fail "status $(cat "$dir/rc" 2>/dev/null), not $1"
    cmp -s "$dir/before" "$dir/after" || fail "the terminal modes changed"
    within screen_back || fail "the main screen or the cursor not back"
}

# ========================= The cases ======================================

# The board refits to live resizes, pausing below 10 rows, with the status
# text centred anew. Then the arrows steer in the cursor-key mode set with
# printf '\033[?1l' (normal: ESC [ A to D) or '\033[?1h' (application:
# ESC O A to D), and so do the letters; still heading up, the head leaves by
# the top and comes in at the bottom. The player runs without flow control
# and extended input, which the game turns off: they stay off after it.
steering() {
    local x0 y0
    session
    type "stty -ixon -iexten; printf '\\033[?1$1'"
    start
    within painted || fail "no frame"
    t resize-window -x 80 -y 9 && within centred 80 "PAUSED: RESIZE >= 10x10" || fail "not paused"
    t resize-window -x 70 -y 20 && within centred 70 "$title" || fail "not refitted"
    for step in "Down 0 1" "Left -1 0" "Up 0 -1" "Right 1 0" "w 0 -1" "w 0 1"; do
        set -- $step
        read -r x0 y0 < <(head_at)
        t send-keys "$1"
        within moved "$x0" "$y0" "$2" "$3" || fail "$1 did not steer $2,$3"
    done
    t send-keys q
    restored 0
}
# Two cells or more the way DX, DY from X0, Y0.
moved() { local x y && read -r x y < <(head_at) && [ $((($x - $1) * $3 + ($y - $2) * $4)) -ge 2 ]; }
case_steering_normal() { steering l; }
case_steering_application() { steering h; }

# Every way of ending, by a key, a signal or the game's own output, gives the
# shell back its modes, the main screen and the cursor, with the status that
# tells how: 128 + the signal's number, as dash reports it. The signals whose
# default action terminates take the orderly way first, those that dump core
# the crash path. HOW is a key, kill SIGNAL, or nothing (the game ends itself).
ending() {
    session
    start "${3:-sh game}" "${4:-}"
    if [[ $1 == kill* ]]; then within painted && signal "${1#kill }"
    elif [ -n "$1" ]; then within painted && t send-keys "$1"; fi
    restored "$2"
}
case_endings() {
    ending q 0
    ending C-c 130
    ending 'C-\' 131
    ending '' 153 '(ulimit -f 8; exec sh game >out.bin)'  # frames past 4 KiB
    ending '' 141 'sh game' ' | head -c 100 >/dev/null'  # the reader gone
    ending '' 0 "(trap '' PIPE; exec sh game)" ' | head -c 100 >/dev/null'  # as a quit
    for sig in TERM HUP USR1 USR2 ALRM VTALRM PROF PIPE SEGV ABRT XCPU SYS TRAP; do
        ending "kill $sig" $((128 + $(kill -l "$sig")))
    done
}

# Keys still come from the terminal; the file holds the set-up first and the
# restore last, and frames of 80 x 24 (a file has no size), whatever the
# terminal's size.
case_output_to_file() {
    local setup=$'\e[?1049h\e[1;1H\e[?7l\e[?25l'
    local restore=$'\e[0m\e[?7h\e[?1049l\e[?25h\e[?1015l\e[?1006l\e[?1003l\e[?1002l\e[?1000l'
    session 100 30
    start 'sh game >out'
    within painted || fail "no frame in the file"
    t send-keys q
    restored 0
    [ "$(head -c ${#setup} "$dir/out")" = "$setup" ] || fail "no set-up first"
    [ "$(tail -c ${#restore} "$dir/out")" = "$restore" ] || fail "no restore last"
    grep -qaP '\e\[24;1H\e\[40m {80}\e' "$dir/out" && ! grep -qa $'\e\\[25;' "$dir/out" ||
        fail "the frames are not 80 x 24"
}

# A terminal that reports no width (stty cols 0; a bare serial line never told
# its size reports 0 x 0) does not know its size: the game takes 80 x 24.
# Ctrl+S must not stop its output, as it would with flow control on.
case_no_size_ctrl_s() {
    session 100 30
    type 'stty cols 0'
    start
    within centred 80 "$title" || fail "not drawn for 80 columns"
    t send-keys C-s q
    restored 0
}

# Stopped for 20 ticks or more (Ctrl+Z, or kill -STOP from outside), none of
# which may run once continued; back in the foreground the game is in game
# mode at once (Q needs no Enter) and draws the whole screen anew. Continued
# while the shell has the terminal, it stops itself again, drawing nothing.
case_stopped_continued() {
    local how x0 y0 x y
    for how in C-z STOP; do
        session 160 24  # a board 80 cells wide
        start
        within painted || fail "no frame"
        read -r x0 y0 < <(head_at)
        if [ $how = C-z ]; then
            t send-keys C-z
            restored 148  # stopped by SIGTSTP, the terminal as found
        else
            signal STOP
            within grep -qx 147 "$dir/rc" || fail "the job did not stop"
            # The game cannot clean up after SIGSTOP: the shell takes back its
            # modes and the main screen, as bash would, or the player with reset.
            type "stty \$(cat before); printf '\\033[?1049l\\033[?25h'"
            signal CONT
            within grep -q ') T ' "/proc/$(gamepid)/stat" || fail "not stopped again"
            # The shell's title comes after anything the game may have drawn.
            type "printf '\\033]2;shell\\033\\\\'" && within titled shell
            [ "$(t display -p '#{alternate_on}')" = 0 ] || fail "drawn over the shell"
        fi
        sleep 2
        start fg
        within painted || fail "not back after fg"
        read -r x y < <(head_at)
        [ "$y" = "$y0" ] && [ $((($x - $x0 + 80) % 80)) -le 8 ] || fail "from $x0,$y0 to $x,$y"
        t send-keys q
        restored 0
    done
}

# Nothing to play on: one line on standard error, nothing on standard output,
# and an end at once, without waiting for keys that cannot come.
case_no_terminal() {
    session
    start 'setsid -w sh game </dev/null >out 2>err'
    within test -s "$dir/rc" || fail "still running"
    [ "$(cat "$dir/rc")" != 0 ] && [ ! -s "$dir/out" ] && [ "$(wc -l <"$dir/err")" = 1 ] ||
        fail "status $(cat "$dir/rc"), $(wc -c <"$dir/out") bytes out, err: $(cat "$dir/err")"
}

# With SIGHUP ignored, only the terminal itself can tell the game it is gone:
# reading keys or writing frames fails. nohup sends the frames to a file.
case_hang_up() {
    # Under AddressSanitizer the exit's leak check stops the process by ptrace,
    # and the kernel's SIGCONT to the group the dying shell orphans can swallow
    # that stop and leave the check spinning for ever: no leak check here.
    export ASAN_OPTIONS=${ASAN_OPTIONS:-}${ASAN_OPTIONS:+:}detect_leaks=0
    for job in "(trap '' HUP; exec sh game)" "nohup sh game"; do
        session
        start "$job"
        within painted nohup.out && within gamepid >/dev/null || fail "no game"
        t kill-server
        within gone || fail "$job: still running after the terminal hung up"
    done
}

"case_$case"

#!/usr/bin/env bash
# End-to-end tests: the real binary in a real terminal emulator (tmux), for
# what only a real terminal shows: both encodings of the arrow keys, live
# resizes, job control, redirected and stuck output, how seldom an idle game
# wakes, and every way the program can end, each of which must leave the
# terminal exactly as the shell had it.
#
# Each case starts the game from an interactive dash (no line editing, so the
# modes seen between two commands are the ones the last program left) on a
# tmux server of its own, between two records of `stty -g`. The shell runs
# in modes no shell would choose, which the game must give back as found: no
# echo, and a read minimum of 4 (invisible with line input on; in game mode
# it would hold back a lone Q).
#
# The same cases run in other terminals through an adapter of each (keys in,
# screen out; tests/terminals): E2E_TERMINAL is tmux, xterm, urxvt or linux.
# Usage: e2e.sh BINARY CASE [RUNNER], RUNNER an emulator that runs BINARY (qemu-aarch64)
set -u
bin=$1 case=$2 runner=${3:-} failed=0 terminal=${E2E_TERMINAL:-tmux}
dir=$(mktemp -d /tmp/zintarapolke-e2e-XXXXXX)
title="ZINTARAPOLKE V1.0 - PRESS Q TO QUIT"

t() { tmux -f /dev/null -S "$dir/socket" "$@" 2>/dev/null; }
fail() { echo "FAIL ($terminal $case): $*"; text; failed=1; }
# The screen, a line a row, with one SGR code at each change of background
# (49 the default) whatever codes the terminal wrote; text, the characters alone.
screen() { t capture-pane -pe | cells; }
cells() { perl -pe 's/\e#5|\r//g; my $was = $bg //= 49; s/((?:\e\[[0-9;]*m)+)/my $at = $bg; $bg = $_ eq "0" ? 49 : m{^(4|10)[0-9]$} ? $_ : $bg for split m{[^0-9]+}, $1; $bg ne $at ? "\e[${bg}m" : ""/ge; $_ = "\e[${was}m$_"'; }
text() { screen | perl -pe 's/\e\[[0-9]+m//g'; }
# Polls every 20 ms, for 5 s at most (polls: 250), until the command succeeds.
within() { local i; for ((i = 0; i < ${polls:-250}; i++)); do "$@" && return 0 || sleep 0.02; done; return 1; }
type() { t send-keys -l "$1"$'\n'; }

# The pid that `game` wrote, once that process runs the game (or its runner): a
# missing or stale pid must never reach kill (kill 0 would signal the tests themselves).
gamepid() { local pid && pid=$(cat "$dir/pid" 2>/dev/null) && [ "/proc/$pid/exe" -ef "$(command -v "${runner:-$bin}")" ] && echo "$pid"; }
signal() { within gamepid >/dev/null && kill "-$1" "$(gamepid)" || fail "no game to send $1"; }
# A game still running when its session ends is killed.
reap() { local pid && pid=$(gamepid) && kill -KILL "$pid"; t kill-server; }
# A script error (bash stops at one) fails the case too.
trap 'status=$?; reap; rm -rf "$dir"; exit $((failed | status))' EXIT

# A fresh window of COLS x ROWS running COMMAND, by default the shell in its
# odd modes; `game` writes its pid, then becomes the game.
session() {
    reap; rm -rf "${dir:?}"/*
    printf "echo \$\$ >pid; exec $runner '%s'\n" "$bin" >"$dir/game"
    t new -d -c "$dir" -x "${1:-80}" -y "${2:-24}" "${3:-ENV= sh -i}"
    [ -n "${3:-}" ] || type 'trap : INT; ulimit -c 0; stty -echo min 4'
}
# The job between the modes as found (recorded once a session) and after it,
# its status in rc; TAIL continues its pipeline.
start() { rm -f "$dir/after" && type "[ -e before ] || stty -g >before; { ${1:-sh game}; echo \$? >rc; }${2:-}; stty -g >after"; }
# The head (bright green) is on the screen, or in the file the frames go to.
painted() { screen | grep -q $'\e\\[102m' || grep -qas $'\e\\[102m' "$dir/${1:-out}"; }
# The head's board cell, "x y": two columns a cell, the board under the status
# row. Fails while no head shows: a terminal may show a frame half drawn.
head_at() { screen | perl -ne 's/\e\[(?!102m)[0-9;]*m//g; /^(.*?)\e\[102m/ and print(length($1) >> 1, " ", $. - 2, "\n"), exit; }{ exit 1'; }
# Two cells or more the way DX, DY from X0, Y0 on a board WIDTH cells wide
# and HEIGHT rows high (across an edge the short way round; a HEIGHT of 0:
# straight, so a head that left by the top and came in at the bottom went down).
short() { (($2)) && echo $((($1 % $2 + $2 + $2 / 2) % $2 - $2 / 2)) || echo "$1"; }
moved() { local x y && read -r x y < <(head_at) && [ $(($(short $((x - $1)) $5) * $3 + $(short $((y - $2)) ${6:-0}) * $4)) -ge 2 ]; }
# The first row shows TEXT centred on a console COLS wide.
centred() { local row && row=$(text | head -1) && [ "${row:$((($1 - ${#2}) / 2)):${#2}}" = "$2" ]; }
# One head and one food, each a cell two columns wide on an even column, the
# food's two hexadecimal digits in it, and the body's cells likewise.
board() { screen | perl -ne 'my $x = 0; while (/\e\[(\d+)m([^\e\n]*)/g) { $runs{$1} .= " " . $x % 2 . length $2 if length $2; $food .= $2 if $1 == 100; $x += length $2 } END { exit !($runs{102} eq " 02" && $runs{100} eq " 02" && $food =~ /^[0-9A-F]{2}$/ && $runs{42} =~ /^( 0[0-9]*[02468])+$/) }'; }
# The main screen and the cursor back, and automatic wrap as WRAP (1: on).
screen_back() { [ "$(t display -p '#{alternate_on}#{cursor_flag}#{wrap_flag}')" = "01$1" ]; }
# After the job: its status, stty -g as found, the main screen and the cursor
# back, wrap as WRAP (0 where the shell turned it off and the game must not
# touch the terminal).
restored() {
    within test -s "$dir/after" || fail "the job did not end"
    [ "$(cat "$dir/rc" 2>/dev/null)" = "$1" ] || fail "status $(cat "$dir/rc" 2>/dev/null), not $1"
    cmp -s "$dir/before" "$dir/after" || fail "the terminal modes changed"
    within screen_back "${2:-1}" || fail "the main screen, the cursor or the wrap not as due"
}

# ========================= The cases ======================================

# The first screen holds the board (see board) and the status text centred.
# The board refits to a live resize, with the status text centred anew (the
# pause below 10 rows is the golden sessions'). Then the arrows steer in the
# cursor-key mode set with printf '\033[?1l' (normal: ESC [ A to D) or
# '\033[?1h' (application: ESC O A to D), and so do the letters, while
# Ctrl+Up and F1 do nothing; still heading up, the head leaves by the top and
# comes in at the bottom. The player runs without flow control and extended
# input, which the game turns off: they stay off after it. A mouse mode left
# on by another program is turned off by the set-up, and automatic wrap is
# off while the game plays.
steering() {
    local x0 y0
    session && type "stty -ixon -iexten; printf '\\033[?1$1\\033[?1000h'" && start
    within board && centred 80 "$title" && [[ "$(t display -p '#{mouse_any_flag}#{wrap_flag}')" != *1* ]] ||
        fail "no board, or the mouse or the wrap on"
    t resize-window -x 70 -y 20 && within centred 70 "$title" || fail "not refitted"
    for step in "Down 0 1" "Left -1 0" "Up 0 -1" "Right 1 0" "C-Up 1 0" "F1 1 0" "s 0 1" "a -1 0" "w 0 -1" "w 0 1 0" "d 1 0"; do
        set -- $step && read -r x0 y0 < <(within head_at) && t send-keys "$1" &&
            within moved "$x0" "$y0" "$2" "$3" 35 "${4-19}" || fail "$1 did not steer $2,$3"
    done
    t send-keys q && restored 0
}
case_steering_normal() { steering l; }; case_steering_application() { steering h; }

# Every way of ending, by a key, a signal or the game's own output, gives the
# shell back its modes, the main screen and the cursor, with the status that
# tells how: 128 + the signal's number, as dash reports it. The signals whose
# default action terminates take the orderly way first, those that dump core
# the crash path; SIGTSTP from outside stops the job with the terminal
# restored. Ended where the terminal is the shell's (behind it before the game
# ever had it, or after Ctrl+Z), the game writes nothing: the wrap the shell
# turned off stays off (WRAP 0). HOW is a key, kill SIGNAL, stuck SIGNAL
# (while the output, a pipe that is full, takes nothing, and its reader never
# reads: the game still ends within a second, the crash path too), slow
# (the reader starts once the game waits for the output after SIGTERM), two
# (two games in a pipeline, the second started once the first plays: SIGTERM
# to the first, then to the second), or nothing (the game ends itself, or the
# job ends it).
ending() {
    session && start "${3:-sh game}" "${4:-}"
    case $1 in
    kill*) within painted && signal "${1#kill }" ;;
    stuck*) within in_write && signal "${1#stuck }" &&
        within test -s "$dir/rc" && t send-keys C-c || fail "not ended while its output was stuck" ;;
    two) within test -s "$dir/first" && within waiting && kill -TERM "$(cat "$dir/first")" &&
        within eval '! kill -0 "$(cat "$dir/first")" 2>/dev/null' && signal TERM || fail "no second game" ;;
    slow) within in_write && signal TERM && within waiting ||
        fail "no wait for the output after the signal"; touch "$dir/go" ;;
    ?*) within painted && t send-keys "$1" ;;
    esac
    restored "$2" "${5:-1}"
}
in_write() { grep -qs pipe_write "/proc/$(gamepid)/wchan"; }
waiting() { grep -qsE 'poll|select' "/proc/$(gamepid)/wchan"; }
case_endings() {
    ending q 0 'sh game <&-'  # standard input closed: keys still come from the terminal
    # After a signal the game writes without blocking; the terminal's flags go back as found.
    ending C-c 130 'sh game' '; perl -MFcntl -e "exit !!(fcntl(STDOUT, F_GETFL, 0) & O_NONBLOCK)" || echo 0 >rc'
    # Without an alternate screen the last frame is erased: the prompt at the top.
    ending q 0 'tmux set -w alternate-screen off; sh game' && [ "$(text | grep -c .)" = 1 ] || fail "a frame left"
    # No terminal to play on: one line on standard error, nothing on standard output.
    ending '' 1 'setsid -w sh game </dev/null >out 2>err' && [ ! -s "$dir/out" ] && [ "$(wc -l <"$dir/err")" = 1 ] || fail "out or err"
    local wrap_off='printf "\\033[?7l"' behind='sh game & until grep -qs ") T " /proc/$!/stat; do sleep 0.1; done'
    ending '' 143 "$wrap_off; $behind; kill %1; bg; wait %1" '' 0  # bash: kill %1 (SIGTERM, SIGCONT)
    # Ended while stopped after Ctrl+Z, by the orderly way and by the crash handler.
    ending C-z 143 'sh game' "; $wrap_off; kill -TERM %1; bg; wait %1; echo \$? >rc" 0
    ending C-z 139 'sh game' "; $wrap_off; kill -SEGV %1; bg; wait %1; echo \$? >rc" 0
    ending '' 153 '(ulimit -f 8; exec sh game >out.bin)'  # frames past 4 KiB
    ending '' 141 'sh game' ' | head -c 100 >/dev/null'  # the reader gone
    ending '' 0 "(trap '' PIPE; exec sh game)" ' | head -c 100 >/dev/null'  # as a quit
    # 1031: F_SETPIPE_SZ. The reader waits for the file go before it reads.
    local reader=' | perl -e "fcntl STDIN, 1031, 4096; select undef, undef, undef, 0.02 until -e q(go); print <STDIN>" >out.bin'
    ending "stuck TERM" 143 'sh game' "$reader"
    # A pipe filled to the last byte before the game starts: the crash path.
    ending "stuck SEGV" 139 'head -c 65536 /dev/zero; sh game' ' | sleep 30'
    ending two 143 'sh game | (until [ "$(stty -g </dev/tty)" != "$(cat before)" ]; do sleep 0.1; done; mv pid first; exec sh game)'
    ending slow 143 'sh game' "$reader"  # what comes within half a second is written, the restore too
    [ "$(tail -c 8 "$dir/out.bin")" = $'\e[?1000l' ] || fail "the restore not written to a slow output"
    # SIGRTMAX is 64 with glibc and musl alike; of the first ones, each C
    # library keeps some for itself (glibc 32 and 33, musl 32 to 34).
    for sig in TERM HUP QUIT USR1 USR2 ALRM VTALRM PROF RTMAX PIPE TSTP SEGV ABRT XCPU SYS TRAP; do
        ending "kill $sig" $((128 + $(kill -l "$sig")))
    done
}

# Without a size the game takes 80 x 24: from a terminal that reports no
# width (stty cols 0; a bare serial line never told its size reports 0 x 0),
# where Ctrl+S must not stop its output as it would with flow control on; and
# with its output to a file, which then holds frames of 80 x 24 whatever the
# terminal's size, while the keys still come from the terminal.
case_no_size() {
    session 100 30 && type 'stty cols 0' && start
    within centred 80 "$title" && t send-keys C-s q && restored 0 || fail "not drawn for 80 columns"
    type 'stty cols 100' && start 'sh game >out' && within painted && t send-keys q && restored 0 || fail "no frame in the file"
    grep -qaP '\e\[24;1H\e\[40m {80}\e' "$dir/out" && ! grep -qa $'\e\\[25;' "$dir/out" || fail "the frames are not 80 x 24"
}

# Stopped by Ctrl+Z, three times, under a parent in the game's process group
# (make, a script), which must stop with it so the shell takes the terminal;
# back in the foreground the game is in game mode at once (Q needs no Enter)
# and draws the whole screen anew; Q then gives back the modes found at the
# start. Stopped by kill -STOP from outside for 20 ticks or more, none of
# which may run once continued: continued while the shell has the terminal,
# it stops itself again, drawing nothing. Stopped from outside once more,
# kill %1 then bg (SIGTERM, then SIGCONT behind the shell, as bash's kill
# sends them) ends it at once, restored, without stopping again. (A continue
# that follows no stop keeps the snake's pace: a golden session's.) Where no
# one could continue it, Ctrl+Z does nothing (below).
case_stopped_continued() {
    local x0 y0 x y i
    session && start "sh -c 'sh game; true'" && within painted || fail "no frame"
    for i in 1 2 3; do
        t send-keys C-z && restored 148  # stopped by SIGTSTP, the terminal as found
        start fg && within painted || fail "not back after fg ($i)"
    done
    t send-keys q && restored 0
    session 160 24 && start && within painted && read -r x0 y0 < <(head_at) || fail "no frame"  # 80 cells wide
    signal STOP && within grep -qx 147 "$dir/rc" || fail "the job did not stop"
    # The game cannot clean up after SIGSTOP: the shell takes back the main
    # screen, and runs with the game's modes, which must never become the
    # ones the game found.
    type "printf '\\033[?1049l\\033[?25h'"
    signal CONT && within grep -q ') T ' "/proc/$(gamepid)/stat" || fail "not stopped again"
    # The shell's title comes after anything the game may have drawn.
    type "printf '\\033]2;shell\\033\\\\'" && within eval '[ "$(t display -p "#{pane_title}")" = shell ]' &&
        [ "$(t display -p '#{alternate_on}')" = 0 ] || fail "drawn over the shell"
    sleep 2 && start fg && within painted && read -r x y < <(head_at) || fail "not back after fg"
    [ "$y" = "$y0" ] && [ $((($x - $x0 + 80) % 80)) -le 8 ] || fail "from $x0,$y0 to $x,$y"
    signal STOP && within test -s "$dir/after" || fail "not stopped"
    start 'kill %1; bg; wait %1'
    restored 143
    # Started as a terminal's own command (xterm -e, ssh -t, tmux new), the
    # game is in its session leader's process group, where no one could
    # continue a stopped game: Ctrl+Z does nothing, and Q still quits at once.
    session 80 24 "stty -echo min 4; stty -g >before; sh game; echo \$? >rc; stty -g >after; sleep 60"
    within painted && t send-keys C-z && within painted && read -r x0 y0 < <(head_at) || fail "no frame"
    within moved "$x0" "$y0" 1 0 40 && [ "$(t display -p '#{alternate_on}')" = 1 ] || fail "not playing after Ctrl+Z"
    t send-keys q && restored 0
}

# Left alone, the game sleeps from tick to tick: per tick two system calls,
# the wait and the frame's write (fail above 2.5, counted by strace over 3 s
# or 30 ticks; a loaded machine only lowers the count). What each frame
# writes is the golden sessions'. Under an emulator the system calls are the
# emulator's, and are not counted. Then the terminal goes away: with SIGHUP
# ignored (as nohup does), only the terminal itself can tell the game it is
# gone, and reading keys fails.
case_idle_hang_up() {
    local calls
    # Under AddressSanitizer the exit's leak check stops the process by ptrace,
    # and the kernel's SIGCONT to the group the dying shell orphans can swallow
    # that stop and leave the check spinning for ever: no leak check here.
    export ASAN_OPTIONS=${ASAN_OPTIONS:-}${ASAN_OPTIONS:+:}detect_leaks=0
    session && start "(trap '' HUP; exec sh game)" && within painted || fail "no game"
    if [ -n "$runner" ] || ! command -v strace >/dev/null; then  # CI installs strace
        [ -n "$runner" ] || [ "${CI:-}" != true ] || fail "no strace"
        echo "idle: $([ -n "$runner" ] && echo "under $runner" || echo "no strace"), system calls not counted"
    else
        calls=$(timeout -s INT 3 strace -c -p "$(gamepid)" 2>&1 | awk '$NF == "total" { print $4 }')
        ((${calls:-999} * 10 <= 25 * 30)) || fail "${calls:-no count of} system calls in 30 ticks"
    fi
    t kill-server && within eval '! gamepid >/dev/null' || fail "still running after the terminal hung up"
}

[ "$terminal" = tmux ] || . "${0%/*}/../terminals/$([ "$terminal" = linux ] && echo linux || echo x11).sh"
"case_$case"

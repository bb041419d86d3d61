#!/usr/bin/env bash
# Smoke run of the Windows executable under Wine. Wine gives a program a
# console only when it runs on a terminal, so the game runs under script(1)
# on a pseudo-terminal, with its output to a file (the console size then falls
# back to 80 x 24, a 40 x 23 board). It is stopped with Ctrl+C typed on that
# terminal: the console control handler must restore the console and end the
# game as interrupted. Without any console it must refuse to start.
# Usage: windows_smoke.sh <zintarapolke.exe> <output file>
# Expects WINEPREFIX set and the Wine server running.
set -euo pipefail
exe=$1 out=$2
export LC_ALL=C
fail() { echo "windows smoke: $*" >&2 && exit 1; }

status=0
wine "$exe" </dev/null >"$out" 2>"$out.err" || status=$?
[ "$status" = 1 ] && [ ! -s "$out" ] && [ "$(wc -l <"$out.err")" = 1 ] ||
    fail "without a console: status $status, $(wc -c <"$out") bytes out"

keys=$(mktemp -u) && mkfifo "$keys"
: >"$out"
script -qec "wine '$exe' >'$out' 2>/dev/null" /dev/null <"$keys" >/dev/null &
pid=$!
exec 3>"$keys"
# Until the head has moved 10 cells right from the middle (column 41 of row 13).
until grep -aq $'\e\\[13;61H' "$out"; do
    [ $SECONDS -lt 60 ] && kill -0 "$pid" 2>/dev/null && sleep 0.1 || fail "no play, or it ended by itself"
done
printf '\003' >&3  # Ctrl+C on the terminal
status=0 && wait "$pid" || status=$?
exec 3>&- && rm -f "$keys"

# Alternate screen, cursor home, wrap off, cursor hidden; at the end attributes,
# wrap on, main screen, cursor shown, every mouse mode off.
setup=$'\e[?1049h\e[1;1H\e[?7l\e[?25l'
restore=$'\e[0m\e[?7h\e[?1049l\e[?25h\e[?1015l\e[?1006l\e[?1003l\e[?1002l\e[?1000l'
[ "$(head -c ${#setup} "$out")" = "$setup" ] || fail "no set-up sequences at the start"
[ "$(tail -c ${#restore} "$out")" = "$restore" ] || fail "no restore sequences at the end"
# Wine reports the low byte of STATUS_CONTROL_C_EXIT (0xC000013A).
[ "$status" = 58 ] || fail "exit status $status, not that of an interrupt"
grep -aqP '\x1b\[24;1H\x1b\[40m {80}\x1b' "$out" || fail "no full frame of 80 x 24"
echo "windows smoke: $(wc -c <"$out") bytes, set-up, frames, Ctrl+C and restore as expected"

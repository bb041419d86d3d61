#!/usr/bin/env bash
# Smoke run of the Windows executable under Wine, with input from /dev/null and
# output to a file, so the console size falls back to 80 x 24 (a 40 x 23
# board). Stopped with Ctrl+C: Wine hands SIGINT to the console control
# handler, and the game must restore the console and end as interrupted.
# Usage: windows_smoke.sh <zintarapolke.exe> <output file>
# Expects WINEPREFIX set and the Wine server running.
set -euo pipefail
exe=$1 out=$2
export LC_ALL=C

fail() {
    echo "windows smoke: $*" >&2
    exit 1
}
holds() { grep -aqP "$1" "$out"; }  # Perl regex, \x1b for the escape byte

: >"$out"  # exists before the first look, however late the game starts
wine "$exe" </dev/null >"$out" 2>/dev/null &
pid=$!

# Deadlines, not fixed waits: until the head has moved 15 cells right from the
# middle (column 41 of console row 13), that is about 1.5 s of play.
for ((i = 0; i < 600; i++)); do
    holds '\x1b\[13;71H' && break
    kill -0 "$pid" 2>/dev/null || fail "the game ended by itself"
    sleep 0.1
done
kill -INT "$pid"
for ((i = 0; i < 200; i++)); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
    kill -KILL "$pid"
    fail "Ctrl+C did not stop the game"
fi
status=0
wait "$pid" || status=$?

# Alternate screen, cursor home, wrap off, cursor hidden.
setup=$'\e[?1049h\e[1;1H\e[?7l\e[?25l'
# Attributes, wrap on, main screen, cursor shown, every mouse mode off.
restore=$'\e[0m\e[?7h\e[?1049l\e[?25h\e[?1015l\e[?1006l\e[?1003l\e[?1002l\e[?1000l'
[ "$(head -c ${#setup} "$out")" = "$setup" ] || fail "no set-up sequences at the start"
[ "$(tail -c ${#restore} "$out")" = "$restore" ] || fail "no restore sequences at the end"
# Wine reports the low byte of STATUS_CONTROL_C_EXIT (0xC000013A).
[ "$status" = 58 ] || fail "exit status $status, not that of an interrupt"

# The full frame clears 24 rows of 80 columns and nothing beyond them.
for row in $(seq 1 24); do
    holds "\\x1b\\[$row;1H(\\x1b\\[[0-9;]*m)* {80}(?! )" || fail "row $row not cleared"
done
holds '\x1b\[25;|\x1b\[[0-9]+;(8[1-9]|9[0-9]|[0-9]{3,})H' && fail "drawn outside 80 x 24"
# The starting snake: four segments heading right from the middle of 40 x 23.
for col in 35 37 39 41; do holds "\\x1b\\[13;${col}H" || fail "no segment at 13;$col"; done
echo "windows smoke: $(wc -c <"$out") bytes, set-up, frames, Ctrl+C and restore as expected"

#!/usr/bin/env bash
# Storms of job-control signals from outside, as a player's neighbour might
# send them: the game plays in bash in a private tmux server, and each storm
# is STORM_SIGNALS signals (400) sent to the game's pid, each one of STOP,
# TSTP, CONT or WINCH at random, the last one STOP or CONT. Then, 0.8 s
# later, `fg` is typed, and once the game is seen moving, Q. A storm passes
# when that one `fg` brings the game back moving, Q ends it with status 0
# within 3 s, and `stty -g`, the main screen, the cursor and automatic wrap
# are as found. A failed storm is mended (another `fg`, Q, at last SIGKILL)
# and its class counted, with the game's state from /proc where it helps.
# A measuring tool: it reports counts and always ends with status 0.
#
# Usage: bench/signal_storm.sh BINARY [STORMS] [SEED]
set -u
bin=$(realpath "$1") storms=${2:-100} RANDOM=${3:-1}
count=${STORM_SIGNALS:-400}
dir=$(mktemp -d /tmp/zintarapolke-storm-XXXXXX)
# A server of its own for each storm: a new one on the last one's socket
# may start while the old one is still going away, and then show nothing.
t() { tmux -f /dev/null -S "$dir/socket${storm:-}" "$@" 2>/dev/null; }
trap 't kill-server; rm -rf "$dir"' EXIT
# Polls every 20 ms for up to $1 seconds until the rest succeeds.
within() { local i n=$(($1 * 50)); shift; for ((i = 0; i < n; i++)); do "$@" && return 0; sleep 0.02; done; return 1; }
type() { t send-keys -l "$1"$'\n'; }
painted() { t capture-pane -pe | grep -q $'\e\\[102m'; }
head_row() { t capture-pane -pe | grep -n $'\e\\[102m' | head -1; }
moving() { local a && a=$(head_row) && [ -n "$a" ] && sleep 0.35 && [ "$(head_row)" != "$a" ]; }
alive() { [ -d "/proc/$pid" ] && [ "/proc/$pid/exe" -ef "$bin" ]; }
# The game's scheduler state and whether its group has the terminal.
state() { alive && awk '{ print $3, ($5 == $8 ? "foreground" : "background") }' "/proc/$pid/stat"; }
rcs() { tr '\n' ' ' <"$dir/rcs" 2>/dev/null; }

declare -A classes
note() { classes[$1]=$((${classes[$1]:-0} + 1)); echo "storm $storm: $1 (statuses $(rcs); $2)"; }

for ((storm = 1; storm <= storms; storm++)); do
    rm -f "$dir"/{pid,rcs,before,after,found}
    printf 'echo $$ >pid; exec "%s"\n' "$bin" >"$dir/game"
    t new -d -c "$dir" -x 80 -y 24 "env -i PATH=$PATH TERM=screen PS1='$ ' bash --norc --noprofile -i"
    type 'stty -g >before; bash game; echo $? >>rcs; stty -g >after'
    within 15 painted || { note "no start" "screen: $(t capture-pane -p | grep -v '^$' | tr '\n' '|')"; t kill-server; continue; }
    pid=$(cat "$dir/pid")
    for ((i = 1; i <= count; i++)); do
        if ((i < count)); then sig=(STOP TSTP CONT WINCH) && sig=${sig[RANDOM % 4]}
        else sig=(STOP CONT) && sig=${sig[RANDOM % 2]}; fi
        kill "-$sig" "$pid" 2>/dev/null
    done
    sleep 0.8
    rm -f "$dir/after"
    type 'fg; echo fg$? >>rcs; stty -g >after'
    if ! within 3 moving; then
        note "not moving after one fg" "game $(state)"
        type 'fg; echo fg$? >>rcs; stty -g >after'
        within 3 moving
    fi
    t send-keys q
    if ! within 3 eval '! alive'; then
        note "Q did not end it within 3 s" "game $(state)"
        within 5 eval '! alive' || {
            type 'fg; echo fg$? >>rcs; stty -g >after' && within 3 moving && t send-keys q
            within 5 eval '! alive' || { note "killed" "game $(state)"; kill -KILL "$pid"; }
        }
    fi
    within 5 test -s "$dir/after"
    last=$(tail -1 "$dir/rcs" 2>/dev/null)
    [ "${last#fg}" = 0 ] || note "status not 0" "-"
    first_fg=$(grep -m1 '^fg' "$dir/rcs")
    [ "${first_fg:-fg0}" = fg0 ] || note "the first fg returned ${first_fg#fg}" "-"
    sleep 0.1
    cmp -s "$dir/before" "$dir/after" || note "modes changed" "$(cat "$dir/after")"
    [ -n "${STORM_VERBOSE:-}" ] && echo "storm $storm: statuses $(rcs)"
    flags=$(t display -p '#{alternate_on}#{cursor_flag}#{wrap_flag}')
    [ "$flags" = 011 ] || note "screen flags $flags, not 011" "-"
    t kill-server
done
storm=
echo "$storms storms of $count signals with $(basename "$bin"):"
for class in "${!classes[@]}"; do echo "  ${classes[$class]}  $class"; done
echo "  (a storm may fall in several classes)"
exit 0

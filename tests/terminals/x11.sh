# X terminals for e2e.sh, on the X server in DISPLAY: keys go in as real key
# events (xdotool, through XTEST), the screen comes out as the terminal's own
# dump of its cells: xterm's print-immediate with colours, urxvt's from the
# extension in dump. The cursor, drawn in a colour nothing else has, is seen
# in a screenshot.
# Each state is waited for 500 polls, 10 s and more: a terminal starts slowly on a busy machine.
polls=500 cursor_colour=#FF00FF x11=(xterm -xrm 'XTerm*printModeImmediate: 2' -xrm 'XTerm*printOptsImmediate: 1'
    -xrm "XTerm*printFileImmediate: $dir/dump" -xrm "XTerm*VT100.translations: #override Ctrl Shift <Key>F12: print-immediate()")
[ "$terminal" = urxvt ] && x11=(urxvt -perl-lib "$(realpath "${BASH_SOURCE%/*}")" -pe dump) && export SCREEN_DUMP=$dir/dump
t() {
    case $1 in
    new) (cd "$4" && exec "${x11[@]}" -cr "$cursor_colour" -geometry "$6x$8" -e sh -c "$9" 2>"$dir/x11.err") & xpid=$!
        within eval '! kill -0 $xpid || { wid=$(xdotool search --pid $xpid | head -1) && [ -n "$wid" ] && xdotool windowfocus --sync $wid; }' &&
            kill -0 "$xpid" || fail "no window: $(cat "$dir/x11.err")" ;;
    kill-server) [ -z "${xpid:-}" ] || { kill "$xpid"; wait "$xpid"; xpid=; } ;;
    send-keys) shift && if [ "$1" = -l ]; then xdotool type "$2"; else
        for key; do key=${key//C-/ctrl+} && xdotool key "${key/\\/backslash}"; done; fi ;;
    resize-window) xdotool windowsize --usehints "$wid" "$3" "$5" ;;
    esac 2>/dev/null
}
# No display: tmux tells the mouse modes.
# xterm's dump is complete once xterm has closed its file (the last, should a
# key held long on a busy machine have made more).
screen() {
    [ "$terminal" = xterm ] || { cells 2>/dev/null <"$dir/dump"; return; }
    rm -f "$dir"/dump* && xdotool key ctrl+shift+F12 &&
        within eval 'ls "$dir"/dump?* && ! ls -l /proc/$xpid/fd | grep -q dump' >/dev/null 2>&1 && cells <"$(ls "$dir"/dump?* | tail -1)"
}
# The board gone and the cursor shown; tmux tells the screen and the wrap.
screen_back() { ! painted && import -window "${wid:?}" -depth 8 -format %c histogram:info:- | grep -q "$cursor_colour"; }

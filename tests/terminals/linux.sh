# The Linux console for e2e.sh: the kernel from /boot under QEMU (TCG), and a
# busybox initramfs that starts the game (a static executable) on tty1 with
# TERM=linux from a shell's start-up file. /dev/vcsa1, the console's
# characters and attributes, goes to the second serial port five times a
# second; keys go in through QEMU's monitor. no_timer_check: on a busy host the
# kernel finds the emulated timer too slow, and panics at boot.
polls=1000  # a boot, then each screen through the serial port: 1000 polls, 20 s and more
t() {
    [ "$1" = send-keys ] && shift && printf 'sendkey %s\n' "$@" >&7
    [ "$1" != kill-server ] || [ -z "${qpid:-}" ] || { echo quit >&7 && wait "$qpid"; qpid=; }
}
# The last whole dump: a header (rows, columns, cursor), then a character and
# its attribute a cell, the background in bits 4 to 6.
screen() {
    perl -0777 -ne '($rows, $cols) = unpack "CC"; $size = 4 + 2 * $rows * $cols; $n = int(length() / $size) or exit 1;
        @cell = unpack "x4 (aC)*", substr $_, ($n - 1) * $size, $size;
        print map({ sprintf "\e[%dm%s", 40 + ($cell[2 * $_ + 1] >> 4 & 7), $cell[2 * $_] } $_ * $cols .. $_ * $cols + $cols - 1), "\n" for 0 .. $rows - 1' "$dir/vcsa" 2>/dev/null | cells
}
# (A row's first code is the background carried from the row above: not a cell.)
snake_rows() { screen | grep -cP '\e\[42m[^\e]'; }
# The board drawn, with the title; Down steers the snake off its row (bright
# backgrounds show as plain ones here: the head as the body); after Q the
# screen is blank but for the shell's prompt at the top.
case_linux() {
    mkdir -p "$dir"/root/{bin,dev,proc} && cp /bin/busybox "$bin" "$dir/root/bin/" && cat >"$dir/root/init" <<EOF
#!/bin/busybox sh
/bin/busybox --install -s /bin && mount -t proc proc /proc && mount -t devtmpfs dev /dev && stty -F /dev/ttyS1 raw -echo
while sleep 0.2; do cat /dev/vcsa1; done >/dev/ttyS1 &
echo "TERM=linux ${bin##*/}" >/play && exec setsid sh -c 'exec </dev/tty1 >/dev/tty1 2>&1; ENV=/play PS1="$ " exec sh'
EOF
    chmod +x "$dir/root/init" && (cd "$dir/root" && find . | cpio -o -H newc --quiet) >"$dir/initrd" && mkfifo "$dir/monitor" && exec 7<>"$dir/monitor"
    qemu-system-x86_64 -m 256 -kernel "$(ls /boot/vmlinuz-* | sort -V | tail -1)" -initrd "$dir/initrd" -append "console=ttyS0 quiet no_timer_check" \
        -display none -serial "file:$dir/log" -serial "file:$dir/vcsa" -monitor stdio <&7 >/dev/null & qpid=$!
    within eval 'centred 80 "$title" && [ "$(snake_rows)" = 1 ]' || fail "no board"  # a dump may hold half a frame
    t send-keys f1 down && within eval '[ "$(snake_rows)" -ge 2 ]' || fail "not steered"
    t send-keys q && within eval '[ "$(text | sed "s/ *$//" | grep -n .)" = "1:\$" ]' || fail "not blank, the prompt at the top"
}

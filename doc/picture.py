#!/usr/bin/python3
"""Plays the real game in an 80 x 24 tmux pane until the snake has eaten a
few foods, captures the pane with its colours and draws it as a PNG.

Usage: picture.py <zintarapolke binary> <output.png>
Needs tmux, Pillow and DejaVu Sans Mono (Debian: tmux, python3-pil,
fonts-dejavu-core); doc/make-picture.sh installs them and builds the game.
"""
import re
import subprocess
import sys
import tempfile
import time
from pathlib import Path

from PIL import Image, ImageDraw, ImageFont

COLS, ROWS = 80, 24
FOOD_EATEN = 8  # the snake starts with 4 segments
FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf"
FONT_SIZE = 15

# GNOME Terminal's default palette (Tango), for the 16 colours the game uses.
PALETTE = [
    "#2e3436", "#cc0000", "#4e9a06", "#c4a000", "#3465a4", "#75507b", "#06989a", "#d3d7cf",
    "#555753", "#ef2929", "#8ae234", "#fce94f", "#729fcf", "#ad7fa8", "#34e2e2", "#eeeeec",
]
DEFAULT_FG, DEFAULT_BG = PALETTE[7], PALETTE[0]
HEAD_BG = 10  # bright green, as the game draws the head
FOOD_BG = 8  # bright black behind the food's two digits


def parse(capture):
    """The pane as rows of [char, fg, bg] from `capture-pane -e -p -N` output,
    where an SGR sequence holds until the next one, across lines too."""
    fg, bg, grid = None, None, []
    for line in capture.split("\n")[:ROWS]:
        row = []
        for text, sgr in re.findall(r"([^\x1b]*)(\x1b\[[0-9;]*m)?", line):
            row += [[c, fg, bg] for c in text]
            codes = [int(p) if p else 0 for p in sgr[2:-1].split(";")] if sgr else []
            for code in codes:
                if code == 0: fg = bg = None
                elif code == 39: fg = None
                elif code == 49: bg = None
                elif 30 <= code <= 37: fg = code - 30
                elif 90 <= code <= 97: fg = code - 90 + 8
                elif 40 <= code <= 47: bg = code - 40
                elif 100 <= code <= 107: bg = code - 100 + 8
        grid.append((row + [[" ", fg, bg]] * COLS)[:COLS])
    return grid


def find(grid, test):
    """Board cell (x, y) of the first screen cell that passes the test."""
    for y, row in enumerate(grid):
        for x, (c, _, bg) in enumerate(row):
            if test(c, bg): return x // 2, y - 1
    return None


def snake(grid):
    """The screen cells of the snake: head and body."""
    return [(x, y) for y, row in enumerate(grid) for x, (_, _, bg) in enumerate(row)
            if bg in (2, HEAD_BG)]


def shows_well(cells):
    """True when the snake bends and is in one piece: a snake running across
    an edge of the board spans at least half the screen one way."""
    xs, ys = [x for x, _ in cells], [y for _, y in cells]
    bends = len(set(xs)) > 2 and len(set(ys)) > 1
    return bends and max(xs) - min(xs) < COLS // 2 and max(ys) - min(ys) < ROWS // 2


def toward(head, food, heading):
    """The key that turns the snake toward the food the short way round the
    board, never straight back."""
    w, h = COLS // 2, ROWS - 1
    dx = (food[0] - head[0] + w + w // 2) % w - w // 2
    dy = (food[1] - head[1] + h + h // 2) % h - h // 2
    ways = []
    if dx: ways.append("d" if dx > 0 else "a")
    if dy: ways.append("s" if dy > 0 else "w")
    opposite = {"w": "s", "s": "w", "a": "d", "d": "a"}
    ways = [k for k in ways if k != opposite[heading]] or [k for k in "wasd" if k not in
                                                             (heading, opposite[heading])]
    return heading if heading in ways else ways[0]


def play(binary):
    with tempfile.TemporaryDirectory() as tmp:
        tmux = ["tmux", "-f", "/dev/null", "-S", f"{tmp}/socket"]
        subprocess.run(tmux + ["new-session", "-d", "-x", str(COLS), "-y", str(ROWS),
                               f"'{binary}'; sleep 60"], check=True)
        try:
            heading, grid = "d", None
            deadline = time.monotonic() + 60
            while time.monotonic() < deadline:
                capture = subprocess.run(tmux + ["capture-pane", "-e", "-p", "-N"],
                                         capture_output=True, text=True).stdout
                grid = parse(capture)
                status = "".join(c for c, _, _ in grid[0])
                if "GAME OVER" in status:
                    subprocess.run(tmux + ["send-keys", "r"])
                    heading = "d"
                    time.sleep(0.3)
                    continue
                head = find(grid, lambda c, bg: bg == HEAD_BG)
                food = find(grid, lambda c, bg: bg == FOOD_BG and c in "0123456789ABCDEF")
                cells = snake(grid)
                if head and food and len(cells) // 2 >= 4 + FOOD_EATEN and shows_well(cells):
                    return grid
                if head and food:
                    key = toward(head, food, heading)
                    if key != heading:
                        subprocess.run(tmux + ["send-keys", key])
                        heading = key
                time.sleep(0.05)
            sys.exit("picture.py: the snake did not eat enough in a minute")
        finally:
            subprocess.run(tmux + ["send-keys", "q"])
            subprocess.run(tmux + ["kill-server"], stderr=subprocess.DEVNULL)


def draw(grid, path):
    font = ImageFont.truetype(FONT, FONT_SIZE)
    cw, ch = round(font.getlength("M")), FONT_SIZE + 4
    pad = 10
    image = Image.new("RGB", (COLS * cw + 2 * pad, ROWS * ch + 2 * pad), DEFAULT_BG)
    pen = ImageDraw.Draw(image)
    for y, row in enumerate(grid):
        for x, (c, fg, bg) in enumerate(row):
            x0, y0 = pad + x * cw, pad + y * ch
            if bg is not None:
                pen.rectangle([x0, y0, x0 + cw - 1, y0 + ch - 1], fill=PALETTE[bg])
            if c != " ":
                pen.text((x0, y0 + 2), c, font=font,
                         fill=PALETTE[fg] if fg is not None else DEFAULT_FG)
    image.quantize(colors=32).save(path, optimize=True)


if __name__ == "__main__":
    if len(sys.argv) != 3: sys.exit(__doc__)
    draw(play(Path(sys.argv[1]).resolve()), sys.argv[2])

#!/usr/bin/python3
"""Draws the game's icon as PNGs at 16, 32, 48, 64, 128 and 256 pixels.

Usage: icon.py <output directory>
Writes zintarapolke-<size>.png there. Needs Pillow and DejaVu Sans Mono
(Debian: python3-pil, fonts-dejavu-core); doc/make-icon.sh installs them and
builds the Windows .ico from the PNGs.

The icon is a close-up of the board in the game's own colours, the ones the
README picture draws with (doc/picture.py): the snake comes in across the
left edge (it wraps around), runs along the top and turns down, its bright
head beside a food that shows two yellow hexadecimal digits on grey. Every
shape lies on a grid of 16 units, one pixel each at 16 x 16, so the smallest
icon is drawn pixel for pixel rather than scaled down; the digits are pixel
glyphs up to 32 pixels and DejaVu Sans Mono Bold above.
"""
import sys
from pathlib import Path

from PIL import Image, ImageDraw, ImageFont

from picture import FOOD_BG, HEAD_BG, PALETTE

SIZES = [16, 32, 48, 64, 128, 256]
FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf"
BOARD, BODY, HEAD = PALETTE[0], PALETTE[2], PALETTE[HEAD_BG]
FOOD_TEXT, FOOD_BACK = PALETTE[11], PALETTE[FOOD_BG]  # bright yellow on bright black

# Rectangles in grid units, corners inclusive: (left, top, right, bottom).
BODY_PARTS = [(0, 1, 14, 3), (12, 4, 14, 10)]
HEAD_PART = (12, 11, 14, 13)
FOOD_PART = (1, 7, 9, 13)
FOOD_VALUE = "2A"

# Three by five pixel glyphs for the two digits, one string a row.
GLYPHS = {
    "2": ["###", "..#", "###", "#..", "###"],
    "A": ["###", "#.#", "###", "#.#", "#.#"],
}


def box(part, unit):
    left, top, right, bottom = part
    return [left * unit, top * unit, (right + 1) * unit - 1, (bottom + 1) * unit - 1]


def pixel_digits(pen, unit):
    """The digits as pixel glyphs, one unit a pixel, a unit apart and a unit in
    from the food's edge."""
    left, top = FOOD_PART[0] + 1, FOOD_PART[1] + 1
    for i, digit in enumerate(FOOD_VALUE):
        for y, row in enumerate(GLYPHS[digit]):
            for x, on in enumerate(row):
                if on == "#":
                    x0, y0 = (left + 4 * i + x) * unit, (top + y) * unit
                    pen.rectangle([x0, y0, x0 + unit - 1, y0 + unit - 1], fill=FOOD_TEXT)


def font_digits(pen, unit):
    """The digits in DejaVu Sans Mono Bold, as large as the food holds them
    with a unit's margin, centred on it."""
    left, top, right, bottom = box(FOOD_PART, unit)
    width, height = right - left + 1 - 2 * unit, bottom - top + 1 - 2 * unit
    size = 4
    while True:
        font = ImageFont.truetype(FONT, size + 1)
        x0, y0, x1, y1 = pen.textbbox((0, 0), FOOD_VALUE, font=font)
        if x1 - x0 > width or y1 - y0 > height: break
        size += 1
    font = ImageFont.truetype(FONT, size)
    x0, y0, x1, y1 = pen.textbbox((0, 0), FOOD_VALUE, font=font)
    at = ((left + right + 1 - (x1 - x0)) / 2 - x0, (top + bottom + 1 - (y1 - y0)) / 2 - y0)
    pen.text(at, FOOD_VALUE, font=font, fill=FOOD_TEXT)


def draw(size):
    unit = size // 16
    image = Image.new("RGBA", (size, size), BOARD)
    pen = ImageDraw.Draw(image)
    for part in BODY_PARTS:
        pen.rectangle(box(part, unit), fill=BODY)
    pen.rectangle(box(HEAD_PART, unit), fill=HEAD)
    pen.rectangle(box(FOOD_PART, unit), fill=FOOD_BACK)
    if size <= 32:
        pixel_digits(pen, unit)
    else:
        font_digits(pen, unit)
    # Corners rounded by a unit, their edge smoothed: the mask is drawn four
    # times as large and scaled down.
    mask = Image.new("L", (4 * size, 4 * size), 0)
    ImageDraw.Draw(mask).rounded_rectangle([0, 0, 4 * size - 1, 4 * size - 1], 4 * unit,
                                           fill=255)
    image.putalpha(mask.resize((size, size), Image.LANCZOS))
    return image


if __name__ == "__main__":
    if len(sys.argv) != 2: sys.exit(__doc__)
    out = Path(sys.argv[1])
    for size in SIZES:
        draw(size).save(out / f"zintarapolke-{size}.png", optimize=True)

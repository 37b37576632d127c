#!/usr/bin/env python3
"""Draws the program's own pictures and writes them where the resource script finds
them:

    python3 tools/make_icons.py [OUTDIR]      (OUTDIR defaults to src/app/res)

- toolbar.png (256 x 32, 8-bit RGBA): 16 x 16 cells, row 0: select arrow, edit pencil,
  floppy disk, a small green plus badge in the cell's lower-left corner, closed
  padlock, open padlock, undo, redo, copy, tool windows; the other cells and row 1 are
  empty (transparent).
- widget_types.png (256 x 16, 8-bit RGBA): one icon per kind of screen widget, in the
  order of the editor's widget-type icon table (WIDGET_ORDER below).
- tvse.ico: the application's emblem at 16, 32 and 48 pixels (32-bit DIB images).

The small icons are pixel art, one character a pixel (PALETTE), so that they stay sharp
at 16 x 16; the emblem is drawn from shapes with 8 x 8 supersampling. The output is the
same, byte for byte, on every run. Only the Python standard library is used.
"""

import os
import struct
import sys
import zlib

CELL = 16

# ---------------------------------------------------------------------------
# Pixel art
# ---------------------------------------------------------------------------

PALETTE = {
    ".": (0, 0, 0, 0),
    "k": (36, 36, 40, 255),      # outline
    "d": (92, 96, 104, 255),     # dark grey
    "G": (150, 154, 162, 255),   # mid grey
    "g": (200, 203, 210, 255),   # light grey
    "w": (255, 255, 255, 255),
    "B": (28, 62, 140, 255),     # dark blue
    "b": (52, 104, 204, 255),    # blue
    "l": (150, 190, 240, 255),   # light blue
    "c": (120, 196, 246, 255),   # sky
    "E": (26, 112, 36, 255),     # dark green
    "e": (58, 170, 62, 255),     # green
    "f": (150, 224, 120, 255),   # light green
    "y": (252, 214, 72, 255),    # yellow
    "Y": (206, 150, 30, 255),    # dark yellow
    "n": (226, 190, 136, 255),   # wood
    "p": (240, 140, 150, 255),   # eraser pink
    "r": (208, 52, 48, 255),     # red
    "o": (240, 140, 40, 255),    # orange
    "O": (176, 92, 20, 255),     # dark orange
    "v": (150, 96, 206, 255),    # violet
    "V": (92, 50, 140, 255),     # dark violet
}


def sprite(rows):
    """A 16 x 16 list of RGBA tuples from 16 strings of 16 palette characters."""
    assert len(rows) == CELL, "a sprite has %d rows, not %d" % (len(rows), CELL)
    pixels = []
    for y, row in enumerate(rows):
        assert len(row) == CELL, "row %d is %d wide: %r" % (y, len(row), row)
        pixels.append([PALETTE[ch] for ch in row])
    return pixels


EMPTY = ["." * CELL] * CELL

# Toolbar, row 0. The arrow's tip is the image's top row: the DIB test relies on the
# top row not being empty.
ARROW = [
    "...k............",
    "...kk...........",
    "...kwk..........",
    "...kwwk.........",
    "...kwwwk........",
    "...kwwwwk.......",
    "...kwwwwwk......",
    "...kwwwwwwk.....",
    "...kwwwwwwwk....",
    "...kwwwwwwwwk...",
    "...kwwwwwkkkkk..",
    "...kwwkwwk......",
    "...kwk.kwwk.....",
    "...kk..kwwk.....",
    "...k....kwwk....",
    ".........kk.....",
]

FLOPPY = [
    "................",
    ".kkkkkkkkkkkkk..",
    ".kbbggggggdgbbk.",
    ".kbbggggggdgbbbk",
    ".kbbggggggdgbbbk",
    ".kbbgggggggggbbk",
    ".kbbbbbbbbbbbbbk",
    ".kbbbbbbbbbbbbbk",
    ".kbwwwwwwwwwwwbk",
    ".kbwgggggggggwbk",
    ".kbwwwwwwwwwwwbk",
    ".kbwgggggggggwbk",
    ".kbwwwwwwwwwwwbk",
    ".kBwwwwwwwwwwwBk",
    ".kkkkkkkkkkkkkkk",
    "................",
]

PLUS_BADGE = [
    "................",
    "................",
    "................",
    "................",
    "................",
    "................",
    "................",
    "................",
    "................",
    ".EEEEE..........",
    "EeeweeE.........",
    "EeeweeE.........",
    "EwwwwwE.........",
    "EeeweeE.........",
    "EeeweeE.........",
    ".EEEEE..........",
]

PADLOCK_CLOSED = [
    "................",
    ".....kkkkkk.....",
    "....kggggggk....",
    "...kggkkkkggk...",
    "...kgk....kgk...",
    "...kgk....kgk...",
    "...kGk....kGk...",
    ".kkkkkkkkkkkkkk.",
    ".kyyyyyyyyyyyyk.",
    ".kyYYYYkkYYYYYk.",
    ".kyYYYYkkYYYYYk.",
    ".kyYYYYYkYYYYYk.",
    ".kyYYYYYkYYYYYk.",
    ".kYYYYYYYYYYYYk.",
    ".kkkkkkkkkkkkkk.",
    "................",
]

# The shackle lifted, its left leg out of the body.
PADLOCK_OPEN = [
    ".....kkkkkk.....",
    "....kggggggk....",
    "...kggkkkkggk...",
    "...kgk....kgk...",
    "...kgk....kgk...",
    "...kkk....kgk...",
    "..........kGk...",
    ".kkkkkkkkkkkkkk.",
    ".kyyyyyyyyyyyyk.",
    ".kyYYYYkkYYYYYk.",
    ".kyYYYYkkYYYYYk.",
    ".kyYYYYYkYYYYYk.",
    ".kyYYYYYkYYYYYk.",
    ".kYYYYYYYYYYYYk.",
    ".kkkkkkkkkkkkkk.",
    "................",
]


def pencil():
    """A pencil lying from the lower left (graphite tip) to the upper right (eraser).

    Along the pencil t = x - y grows; across it s = x + y - 15 (anti-diagonals
    interlock, so three of them make a solid band)."""
    rows = []
    for y in range(CELL):
        row = ""
        for x in range(CELL):
            t = x - y
            s = x + y - 15
            ch = "."
            if -12 <= t <= 12:
                if t <= -10:
                    # the graphite point, one pixel wide at the very end
                    ch = "k" if abs(s) <= (0 if t == -12 else 1) else "."
                elif t <= -7:
                    # the sharpened wood, widening towards the body
                    half = 1 if t <= -9 else 2
                    if abs(s) < half:
                        ch = "n"
                    elif abs(s) == half:
                        ch = "k"
                elif abs(s) <= 1:
                    if t <= 5:
                        ch = {-1: "y", 0: "y", 1: "Y"}[s]
                    elif t <= 7:
                        ch = "g" if s < 1 else "G"
                    elif t <= 11:
                        ch = "p"
                    else:
                        ch = "k"
                elif abs(s) == 2:
                    ch = "k"
            row += ch
        rows.append(row)
    return rows


# A blue arrow curving back to the left; redo is its mirror image.
UNDO = [
    "................",
    "................",
    "................",
    "....k...........",
    "...kbk..........",
    "..kbbkkkkkkk....",
    ".kbbbbbbbbbbkk..",
    "kbbbbbbbbbbbbbk.",
    ".kbbbkkkkkkkbbk.",
    "..kbk.......kbbk",
    "...k.........kbk",
    ".............kbk",
    "............kbk.",
    "...........kbk..",
    "............k...",
    "................",
]
REDO = [row[::-1] for row in UNDO]

# Two sheets, the front one offset down and to the right.
COPY = [
    "................",
    ".kkkkkkkk.......",
    ".kwwwwwwk.......",
    ".kwGGGGwk.......",
    ".kwwwwkkkkkkkk..",
    ".kwGGGkwwwwwwk..",
    ".kwwwwkwGGGGwk..",
    ".kwGGGkwwwwwwk..",
    ".kwwwwkwGGGGwk..",
    ".kkkkkkwwwwwwk..",
    "......kwGGGGwk..",
    "......kwwwwwwk..",
    "......kwGGGwwk..",
    "......kwwwwwwk..",
    "......kkkkkkkk..",
    "................",
]

# Two floating windows with blue title bars: the outline and the wider grid.
TOOL_WINDOWS = [
    "................",
    "................",
    "kkkkkkk.........",
    "kbbbbbk.........",
    "kwwwwwk.kkkkkkkk",
    "kwGGGwk.kbbbbbbk",
    "kwwwwwk.kwwwwwwk",
    "kwGGGwk.kwGGGGwk",
    "kwwwwwk.kwwwwwwk",
    "kwGGGwk.kwGGGGwk",
    "kwwwwwk.kwwwwwwk",
    "kkkkkkk.kwGGGGwk",
    "........kwwwwwwk",
    "........kkkkkkkk",
    "................",
    "................",
]

TOOLBAR_ROW0 = [ARROW, pencil(), FLOPPY, PLUS_BADGE, PADLOCK_CLOSED, PADLOCK_OPEN, UNDO, REDO, COPY, TOOL_WINDOWS]

# Widget kinds, in the order of the editor's icon table.
WIDGET_CONTAINER = [
    "................",
    ".kkkkkkkkkkkkkk.",
    ".kggggggggggggk.",
    ".kkkkkkkkkkkkkk.",
    ".kwwwwwwwwwwwwk.",
    ".kwbbbbbwwwwwwk.",
    ".kwbllllbwwwwwk.",
    ".kwbllllbwwwwwk.",
    ".kwbbbbbbwwwwwk.",
    ".kwwwwwwbbbbbwk.",
    ".kwwwwwwbllllbk.",
    ".kwwwwwwbllllbk.",
    ".kwwwwwwbbbbbbk.",
    ".kwwwwwwwwwwwwk.",
    ".kkkkkkkkkkkkkk.",
    "................",
]

WIDGET_TEXT_LABEL = [
    "................",
    "......kkk.......",
    "......kkk.......",
    ".....kkkkk......",
    ".....kk.kk......",
    ".....kk.kk......",
    "....kk...kk.....",
    "....kk...kk.....",
    "....kkkkkkk.....",
    "...kkkkkkkkk....",
    "...kk.....kk....",
    "..kk.......kk...",
    "..kk.......kk...",
    ".kkkk.....kkkk..",
    "................",
    "................",
]

WIDGET_TOGGLE = [
    "................",
    "................",
    "..kkkkkkkkkkk...",
    "..kwwwwwwwwwk.e.",
    "..kwwwwwwwwwkee.",
    "..kwwwwwwwwwee..",
    "..kwwwwwwwweek..",
    "..kweewwwweewk..",
    "..kweeewweewwk..",
    "..kwweeeeewwwk..",
    "..kwwweeewwwwk..",
    "..kwwwwewwwwwk..",
    "..kwwwwwwwwwwk..",
    "..kkkkkkkkkkkk..",
    "................",
    "................",
]

WIDGET_DROP_DOWN = [
    "kkkkkkkkkkkkkkkk",
    "kwwwwwwwwkgggggk",
    "kwwwwwwwwkgggggk",
    "kwddddwwwkgkkkgk",
    "kwwwwwwwwkggkggk",
    "kwwwwwwwwkgggggk",
    "kkkkkkkkkkkkkkkk",
    "kwwwwwwwwwwwwwwk",
    "kwddddddwwwwwwwk",
    "kwwwwwwwwwwwwwwk",
    "kbbbbbbbbbbbbbbk",
    "kbwwwwwwwwbbbbbk",
    "kbbbbbbbbbbbbbbk",
    "kwddddwwwwwwwwwk",
    "kwwwwwwwwwwwwwwk",
    "kkkkkkkkkkkkkkkk",
]

WIDGET_METER = [
    "................",
    "................",
    "................",
    "................",
    "kkkkkkkkkkkkkkkk",
    "kffffffffffwwwwk",
    "keeeeeeeeeewwwwk",
    "keeeeeeeeeewwwwk",
    "keeeeeeeeeewwwwk",
    "kEEEEEEEEEEwwwwk",
    "kkkkkkkkkkkkkkkk",
    "................",
    "................",
    "................",
    "................",
    "................",
]

WIDGET_TEXT_INPUT = [
    "................",
    "................",
    "kkkkkkkkkkkkkkkk",
    "kwwwwwwwwwwwwwwk",
    "kwwwwwkwwwwkkkwk",
    "kwwwwwkwwwwwkwwk",
    "kwkkwwkkkwwwkwwk",
    "kwwwkwkwwkwwkwwk",
    "kwkkkwkwwkwwkwwk",
    "kkwwkwkwwkwwkwwk",
    "kwkkkwkkkwwwkwwk",
    "kwwwwwwwwwwkkkwk",
    "kwwwwwwwwwwwwwwk",
    "kkkkkkkkkkkkkkkk",
    "................",
    "................",
]

WIDGET_BUTTON = [
    "................",
    "................",
    "................",
    ".kkkkkkkkkkkkkk.",
    "kwwwwwwwwwwwwwwk",
    "kwllllllllllllGk",
    "kwllllllllllllGk",
    "kwllkkkkkkkkllGk",
    "kwllllllllllllGk",
    "kwllllllllllllGk",
    "kwlllllllllllGGk",
    "kGGGGGGGGGGGGGGk",
    ".kkkkkkkkkkkkkk.",
    "................",
    "................",
    "................",
]

# A cog wheel.
WIDGET_CUSTOM = [
    "......kkkk......",
    "..kk..kvvk..kk..",
    ".kvvkkkvvkkkvvk.",
    ".kvvvvvvvvvvvvk.",
    "..kvvvvvvvvvvk..",
    "..kvvvvkkvvvvk..",
    "kkkvvvk..kvvvkkk",
    "kvvvvk....kvvvvk",
    "kvvvvk....kvvvvk",
    "kkkvvvk..kvvvkkk",
    "..kvvvvkkvvvvk..",
    "..kVvvvvvvvvVk..",
    ".kVVVvvvvvvVVVk.",
    ".kVVkkkVVkkkVVk.",
    "..kk..kVVk..kk..",
    "......kkkk......",
]

WIDGET_CHOICE = [
    "................",
    "................",
    ".....kkkkkk.....",
    "...kkwwwwwwkk...",
    "..kwwwwwwwwwwk..",
    "..kwwwwwwwwwwk..",
    ".kwwwwbbbbwwwwk.",
    ".kwwwbBbbbbwwwk.",
    ".kwwwbbbbbbwwwk.",
    ".kwwwbbbbbbwwwk.",
    ".kwwwwbbbbwwwwk.",
    "..kwwwwwwwwwwk..",
    "..kwwwwwwwwwwk..",
    "...kkwwwwwwkk...",
    ".....kkkkkk.....",
    "................",
]

WIDGET_STRING_LIST = [
    "kkkkkkkkkkkkkkkk",
    "kwwwwwwwwwwwkggk",
    "kwkkkkkkkkwwkGGk",
    "kwwwwwwwwwwwkGGk",
    "kwkkkkkkwwwwkGGk",
    "kwwwwwwwwwwwkggk",
    "kwkkkkkkkkkwkggk",
    "kwwwwwwwwwwwkggk",
    "kwkkkkkwwwwwkggk",
    "kwwwwwwwwwwwkggk",
    "kwkkkkkkkkwwkggk",
    "kwwwwwwwwwwwkggk",
    "kwkkkkkkkwwwkggk",
    "kwwwwwwwwwwwkggk",
    "kkkkkkkkkkkkkkkk",
    "................",
]

WIDGET_ITEM_LIST = [
    "kkkkkkkkkkkkkkkk",
    "kwwwwwwwwwwwwwwk",
    "kwrrwwddddddwwwk",
    "kwrrwwwwwwwwwwwk",
    "kwwwwwwwwwwwwwwk",
    "kbbbbbbbbbbbbbbk",
    "kbyybbwwwwwwbbbk",
    "kbyybbbbbbbbbbbk",
    "kbbbbbbbbbbbbbbk",
    "kwwwwwwwwwwwwwwk",
    "kweewwddddddwwwk",
    "kweewwwwwwwwwwwk",
    "kwwwwwwwwwwwwwwk",
    "kwwwwwwwwwwwwwwk",
    "kkkkkkkkkkkkkkkk",
    "................",
]

WIDGET_IMAGE = [
    "................",
    "kkkkkkkkkkkkkkkk",
    "kccccccccccccccK".replace("K", "k"),
    "kcccccccccyyyyck",
    "kcccccccccyyyyck",
    "kcccccccccyyyyck",
    "kccccEccccccccck",
    "kcccEeEcccccccck",
    "kccEeeeEcccEccck",
    "kcEeeeeeEcEeEcck",
    "kEeeeeeeeEeeeEck",
    "keeeeeeeeeeeeeEk",
    "keeeeeeeeeeeeeek",
    "kEEEEEEEEEEEEEEk",
    "kkkkkkkkkkkkkkkk",
    "................",
]

WIDGET_MOVIE = [
    "................",
    "kkkkkkkkkkkkkkkk",
    "kgkkgkkgkkgkkgkk",
    "kkkkkkkkkkkkkkkk",
    "kkbbbbbkkbbbbbkk",
    "kkbcccbkkbcccbkk",
    "kkbcccbkkbcccbkk",
    "kkbeeebkkbeeebkk",
    "kkbbbbbkkbbbbbkk",
    "kkkkkkkkkkkkkkkk",
    "kgkkgkkgkkgkkgkk",
    "kkkkkkkkkkkkkkkk",
    "................",
    "................",
    "................",
    "................",
]

WIDGET_GENERIC = [
    "................",
    "................",
    ".kkkkkkkkkkkkkk.",
    ".kGGGGGGGGGGGGk.",
    ".kGGGGGGGGGGGGk.",
    ".kkkkkkkkkkkkkk.",
    ".kggggggggggggk.",
    ".kggggggggggggk.",
    ".kggggggggggggk.",
    ".kggggggggggggk.",
    ".kggggggggggggk.",
    ".kggggggggggggk.",
    ".kggggggggggggk.",
    ".kkkkkkkkkkkkkk.",
    "................",
    "................",
]

WIDGET_SCREEN = [
    "................",
    "kkkkkkkkkkkkkkkk",
    "kddddddddddddddk",
    "kdBBBBBBBBBBBBdk",
    "kdBbbbbbbbbbbBdk",
    "kdBbllllllllbBdk",
    "kdBbllllllllbBdk",
    "kdBbbbbbbbbbbBdk",
    "kdBbbbbbbbbbbBdk",
    "kdBBBBBBBBBBBBdk",
    "kddddddddddddddk",
    "kkkkkkkkkkkkkkkk",
    "......kddk......",
    "......kddk......",
    "...kkkkkkkkkk...",
    "................",
]

WIDGET_SCROLL_BAR = [
    "....kkkkkkkk....",
    "....kggkkggk....",
    "....kgkkkkgk....",
    "....kggggggk....",
    "....kkkkkkkk....",
    "....kwwwwwwk....",
    "....kllllllk....",
    "....kbbbbbbk....",
    "....kbbbbbbk....",
    "....kBBBBBBk....",
    "....kwwwwwwk....",
    "....kkkkkkkk....",
    "....kggggggk....",
    "....kgkkkkgk....",
    "....kggkkggk....",
    "....kkkkkkkk....",
]

# (icon, what it stands for); the position is the icon's index.
WIDGET_ORDER = [
    (WIDGET_CONTAINER, "container of child widgets"),
    (WIDGET_TEXT_LABEL, "text label"),
    (WIDGET_TOGGLE, "check box"),
    (WIDGET_DROP_DOWN, "drop-down list"),
    (WIDGET_METER, "meter (progress bar)"),
    (WIDGET_TEXT_INPUT, "text input"),
    (WIDGET_BUTTON, "button"),
    (WIDGET_CUSTOM, "custom widget"),
    (WIDGET_CHOICE, "choice (radio button)"),
    (WIDGET_STRING_LIST, "multi-line text list"),
    (WIDGET_ITEM_LIST, "item list"),
    (WIDGET_IMAGE, "image"),
    (WIDGET_MOVIE, "movie"),
    (WIDGET_GENERIC, "any other widget"),
    (WIDGET_SCREEN, "the screen itself"),
    (WIDGET_SCROLL_BAR, "scroll bar (spare)"),
]


def strip(icons, rows=1):
    """A 16-cell-wide image of `rows` rows; `icons` fill row 0 from the left."""
    width, height = 16 * CELL, rows * CELL
    image = [[(0, 0, 0, 0)] * width for _ in range(height)]
    for index, rows_of_icon in enumerate(icons):
        pixels = sprite(rows_of_icon)
        for y in range(CELL):
            image[y][index * CELL:(index + 1) * CELL] = pixels[y]
    return image


# ---------------------------------------------------------------------------
# The emblem
# ---------------------------------------------------------------------------

def _in_rounded_rect(x, y, x0, y0, x1, y1, r):
    if x < x0 or x > x1 or y < y0 or y > y1:
        return False
    cx = min(max(x, x0 + r), x1 - r)
    cy = min(max(y, y0 + r), y1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def _lerp(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(len(a)))


# The pencil: its tip, its axis (towards the upper right) and, along that axis, its
# sections: (end, half width at the end, colour, colour of the shaded lower side or
# None); a section widens linearly from the previous one's half width.
PENCIL_TIP = (0.50, 0.82)
PENCIL_SECTIONS = [
    (0.05, 0.022, (0.15, 0.12, 0.12, 1.0), None),  # graphite
    (0.15, 0.075, (0.93, 0.80, 0.60, 1.0), None),  # sharpened wood
    (0.46, 0.075, (0.99, 0.78, 0.16, 1.0), (0.85, 0.58, 0.08, 1.0)),  # body
    (0.52, 0.075, (0.80, 0.82, 0.86, 1.0), None),  # ferrule
    (0.60, 0.075, (0.94, 0.52, 0.58, 1.0), None),  # eraser
]
PENCIL_OUTLINE = 0.028
PENCIL_OUTLINE_COLOUR = (0.12, 0.10, 0.10, 1.0)


def _pencil_colour(x, y):
    dx, dy = x - PENCIL_TIP[0], y - PENCIL_TIP[1]
    u = (dx - dy) * 0.7071  # along the pencil
    v = (dx + dy) * 0.7071  # across it, positive below the axis
    last_end = PENCIL_SECTIONS[-1][0]
    if u < -PENCIL_OUTLINE or u > last_end + PENCIL_OUTLINE:
        return None
    start, start_half = 0.0, 0.0
    for end, end_half, fill, shade in PENCIL_SECTIONS:
        if u <= end or end == last_end:
            t = min(max((u - start) / (end - start), 0.0), 1.0)
            half = start_half + (end_half - start_half) * t
            if abs(v) > half + PENCIL_OUTLINE:
                return None
            if abs(v) > half or u < 0.0 or u > end:
                return PENCIL_OUTLINE_COLOUR
            if shade and v > 0.025:
                return shade
            return fill
        start, start_half = end, end_half
    return None


def emblem_colour(x, y):
    """RGBA (0-1 floats, straight alpha) of the emblem at unit coordinates (x, y)."""
    colour = None
    # A blue tile ...
    if _in_rounded_rect(x, y, 0.03, 0.03, 0.97, 0.97, 0.18):
        inner = _in_rounded_rect(x, y, 0.07, 0.07, 0.93, 0.93, 0.14)
        edge = (0.10, 0.20, 0.45, 1.0)
        colour = _lerp((0.33, 0.55, 0.92, 1.0), (0.14, 0.30, 0.66, 1.0), y) if inner else edge
    # ... holding a screen: a window with a title bar and two widgets ...
    if _in_rounded_rect(x, y, 0.17, 0.20, 0.83, 0.72, 0.04):
        colour = (0.97, 0.98, 1.0, 1.0)
        if y < 0.32:
            colour = (0.98, 0.72, 0.25, 1.0)
        elif 0.40 <= y <= 0.50 and 0.26 <= x <= 0.58:
            colour = (0.55, 0.68, 0.88, 1.0)
        elif 0.56 <= y <= 0.64 and 0.26 <= x <= 0.46:
            colour = (0.55, 0.68, 0.88, 1.0)
    # ... being edited: a pencil across its lower right corner.
    return _pencil_colour(x, y) or colour


def emblem(size, samples=8):
    image = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(samples):
                for sx in range(samples):
                    x = (px + (sx + 0.5) / samples) / size
                    y = (py + (sy + 0.5) / samples) / size
                    c = emblem_colour(x, y)
                    if c:
                        acc[0] += c[0] * c[3]
                        acc[1] += c[1] * c[3]
                        acc[2] += c[2] * c[3]
                        acc[3] += c[3]
            n = samples * samples
            alpha = acc[3] / n
            if alpha <= 0.0:
                row.append((0, 0, 0, 0))
            else:
                row.append(tuple(int(round(acc[i] / acc[3] * 255)) for i in range(3)) +
                           (int(round(alpha * 255)),))
        image.append(row)
    return image


# ---------------------------------------------------------------------------
# Files
# ---------------------------------------------------------------------------

def png_bytes(image):
    """8-bit RGBA PNG, no filtering, zlib level 9."""
    height, width = len(image), len(image[0])
    raw = bytearray()
    for row in image:
        raw.append(0)
        for r, g, b, a in row:
            raw += bytes((r, g, b, a))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) +
            chunk(b"IEND", b""))


def ico_bytes(images):
    """An icon file of 32-bit DIB images (BGRA rows bottom-up, then the AND mask)."""
    entries = []
    blobs = []
    offset = 6 + 16 * len(images)
    for image in images:
        size = len(image)
        mask_stride = ((size + 31) // 32) * 4
        blob = bytearray(struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0))
        for row in reversed(image):
            for r, g, b, a in row:
                blob += bytes((b, g, r, a))
        for row in reversed(image):
            bits = bytearray(mask_stride)
            for x, (_, _, _, a) in enumerate(row):
                if a == 0:
                    bits[x // 8] |= 0x80 >> (x % 8)
            blob += bits
        entries.append(struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(blob), offset))
        offset += len(blob)
        blobs.append(bytes(blob))
    return struct.pack("<HHH", 0, 1, len(images)) + b"".join(entries) + b"".join(blobs)


def write(path, data):
    with open(path, "wb") as out:
        out.write(data)
    print("wrote %s (%d bytes)" % (path, len(data)))


def main(argv):
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    outdir = argv[1] if len(argv) > 1 else os.path.join(root, "src", "app", "res")
    os.makedirs(outdir, exist_ok=True)
    write(os.path.join(outdir, "toolbar.png"), png_bytes(strip(TOOLBAR_ROW0, rows=2)))
    write(os.path.join(outdir, "widget_types.png"), png_bytes(strip([icon for icon, _ in WIDGET_ORDER])))
    write(os.path.join(outdir, "tvse.ico"), ico_bytes([emblem(16), emblem(32), emblem(48)]))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))

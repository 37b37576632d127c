#!/usr/bin/env python3
"""Drives the real tvse.exe under Wine on an X display: opens the sample's loading
screen, then edits it the way a user does, through the tool windows, and checks after
each step that the drawn screen changed where it should.

    editor_walk.py TVSE_EXE [--screenshots DIR]

1. A click on the mission title in the screen view selects it: the Properties window
   appears and everything else is dimmed.
2. Typing a rectangle into the grid's "Rectangle" row moves the title.
3. The "Text" row's button docks the string chooser; a search and a click on its first
   row give the title another text.
4. A double-click on the picture's item in the outline hides the picture (still drawn
   while it is the selection); selecting the subtitle in the outline leaves it hidden
   on screen.
5. The subtitle is renamed in the grid's "Name" row (Enter commits): the outline shows
   the new name; Ctrl+Z in the grid takes the rename back.
6. The outline is closed (Alt+F4) and F4 in the editor shows it again.

Runs with the current directory as the program's (the sample installation). Needs
DISPLAY (and WINEPREFIX) from scripts/with-wine.sh, xdotool and xwd. Exit code 0 when
every check passed, 77 when there is no display.
"""

import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "start_win"))
import start_window_walk as walk  # noqa: E402

Failure = walk.Failure
log = walk.log
run = walk.run

# The workspace below the start window's two header rows, and the screen view below
# the tool strip (client coordinates).
HEADER_HEIGHT = 44
STRIP_HEIGHT = 24
DOCUMENT_TOP = HEADER_HEIGHT + STRIP_HEIGHT
# Tree and grid rows under Wine's default fonts: the first row's centre below the top
# of the tool window's frame, and the pitch.
FIRST_ROW = 28
ROW = 16
# The grid's rows from the top, and the outline's items.
GRID_NAME = 2
GRID_RECTANGLE = 5
GRID_TEXT = 6
OUTLINE_PICTURE = 2
OUTLINE_SUBTITLE = 4


# The editor window's client area, once a walk has found it: where the drawing must have
# settled before a screenshot counts (the tool windows' blinking carets do not count).
_settle_box = None


class Screen:
    """The screen view of the editor window: widget fractions to client pixels."""

    def __init__(self, client):
        global _settle_box
        _settle_box = (client.x, client.y, client.x + walk.CLIENT_WIDTH, client.y + walk.CLIENT_HEIGHT)
        self.client = client
        self.width = walk.CLIENT_WIDTH
        self.height = walk.CLIENT_HEIGHT - DOCUMENT_TOP

    def point(self, fx, fy):
        return int(fx * self.width), DOCUMENT_TOP + int(fy * self.height)

    def click(self, fx, fy):
        x, y = self.point(fx, fy)
        self.client.click(x, y)

    def region(self, image, left, top, right, bottom, step=4):
        """The pixels of the fractional rectangle, sampled."""
        x0, y0 = self.point(left, top)
        x1, y1 = self.point(right, bottom)
        return [self.client.pixel(image, x, y) for y in range(y0, y1, step) for x in range(x0, x1, step)]


def golden(pixels):
    """How many pixels have the title's golden text colour (at full strength)."""
    return sum(1 for r, g, b in pixels if r > 150 and r - b > 60 and g > 90)


def changed(before, after, tolerance=24):
    """The share of sampled pixels that differ by more than `tolerance`."""
    differing = sum(1 for a, b in zip(before, after) if max(abs(p - q) for p, q in zip(a, b)) > tolerance)
    return differing / max(1, len(before))


class ToolWindow:
    def __init__(self, name):
        self.name = name
        self.id = None

    def find(self, visible=True):
        args = ["xdotool", "search"] + (["--onlyvisible"] if visible else []) + ["--name", "^%s$" % self.name]
        result = subprocess.run(args, capture_output=True, timeout=10)
        ids = result.stdout.split()
        self.id = ids[0].decode() if result.returncode == 0 and ids else None
        return self.id

    def geometry(self):
        values = {}
        for line in run("xdotool", "getwindowgeometry", "--shell", self.id).decode().split():
            key, _, value = line.partition("=")
            values[key] = int(value)
        return values["X"], values["Y"], values["WIDTH"], values["HEIGHT"]

    def click(self, x, y, repeat=1):
        left, top, _, _ = self.geometry()
        run("xdotool", "mousemove", str(left + x), str(top + y))
        time.sleep(0.2)
        run("xdotool", "click", "--repeat", str(repeat), "--delay", "80", "1")

    def row_y(self, row):
        return FIRST_ROW + row * ROW


def settle(seconds=0.8):
    time.sleep(seconds)


def same_drawing(a, b):
    """Whether two screenshots show the same editor window (two captures: the same)."""
    if not isinstance(a, walk.Image):
        return a == b
    if _settle_box is None:
        return a.pixels == b.pixels
    x0, y0, x1, y1 = _settle_box
    for y in range(y0, y1):
        start = y * a.stride + x0 * a.step
        end = y * a.stride + x1 * a.step
        if a.pixels[start:end] != b.pixels[start:end]:
            return False
    return True


def until(what, check, timeout=20, capture=None):
    """Screenshots (or whatever `capture()` returns) until `check(image)` holds and the
    drawing has settled: the next capture is the same. A busy machine draws late and in
    steps (a drag arrives as several frames), so an image that passes its check may still
    be on its way; only a settled one is a reference. Returns the settled image."""
    state = {"passed": None}

    def attempt():
        image = capture() if capture else walk.screenshot()
        passed = state["passed"]
        if passed is not None and same_drawing(passed, image):
            return True
        state["passed"] = image if check(image) else None
        return False

    walk.wait_for(what, attempt, timeout, interval=0.3)
    return state["passed"]


# Parts of the loading screen, as fractions of the screen view.
TITLE = (0.05, 0.05, 0.65, 0.11)  # MissionTitle
MOVED = (0.3, 0.5, 0.9, 0.56)     # where the walks move the title
SKY = (0.3, 0.2, 0.6, 0.3)        # the picture's sky, away from every text


def select_title(client):
    """With the loading screen open: clicks its mission title, waits for the Properties
    window and the dimming around it. Returns the screen view, the Properties window and
    the screenshots before and after."""
    screen = Screen(client)
    outline = ToolWindow("Outline")
    properties = ToolWindow("Properties")
    walk.wait_for("the outline", outline.find, 20)
    if properties.find():
        raise Failure("the Properties window shows with nothing selected")
    log("outline %s at %s" % (outline.id, outline.geometry()))
    before = walk.screenshot()
    screen.click(0.35, 0.08)
    walk.wait_for("the Properties window", properties.find, 20)
    selected = until("the rest of the screen dimmed around the selection",
                     lambda image: changed(screen.region(before, *SKY), screen.region(image, *SKY)) >= 0.5)
    settle()
    return screen, properties, before, selected


def edit(program, shots):
    client = walk.walk(program, None)
    outline = ToolWindow("Outline")
    title, moved, sky = TITLE, MOVED, SKY

    # 1. Select the title in the screen view.
    screen, properties, before, selected = select_title(client)
    outline.find()
    if shots:
        walk.screenshot(os.path.join(shots, "editor-tools-full.png"))
    text_before = golden(screen.region(before, *title, step=1))
    text_selected = golden(screen.region(selected, *title, step=1))
    if not 0.6 * text_before <= text_selected <= 1.6 * text_before or text_before < 50:
        raise Failure("the selected title's text was dimmed too (%d golden pixels, %d before)"
                      % (text_selected, text_before))
    log("selected the title: Properties %s at %s" % (properties.id, properties.geometry()))

    # 2. Type a new rectangle into the grid.
    properties.click(150, properties.row_y(GRID_RECTANGLE))
    settle(0.5)
    run("xdotool", "key", "ctrl+a")
    run("xdotool", "type", "--delay", "60", "[0.3, 0.5, 0.6, 0.06]")
    settle()
    run("xdotool", "key", "Return")
    after_move = until("the title to leave its place and arrive at the new one",
                       lambda image: changed(screen.region(selected, *title), screen.region(image, *title)) >= 0.02
                       and changed(screen.region(selected, *moved), screen.region(image, *moved)) >= 0.02)
    log("the title moved")

    # 3. Pick a text through the docked chooser.
    _, _, grid_width, _ = properties.geometry()
    properties.click(grid_width - 12, properties.row_y(GRID_TEXT))
    walk.wait_for("the chooser to dock", lambda: properties.geometry()[2] > grid_width + 100, 20)
    settle()
    left, _, width, height = properties.geometry()
    if width <= grid_width + 100:
        raise Failure("the chooser did not dock (Properties %d wide, was %d)" % (width, grid_width))
    if left + width > 1280:
        raise Failure("the chooser opened beyond the screen's edge")
    chooser_left = grid_width - 4  # less the frame's right border
    properties.click(chooser_left + 60, height - 14)  # the search box along the bottom
    settle(0.3)
    run("xdotool", "type", "--delay", "60", "Skirmish")
    settle()
    if shots:
        walk.screenshot(os.path.join(shots, "editor-chooser-full.png"))
    properties.click(chooser_left + 40, FIRST_ROW + 20)  # the first row under the header
    picked = until("the picked text drawn",
                   lambda image: changed(screen.region(after_move, *moved), screen.region(image, *moved)) >= 0.02)
    log("picked a text from the chooser")
    properties.click(grid_width - 12, properties.row_y(GRID_TEXT))  # closes it again
    walk.wait_for("the chooser to close", lambda: properties.geometry()[2] == grid_width, 20)

    # 4. Hide the picture from the outline, then select another widget.
    outline.click(80, outline.row_y(OUTLINE_PICTURE), repeat=2)
    settle()
    outline.click(80, outline.row_y(OUTLINE_SUBTITLE))
    until("the hidden picture gone from the screen",
          lambda image: changed(screen.region(picked, *sky), screen.region(image, *sky)) >= 0.3)
    if shots:
        walk.screenshot(os.path.join(shots, "editor-hidden-full.png"))
    log("hid the picture from the outline")

    # 5. Rename the subtitle in the grid; the outline follows, and Ctrl+Z takes it back.
    def subtitle_item():
        left, top, _, _ = outline.geometry()
        image = walk.screenshot()
        y = top + outline.row_y(OUTLINE_SUBTITLE)
        return [image.at(x, yy) for yy in range(y - 5, y + 6) for x in range(left + 40, left + 160)]

    # The pointer and the focus stay in the grid from here: the outline's translucency
    # and its selection's colour stay the same.
    properties.click(150, properties.row_y(GRID_NAME))
    named = until("the subtitle's item settled", lambda pixels: True, capture=subtitle_item)
    run("xdotool", "key", "ctrl+a")
    run("xdotool", "type", "--delay", "60", "Subheading")
    run("xdotool", "key", "Return")
    until("the outline showing the new name", lambda pixels: changed(named, pixels) > 0.01, capture=subtitle_item)
    if shots:
        walk.screenshot(os.path.join(shots, "editor-renamed-full.png"))
    run("xdotool", "key", "ctrl+z")
    until("the old name back after Ctrl+Z", lambda pixels: changed(named, pixels) == 0, capture=subtitle_item)
    log("renamed the subtitle in the grid, and took it back")

    # 6. Close the outline (a click into it makes it the active window); F4 in the editor
    # shows it again.
    outline.click(80, outline.row_y(OUTLINE_SUBTITLE))
    settle(0.5)
    run("xdotool", "key", "alt+F4")
    walk.wait_for("the outline to close", lambda: not outline.find(), 20)
    run("xdotool", "windowfocus", "--sync", client.window)
    run("xdotool", "key", "F4")
    walk.wait_for("the outline shown again by F4", outline.find, 20)
    log("closed the outline and showed it again")
    return client


if __name__ == "__main__":
    sys.exit(walk.drive(edit, "Edits the loading screen through the tool windows."))

#!/usr/bin/env python3
"""Drives the real tvse.exe under Wine on an X display, from the module list to the
screen list and back, and checks what the window shows from screenshots.

    start_window_walk.py TVSE_EXE [--screenshots DIR]

Runs with the current directory as the program's (the sample installation: its
modules are listed). Needs DISPLAY (and WINEPREFIX) from scripts/with-wine.sh, and
xdotool and xwd. Every wait has a time-out; the program is killed at the end whatever
happens. Exit code 0 when every check passed.
"""

import argparse
import os
import struct
import subprocess
import sys
import time

TITLE = "Tarvok Screen Editor"
CLIENT_WIDTH = 800  # DIPs, at the 96 DPI of Xvfb: pixels
CLIENT_HEIGHT = 600
LINK = (0, 102, 204)
HEADER_TOP = (77, 96, 130)
HEADER_BOTTOM = (61, 82, 119)
SAMPLE_MODULES = 3
WHEEL_STEP = 60  # DIPs per notch


class Failure(Exception):
    pass


def log(text):
    print(text, flush=True)


def run(*args, timeout=20):
    return subprocess.run(args, check=True, capture_output=True, timeout=timeout).stdout


def wait_for(what, condition, timeout, interval=0.1):
    deadline = time.monotonic() + timeout
    while True:
        result = condition()
        if result:
            return result
        if time.monotonic() > deadline:
            raise Failure("timed out waiting for " + what)
        time.sleep(interval)


class Image:
    """A screenshot as rows of (r, g, b), parsed from an XWD dump (ZPixmap, 24 or 32
    bits per pixel, either byte order)."""

    def __init__(self, data):
        fields = struct.unpack(">25I", data[:100])
        (header_size, version, pixmap_format, depth, width, height, _xoffset, byte_order, _unit,
         _bit_order, _pad, bits_per_pixel, bytes_per_line, _visual, red_mask, green_mask, blue_mask,
         _bits_per_rgb, _entries, ncolours) = fields[:20]
        if version != 7 or pixmap_format != 2 or bits_per_pixel not in (24, 32):
            raise Failure("unexpected XWD layout: version %d format %d bpp %d"
                          % (version, pixmap_format, bits_per_pixel))
        self.width = width
        self.height = height
        offset = header_size + 12 * ncolours
        self.pixels = data[offset:offset + bytes_per_line * height]
        self.stride = bytes_per_line
        self.step = bits_per_pixel // 8
        self.little = byte_order == 0
        self.masks = [(mask, (mask & -mask).bit_length() - 1) for mask in (red_mask, green_mask, blue_mask)]

    def at(self, x, y):
        start = y * self.stride + x * self.step
        raw = self.pixels[start:start + self.step]
        value = int.from_bytes(raw, "little" if self.little else "big")
        return tuple((value & mask) >> shift for mask, shift in self.masks)


def screenshot(path=None):
    # xwd asks the X server about windows while it dumps the root, and fails when one
    # of them goes at that moment (a tool window closing): that dump is taken again.
    for attempt in range(3):
        try:
            data = run("xwd", "-root", "-silent")
            break
        except subprocess.CalledProcessError:
            if attempt == 2:
                raise
            time.sleep(0.2)
    if path:
        subprocess.run(["convert", "xwd:-", path], input=data, check=True, timeout=30)
    return Image(data)


def close_to(colour, wanted, tolerance):
    return all(abs(a - b) <= tolerance for a, b in zip(colour, wanted))


def is_link(colour):
    # Anti-aliased glyphs: the stems come close to the link colour, nothing else on
    # the list does (headings are grey, the background nearly white).
    r, g, b = colour
    return r < 60 and 70 <= g <= 135 and b >= 160 and b - g >= 60


class Client:
    def __init__(self, window):
        geometry = {}
        for line in run("xdotool", "getwindowgeometry", "--shell", window).decode().split():
            key, _, value = line.partition("=")
            geometry[key] = int(value) if value.lstrip("-").isdigit() else value
        border = (geometry["WIDTH"] - CLIENT_WIDTH) // 2
        self.x = geometry["X"] + border
        self.y = geometry["Y"] + geometry["HEIGHT"] - CLIENT_HEIGHT - border
        self.window = window
        self.frame = (geometry["X"], geometry["Y"], geometry["WIDTH"], geometry["HEIGHT"])

    def pixel(self, image, x, y):
        return image.at(self.x + x, self.y + y)

    def link_rows(self, image, top=0, left=0, right=CLIENT_WIDTH - 12):
        """Bands of rows that hold link-coloured text: [(first row, last row)]."""
        bands = []
        for y in range(top, CLIENT_HEIGHT):
            hit = any(is_link(self.pixel(image, x, y)) for x in range(left, right, 1))
            if hit:
                # Thin strokes can miss the colour on a row or two inside a line.
                if bands and bands[-1][1] >= y - 3:
                    bands[-1] = (bands[-1][0], y)
                else:
                    bands.append((y, y))
        return bands

    def move(self, x, y):
        run("xdotool", "mousemove", str(self.x + x), str(self.y + y))

    def click(self, x, y, button=1):
        self.move(x, y)
        time.sleep(0.05)
        run("xdotool", "click", str(button))

    def shows_header(self, image):
        top = self.pixel(image, 3, 2)
        return close_to(top, HEADER_TOP, 12) or close_to(top, HEADER_BOTTOM, 12)

    def crop(self, source, target):
        # The client area only: without a window manager Wine draws a bare frame of its own.
        subprocess.run(["convert", source, "-crop", "%dx%d+%d+%d" % (CLIENT_WIDTH, CLIENT_HEIGHT, self.x, self.y),
                        "+repage", target], check=True, timeout=30)


def stable_screenshot(what, check, timeout=20):
    """Waits until `check(image)` holds on two screenshots in a row (the window has
    finished repainting), and returns the last image."""
    state = {"previous": None}

    def attempt():
        image = screenshot()
        result = check(image)
        ok = result and state["previous"] == result
        state["previous"] = result
        return image if ok else None

    return wait_for(what, attempt, timeout, 0.2)


# The sample's loading screen in the (alphabetical) screen list.
LOADING_SCREEN_ROW = 20


def walk(program, shots):
    window = wait_for("the start window",
                      lambda: run("xdotool", "search", "--name", "^%s$" % TITLE).split()[:1]
                      if subprocess.run(["xdotool", "search", "--name", "^%s$" % TITLE],
                                        capture_output=True).returncode == 0 else None, 30)[0].decode()
    client = Client(window)
    log("window %s, client at (%d, %d)" % (window, client.x, client.y))
    # Park the pointer outside the window, so that nothing is hovered.
    run("xdotool", "mousemove", "1270", "1010")

    modules = stable_screenshot("the module list",
                                lambda image: (not client.shows_header(image) and
                                               tuple(client.link_rows(image))
                                               if len(client.link_rows(image)) == SAMPLE_MODULES else None))
    module_rows = client.link_rows(modules)
    log("module rows %s" % module_rows)
    top = client.pixel(modules, 3, 2)
    bottom = client.pixel(modules, 3, CLIENT_HEIGHT - 2)
    if not (close_to(top, (255, 255, 255), 6) and close_to(bottom, (226, 237, 253), 8)):
        raise Failure("module list background %s .. %s" % (top, bottom))
    pitch = module_rows[1][0] - module_rows[0][0]
    if shots:
        screenshot(os.path.join(shots, "module-list-full.png"))
        client.crop(os.path.join(shots, "module-list-full.png"), os.path.join(shots, "module-list.png"))

    # The sample's main module is the second (Armoury, Bastion, Frontier).
    bastion = module_rows[1]
    client.click(60, (bastion[0] + bastion[1]) // 2)

    def screen_list(image):
        if not client.shows_header(image):
            return None
        rows = client.link_rows(image, top=40)
        return tuple(rows) if len(rows) >= 10 else None

    screens = stable_screenshot("the screen list", screen_list)
    rows = client.link_rows(screens, top=40)
    # Rows at the module list's pitch down to the bottom edge.
    expected = (CLIENT_HEIGHT - rows[0][0]) // pitch
    log("screen rows: %d (first at %d, pitch %d, expected about %d)" % (len(rows), rows[0][0], pitch, expected))
    if abs(len(rows) - expected) > 1:
        raise Failure("the screen list shows %d rows, expected about %d" % (len(rows), expected))
    gaps = {b[0] - a[0] for a, b in zip(rows, rows[1:])}
    if max(gaps) - min(gaps) > 2:
        raise Failure("uneven screen rows: %s" % sorted(gaps))

    # The mouse over the list (on an entry, which is highlighted): the vertical bar's
    # thumb shows near the right edge. Leaving the window tells it nothing, so the
    # pointer stays inside from here on.
    client.move(120, 300)

    def thumb(image):
        column = [client.pixel(image, CLIENT_WIDTH - 6, y) for y in range(40, CLIENT_HEIGHT)]
        dark = [y for y, c in enumerate(column) if max(c) < 190]
        return tuple(dark[:1]) if len(dark) > 20 else None

    hovered = stable_screenshot("the scroll bar's thumb", thumb)
    if shots:
        screenshot(os.path.join(shots, "screen-list-full.png"))
        client.crop(os.path.join(shots, "screen-list-full.png"), os.path.join(shots, "screen-list.png"))
    before = client.link_rows(hovered, top=40)

    run("xdotool", "click", "5")  # one notch down

    def scrolled(image):
        rows_now = client.link_rows(image, top=40)
        return tuple(rows_now) if rows_now and rows_now != before else None

    after_image = stable_screenshot("the list to scroll", scrolled)
    after = client.link_rows(after_image, top=40)
    moved = [a for a in before if any(abs((a[0] - WHEEL_STEP) - b[0]) <= 1 for b in after)]
    log("after one notch: %d of %d rows found %d px higher" % (len(moved), len(before), WHEEL_STEP))
    if len(moved) < len(before) // 2:
        raise Failure("the content did not move by %d px: %s -> %s" % (WHEEL_STEP, before, after))
    if thumb(after_image) == thumb(hovered):
        raise Failure("the thumb did not move")

    # The header goes back to the module list.
    client.click(400, 8)
    stable_screenshot("the module list again",
                      lambda image: (None if client.shows_header(image) else
                                     tuple(client.link_rows(image)) if client.link_rows(image) == module_rows
                                     else None))
    log("back at the module list")

    # Open the module again and its loading screen (the 21st entry, alphabetically): the
    # editor workspace replaces the list and draws the screen, a full-screen picture of a
    # keep under a dusk sky: nothing there is near white, as the list's background is.
    client.click(60, (bastion[0] + bastion[1]) // 2)
    screens = stable_screenshot("the screen list again", screen_list)
    rows = client.link_rows(screens, top=40)
    loading = rows[LOADING_SCREEN_ROW]
    client.click(60, (loading[0] + loading[1]) // 2)
    # Park the pointer on the tool strip, away from the screen's widgets.
    client.move(700, 60)

    def drawn_screen(image):
        samples = [client.pixel(image, x, y) for x in (200, 400, 600) for y in (200, 300)]
        # Below the tool strip, whose icons may hold link-like blues.
        if client.link_rows(image, top=70):
            return None  # still the list
        return tuple(samples) if all(sum(c) < 600 for c in samples) else None

    stable_screenshot("the loading screen drawn in the editor", drawn_screen, timeout=30)
    log("the loading screen is drawn")
    if shots:
        screenshot(os.path.join(shots, "editor-full.png"))
        client.crop(os.path.join(shots, "editor-full.png"), os.path.join(shots, "editor.png"))
    return client


def close(client, program):
    # Wine draws the frame itself here (no window manager): its close button sits in
    # the caption's top-right corner. Alt+F4 to the focused window is the first try.
    run("xdotool", "windowfocus", "--sync", client.window)
    run("xdotool", "key", "alt+F4")
    try:
        return program.wait(timeout=10)
    except subprocess.TimeoutExpired:
        log("Alt+F4 did not close the window; trying the caption's close button")
    x, y, w, _ = client.frame
    run("xdotool", "mousemove", str(x + w - 12), str(y + 12), "click", "1")
    return program.wait(timeout=15)


def drive(steps, description):
    """The command line of a walk: starts the program, runs `steps(program, shots)`
    (which returns the Client of the start window), closes the program and expects
    exit code 0. The program is killed at the end whatever happens."""
    parser = argparse.ArgumentParser(description=description)
    parser.add_argument("program")
    parser.add_argument("--screenshots")
    args = parser.parse_args()
    if not os.environ.get("DISPLAY"):
        print("no DISPLAY: run under scripts/with-wine.sh; skipped", file=sys.stderr)
        return 77
    if args.screenshots:
        os.makedirs(args.screenshots, exist_ok=True)
    # The pointer away from where the window opens: a walk before may have left it there,
    # and an entry under it would be hovered from the start.
    run("xdotool", "mousemove", "1270", "1010")
    program = subprocess.Popen(["wine", args.program], stdin=subprocess.DEVNULL)
    try:
        client = steps(program, args.screenshots)
        code = close(client, program)
        if code != 0:
            raise Failure("exit code %d" % code)
        log("closed with exit code 0")
        return 0
    except (Failure, subprocess.SubprocessError) as failure:
        print("FAILED: %s" % failure, file=sys.stderr)
        if args.screenshots:
            screenshot(os.path.join(args.screenshots, "failure.png"))
        return 1
    finally:
        if program.poll() is None:
            program.kill()
            try:
                program.wait(timeout=10)
            except subprocess.TimeoutExpired:
                pass


if __name__ == "__main__":
    sys.exit(drive(walk, "From the module list to the screen list and back, then to the editor."))

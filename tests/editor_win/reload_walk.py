#!/usr/bin/env python3
"""Drives the real tvse.exe under Wine on an X display while files of the open mod are
saved from outside, as a modder's own editor saves them, and checks the drawn screen.

    reload_walk.py TVSE_EXE [--screenshots DIR]

Runs on a copy of the sample installation (the current directory), in a temporary
folder, so the sample itself is never written.

1. The loading screen is opened and its mission title selected.
2. A loose copy of the (archived) screen is saved with the title moved: the screen
   loads again by itself and shows it moved, still selected and emphasized.
3. A broken copy is saved: the last good version stays on screen and the tool strip
   says why, in red.
4. A good copy is saved again: the message goes, and the screen shows the new version.
5. The mod's string table is saved with the title's text cut short: the screen draws
   the new text.

Needs DISPLAY (and WINEPREFIX) from scripts/with-wine.sh, xdotool and xwd. Exit code 0
when every check passed, 77 when there is no display.
"""

import os
import shutil
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(HERE, "..", "..", "tools"))
import editor_walk as editor  # noqa: E402
import make_sample  # noqa: E402

walk = editor.walk
Failure = walk.Failure
log = walk.log

SCREEN_FILE = os.path.join("Bastion", "Data", "Art", "UI", "Screens", "loadingscreen.screen")
TABLE_FILE = os.path.join("Bastion", "Locale", "english", "bastion.ucs")
TITLE_ID = 20002  # "Mission 1: The Outer Wall"

# Appended to the screen: moves or hides one widget of the tree the script built. The
# sandbox has no base library, so the walk uses only the length operator.
FIND = """
local function find(widget, name)
    if widget.name == name then return widget end
    local children = widget.Children
    if children then
        for i = 1, #children do
            local found = find(children[i], name)
            if found then return found end
        end
    end
end
"""


def save(text):
    """Writes the loose copy as editors do: a temporary file renamed over the real one."""
    path = SCREEN_FILE
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path + ".tmp", "wb") as handle:
        handle.write(text.encode("latin-1") if isinstance(text, str) else text)
    os.replace(path + ".tmp", path)


def save_text(ident, text):
    """Writes the string table with one text changed, as editors save it."""
    with open(TABLE_FILE, "rb") as handle:
        lines = handle.read()[2:].decode("utf-16-le").split("\r\n")
    prefix = "%d\t" % ident
    if not any(line.startswith(prefix) for line in lines):
        raise Failure("the sample's table has no string %d" % ident)
    lines = [prefix + text if line.startswith(prefix) else line for line in lines]
    with open(TABLE_FILE + ".tmp", "wb") as handle:
        handle.write(b"\xff\xfe" + "\r\n".join(lines).encode("utf-16-le"))
    os.replace(TABLE_FILE + ".tmp", TABLE_FILE)


def alert_pixels(client, image):
    """How many pixels of the tool strip, right of its buttons, are the status's red."""
    top = editor.HEADER_HEIGHT
    count = 0
    for y in range(top + 4, top + editor.STRIP_HEIGHT - 4):
        for x in range(420, walk.CLIENT_WIDTH - 10, 2):
            r, g, b = client.pixel(image, x, y)
            if r > 120 and g < 90 and b < 90 and r - g > 60:
                count += 1
    return count


def follow(program, shots):
    original = make_sample.screen_script("loadingscreen.screen", "a modder's loose copy",
                                         make_sample.screen_bodies())
    if isinstance(original, bytes):
        original = original.decode("latin-1")
    client = walk.walk(program, None)
    title, moved, sky = editor.TITLE, editor.MOVED, editor.SKY

    # 1. Select the title.
    screen, properties, before, selected = editor.select_title(client)
    log("selected the title")

    # 2. Save a copy with the title moved.
    save(original + FIND + "find(Screen.Widgets, 'MissionTitle').position = {0.3, 0.5}\n")
    reloaded = editor.until(
        "the saved copy drawn: the title gone from its place and at the new one",
        lambda image: editor.changed(screen.region(selected, *title), screen.region(image, *title)) >= 0.02
        and editor.changed(screen.region(selected, *moved), screen.region(image, *moved)) >= 0.02, timeout=30)
    editor.settle()
    reloaded = walk.screenshot()
    if editor.changed(screen.region(before, *sky), screen.region(reloaded, *sky)) < 0.5:
        raise Failure("the reloaded screen is not dimmed around the selection any more")
    if not properties.find():
        raise Failure("the Properties window went with the reload")
    if editor.golden(screen.region(reloaded, *moved, step=1)) < 50:
        raise Failure("the moved title is not drawn in full strength (not the selection?)")
    if alert_pixels(client, reloaded):
        raise Failure("the tool strip shows a message after a good save")
    log("the saved copy is drawn, the title still selected")

    # 3. A broken save: the last good version stays, the strip says why.
    save(original + "\nScreen = {\n")
    failed = editor.until("the failure in the tool strip", lambda image: alert_pixels(client, image) > 20,
                          timeout=30)
    editor.settle()
    if shots:
        walk.screenshot(os.path.join(shots, "reload-failed-full.png"))
        client.crop(os.path.join(shots, "reload-failed-full.png"), os.path.join(shots, "reload-failed.png"))
    if editor.changed(screen.region(reloaded, *moved), screen.region(failed, *moved)) > 0.01:
        raise Failure("the screen changed although the saved copy does not load")
    log("the broken copy left the screen as it was and is reported (%d red pixels)" % alert_pixels(client, failed))

    # 4. A good save again: the title back at its place, hidden picture, no message.
    save(original + FIND + "find(Screen.Widgets, 'LoadingArt').visible = false\n")
    restored = editor.until("the new copy drawn without the picture and without the message",
                            lambda image: alert_pixels(client, image) == 0
                            and editor.changed(screen.region(failed, *sky), screen.region(image, *sky)) >= 0.3
                            and editor.changed(screen.region(failed, *title), screen.region(image, *title)) >= 0.02,
                            timeout=30)
    log("the next good save is drawn and the message is gone")

    # 5. The title's text cut short in the string table: drawn as it is now.
    save_text(TITLE_ID, "Mission 1")
    retitled = editor.until("the title drawn with its new text",
                            lambda image: editor.changed(screen.region(restored, *title),
                                                         screen.region(image, *title)) >= 0.02, timeout=30)
    if editor.changed(screen.region(restored, *sky), screen.region(retitled, *sky)) > 0.01:
        raise Failure("more than the title's text changed with the string table")
    log("the string table's new text is drawn")
    return client


def main():
    sample = os.getcwd()
    with tempfile.TemporaryDirectory(prefix="tvse-reload-walk-") as copy:
        installation = os.path.join(copy, "sample")
        shutil.copytree(sample, installation)
        os.chdir(installation)
        try:
            return walk.drive(follow, "Saves screen files under the running editor and checks the drawing.")
        finally:
            os.chdir(sample)


if __name__ == "__main__":
    sys.exit(main())

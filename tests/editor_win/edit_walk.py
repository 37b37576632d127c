#!/usr/bin/env python3
"""Drives the real tvse.exe under Wine on an X display: edits the loading screen
directly on the canvas with the edit tool, then undoes and redoes the edit, checking
the drawn screen and the property grid after each step.

    edit_walk.py TVSE_EXE [--screenshots DIR]

1. The mission title is selected and the edit tool chosen: handles frame the title.
   The first player card is selected in the outline; a click (with a one-pixel jitter)
   on the player's name inside it selects that child, moving nothing and leaving nothing
   to undo; a click on the title selects it again, and the screen is as it was.
2. The title is dragged down and to the right: it is drawn at its new place, and the
   grid's "Rectangle" row shows other numbers.
3. Ctrl+Z: the screen and the grid look exactly as before the drag.
4. Ctrl+Y: exactly as after the drag.
5. The tool strip's undo button, then its redo button: the same again.
6. The "1024 x 768" preview resolution: the screen is drawn smaller, centred, with the
   margins dimmed; then "Fit window" again.
7. The main menu screen: its Campaign button is selected and its "Preview State" row
   stepped to "Pressed": the button is drawn pressed.

Runs with the current directory as the program's (the sample installation). Needs
DISPLAY (and WINEPREFIX) from scripts/with-wine.sh, xdotool and xwd. Exit code 0 when
every check passed, 77 when there is no display.
"""

import os
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import editor_walk as editor  # noqa: E402

walk = editor.walk
Failure = walk.Failure
log = walk.log
run = walk.run

STRIP_TOP = editor.HEADER_HEIGHT
# The tool strip's layout after its label (DIPs from the select button's left edge).
EDIT_BUTTON = 24
UNDO_BUTTON = 378
REDO_BUTTON = 402
RESOLUTION_BUTTON = 492
BUTTON_CENTRE = 12
# The arrow icon's tip: pixel (3, 0) of the icon, 3 DIPs inside a button 1 DIP down.
ARROW_TIP = (6, 4)
# The popup menu's second entry below the strip (Wine's menu font).
MENU_FIRST_ENTRY = 11
MENU_SECOND_ENTRY = 30
# The bar naming the screen, which goes back to the screen list; that list's rows.
SCREEN_BAR = 33
LIST_FIRST_ROW = 69
LIST_PITCH = 19
MAIN_MENU_ROW = 24  # mainmenuscreen.screen
# The first player card in the outline; its player's name on the screen; the title.
OUTLINE_CARD = 11
CARD_NAME = (0.15, 0.67)
TITLE_POINT = (0.35, 0.08)
# The main menu's Campaign button, and its grid's "Preview State" row.
CAMPAIGN = (0.08, 0.415, 0.36, 0.46)
GRID_PREVIEW_STATE = 4
OUTLINE_INK = (36, 36, 40)


def select_button_left(client, image):
    """The select button's left edge: found by the arrow's tip, the first outline-ink
    pixel of the icons' top row after the label."""
    y = STRIP_TOP + ARROW_TIP[1]
    for x in range(24, 120):
        if walk.close_to(client.pixel(image, x, y), OUTLINE_INK, 12):
            return x - ARROW_TIP[0]
    raise Failure("no select button in the tool strip")


def same(before, after):
    return editor.changed(before, after, tolerance=8) <= 0.002


def grid_row(properties, row):
    """The value column of a grid row, as sampled pixels of a fresh screenshot."""
    left, top, width, _ = properties.geometry()
    image = walk.screenshot()
    y = top + properties.row_y(row)
    return [image.at(x, yy) for yy in range(y - 5, y + 6) for x in range(left + width // 2, left + width - 20)]


def wait_grid(properties, what, check):
    return editor.until(what, check, capture=lambda: grid_row(properties, editor.GRID_RECTANGLE))


def wait_grid_name(properties, what, check):
    return editor.until(what, check, capture=lambda: grid_row(properties, editor.GRID_NAME))


def undo_button(client, image):
    """The strip's undo button, faded while there is nothing to undo."""
    left = select_button_left(client, image)
    return [client.pixel(image, left + UNDO_BUTTON + x, STRIP_TOP + y) for x in range(4, 20) for y in range(4, 20)]


def edit(program, shots):
    client = walk.walk(program, None)
    screen, properties, before, selected = editor.select_title(client)
    grid_before = grid_row(properties, editor.GRID_RECTANGLE)

    # 1. The edit tool: handles appear around the title.
    left = select_button_left(client, selected)
    log("select button at x=%d" % left)
    client.click(left + EDIT_BUTTON + BUTTON_CENTRE, STRIP_TOP + BUTTON_CENTRE)
    title = screen.region(selected, *editor.TITLE, step=1)
    handles = editor.until("handles around the title",
                           lambda image: editor.changed(screen.region(selected, *editor.TITLE, step=1),
                                                        screen.region(image, *editor.TITLE, step=1), 8) > 0.001)
    if shots:
        walk.screenshot(os.path.join(shots, "editor-handles-full.png"))
    del title

    # 1b. The card's child is picked inside the selected card; nothing moves.
    outline = editor.ToolWindow("Outline")
    outline.find()
    undo_faded = undo_button(client, handles)
    title_name = grid_row(properties, editor.GRID_NAME)
    outline.click(80, outline.row_y(OUTLINE_CARD))
    card = wait_grid_name(properties, "the card selected", lambda pixels: not same(title_name, pixels))
    x, y = screen.point(*CARD_NAME)
    run("xdotool", "mousemove", str(client.x + x), str(client.y + y))
    time.sleep(0.2)
    run("xdotool", "mousedown", "1", "mousemove", str(client.x + x + 1), str(client.y + y + 1), "mouseup", "1")
    client.move(700, 60)
    wait_grid_name(properties, "the card's name selected inside it", lambda pixels: not same(card, pixels))
    if not same(undo_button(client, walk.screenshot()), undo_faded):
        raise Failure("a click inside the selection left something to undo")
    screen.click(*TITLE_POINT)
    client.move(700, 60)
    editor.until("the title selected again, nothing moved",
                 lambda image: same(screen.region(handles, 0, 0, 1, 1), screen.region(image, 0, 0, 1, 1)))
    log("picked a child inside the selected card")

    # 2. Drag the title 200 pixels right and 150 down.
    x, y = screen.point(0.35, 0.08)
    run("xdotool", "mousemove", str(client.x + x), str(client.y + y))
    time.sleep(0.2)
    run("xdotool", "mousedown", "1")
    for step in range(1, 11):
        run("xdotool", "mousemove", str(client.x + x + 20 * step), str(client.y + y + 15 * step))
        time.sleep(0.05)
    run("xdotool", "mouseup", "1")
    time.sleep(0.2)
    client.move(700, 60)
    dragged = editor.until("the title drawn at its new place",
                           lambda image: editor.changed(screen.region(handles, *editor.TITLE),
                                                        screen.region(image, *editor.TITLE)) >= 0.02)
    grid_dragged = wait_grid(properties, "the grid's rectangle to change",
                             lambda pixels: not same(grid_before, pixels))
    log("dragged the title")
    if shots:
        walk.screenshot(os.path.join(shots, "editor-dragged-full.png"))

    def expect(what, screen_image, grid_image):
        editor.until(what + ": the screen",
                     lambda image: same(screen.region(screen_image, 0, 0, 1, 1), screen.region(image, 0, 0, 1, 1)))
        wait_grid(properties, what + ": the grid", lambda pixels: same(grid_image, pixels))
        log(what)

    # 3, 4. Keys, to the main window.
    run("xdotool", "windowfocus", "--sync", client.window)
    run("xdotool", "key", "ctrl+z")
    expect("undone by Ctrl+Z", handles, grid_before)
    run("xdotool", "key", "ctrl+y")
    expect("redone by Ctrl+Y", dragged, grid_dragged)

    # 5. The strip's buttons.
    client.click(left + UNDO_BUTTON + BUTTON_CENTRE, STRIP_TOP + BUTTON_CENTRE)
    client.move(700, 60)
    expect("undone by the strip's button", handles, grid_before)
    client.click(left + REDO_BUTTON + BUTTON_CENTRE, STRIP_TOP + BUTTON_CENTRE)
    client.move(700, 60)
    expect("redone by the strip's button", dragged, grid_dragged)

    # 6. A preview resolution from the strip's menu: its second entry, 1024 x 768.
    client.click(left + RESOLUTION_BUTTON + 20, STRIP_TOP + BUTTON_CENTRE)
    time.sleep(1.0)
    client.click(left + RESOLUTION_BUTTON + 30, STRIP_TOP + editor.STRIP_HEIGHT + MENU_SECOND_ENTRY)
    client.move(700, 60)

    def margin(image):
        """The left margin's column: one flat colour once the screen no longer reaches it."""
        samples = [client.pixel(image, 10, y) for y in (150, 300, 450, 580)]
        flat = all(max(abs(p - q) for p, q in zip(samples[0], other)) <= 3 for other in samples)
        return flat, samples[0]

    if margin(dragged)[0]:
        raise Failure("the screen's left edge was flat before the preview")
    editor.until("the screen drawn at 4:3 between flat margins", lambda image: margin(image)[0])
    if shots:
        walk.screenshot(os.path.join(shots, "editor-preview-full.png"))
    log("previewed 1024 x 768")
    client.click(left + RESOLUTION_BUTTON + 20, STRIP_TOP + BUTTON_CENTRE)
    time.sleep(1.0)
    client.click(left + RESOLUTION_BUTTON + 30, STRIP_TOP + editor.STRIP_HEIGHT + MENU_FIRST_ENTRY)
    client.move(700, 60)
    editor.until("the screen over the whole view again", lambda image: not margin(image)[0])

    # 7. Back to the list by the screen's bar, then the main menu screen.
    client.click(400, SCREEN_BAR)
    time.sleep(1.5)
    client.click(80, LIST_FIRST_ROW + LIST_PITCH * MAIN_MENU_ROW)
    client.move(700, 60)
    menu = editor.until("the main menu drawn",
                        lambda image: not margin(image)[0] and editor.golden(
                            screen.region(image, *CAMPAIGN, step=1)) > 10)
    properties = editor.ToolWindow("Properties")
    screen.click(0.2, 0.44)
    walk.wait_for("the Properties window", properties.find, 20)
    editor.settle()
    selected_menu = walk.screenshot()
    _, _, grid_width, _ = properties.geometry()
    # Each choice in the list closes it: Live, then Normal, Hover and Pressed.
    for _ in range(3):
        properties.click(grid_width - 12, properties.row_y(GRID_PREVIEW_STATE))
        time.sleep(0.6)
        run("xdotool", "key", "Down")
        time.sleep(0.6)
    client.move(700, 60)
    editor.until("the Campaign button drawn pressed",
                 lambda image: editor.changed(screen.region(selected_menu, *CAMPAIGN),
                                              screen.region(image, *CAMPAIGN)) >= 0.05)
    if shots:
        walk.screenshot(os.path.join(shots, "editor-preview-state-full.png"))
    del menu
    log("the Campaign button previewed pressed")
    return client


if __name__ == "__main__":
    sys.exit(walk.drive(edit, "Edits the loading screen on the canvas, then undoes and redoes."))

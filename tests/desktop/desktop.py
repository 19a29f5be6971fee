#!/usr/bin/python3
"""Uses the program as a person does on a desktop with a window manager: X
mouse clicks and key presses (xdotool), the window manager's active window
(_NET_ACTIVE_WINDOW) and its close request (WM_DELETE_WINDOW, through wmctrl),
what the screen shows (X images), and what a screen reader reads back over
AT-SPI.

Usage: desktop.py PROGRAM [CASE...]   (all cases by default; under run.sh: X display,
window manager, D-Bus session)
"""

import ctypes
import functools
import os
import subprocess
import sys
import tempfile
import time

import pyatspi

import cases

from atspi_tools import (CALCULATORS, FACTS, LOOKUP, MENU, MENU_TABS, RESULT_NAME, SHEET, Failure, children, ended,
                         find, gone, spoken, start, step, stop, text_of, wait_for, window, windows)

PICTURE = "(picture)"
SETTLE = 0.7  # seconds for the window manager to act on a newly mapped window


def xdo(*args):
    return subprocess.run(["xdotool", *args], check=True, capture_output=True, text=True).stdout.strip()


def key(*keys):
    xdo("key", "--delay", "60", *keys)


def click(acc, repeat=1, top_quarter=False):
    """Clicks `acc` once its window is in place and the screen shows it there as
    the program drew it: mutter 48 keeps its click-to-focus button grab on a
    window it framed after grabbing, takes every click there first, and drops
    one made before it shows the window."""
    x_id, origin = placed(acc)
    point = centre_of(acc, top_quarter)
    wait_for(f"{acc.name!r} on the screen", lambda: on_screen(acc, point, x_id, origin))
    # XTest delivers the move before the click; no --sync, which waits out a
    # pointer that is already there.
    xdo("mousemove", *map(str, point), "click", "--repeat", str(repeat), "--delay", "80", "1")


def placed(acc):
    """Waits until the window of `acc` is where the program put it: some window
    managers show a new window elsewhere first and move it a moment later. The
    window's X id and place."""
    win = acc
    while win.parent.getRole() != pyatspi.ROLE_APPLICATION:
        win = win.parent
    x_id = x_window(win.get_process_id(), win.name)

    def x_place():
        info = subprocess.run(["xwininfo", "-id", str(x_id)], capture_output=True, text=True).stdout
        return tuple(int(line.split(":")[1]) for line in info.splitlines() if "Absolute upper-left" in line)

    def place():
        return tuple(win.queryComponent().getPosition(pyatspi.DESKTOP_COORDS))
    try:
        wait_for(f"{win.name!r} at its place", lambda: x_place() == place())
    except Failure:
        raise Failure(f"{win.name!r} is at {x_place()}, not at {place()}") from None
    return x_id, place()


class XImage(ctypes.Structure):
    _fields_ = [(n, ctypes.c_int) for n in ("width", "height", "xoffset", "format")] + [("data", ctypes.c_void_p)] + [
        (n, ctypes.c_int) for n in ("byte_order", "unit", "bit_order", "pad", "depth", "bytes_per_line", "bpp")]


xlib = ctypes.CDLL("libX11.so.6")
X_ERROR_IGNORED = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)(lambda display, error: 0)


@functools.cache
def x_display():
    xlib.XOpenDisplay.restype = ctypes.c_void_p
    xlib.XGetImage.restype = ctypes.POINTER(XImage)
    xlib.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                               ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
    xlib.XDefaultRootWindow.restype = ctypes.c_ulong
    xlib.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    xlib.XSetErrorHandler(X_ERROR_IGNORED)  # a window that is gone has no image
    return xlib.XOpenDisplay(None)


def x_pixels(window, x, y, w, h):
    """The colours (24 bits in 32) of a rectangle of an X window, the root by
    default; None if the window has none there."""
    display = x_display()
    image = xlib.XGetImage(display, window or xlib.XDefaultRootWindow(display), x, y, w, h, 0xFFFFFF, 2)  # ZPixmap
    if not image:
        return None
    i = image.contents
    data, line = ctypes.string_at(i.data, i.bytes_per_line * h), i.bytes_per_line
    pixels = b"".join(data[r * line:r * line + 4 * w] for r in range(h)) if i.bpp == 32 else None
    xlib.XFree(ctypes.c_void_p(i.data))
    xlib.XFree(image)
    return pixels


def on_screen(acc, point, x_id, origin, reach=24):
    """The screen shows `acc` around `point` as its window (X id, place) holds
    it, and that is not blank."""
    x, y, w, h = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    left, top = max(x, point[0] - reach), max(y, point[1] - reach)
    w, h = min(x + w, point[0] + reach) - left, min(y + h, point[1] + reach) - top
    drawn = x_pixels(x_id, left - origin[0], top - origin[1], w, h)
    return drawn and drawn.count(drawn[:4]) * 4 != len(drawn) and x_pixels(None, left, top, w, h) == drawn


def x_window(process, title):
    """The X window of the program (a process or its id) whose title starts with `title`."""
    pid = getattr(process, "pid", process)

    def probe():
        try:
            ids = xdo("search", "--all", "--onlyvisible", "--pid", str(pid), "--name", "^" + title)
        except subprocess.CalledProcessError:
            return None
        return int(ids.split()[0]) if ids else None
    return wait_for(f"the X window {title!r}", probe)


def active_window():
    try:
        return int(xdo("getactivewindow"))
    except subprocess.CalledProcessError:
        return None


def close_by_title_bar(process, title):
    """The window manager's close: WM_DELETE_WINDOW to the window."""
    step(f"title-bar close of {title!r}")
    subprocess.run(["wmctrl", "-i", "-c", hex(x_window(process, title))], check=True)


def focused(win):
    def walk(acc, depth):
        for child in children(acc):
            if child.getState().contains(pyatspi.STATE_FOCUSED):
                return child
            if depth > 1 and (found := walk(child, depth - 1)):
                return found
        return None
    acc = wait_for(f"the focus in {win.name!r}", lambda: walk(win, 4))
    return PICTURE if acc.getRole() == pyatspi.ROLE_IMAGE else acc.name


def field(win, name):
    return wait_for(f"the field {name!r}", lambda: find(win, pyatspi.ROLE_TEXT, name))


def expect_text(acc, expected, what):
    try:
        wait_for(f"{what} = {expected!r}", lambda: text_of(acc) == expected)
    except Failure:
        raise Failure(f"{what} reads {text_of(acc)!r}, expected {expected!r}") from None


def button(win, name):
    return wait_for(f"the button {name!r}", lambda: find(win, pyatspi.ROLE_PUSH_BUTTON, name))


def open_calculator(app, entry):
    menu_button, title = entry[0], entry[1]
    step(f"click {menu_button!r}")
    click(button(window(app, MENU), menu_button))
    calc = window(app, title)
    gone(app, MENU)
    return calc


def tab_in_menu_to(app, name):
    """Tabs from the first button of a fresh menu, focused when it shows, to the
    button `name`: as a person types, once the menu is there."""
    menu = window(app, MENU)
    wait_for(f"{MENU_TABS[0]!r} focused", lambda: focused(menu) == MENU_TABS[0])
    for _ in range(MENU_TABS.index(name)):
        key("Tab")
    wait_for(f"{name!r} focused", lambda: focused(menu) == name)


def tab_cycle(process, win, title, expected):
    """Tab visits `expected` in order from the control that has the focus, then wraps."""
    wait_for(f"{title!r} active", lambda: active_window() == x_window(process, title))
    order = expected + expected[:1]
    for i, want in enumerate(order):
        if i:
            key("Tab")
        try:
            wait_for(f"the focus on {want!r}", lambda: focused(win) == want, timeout=5)
        except Failure:
            raise Failure(f"{title}: Tab order {expected}: the focus is on {focused(win)!r}, "
                          f"expected {want!r}") from None


def lookup_keeps_the_calculator_active(program):
    """The first and the second 查询 leave the calculator active with the caret in
    its look-up field: digits typed right away land there."""
    process, app = start(program)
    try:
        for entry in CALCULATORS:
            title, lookup = entry[1], entry[2]
            calc = open_calculator(app, entry)
            lookup_field = field(calc, LOOKUP[title])
            for press, digit in enumerate("78"):
                step(f"{title}: click {lookup!r} ({press + 1})")
                click(button(calc, lookup))
                sheet = wait_for("one material window", lambda: len(windows(app, SHEET)) == 1 and windows(app, SHEET))
                time.sleep(SETTLE)
                if active_window() != x_window(process, title):
                    raise Failure(f"{title}: after {lookup!r} ({press + 1}) the active window is not the calculator")
                key(digit)
                expect_text(lookup_field, "78"[:press + 1], f"{title}: the look-up field")
            # Clicked into, the sheet has its 关闭 focused, and Enter closes it
            # alone; the next calculator maps it afresh.
            click(sheet[0], top_quarter=True)
            wait_for("the sheet active", lambda: active_window() == x_window(process, SHEET))
            tab_cycle(process, sheet[0], SHEET, [FACTS["SHEET_CLOSE_NAME"]])
            key("Return")
            gone(app, SHEET)
            expect_text(lookup_field, "78", f"{title}: the look-up field after closing the sheet")
            click(button(calc, spoken(title, "BACK")))
            gone(app, title)
        click(button(window(app, MENU), FACTS["MENU_CLOSE_NAME"]))
        ended(process, "the menu's 关闭")
    finally:
        stop(process)


def keyboard_only(program):
    """Tab order of every window; Space and Enter click the focused button."""
    process, app = start(program)
    try:
        tab_cycle(process, window(app, MENU), MENU, MENU_TABS)
        for entry in [CALCULATORS[2], CALCULATORS[0], CALCULATORS[1]]:
            menu_button, title, lookup, fields, expected = entry
            tab_in_menu_to(app, menu_button)
            key("space")
            calc = window(app, title)
            gone(app, MENU)
            rest = [spoken(title, c) for c in ("CALCULATE", "CLEAR", "BACK", "CLOSE", "RESULT")]
            tab_cycle(process, calc, title, [*fields, lookup, *rest, PICTURE])
            for value in fields.values():  # typed in tab order
                xdo("type", "--delay", "40", "--", value)
                key("Tab")
            key("Tab", "Return")  # past 查询 to 计算
            expect_text(field(calc, RESULT_NAME[title]), expected, f"{title}: Enter on 计算")
            key("Tab", "space")  # 清除
            expect_text(field(calc, RESULT_NAME[title]), "", f"{title}: Space on 清除")
            wait_for(f"{title}: the caret back in the first field", lambda: focused(calc) == list(fields)[0])
            key(*["Tab"] * (len(fields) + 3), "Return")  # 返回
            gone(app, title)
        tab_in_menu_to(app, MENU_TABS[-1])
        key("space")  # the menu's 关闭
        ended(process, "Space on the menu's 关闭")
    finally:
        stop(process)


def typing_at_once(program):
    """Keys typed right after 查询 pressed from the keyboard land in the look-up
    field, whatever the window manager activates meanwhile: the first and the
    second press, with Space and with Enter; the calculator stays active."""
    process, app = start(program)
    try:
        for n, (menu_button, title, lookup, fields, _) in enumerate(CALCULATORS):
            tab_in_menu_to(app, menu_button)
            key(("space", "Return")[n % 2])
            calc = window(app, title)
            order = [*fields, lookup, *(spoken(title, c) for c in ("CALCULATE", "CLEAR", "BACK"))]
            lookup_field = field(calc, LOOKUP[title])
            typed = ""
            for press in ("space", "Return"):
                for nth in (1, 2):
                    tab_to(calc, order, lookup)
                    key(press, "7")
                    typed += "7"
                    expect_text(lookup_field, typed, f"{title}: 7 typed at once after {press} on {lookup!r} ({nth})")
                    window(app, SHEET)
                    wait_for(f"{title} active", lambda: active_window() == x_window(process, title))
                    key("8")
                    typed += "8"
                    expect_text(lookup_field, typed, f"{title}: 8 typed after {press} on {lookup!r} ({nth})")
                close_by_title_bar(process, SHEET)
                gone(app, SHEET)
                click(lookup_field)  # back into the calculator, wherever the window manager went
                key("End")
            tab_to(calc, order, order[-1])
            key("Return")  # 返回
            gone(app, title)
        tab_in_menu_to(app, MENU_TABS[-1])
        key("space")
        ended(process, "Space on the menu's 关闭")
    finally:
        stop(process)


def tab_to(win, order, name):
    """Tabs forward from the focused control to `name`, both in the tab order `order`."""
    start_at = wait_for(f"the focus in {order}", lambda: focused(win) in order and focused(win))
    if tabs := order.index(name) - order.index(start_at):
        key(*["Tab"] * tabs)
    wait_for(f"{name!r} focused", lambda: focused(win) == name)


def centre_of(acc, top_quarter=False):
    x, y, w, h = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return x + w // 2, y + (h // 4 if top_quarter else h // 2)


def title_bar_close(program):
    """The window manager's close button unloads one window; the program ends
    with its last window."""
    process, app = start(program)  # the menu right after start
    close_by_title_bar(process, MENU)
    ended(process, "closing the menu")
    stop(process)

    blanking = CALCULATORS[0]
    title = blanking[1]
    process, app = start(program)  # a calculator without the sheet
    try:
        open_calculator(app, blanking)
        close_by_title_bar(process, title)
        ended(process, "closing the only calculator")
    finally:
        stop(process)

    process, app = start(program)  # a calculator with the sheet, then the sheet
    try:
        calc = open_calculator(app, blanking)
        first = list(blanking[3])[0]
        click(field(calc, first))
        xdo("type", "12")
        click(button(calc, blanking[2]))
        window(app, SHEET)
        close_by_title_bar(process, SHEET)
        gone(app, SHEET)
        expect_text(field(calc, first), "12", "the calculator after closing the sheet")
        click(button(calc, blanking[2]))
        sheet = window(app, SHEET)
        close_by_title_bar(process, title)
        gone(app, title)
        if windows(app, MENU) or process.poll() is not None:
            raise Failure("closing the calculator beside the sheet did not leave the sheet alone")
        # As a person clicks it: once the window manager has handed the sheet the activation.
        wait_for("the sheet active", lambda: active_window() == x_window(process, SHEET))
        click(button(sheet, FACTS["SHEET_CLOSE_NAME"]))
        ended(process, "the sheet's 关闭 as the last window")
    finally:
        stop(process)


def result_and_link(program):
    """A wide result shows its beginning; the link opens the browser once per
    click and once per double-click."""
    log = tempfile.NamedTemporaryFile(delete=False)
    log.close()
    bin_dir = tempfile.mkdtemp()
    with open(os.path.join(bin_dir, "xdg-open"), "w") as stand_in:
        stand_in.write(f'#!/bin/sh\necho "$@" >> {log.name}\n')
    os.chmod(os.path.join(bin_dir, "xdg-open"), 0o755)
    env = dict(os.environ, PATH=bin_dir + os.pathsep + os.environ["PATH"])

    def launches():
        with open(log.name) as f:
            return f.read().splitlines()

    process, app = start(program, env)
    try:
        drawing = CALCULATORS[1]
        calc = open_calculator(app, drawing)
        for name, value in zip(drawing[3], ["-13781238", "1", "1", "1000000"]):
            click(field(calc, name))
            xdo("type", "--", value)
        click(button(calc, spoken(drawing[1], "CALCULATE")))
        result = field(calc, RESULT_NAME[drawing[1]])
        expect_text(result, "-13781238000000", "the wide result")
        if result.queryText().caretOffset != 0:
            raise Failure(f"the result's caret is at {result.queryText().caretOffset}, not at its beginning")
        link = wait_for("the link", lambda: find(calc, pyatspi.ROLE_LINK, calc_link_name(calc)))
        for repeat, total in [(1, 1), (2, 2)]:
            click(link, repeat)
            wait_for(f"{total} browser launch(es)", lambda: len(launches()) >= total)
            time.sleep(SETTLE)
            if len(launches()) != total:
                raise Failure(f"{repeat} click(s) on the link made {launches()}, expected {total} launch(es) in all")
        if not launches()[0].startswith("http://"):
            raise Failure(f"the browser was given {launches()[0]!r}")
        close_by_title_bar(process, drawing[1])
        ended(process, "closing the calculator")
    finally:
        stop(process)


def calc_link_name(calc):
    return next(a.name for a in children(calc) if a.getRole() == pyatspi.ROLE_LINK)


CASES = [lookup_keeps_the_calculator_active, keyboard_only, typing_at_once, title_bar_close, result_and_link]


def main():
    return cases.run("desktop", CASES, sys.argv, __doc__)


if __name__ == "__main__":
    sys.exit(main())

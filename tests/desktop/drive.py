#!/usr/bin/python3
"""Uses the program through AT-SPI the way a screen reader does.

Starts the program, finds its windows and controls by their accessible names,
opens each calculator from the main menu, types a worked example, presses
"计算", reads the result, opens the material sheet and reads its text, goes
back to the menu and finally ends the program with the menu's "关闭".

Usage: drive.py PROGRAM   (in a session with a D-Bus session bus and an X display)
"""
# Under one window manager: what AT-SPI tells of the windows does not depend on it.

import sys

import pyatspi

from atspi_tools import (CALCULATORS, FACTS, MENU, RESULT_NAME, SHEET, Failure, ended, find, find_all, gone,
                         press_button, spoken, start, step, stop, text_of, type_into, wait_for, window, windows)

SHEET_TEXTS = ["黄铜（H62、H68）", "260~420", "电工硅钢（DT1、DT2、DT3）", "0.5~0.8"]


def check_material_sheet(app):
    sheets = wait_for("one material window", lambda: windows(app, SHEET) if len(windows(app, SHEET)) == 1 else None)
    description = sheets[0].description
    missing = [t for t in SHEET_TEXTS if t not in description]
    if missing:
        raise Failure(f"the material window's description lacks {missing}: {description!r}")
    return sheets[0]


def run(program):
    process, app = start(program)
    try:
        for number, (button, title, lookup, fields, expected) in enumerate(CALCULATORS):
            menu = window(app, MENU)
            if not menu.description:
                raise Failure("the main menu exposes no description of its banner")
            press_button(menu, button)
            calc = window(app, title)
            gone(app, MENU)
            wait_for(f"{title}: one picture with a description",
                     lambda: len([p for p in find_all(calc, pyatspi.ROLE_IMAGE) if p.description]) == 1)
            wait_for(f"{title}: the link label",
                     lambda: [link.name for link in find_all(calc, pyatspi.ROLE_LINK)] == [spoken(title, "LINK")])
            for name, value in fields.items():
                type_into(calc, name, value)
            press_button(calc, spoken(title, "CALCULATE"))
            result = find(calc, pyatspi.ROLE_TEXT, RESULT_NAME[title])
            try:
                wait_for(f"{title}: the result {expected!r}", lambda: text_of(result) == expected)
            except Failure:
                raise Failure(f"{title}: {RESULT_NAME[title]} reads {text_of(result)!r}, "
                              f"expected {expected!r}") from None
            step(f"{title}: {RESULT_NAME[title]} = {text_of(result)}")
            press_button(calc, lookup)
            sheet = check_material_sheet(app)
            if number == 1:
                # The sheet's own "关闭" closes it alone; the calculator keeps its values.
                press_button(sheet, FACTS["SHEET_CLOSE_NAME"])
                gone(app, SHEET)
                # Waited for, as every read here: a busy program answers AT-SPI late, and a query
                # that fails meanwhile reads as a window not shown.
                def kept():
                    result = windows(app, title) and find(calc, pyatspi.ROLE_TEXT, RESULT_NAME[title])
                    return result and text_of(result) == expected
                try:
                    wait_for(f"{title}: the calculator as it was", kept)
                except Failure as e:
                    raise Failure(f"{title}: closing the material window changed the calculator ({e})") from None
            press_button(calc, spoken(title, "BACK"))
            window(app, MENU)
            gone(app, title)
        # The sheet stays open through the switches; the menu's "关闭" ends everything.
        check_material_sheet(app)
        press_button(window(app, MENU), FACTS["MENU_CLOSE_NAME"])
        ended(process, "the menu's 关闭")
        step("the program ended with exit code 0")
    finally:
        stop(process)


def main():
    if len(sys.argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    try:
        run(sys.argv[1])
    except Failure as e:
        print(f"a11y: FAILED: {e}", file=sys.stderr)
        return 1
    print("a11y: all checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())

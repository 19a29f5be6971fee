#!/usr/bin/python3
"""The user cases of cases.py, read back over AT-SPI as a screen reader does;
once (with PF_ONCE set, or named), what AT-SPI tells of every window.

Usage: desktop.py PROGRAM [CASE...]   (by default the cases of cases.py; under
run.sh: X display, window manager, D-Bus session)
"""

import sys

import pyatspi

import cases
from atspi_tools import AtspiProgram, find, find_all, gone, press_button, text_of, type_into, wait_for, window, windows
from cases import EXAMPLES, FACTS, Failure, step

SHEET_TEXTS = ["黄铜（H62、H68）", "260~420", "电工硅钢（DT1、DT2、DT3）", "0.5~0.8"]


def what_atspi_tells(p):
    """Each window used through AT-SPI alone, as a screen reader does: the
    menu's banner described; in each calculator one picture described, the
    link named, the example typed, 计算 pressed and the result read, 查询
    pressed and the material sheet's text read; the sheet's own 关闭 closes it
    alone, the calculator keeping its values; the sheet stays open through the
    switches, and the menu's 关闭 ends the program."""
    menu_title, sheet_title = FACTS["MENU_TITLE"], FACTS["SHEET_TITLE"]

    def sheet():
        sheets = wait_for("one material window", lambda: len(found := windows(p.app, sheet_title)) == 1 and found)
        if missing := [t for t in SHEET_TEXTS if t not in sheets[0].description]:
            raise Failure(f"the material window's description lacks {missing}: {sheets[0].description!r}")
        return sheets[0]

    for number, (name, (inputs, expected)) in enumerate(EXAMPLES.items()):
        title, result_name = FACTS[f"{name}_TITLE"], FACTS[f"{name}_RESULT_NAME"]
        menu = window(p.app, menu_title)
        if not menu.description:
            raise Failure("the main menu exposes no description of its banner")
        press_button(menu, FACTS[f"MENU_{name}_NAME"])
        calc = window(p.app, title)
        gone(p.app, menu_title)
        wait_for(f"{title}: one picture with a description",
                 lambda: len([i for i in find_all(calc, pyatspi.ROLE_IMAGE) if i.description]) == 1)
        wait_for(f"{title}: the link label",
                 lambda: [link.name for link in find_all(calc, pyatspi.ROLE_LINK)] == [FACTS[f"{name}_LINK_NAME"]])
        for i, value in enumerate(inputs, 1):
            type_into(calc, FACTS[f"{name}_FIELD{i}_NAME"], value)
        press_button(calc, FACTS[f"{name}_CALCULATE_NAME"])

        def result():  # read anew each time, and waited for: a busy program answers AT-SPI late
            return text_of(find(calc, pyatspi.ROLE_TEXT, result_name))

        def result_reads(after):
            wait_for(f"{title}: the result {expected!r}", lambda: windows(p.app, title) and result() == expected,
                     otherwise=lambda: f"{title}: after {after}, {result_name} reads {result()!r}, "
                                       f"expected {expected!r}")
        result_reads("计算")
        press_button(calc, FACTS[f"{name}_LOOKUP_NAME"])
        if number != 1:
            sheet()
        else:  # the sheet's own 关闭
            press_button(sheet(), FACTS["SHEET_CLOSE_NAME"])
            gone(p.app, sheet_title)
            result_reads("the material window's 关闭")
        press_button(calc, FACTS[f"{name}_BACK_NAME"])
        window(p.app, menu_title)
        gone(p.app, title)
    sheet()
    press_button(window(p.app, menu_title), FACTS["MENU_CLOSE_NAME"])
    p.ended("the menu's 关闭")
    step("the program ended with exit code 0")


if __name__ == "__main__":
    sys.exit(cases.main("desktop", AtspiProgram, sys.argv, __doc__, cases.CASES, once=[what_atspi_tells]))

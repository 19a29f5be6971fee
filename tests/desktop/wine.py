#!/usr/bin/python3
"""The user cases of cases.py with the Windows program under Wine, a field's
text read as a person copies it (WineProgram.focused_text), since Wine has no
AT-SPI; and the windows at Wine's 150 %.

Usage: wine.py PROGRAM.EXE [CASE...]   (all cases by default; on an X display
with a window manager, WINEPREFIX and PF_LAYOUT_FACTS set; screenshots go to
the folder named by PF_SCREENS if set)
"""

import os
import subprocess
import sys

import cases
from cases import EXAMPLES, run

WINE = os.environ.get("WINE64", "/usr/lib/wine/wine64")
UNCOPIED = "\x01"  # in the clipboard before a copy


def read_clipboard():
    try:
        return run("xclip", "-o", "-selection", "clipboard", timeout=5)
    except subprocess.SubprocessError:
        return None


class WineProgram(cases.Program):
    """The program under Wine at a display scale (1.5 at 144 dpi), or a build
    for this machine."""

    key_delay = 150
    follows_activation = False

    def __init__(self, exe, env=None, scale=1.0):
        command = [WINE, exe] if exe.lower().endswith(".exe") else [exe]
        super().__init__(command, scale, cwd=os.path.dirname(exe) or None, env=env, stdout=subprocess.DEVNULL,
                         stderr=subprocess.DEVNULL)

    def focused_text(self, control):
        """The focused field's text, through select all, copy and the X clipboard;
        the caret then at its end. Wine shows no focus: `control` is taken to
        have it."""
        subprocess.run(["xclip", "-i", "-selection", "clipboard"], input=UNCOPIED, text=True, check=True)
        self.key("ctrl+a", "ctrl+c")
        # In a list, so that an empty copy counts.
        copied = cases.within(3, lambda: (text := read_clipboard()) not in (None, UNCOPIED) and [text])
        self.key("End")
        return copied[0] if copied else ""  # nothing copied: an empty field, or the focus not in a field


def set_log_pixels(dpi):
    run(WINE, "reg", "add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels", "/t", "REG_DWORD", "/d", str(dpi), "/f")
    run(WINE.replace("wine64", "wineserver"), "-w")  # saved, and read again by the next program


def scaled_at_150_percent(way):
    """At 144 dpi every window is 1.5 times its size, at 1.5 times its position."""
    if not way.args[0].lower().endswith(".exe"):
        cases.step("Wine's dpi setting: not for a build for this machine")
        return
    set_log_pixels(144)
    try:
        with way(scale=1.5) as p:
            p.window("MENU")
            for name in EXAMPLES:
                cases.open_by_mouse(p, name)
                cases.look_up(p, name)
                p.click(f"{name}_BACK")
            p.click("MENU_CLOSE")
            p.ended("the menu's 关闭")
    finally:
        set_log_pixels(96)


if __name__ == "__main__":
    sys.exit(cases.main("wine", WineProgram, sys.argv, __doc__, cases.CASES + [scaled_at_150_percent]))

#!/usr/bin/python3
"""The user cases of cases.py on a desktop: the real program under a window
manager, X mouse clicks and key presses (xdotool), and what a screen reader
reads back over AT-SPI: a field's text, where the focus is, the caret.

Usage: desktop.py PROGRAM [CASE...]   (all cases by default; under run.sh: X display,
window manager, D-Bus session)
"""

import sys

import pyatspi
from gi.repository import GLib

import cases
from atspi_tools import application, children, find_all, text_of, windows
from cases import FACTS, tabs

UNSEEN = (GLib.Error, RuntimeError, LookupError)  # an object that went away, or not there yet


class AtspiProgram(cases.Program):
    def __init__(self, program, env=None):
        super().__init__([program], env=env)
        try:
            self.app = application(self.process)
        except cases.Failure:
            self.__exit__()
            raise

    def accessible(self, window):
        """The window's accessible object, and its focused control's."""
        win = next(iter(windows(self.app, FACTS[f"{window}_TITLE"])), None)

        def walk(acc, depth):
            for child in children(acc):
                if child.getState().contains(pyatspi.STATE_FOCUSED):
                    return child
                if depth > 1 and (found := walk(child, depth - 1)):
                    return found
            return None
        return win, win and walk(win, 4)

    @staticmethod
    def stop_of(control):
        """The tab stop that is `control` (a look-up field is also a numbered field)."""
        window = control.split("_")[0]
        return next(k for k in tabs(window) if FACTS[f"{k}_NAME"] == FACTS[f"{control}_NAME"])

    def focused(self, window):
        return self.focus(window)[0]

    def focus(self, window):
        """The key of the window's focused control ("" if none) and its accessible object."""
        try:
            acc = self.accessible(window)[1]
            name = acc and ("" if acc.getRole() == pyatspi.ROLE_IMAGE else acc.name)
            return acc and next((k for k in tabs(window) if FACTS[f"{k}_NAME"] == name), ""), acc
        except UNSEEN:
            return "", None

    def wait_focus(self, control):
        window, stop = control.split("_")[0], self.stop_of(control)
        try:
            cases.wait_for(f"the focus on {control}", lambda: self.focused(window) == stop, timeout=5)
        except cases.Failure:
            raise cases.Failure(f"the focus is on {self.focused(window)!r}, expected {stop}") from None

    def focused_text(self, control):
        """The text of `control` if it has the focus, else None."""
        key, acc = self.focus(control.split("_")[0])
        try:
            return text_of(acc) if key == self.stop_of(control) else None
        except UNSEEN:
            return None

    def caret(self, control, text):
        """Where the caret is in `control` once it reads `text`, focused or not."""
        def reads():
            win = self.accessible(control.split("_")[0])[0]  # None a moment as windows come and go
            found = win and [a for a in find_all(win, pyatspi.ROLE_TEXT) if a.name == FACTS[f"{control}_NAME"]]
            return found and text_of(found[0]) == text and found[0]
        return cases.wait_for(f"{control} = {text!r}", reads, passing=UNSEEN).queryText().caretOffset

if __name__ == "__main__":
    sys.exit(cases.main("desktop", AtspiProgram, sys.argv, __doc__))

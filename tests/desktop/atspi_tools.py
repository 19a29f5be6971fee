"""The AT-SPI way in: the program's windows and controls found over AT-SPI, as a
screen reader finds them, and waited for as they change."""

import functools

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402
import pyatspi  # noqa: E402

import cases  # noqa: E402
from cases import FACTS, Failure, Program, step, stop_of, tabs, window_of  # noqa: E402

# The accessibility bus and its registry, active before the program starts, so
# that the program finds them when it connects.
DESKTOP = pyatspi.Registry.getDesktop(0)
Atspi.set_timeout(5000, 15000)
UNSEEN = (GLib.Error, RuntimeError, LookupError)  # an object that went away, or not there yet
wait_for = functools.partial(cases.wait_for, passing=UNSEEN)


def showing(acc):
    try:
        return acc.getState().contains(pyatspi.STATE_SHOWING)
    except GLib.Error:
        return False


def descendants(root, depth=1):
    """The objects under `root` to `depth` levels, each followed by its own."""
    for i in range(root.childCount):
        if (child := root.getChildAtIndex(i)) is not None:
            yield child
            if depth > 1:
                yield from descendants(child, depth - 1)


def find_all(root, role, name=None):
    return [a for a in descendants(root, 6) if a.getRole() == role and (name is None or a.name == name)]


def find(root, role, name):
    matches = find_all(root, role, name)
    if len(matches) != 1:
        raise LookupError(f"{len(matches)} objects with role {pyatspi.Role(role)} and name {name!r}")
    return matches[0]


def windows(app, title_prefix):
    return [w for w in descendants(app) if w.name.startswith(title_prefix) and showing(w)]


def window(app, title_prefix):
    return wait_for(f"the window {title_prefix!r}", lambda: next(iter(windows(app, title_prefix)), None))


def gone(app, title_prefix):
    wait_for(f"the window {title_prefix!r} to go", lambda: not windows(app, title_prefix))


def press_button(win, name):
    step(f"press {name!r}")
    action = wait_for(f"the button {name!r}", lambda: find(win, pyatspi.ROLE_PUSH_BUTTON, name)).queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    if "Press" not in names:
        raise Failure(f"{name!r} has no press action, only {names}")
    action.doAction(names.index("Press"))


def text_of(acc):
    text = acc.queryText()
    return text.getText(0, text.characterCount)


def type_into(win, name, value):
    field = wait_for(f"the field {name!r}", lambda: find(win, pyatspi.ROLE_TEXT, name))
    field.queryEditableText().setTextContents(value)
    wait_for(f"{value!r} in {name!r}", lambda: text_of(field) == value)


class AtspiProgram(Program):
    """The program, read back over AT-SPI: a field's text, where the focus is, the caret."""

    def __init__(self, program, env=None):
        super().__init__([program], env=env)
        try:
            self.app = wait_for("the program on the accessibility bus", lambda: next(
                (a for a in descendants(DESKTOP) if a.get_process_id() == self.process.pid), None))
        except Failure:
            self.__exit__()
            raise

    def accessible(self, window):
        return next(iter(windows(self.app, FACTS[f"{window}_TITLE"])), None)

    def focus(self, window):
        """The tab stop that has the window's focus ("" if none) and its accessible object."""
        try:
            win = self.accessible(window)
            acc = win and next((a for a in descendants(win, 4) if a.getState().contains(pyatspi.STATE_FOCUSED)), None)
            if not acc:
                return "", None
            name = "" if acc.getRole() == pyatspi.ROLE_IMAGE else acc.name
            return next((k for k in tabs(window) if FACTS[f"{k}_NAME"] == name), ""), acc
        except UNSEEN:
            return "", None

    def focused(self, window):
        return self.focus(window)[0]

    def focused_text(self, control):
        """The text of `control` if it has the focus, else None."""
        key, acc = self.focus(window_of(control))
        try:
            return text_of(acc) if key == stop_of(control) else None
        except UNSEEN:
            return None

    def caret(self, control, text):
        def reads():
            win = self.accessible(window_of(control))  # None a moment as windows come and go
            found = win and find_all(win, pyatspi.ROLE_TEXT, FACTS[f"{control}_NAME"])
            return found and text_of(found[0]) == text and found[0]
        return wait_for(f"{control} = {text!r}", reads).queryText().caretOffset

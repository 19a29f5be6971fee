"""The AT-SPI way in: the program's windows and controls found over AT-SPI, as a
screen reader finds them, and waited for as they change."""

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402
import pyatspi  # noqa: E402

import cases  # noqa: E402
from cases import EXAMPLES, FACTS, Failure, Program, tabs  # noqa: E402,F401

WAIT = 20.0  # seconds for anything to appear, change or go
# The accessibility bus and its registry, active before the program starts, so
# that the program finds them when it connects.
DESKTOP = pyatspi.Registry.getDesktop(0)
Atspi.set_timeout(5000, 15000)
MENU, SHEET = FACTS["MENU_TITLE"], FACTS["SHEET_TITLE"]
MENU_TABS = [FACTS[f"{b}_NAME"] for b in FACTS["MENU_TABS"].split()]  # in tab order
KEYS = {FACTS[f"{c}_TITLE"]: c for c in EXAMPLES}


def spoken(title, control):
    """The spoken name of a control (CALCULATE, CLEAR, BACK, CLOSE, ...) of the calculator titled `title`."""
    return FACTS[f"{KEYS[title]}_{control}_NAME"]


# Menu button, window title, look-up button, fields by spoken name in tab order, result.
CALCULATORS = [(FACTS[f"MENU_{c}_NAME"], FACTS[f"{c}_TITLE"], FACTS[f"{c}_LOOKUP_NAME"],
                {FACTS[f"{c}_FIELD{i}_NAME"]: v for i, v in enumerate(values, 1)}, result)
               for c, (values, result) in EXAMPLES.items()]
# By window title: the result's spoken name, the look-up field's.
RESULT_NAME = {title: spoken(title, "RESULT") for title in KEYS}
LOOKUP = {title: spoken(title, "LOOKUP_FIELD") for title in KEYS}
UNSEEN = (GLib.Error, RuntimeError, LookupError)  # an object that went away, or not there yet


def step(text):
    print("a11y:", text, flush=True)


def wait_for(what, probe, timeout=WAIT):
    """Polls probe() until it returns something true; fails after timeout."""
    return cases.wait_for(what, probe, timeout, passing=UNSEEN)


def showing(acc):
    try:
        return acc.getState().contains(pyatspi.STATE_SHOWING)
    except GLib.Error:
        return False


def children(acc):
    for i in range(acc.childCount):
        child = acc.getChildAtIndex(i)
        if child is not None:
            yield child


def find_all(root, role, name=None, depth=6):
    found = []
    for child in children(root):
        if child.getRole() == role and (name is None or child.name == name):
            found.append(child)
        if depth > 1:
            found += find_all(child, role, name, depth - 1)
    return found


def find(root, role, name):
    matches = find_all(root, role, name)
    if len(matches) != 1:
        raise LookupError(f"{len(matches)} objects with role {pyatspi.Role(role)} and name {name!r}")
    return matches[0]


def windows(app, title_prefix):
    return [w for w in children(app) if w.name.startswith(title_prefix) and showing(w)]


def window(app, title_prefix):
    return wait_for(f"the window {title_prefix!r}", lambda: next(iter(windows(app, title_prefix)), None))


def gone(app, title_prefix):
    wait_for(f"the window {title_prefix!r} to go", lambda: not windows(app, title_prefix))


def press(acc):
    action = acc.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    if "Press" not in names:
        raise Failure(f"{acc.name!r} has no press action, only {names}")
    action.doAction(names.index("Press"))


def press_button(win, name):
    step(f"press {name!r}")
    press(wait_for(f"the button {name!r}", lambda: find(win, pyatspi.ROLE_PUSH_BUTTON, name)))


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
                (a for a in children(DESKTOP) if a.get_process_id() == self.process.pid), None))
        except Failure:
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
            wait_for(f"the focus on {control}", lambda: self.focused(window) == stop, timeout=5)
        except Failure:
            raise Failure(f"the focus is on {self.focused(window)!r}, expected {stop}") from None

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
        return wait_for(f"{control} = {text!r}", reads).queryText().caretOffset

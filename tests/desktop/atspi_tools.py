"""What the end-to-end drivers share: finding the program's windows and controls
over AT-SPI, as a screen reader does, and waiting for them to change."""

import subprocess

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402
import pyatspi  # noqa: E402

import cases  # noqa: E402
from cases import EXAMPLES, FACTS, Failure  # noqa: E402,F401

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



def step(text):
    print("a11y:", text, flush=True)


def wait_for(what, probe, timeout=WAIT):
    """Polls probe() until it returns something true; fails after timeout."""
    return cases.wait_for(what, probe, timeout, passing=(GLib.Error, RuntimeError, LookupError))


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


def application(process):
    """The application object of the program started as `process`."""
    return wait_for("the program on the accessibility bus",
                    lambda: next((a for a in children(DESKTOP) if a.get_process_id() == process.pid), None))


def start(program, env=None):
    """Starts the program and returns its process and its application object."""
    process = subprocess.Popen([program], env=env)
    step(f"started {program} as process {process.pid}")
    try:
        return process, application(process)
    except Failure:
        stop(process)
        raise


def ended(process, what):
    """Waits for the process to end with exit code 0."""
    try:
        code = process.wait(timeout=WAIT)
    except subprocess.TimeoutExpired:
        raise Failure(f"the program did not end after {what}") from None
    if code != 0:
        raise Failure(f"the program ended with exit code {code} after {what}")


def stop(process):
    if process.poll() is None:
        process.kill()
        process.wait()

#!/usr/bin/python3
"""Uses the program through AT-SPI the way a screen reader does.

Starts the program, finds its windows and controls by their accessible names,
opens each calculator from the main menu, types a worked example, presses
"计算", reads the result, opens the material sheet and reads its text, goes
back to the menu and finally ends the program with the menu's "关闭".

Usage: drive.py PROGRAM   (in a session with a D-Bus session bus and an X display)
"""

import subprocess
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402
import pyatspi  # noqa: E402

WAIT = 20.0  # seconds for anything to appear, change or go
MENU = "冲压设备选用辅助工具试用版"
SHEET = "材料性能"

# Menu button, window title prefix, look-up button, fields by spoken name, result.
CALCULATORS = [
    ("冲裁力计算", "冲裁力计算软件", "查询材料抗剪强度τb",
     {"冲裁截面周长L": "100", "材料厚度t": "2", "抗剪切强度τb": "300"}, "78000"),
    ("拉伸力计算", "拉伸力计算软件", "查询安全系数及材料抗拉强度",
     {"截面周长L": "100", "材料厚度t": "1.5", "安全系数k": "0.6", "抗拉强度σb": "400"}, "36000"),
    ("折弯力计算", "折弯曲力计算软件", "查询材料抗拉强度",
     {"弯曲件宽度B": "50", "材料厚度t": "2", "抗拉强度σb": "400", "弯曲圆角R": "3"}, "14560"),
]
RESULT_NAME = "拉伸力 N"
SHEET_TEXTS = ["黄铜（H62、H68）", "260~420", "电工硅钢（DT1、DT2、DT3）", "0.5~0.8"]


class Failure(Exception):
    pass


def step(text):
    print("a11y:", text, flush=True)


def wait_for(what, probe, timeout=WAIT):
    """Polls probe() until it returns something true; fails after timeout."""
    deadline = time.monotonic() + timeout
    error = None
    while True:
        try:
            result = probe()
            if result:
                return result
        except (GLib.Error, RuntimeError, LookupError) as e:  # an object that went away meanwhile
            error = e
        if time.monotonic() > deadline:
            detail = f" (last error: {error})" if error else ""
            raise Failure(f"timed out after {timeout:.0f} s waiting for {what}{detail}")
        time.sleep(0.1)


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


def check_material_sheet(app):
    sheets = wait_for("one material window", lambda: windows(app, SHEET) if len(windows(app, SHEET)) == 1 else None)
    description = sheets[0].description
    missing = [t for t in SHEET_TEXTS if t not in description]
    if missing:
        raise Failure(f"the material window's description lacks {missing}: {description!r}")
    return sheets[0]


def run(program):
    # Activates the accessibility bus and its registry before the program starts,
    # so the program finds them when it connects.
    desktop = pyatspi.Registry.getDesktop(0)
    Atspi.set_timeout(5000, 15000)
    process = subprocess.Popen([program])
    try:
        step(f"started {program} as process {process.pid}")
        app = wait_for("the program on the accessibility bus",
                       lambda: next((a for a in children(desktop) if a.get_process_id() == process.pid), None))
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
                     lambda: [link.name[:6] for link in find_all(calc, pyatspi.ROLE_LINK)] == ["更多免费软件"])
            for name, value in fields.items():
                type_into(calc, name, value)
            press_button(calc, "计算")
            result = find(calc, pyatspi.ROLE_TEXT, RESULT_NAME)
            try:
                wait_for(f"{title}: the result {expected!r}", lambda: text_of(result) == expected)
            except Failure:
                raise Failure(f"{title}: {RESULT_NAME} reads {text_of(result)!r}, expected {expected!r}") from None
            step(f"{title}: {RESULT_NAME} = {text_of(result)}")
            press_button(calc, lookup)
            sheet = check_material_sheet(app)
            if number == 1:
                # The sheet's own "关闭" closes it alone; the calculator keeps its values.
                press_button(sheet, "关闭")
                gone(app, SHEET)
                if not windows(app, title) or text_of(find(calc, pyatspi.ROLE_TEXT, RESULT_NAME)) != expected:
                    raise Failure(f"{title}: closing the material window changed the calculator")
            press_button(calc, "返回")
            window(app, MENU)
            gone(app, title)
        # The sheet stays open through the switches; the menu's "关闭" ends everything.
        check_material_sheet(app)
        press_button(window(app, MENU), "关闭")
        try:
            code = process.wait(timeout=WAIT)
        except subprocess.TimeoutExpired:
            raise Failure("the program did not end after the menu's 关闭") from None
        if code != 0:
            raise Failure(f"the program ended with exit code {code}")
        step("the program ended with exit code 0")
    finally:
        if process.poll() is None:
            process.kill()
            process.wait()


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

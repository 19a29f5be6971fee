#!/usr/bin/python3
"""Uses the Windows program under Wine as a person does: mouse clicks and key
presses (xdotool) at the places the windows' layout tables give, the window
manager's active window, and a field's text read by select all, copy and the X
clipboard (xclip), since Wine has no AT-SPI.

Usage: wine_drive.py PROGRAM.EXE [CASE...]   (all cases by default; on an X
display with a window manager, WINEPREFIX set; screenshots go to the folder
named by WINE_SCREENS if set)
"""

import os
import re
import subprocess
import sys
import tempfile
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
WINE = os.environ.get("WINE64", "/usr/lib/wine/wine64")
WAIT = 30.0  # seconds for anything to appear, change or go under Wine
SETTLE = 0.7  # seconds for the window manager to act on a newly mapped window

# Each calculator by its window name: the menu button that opens it and its
# inputs with a worked example and the result.
CALCULATORS = {
    "Form1": ("Command2", {"Text1": "100", "Text2": "2", "Text3": "300"}, "78000"),
    "Form2": ("Command3", {"Text1": "100", "Text2": "1.5", "Text3": "400", "Text4": "0.6"}, "36000"),
    "Form3": ("Command1", {"Text1": "50", "Text2": "2", "Text3": "400", "Text4": "3"}, "14560"),
}
MENU, SHEET = "Form4", "Form5"
UNCOPIED = "\x01"  # in the clipboard before a copy
FAULT_INPUTS = ["1e30", "1e10", "1e10"]  # a blanking force beyond the single-precision range


class Failure(Exception):
    pass


def step(text):
    print("wine:", text, flush=True)


def wait_for(what, probe, timeout=WAIT):
    deadline = time.monotonic() + timeout
    while not (result := probe()):
        if time.monotonic() > deadline:
            raise Failure(f"timed out after {timeout:.0f} s waiting for {what}")
        time.sleep(0.1)
    return result


# The layout tables (ui/*_window.cpp), in twips: 15 to a pixel at 96 dpi.
WINDOW_ROW = re.compile(r'constexpr Window kLayout\{"(\w+)",\s*"([^"]*)",\s*(\d+),\s*(\d+),\s*(\d+),\s*(\d+)')
CONTROL_ROW = re.compile(r'^\s*\{\s*(\d+),\s*"(\w+)",\s*-?\d+,\s*Kind::(\w+),\s*(?:"[^"]*"|[\w.()]+),'
                         r'\s*(\d+),\s*(\d+),\s*(\d+),\s*(\d+)', re.MULTILINE)
LOOKUP_FIELD = re.compile(r'kCalculator\{kLayout,\s*[\w:]+,\s*\w+,\s*(\w+),')


def px(twips):
    return (twips + 7) // 15


class Layout:
    def __init__(self, source):
        text = source.read_text()
        self.name, self.title, *box = WINDOW_ROW.search(text).groups()
        width, height, left, top = (px(int(v)) for v in box)
        self.rect = (left, top, width, height)
        # Name -> (tab index, kind, x, y, width, height); the first of a control array.
        self.controls = {}
        for tab, name, kind, *box in CONTROL_ROW.findall(text):
            self.controls.setdefault(name, (int(tab), kind, *(px(int(v)) for v in box)))
        lookup = LOOKUP_FIELD.search(text)
        self.lookup = lookup and re.search(rf'{lookup.group(1)} = "(\w+)"', text).group(1)

    def tab_order(self, kinds):
        return [n for n, c in sorted(self.controls.items(), key=lambda item: item[1][0]) if c[1] in kinds]


LAYOUTS = {layout.name: layout for layout in map(Layout, sorted((ROOT / "ui").glob("*_window.cpp")))}
ERROR_TITLE = re.search(r'ReportTitle\(\) \{ return QStringLiteral\("([^"]+)"\)',
                        (ROOT / "platform" / "errors.cpp").read_text()).group(1)


def run(*command, **options):
    return subprocess.run(command, check=True, capture_output=True, text=True, **options).stdout.strip()


def key(*keys):
    run("xdotool", "key", "--delay", "150", *keys)


def type_text(text):
    run("xdotool", "type", "--delay", "40", "--", text)


def shown_windows():
    """Title -> X window of every window the window manager manages."""
    found = {}
    for line in subprocess.run(["wmctrl", "-l"], capture_output=True, text=True).stdout.splitlines():
        parts = line.split(None, 3)
        if len(parts) == 4:
            found[parts[3]] = int(parts[0], 16)
    return found


def active_window():
    try:
        return int(run("xdotool", "getactivewindow"))
    except subprocess.CalledProcessError:
        return None


def client_area(x_id):
    info = run("xwininfo", "-id", str(x_id))
    value = {k: int(v) for k, v in re.findall(r"(Absolute upper-left [XY]|Width|Height):\s+(-?\d+)", info)}
    return value["Absolute upper-left X"], value["Absolute upper-left Y"], value["Width"], value["Height"]


def read_clipboard():
    try:
        return run("xclip", "-o", "-selection", "clipboard", timeout=5)
    except subprocess.SubprocessError:
        return None


class Program:
    """The program under Wine at a display scale (1.5 at 144 dpi)."""

    def __init__(self, exe, scale=1.0, env=None):
        self.scale = scale
        command = [WINE, exe] if exe.lower().endswith(".exe") else [exe]  # or a build for this machine
        self.process = subprocess.Popen(command, cwd=os.path.dirname(exe) or None, env=env,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.placed = set()

    def __enter__(self):
        return self

    def __exit__(self, *_):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()

    def window(self, name):
        """The X window of the layout's window, once shown; checked at its place and size."""
        layout = LAYOUTS[name]

        def probe():
            if self.process.poll() is not None:
                raise Failure(f"the program ended (exit code {self.process.returncode}) before {name} showed")
            return shown_windows().get(layout.title)
        x_id = wait_for(f"the window {layout.title!r}", probe)
        if x_id not in self.placed:
            want = tuple(round(v * self.scale) for v in layout.rect)
            try:
                wait_for(f"{name} at {want}",
                         lambda: all(abs(a - b) <= 1 for a, b in zip(client_area(x_id), want)), timeout=5)
            except Failure:
                raise Failure(f"{name} ({layout.title}) at {self.scale:g}x: client area {client_area(x_id)}, "
                              f"expected {want}") from None
            self.placed.add(x_id)
            step(f"{name} shown at {client_area(x_id)}")
        return x_id

    def gone(self, name):
        wait_for(f"{name} to go", lambda: LAYOUTS[name].title not in shown_windows())

    def click(self, name, control, dx=None):
        """Clicks the control, in its middle or `dx` pixels from its left edge."""
        x_id = self.window(name)
        _, _, left, top, width, height = LAYOUTS[name].controls[control]
        x = left + (width // 2 if dx is None else dx)
        run("xdotool", "mousemove", "--window", str(x_id), str(round(x * self.scale)),
            str(round((top + height // 2) * self.scale)), "click", "1")

    def copy_focused(self):
        """The focused field's text, through select all, copy and the X clipboard."""
        subprocess.run(["xclip", "-i", "-selection", "clipboard"], input=UNCOPIED, text=True, check=True)
        key("ctrl+a", "ctrl+c")
        deadline = time.monotonic() + 3
        while time.monotonic() < deadline:
            if (text := read_clipboard()) not in (None, UNCOPIED):
                return text
            time.sleep(0.1)
        return ""  # nothing copied: an empty field, or the focus not in a field

    def read(self, name, control):
        self.click(name, control)
        return self.copy_focused()

    def active(self, name):
        return active_window() == self.window(name)

    def ended(self, what):
        try:
            code = self.process.wait(timeout=WAIT)
        except subprocess.TimeoutExpired:
            raise Failure(f"the program did not end after {what}") from None
        if code != 0:
            raise Failure(f"the program ended with exit code {code} after {what}")

    def open_calculator(self, name):
        self.click(MENU, CALCULATORS[name][0])
        self.window(name)
        self.gone(MENU)


def lookup_keeps_the_calculator_active(exe):
    """After the first and the second 查询 the calculator is active and a digit
    typed at once lands in its look-up field."""
    with Program(exe) as program:
        for name in CALCULATORS:
            program.open_calculator(name)
            for press, digit in enumerate("78", 1):
                program.click(name, "Command5")
                program.window(SHEET)
                time.sleep(SETTLE)
                if not program.active(name):
                    active = next((t for t, i in shown_windows().items() if i == active_window()), None)
                    raise Failure(f"{name}: after 查询 ({press}) the active window is {active!r}, not the calculator")
                key(digit)
            lookup = LAYOUTS[name].lookup
            if (text := program.read(name, lookup)) != "78":
                raise Failure(f"{name}: 7 and 8 typed right after each 查询, the look-up field {lookup} reads "
                              f"{text!r}")
            program.click(SHEET, "Command1")  # 关闭: the sheet alone
            program.gone(SHEET)
            program.click(name, "Command4")  # 返回
            program.window(MENU)
        program.click(MENU, "Command4")
        program.ended("the menu's 关闭")


def keyboard_only(exe):
    """The Tab order of the menu and the calculators; Space and Enter click the
    focused button."""
    menu_tabs = LAYOUTS[MENU].tab_order({"Button"})
    with Program(exe) as program:
        wait_for("the menu active", lambda: program.active(MENU))
        for name, (button, inputs, expected) in CALCULATORS.items():
            key(*["Tab"] * menu_tabs.index(button), "space")
            program.window(name)
            wait_for(f"{name} active", lambda: program.active(name))
            order = LAYOUTS[name].tab_order({"TextBox", "Button"})
            fields = order[:len(inputs)]
            for field in fields:  # typed in tab order
                type_text(inputs[field])
                key("Tab")
            key(*["Tab"] * (order.index("Command1") - len(fields)), "Return")  # 计算
            key(*["Tab"] * (order.index("Text5") - order.index("Command1")))
            if (text := program.copy_focused()) != expected:
                raise Failure(f"{name}: Enter on 计算 and Tab to the result gave {text!r}, expected {expected!r}")
            key(*["shift+Tab"] * (order.index("Text5") - order.index("Command2")), "space")  # 清除
            # The caret back in the first field: Tab from there reaches 返回.
            key(*["Tab"] * order.index("Command4"), "Return")
            program.gone(name)
            # A fresh menu, its first button focused.
            wait_for("the menu active", lambda: program.active(MENU))
        key(*["Tab"] * menu_tabs.index("Command4"), "space")
        program.ended("Space on the menu's 关闭")


def fault_message(exe):
    """A fault is reported in a message box; the program goes on with its inputs."""
    name = "Form1"
    with Program(exe) as program:
        program.open_calculator(name)
        fields = list(CALCULATORS[name][1])
        for field, value in zip(fields, FAULT_INPUTS):
            program.click(name, field)
            type_text(value)
        program.click(name, "Command1")  # 计算
        shot("fault-message", wait_for("the fault's message box", lambda: shown_windows().get(ERROR_TITLE)))
        key("Return")
        wait_for("the message box to go", lambda: ERROR_TITLE not in shown_windows())
        kept = [program.read(name, field) for field in fields]
        if kept != FAULT_INPUTS:
            raise Failure(f"after the fault's message the inputs read {kept}, not {FAULT_INPUTS}")
        program.click(name, "Command2")  # 清除
        for field in fields:
            program.click(name, field)
            type_text(CALCULATORS[name][1][field])
        program.click(name, "Command1")
        if (text := program.read(name, "Text5")) != CALCULATORS[name][2]:
            raise Failure(f"after the fault, {CALCULATORS[name][1]} gave {text!r}")
        shot("blanking", program.window(name))
        program.click(name, "Command3")  # 关闭
        program.ended("the calculator's 关闭")


def link_opens_the_browser_once(exe):
    """Wine hands the address to the host's xdg-open: a stand-in records it."""
    folder = tempfile.mkdtemp()
    log = Path(folder, "launches")
    log.touch()
    stand_in = Path(folder, "xdg-open")
    stand_in.write_text(f'#!/bin/sh\necho "$@" >> {log}\n')
    stand_in.chmod(0o755)
    env = dict(os.environ, PATH=folder + os.pathsep + os.environ["PATH"])
    with Program(exe, env=env) as program:
        program.open_calculator("Form2")
        program.click("Form2", "Label6", dx=20)
        wait_for("the browser", lambda: log.read_text())
        time.sleep(3 * SETTLE)
        launches = log.read_text().splitlines()
        if len(launches) != 1 or not launches[0].startswith("http"):
            raise Failure(f"one click on the link made the launches {launches}")
        program.click("Form2", "Command3")
        program.ended("the calculator's 关闭")


def set_log_pixels(dpi):
    run(WINE, "reg", "add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels", "/t", "REG_DWORD", "/d", str(dpi), "/f")
    run(WINE.replace("wine64", "wineserver"), "-w")  # saved, and read again by the next program


def scaled_at_150_percent(exe):
    """At 144 dpi every window is 1.5 times its size, at 1.5 times its position."""
    if not exe.lower().endswith(".exe"):
        step("Wine's dpi setting: not for a build for this machine")
        return
    set_log_pixels(144)
    try:
        with Program(exe, scale=1.5) as program:
            program.window(MENU)
            for name in CALCULATORS:
                program.open_calculator(name)
                program.click(name, "Command5")
                program.window(SHEET)
                program.click(name, "Command4")
                program.window(MENU)
            program.click(MENU, "Command4")
            program.ended("the menu's 关闭")
    finally:
        set_log_pixels(96)


def menu_at_its_place(exe):
    with Program(exe) as program:
        shot("menu", program.window(MENU))
        program.click(MENU, "Command4")
        program.ended("the menu's 关闭")


def shot(what, x_id):
    """The window with its frame and some desktop around it, into WINE_SCREENS."""
    if folder := os.environ.get("WINE_SCREENS"):
        time.sleep(1)  # the first paint
        x, y, w, h = client_area(x_id)
        run("import", "-window", "root", "-crop", f"{w + 60}x{h + 80}+{max(x - 30, 0)}+{max(y - 50, 0)}",
            os.path.join(folder, what + ".png"))


CASES = [lookup_keeps_the_calculator_active, keyboard_only, fault_message, link_opens_the_browser_once,
         scaled_at_150_percent, menu_at_its_place]


def main():
    if len(sys.argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    chosen = sys.argv[2:] or [case.__name__ for case in CASES]
    failed = 0
    for case in CASES:
        if case.__name__ not in chosen:
            continue
        step(f"--- {case.__name__}")
        began = time.monotonic()
        try:
            case(sys.argv[1])
        except Failure as e:
            print(f"wine: FAILED {case.__name__}: {e}", file=sys.stderr)
            failed += 1
        step(f"--- {case.__name__}: {time.monotonic() - began:.1f} s")
    print(f"wine: {len(chosen) - failed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())

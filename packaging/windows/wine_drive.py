#!/usr/bin/python3
"""Uses the Windows program under Wine as a person does: mouse clicks and key
presses (xdotool) at the places the build's layout_facts.sh gives, the window
manager's active window, and a field's text read by select all, copy and the X
clipboard (xclip), since Wine has no AT-SPI.

Usage: wine_drive.py PROGRAM.EXE [CASE...]   (all cases by default; on an X
display with a window manager, WINEPREFIX and PF_LAYOUT_FACTS set; screenshots
go to the folder named by WINE_SCREENS if set)
"""

import os
import re
import subprocess
import sys
import tempfile
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "tests" / "desktop"))
import cases  # noqa: E402
import layout_facts  # noqa: E402
from cases import EXAMPLES as CALCULATORS, Failure  # noqa: E402

FACTS = layout_facts.load()
WINE = os.environ.get("WINE64", "/usr/lib/wine/wine64")
WAIT = 30.0  # seconds for anything to appear, change or go under Wine
SETTLE = 0.7  # seconds for the window manager to act on a newly mapped window

MENU_TABS = ["MENU_BENDING", "MENU_BLANKING", "MENU_DRAWING", "MENU_CLOSE"]  # the menu's buttons in tab order
UNCOPIED = "\x01"  # in the clipboard before a copy
FAULT_INPUTS = ["1e30", "1e10", "1e10"]  # a blanking force beyond the single-precision range


def step(text):
    print("wine:", text, flush=True)


def wait_for(what, probe, timeout=WAIT):
    return cases.wait_for(what, probe, timeout)


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
        """The X window of the window MENU, SHEET or a calculator, once shown; checked at its place and size."""
        title = FACTS[f"{name}_TITLE"]

        def probe():
            if self.process.poll() is not None:
                raise Failure(f"the program ended (exit code {self.process.returncode}) before {name} showed")
            return shown_windows().get(title)
        x_id = wait_for(f"the window {title!r}", probe)
        if x_id not in self.placed:
            rect = layout_facts.point(FACTS, f"{name}_AT") + layout_facts.point(FACTS, f"{name}_SIZE")
            want = tuple(round(v * self.scale) for v in rect)
            try:
                wait_for(f"{name} at {want}",
                         lambda: all(abs(a - b) <= 1 for a, b in zip(client_area(x_id), want)), timeout=5)
            except Failure:
                raise Failure(f"{name} ({title}) at {self.scale:g}x: client area {client_area(x_id)}, "
                              f"expected {want}") from None
            self.placed.add(x_id)
            step(f"{name} shown at {client_area(x_id)}")
        return x_id

    def gone(self, name):
        wait_for(f"{name} to go", lambda: FACTS[f"{name}_TITLE"] not in shown_windows())

    def click(self, control):
        """Clicks the middle of a control of layout_facts.sh: WINDOW_ROLE."""
        x_id = self.window(control.split("_")[0])
        x, y = layout_facts.point(FACTS, control)
        run("xdotool", "mousemove", "--window", str(x_id), str(round(x * self.scale)), str(round(y * self.scale)),
            "click", "1")

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

    def read(self, control):
        self.click(control)
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

    def calculate_blanking(self, inputs):
        """Types `inputs` into the open blanking window's empty fields and clicks 计算."""
        for i, value in enumerate(inputs, 1):
            self.click(f"BLANKING_FIELD{i}")
            type_text(value)
        self.click("BLANKING_CALCULATE")

    def compute_blanking(self, when):
        """The blanking example, calculated and its result checked."""
        inputs, expected = CALCULATORS["BLANKING"]
        self.calculate_blanking(inputs)
        if (text := self.read("BLANKING_RESULT")) != expected:
            raise Failure(f"{when}, {inputs} gave {text!r}, expected {expected!r}")

    def open_calculator(self, name):
        self.click(f"MENU_{name}")
        self.window(name)
        self.gone("MENU")


def lookup_keeps_the_calculator_active(exe):
    """After the first and the second 查询 the calculator is active: a digit
    typed at once lands in its look-up field. Wine hands a key that reaches any
    of its X windows to its own active window, so where the digit lands tells
    Windows' active window; the X window manager's (_NET_ACTIVE_WINDOW) may
    still name the sheet, which Windows has no counterpart of."""
    with Program(exe) as program:
        for name in CALCULATORS:
            program.open_calculator(name)
            for digit in "78":
                program.click(f"{name}_LOOKUP")
                program.window("SHEET")
                time.sleep(SETTLE)
                key(digit)
            if (text := program.read(f"{name}_LOOKUP_FIELD")) != "78":
                raise Failure(f"{name}: 7 and 8 typed right after each 查询, the look-up field reads {text!r}")
            program.click("SHEET_CLOSE")  # the sheet alone
            program.gone("SHEET")
            program.click(f"{name}_BACK")
            program.window("MENU")
        program.click("MENU_CLOSE")
        program.ended("the menu's 关闭")


def typing_at_once(exe):
    """Keys typed right after 查询 pressed from the keyboard land in the look-up
    field: the first and the second press, with Space and with Enter, each
    followed at once by a digit, and by another once the sheet is there."""
    with Program(exe) as program:
        for n, (name, (inputs, _)) in enumerate(CALCULATORS.items()):
            wait_for("the menu active", lambda: program.active("MENU"))
            key(*["Tab"] * MENU_TABS.index(f"MENU_{name}"), ("space", "Return")[n % 2])
            program.window(name)
            wait_for(f"{name} active", lambda: program.active(name))
            # The look-up field among the fields, in tab order; 查询 follows the last.
            lookup = [FACTS[f"{name}_FIELD{i}"] for i in range(1, len(inputs) + 1)].index(
                FACTS[f"{name}_LOOKUP_FIELD"]) + 1
            tabs = len(inputs)  # from the first field to 查询
            for press in ("space", "Return"):
                for _ in range(2):
                    key(*["Tab"] * tabs)
                    run("xdotool", "key", "--delay", "40", press, "7")
                    program.window("SHEET")
                    key("8")
                    tabs = len(inputs) + 1 - lookup  # from the look-up field to 查询
                program.click("SHEET_CLOSE")
                program.gone("SHEET")
                program.click(f"{name}_LOOKUP_FIELD")
                key("End")
            if (text := program.read(f"{name}_LOOKUP_FIELD")) != "78" * 4:
                raise Failure(f"{name}: 7 typed at once after each 查询 pressed from the keyboard and 8 once the "
                              f"sheet showed, the look-up field reads {text!r}")
            program.click(f"{name}_BACK")
            program.window("MENU")
        program.click("MENU_CLOSE")
        program.ended("the menu's 关闭")


def keyboard_only(exe):
    """The Tab order of the menu and the calculators; Space and Enter click the
    focused button."""
    with Program(exe) as program:
        wait_for("the menu active", lambda: program.active("MENU"))
        for name, (inputs, expected) in CALCULATORS.items():
            key(*["Tab"] * MENU_TABS.index(f"MENU_{name}"), "space")
            program.window(name)
            wait_for(f"{name} active", lambda: program.active(name))
            for value in inputs:  # typed in tab order
                type_text(value)
                key("Tab")
            key("Tab", "Return")  # past 查询 to 计算
            key(*["Tab"] * 4)  # past 清除, 返回 and 关闭 to the result
            if (text := program.copy_focused()) != expected:
                raise Failure(f"{name}: Enter on 计算 and Tab to the result gave {text!r}, expected {expected!r}")
            key(*["shift+Tab"] * 3, "space")  # 清除
            # The caret back in the first field: Tab from there reaches 返回.
            key(*["Tab"] * (len(inputs) + 3), "Return")
            program.gone(name)
            # A fresh menu, its first button focused.
            wait_for("the menu active", lambda: program.active("MENU"))
        key(*["Tab"] * MENU_TABS.index("MENU_CLOSE"), "space")
        program.ended("Space on the menu's 关闭")


def fault_message(exe):
    """A fault is reported in a message box; the program goes on with its inputs."""
    fields = [f"BLANKING_FIELD{i}" for i in range(1, len(FAULT_INPUTS) + 1)]
    report = FACTS["REPORT_TITLE"]
    with Program(exe) as program:
        program.open_calculator("BLANKING")
        program.calculate_blanking(FAULT_INPUTS)
        shot("fault-message", wait_for("the fault's message box", lambda: shown_windows().get(report)))
        key("Return")
        wait_for("the message box to go", lambda: report not in shown_windows())
        kept = [program.read(field) for field in fields]
        if kept != FAULT_INPUTS:
            raise Failure(f"after the fault's message the inputs read {kept}, not {FAULT_INPUTS}")
        program.click("BLANKING_CLEAR")
        program.compute_blanking("after the fault")
        shot("blanking", program.window("BLANKING"))
        program.click("BLANKING_CLOSE")
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
        program.open_calculator("DRAWING")
        program.click("DRAWING_LINK")
        wait_for("the browser", lambda: log.read_text())
        time.sleep(3 * SETTLE)
        launches = log.read_text().splitlines()
        if len(launches) != 1 or not launches[0].startswith("http"):
            raise Failure(f"one click on the link made the launches {launches}")
        program.click("DRAWING_CLOSE")
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
            program.window("MENU")
            for name in CALCULATORS:
                program.open_calculator(name)
                program.click(f"{name}_LOOKUP")
                program.window("SHEET")
                program.click(f"{name}_BACK")
                program.window("MENU")
            program.click("MENU_CLOSE")
            program.ended("the menu's 关闭")
    finally:
        set_log_pixels(96)


def starts_and_computes(exe):
    """The menu at its place; the blanking window computes its example."""
    with Program(exe) as program:
        shot("menu", program.window("MENU"))
        program.open_calculator("BLANKING")
        program.compute_blanking("in a new window")
        program.click("BLANKING_CLOSE")
        program.ended("the calculator's 关闭")


def shot(what, x_id):
    """The window with its frame and some desktop around it, into WINE_SCREENS."""
    if folder := os.environ.get("WINE_SCREENS"):
        time.sleep(1)  # the first paint
        x, y, w, h = client_area(x_id)
        run("import", "-window", "root", "-crop", f"{w + 60}x{h + 80}+{max(x - 30, 0)}+{max(y - 50, 0)}",
            os.path.join(folder, what + ".png"))


CASES = [lookup_keeps_the_calculator_active, typing_at_once, keyboard_only, fault_message, link_opens_the_browser_once,
         scaled_at_150_percent, starts_and_computes]


def main():
    return cases.run("wine", CASES, sys.argv, __doc__)


if __name__ == "__main__":
    sys.exit(main())

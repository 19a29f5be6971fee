"""The user cases of the real program on a desktop, written once for both ways
in: X input read back over AT-SPI as a screen reader does (desktop.py, under
each window manager), and the Windows build under Wine read through the
clipboard (wine.py). Both see the program through X as a person sees it: its
windows by title in the window manager's list, at the places the layout facts
give, the active window, mouse clicks and key presses. A way in adds how it
reads a field and, where it can, where the focus is.

Controls and windows are named by their layout-fact keys: "BLANKING_LOOKUP" is
the blanking window's 查询 button, "BLANKING" the window."""

import contextlib
import ctypes
import functools
import os
import re
import shlex
import subprocess
import tempfile
import time


def layout_facts(path):
    """What the build knows of the program's windows: layout_facts.sh in the build tree, KEY='VALUE' lines
    written from the layout tables (tools/layout_facts.cpp says which keys there are)."""
    with open(path, encoding="utf-8") as f:
        return dict(shlex.split(line)[0].split("=", 1) for line in f if line.strip() and not line.startswith("#"))


FACTS = layout_facts(os.environ["PF_LAYOUT_FACTS"])


def point(key):
    """A point or size of the layout facts ("X Y") as a pair of ints."""
    return tuple(int(v) for v in FACTS[key].split())


def desktop_examples():
    """Each calculator's worked example marked "desktop" in tests/worked_examples.tsv,
    by window key: the inputs in tab order and the result as shown."""
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "worked_examples.tsv")
    examples = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            cells = line.rstrip("\n").split("\t")
            if line.startswith("#") or cells[5:] != ["desktop"]:
                continue
            key, inputs = cells[1].upper(), cells[2].split(" ")
            order = [int(FACTS[f"{key}_FIELD{i}_INPUT"]) for i in range(1, len(inputs) + 1)]
            examples[key] = ([inputs[n - 1] for n in order], cells[3])
    return {key: examples[key] for key in ("BLANKING", "DRAWING", "BENDING")}


EXAMPLES = desktop_examples()
FAULT_INPUTS = ["1e30", "1e10", "1e10"]  # a blanking force beyond the single-precision range


class Failure(Exception):
    pass


def step(text):
    print("desktop:", text, flush=True)


def wait_for(what, probe, timeout=20.0, passing=(), otherwise=None):
    """Polls probe() until it returns something true, and returns that. Fails
    after `timeout` seconds, saying otherwise() if given. The exceptions in
    `passing` count as not yet (an object that went away)."""
    deadline = time.monotonic() + timeout
    error = None
    while True:
        try:
            if result := probe():
                return result
        except passing as e:
            error = e
        if time.monotonic() > deadline:
            message = f"timed out after {timeout:.0f} s waiting for {what}" + (f" (last error: {error})" if error else "")
            with contextlib.suppress(passing):
                message = otherwise() if otherwise else message
            raise Failure(message)
        time.sleep(0.1)


def within(seconds, done):
    """What done() returns once true within `seconds`; False if it does not come true."""
    try:
        return wait_for("", done, seconds)
    except Failure:
        return False


def run(*command, check=True, **options):
    """A command's output; with `check`, a failure raises CalledProcessError, which tells its stderr."""
    done = subprocess.run(command, capture_output=True, text=True, **options)
    if check and done.returncode:
        error = subprocess.CalledProcessError(done.returncode, command, done.stdout, done.stderr)
        error.add_note(f"its stderr: {done.stderr.strip()[-800:]}")
        raise error
    return done.stdout.strip()


def tabs(window):
    """The window's tab stops in tab order, by key."""
    return FACTS[f"{window}_TABS"].split()


def window_of(control):
    return control.split("_")[0]


def stop_of(control):
    """The tab stop that is `control`: BLANKING_LOOKUP_FIELD, the field that 查询
    leaves the caret in, is BLANKING_FIELD3."""
    return next(k for k in tabs(window_of(control)) if FACTS[f"{k}_NAME"] == FACTS[f"{control}_NAME"])


def shown_windows():
    """Title -> X window of every window the window manager manages."""
    listed = run("wmctrl", "-l", check=False).splitlines()
    return {w[3]: int(w[0], 16) for w in (line.split(None, 3) for line in listed) if len(w) == 4}


def active_window():
    try:
        return int(run("xdotool", "getactivewindow"))
    except subprocess.CalledProcessError:
        return None


def desktop_state():
    """What X tells of the windows, for a failure's message."""
    shown = shown_windows()
    active = next((t for t, x in shown.items() if x == active_window()), None)
    x_focus = run("xdotool", "getwindowfocus", "-f", check=False)
    x_name = run("xprop", "-id", x_focus or "0", "WM_NAME", "WM_CLASS", check=False).replace("\n", "; ")
    return f"shown: {sorted(shown)}, active: {active}, X focus: {x_focus} {x_name}"


def client_area(x_id):
    info = run("xwininfo", "-id", str(x_id))
    value = {k: int(v) for k, v in re.findall(r"(Absolute upper-left [XY]|Width|Height):\s+(-?\d+)", info)}
    return value["Absolute upper-left X"], value["Absolute upper-left Y"], value["Width"], value["Height"]


class XImage(ctypes.Structure):
    _fields_ = [(n, ctypes.c_int) for n in ("width", "height", "xoffset", "format")] + [("data", ctypes.c_void_p)] + [
        (n, ctypes.c_int) for n in ("byte_order", "unit", "bit_order", "pad", "depth", "bytes_per_line", "bpp")]


xlib = ctypes.CDLL("libX11.so.6")
X_ERROR_IGNORED = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)(lambda display, error: 0)


@functools.cache
def x_display():
    xlib.XOpenDisplay.restype = ctypes.c_void_p
    xlib.XGetImage.restype = ctypes.POINTER(XImage)
    xlib.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                               ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
    xlib.XDefaultRootWindow.restype = ctypes.c_ulong
    xlib.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    xlib.XSetErrorHandler(X_ERROR_IGNORED)  # a window that is gone has no image
    return xlib.XOpenDisplay(None)


def x_pixels(window, x, y, w, h):
    """The colours (24 bits in 32) of a rectangle of an X window, the root by
    default; None if the window has none there."""
    display = x_display()
    image = xlib.XGetImage(display, window or xlib.XDefaultRootWindow(display), x, y, w, h, 0xFFFFFF, 2)  # ZPixmap
    if not image:
        return None
    i = image.contents
    data, line = ctypes.string_at(i.data, i.bytes_per_line * h), i.bytes_per_line
    pixels = b"".join(data[r * line:r * line + 4 * w] for r in range(h)) if i.bpp == 32 else None
    xlib.XFree(ctypes.c_void_p(i.data))
    xlib.XFree(image)
    return pixels


def on_screen(x_id, point, reach=24):
    """The screen shows the window around `point` (in the window) as the program
    drew it, and that is not blank. Only around it: neighbours' frames and
    shadows may reach into the window."""
    x, y, w, h = client_area(x_id)
    left, top = max(0, point[0] - reach), max(0, point[1] - reach)
    w, h = min(w, point[0] + reach) - left, min(h, point[1] + reach) - top
    drawn = x_pixels(x_id, left, top, w, h)
    return drawn and drawn.count(drawn[:4]) * 4 != len(drawn) and x_pixels(None, x + left, y + top, w, h) == drawn


def background(command, log, **popen):
    """A process beside the program (speech-dispatcher, Orca, fcitx5), its output appended to the file `log`."""
    with open(log, "a") as out:
        return subprocess.Popen(command, stdout=out, stderr=subprocess.STDOUT, **popen)


def end(process, ask=False):
    """Ends the process if it runs: killed, or asked to end first and killed if it stays."""
    if process.poll() is None and ask:
        process.terminate()
        with contextlib.suppress(subprocess.TimeoutExpired):
            process.wait(timeout=5)
    if process.poll() is None:
        process.kill()
        process.wait()


class Program:
    """The program started by `command`, seen through X. A way in adds
    focused_text() and, where it sees them, focused() and caret()."""

    key_delay = 60  # milliseconds between the keys of one xdotool call
    # Whether the window manager's active window follows the program's
    # activation at once. Wine's does not after 查询: X may still name the
    # sheet, which Wine maps without activating it, while Windows' active
    # window, which gets the keys, is the calculator. There the digits that
    # land tell.
    follows_activation = True

    def __init__(self, command, scale=1.0, **popen):
        self.scale = scale
        self.process = subprocess.Popen(command, **popen)
        self.placed = set()
        step(f"started {command[-1]} as process {self.process.pid}")

    def __enter__(self):
        return self

    def __exit__(self, *_):
        end(self.process)

    def window(self, name):
        """The X window of the window `name` (MENU, SHEET, REPORT or a
        calculator) once shown; the first time, checked at its place and size."""
        title = FACTS[f"{name}_TITLE"]

        def probe():
            if self.process.poll() is not None:
                raise Failure(f"the program ended (exit code {self.process.returncode}) before {name} showed")
            return shown_windows().get(title)
        x_id = wait_for(f"the window {title!r}", probe)
        if x_id not in self.placed and f"{name}_AT" in FACTS:
            want = tuple(round(v * self.scale) for v in point(f"{name}_AT") + point(f"{name}_SIZE"))
            wait_for(f"{name} at {want}", lambda: all(abs(a - b) <= 1 for a, b in zip(client_area(x_id), want)),
                     timeout=5, otherwise=lambda: f"{name} at {self.scale:g}x: client area {client_area(x_id)}, "
                                                  f"expected {want}")
            self.placed.add(x_id)
        return x_id

    def shown(self, name):
        return FACTS[f"{name}_TITLE"] in shown_windows()

    def gone(self, name):
        wait_for(f"{name} to go", lambda: not self.shown(name),
                 otherwise=lambda: f"timed out waiting for {name} to go ({desktop_state()})")

    def click(self, target, repeat=1, right=0):
        """Clicks the middle of a control (`right` pixels right of it), or the top quarter of a window, once
        the screen shows the window as the program drew it: mutter 48 keeps its
        click-to-focus button grab on a window it framed after grabbing, takes
        every click there first, and drops one made before it shows the window."""
        step(f"click {target}" + (f" {repeat} times" if repeat > 1 else ""))
        name = window_of(target)
        x_id = self.window(name)
        if target == name:
            w, h = point(f"{name}_SIZE")
            x, y = w // 2, h // 4
        else:
            x, y = point(target)
            x += right
        x, y = round(x * self.scale), round(y * self.scale)
        wait_for(f"{target} on the screen", lambda: on_screen(x_id, (x, y)))
        run("xdotool", "mousemove", "--window", str(x_id), str(x), str(y), "click", "--repeat", str(repeat),
            "--delay", "80", "1")

    def key(self, *keys, delay=None):
        run("xdotool", "key", "--delay", str(delay or self.key_delay), *keys)

    def type(self, text):
        run("xdotool", "type", "--delay", "40", "--", text)

    def wait_active(self, name):
        wait_for(f"{name} active", lambda: active_window() == self.window(name))

    def focused(self, window):
        """The tab stop that has the window's focus ("" if none); None where the way in cannot see it."""
        return None

    def wait_focus(self, control):
        """Waits for the focus on `control` where the way in sees the focus."""
        window, stop = window_of(control), stop_of(control)
        if self.focused(window) is not None:
            wait_for(f"the focus on {control}", lambda: self.focused(window) == stop, timeout=5,
                     otherwise=lambda: f"the focus is on {self.focused(window)!r}, expected {stop}")

    def caret(self, control, text):
        """Where the caret is in `control` once it reads `text`; None where the way in cannot see it."""
        return None

    def close_by_title_bar(self, name):
        """The window manager's close, WM_DELETE_WINDOW to the window, and the window gone."""
        step(f"title-bar close of {name}")
        run("wmctrl", "-i", "-c", hex(self.window(name)))
        self.gone(name)

    def ended(self, what):
        try:
            code = self.process.wait(timeout=30)
        except subprocess.TimeoutExpired:
            focus = self.focused("MENU") if self.shown("MENU") else None
            raise Failure(f"the program did not end after {what} ({desktop_state()}, "
                          f"the menu's focus: {focus})") from None
        if code != 0:
            raise Failure(f"the program ended with exit code {code} after {what}")

    def shot(self, what, name):
        """The window with its frame and some desktop around it, into PF_SCREENS if set."""
        if folder := os.environ.get("PF_SCREENS"):
            x_id = self.window(name)
            x, y, w, h = client_area(x_id)
            wait_for(f"{name} on the screen", lambda: on_screen(x_id, (w // 2, h // 2), max(w, h)))
            run("import", "-window", "root", "-crop", f"{w + 60}x{h + 80}+{max(x - 30, 0)}+{max(y - 50, 0)}",
                os.path.join(folder, what + ".png"))


def expect(p, control, want, what):
    """Waits until the focus is on `control` (where the way in sees it) and it reads `want`."""
    wait_for(what, lambda: p.focused_text(control) == want,
             otherwise=lambda: f"{what}: {control} reads {p.focused_text(control)!r}, expected {want!r}")


def read(p, control, want, what):
    p.click(control)
    expect(p, control, want, what)


def moves(at, to, back=False):
    """The keys that take the focus from the control `at` to `to` in their
    window's tab order: Tab forward, or Shift+Tab back, round the end."""
    order = tabs(window_of(at))
    n = order.index(to) - order.index(at)
    return ["shift+Tab"] * (-n % len(order)) if back else ["Tab"] * (n % len(order))


def tab(p, at, to):
    """Tabs forward (or back, if nearer) from the control `at` to `to`."""
    keys = min(moves(at, to), moves(at, to, back=True), key=len)
    if keys:
        p.key(*keys)
    p.wait_focus(to)
    return to


def tab_cycle(p, window):
    """Tab goes through the window's controls in tab order from the first, and back to it."""
    p.wait_active(window)
    order = tabs(window)
    p.wait_focus(order[0])
    for control in order[1:] + order[:1]:
        p.key("Tab")
        p.wait_focus(control)


def menu_to(p, control):
    """Tabs from the first button of a fresh menu, focused when it shows, to `control`."""
    p.wait_active("MENU")
    p.wait_focus(tabs("MENU")[0])
    tab(p, tabs("MENU")[0], control)


def open_by_mouse(p, name):
    p.click(f"MENU_{name}")
    p.window(name)
    p.gone("MENU")


def look_up(p, name):
    p.click(f"{name}_LOOKUP")
    p.window("SHEET")


def fill(p, name, inputs):
    for i, value in enumerate(inputs, 1):
        p.click(f"{name}_FIELD{i}")
        p.type(value)


def computes(p, name, inputs, expected, what):
    fill(p, name, inputs)
    p.click(f"{name}_CALCULATE")
    read(p, f"{name}_RESULT", expected, what)


def lookup_keeps_the_calculator_active(p):
    """The first and the second 查询 clicked leave the calculator active with the
    caret in its look-up field: a digit typed as soon as the sheet shows lands
    there. Clicked into, the sheet has its 关闭 focused, and Enter closes it alone."""
    for name in EXAMPLES:
        open_by_mouse(p, name)
        field = stop_of(f"{name}_LOOKUP_FIELD")
        for typed in ("7", "78"):
            look_up(p, name)
            p.key(typed[-1])
            expect(p, field, typed, f"{name}: {typed[-1]} typed after 查询 ({len(typed)})")
            if p.follows_activation:
                p.wait_active(name)
        p.click("SHEET")
        tab_cycle(p, "SHEET")
        p.key("Return")
        p.gone("SHEET")
        read(p, field, "78", f"{name}: the look-up field after closing the sheet")
        p.click(f"{name}_BACK")
        p.gone(name)
    p.click("MENU_CLOSE")
    p.ended("the menu's 关闭")


def typing_at_once(p):
    """Keys typed right after a button pressed from the keyboard land where the
    button's procedure left the focus, whatever the window manager activates
    meanwhile: after the menu's, in the new calculator's first field; after
    查询, the first and the second press, with Space and with Enter, each
    followed at once by a digit, and by another once the sheet is there, in
    the look-up field, the calculator staying active; after 返回, in the menu,
    whose first button has the focus as it shows."""
    menu_to(p, tabs("MENU")[0])
    back = []  # 返回 in the calculator before, pressed with the keys that follow
    for n, name in enumerate(EXAMPLES):
        p.key(*back, *moves(tabs("MENU")[0], f"MENU_{name}"), ("space", "Return")[n % 2], "1", "2", delay=40)
        after = "返回, Tab to the menu's button, the button" if back else "the menu's button"
        expect(p, f"{name}_FIELD1", "12", f"{name}: 12 typed at once after {after}")
        p.window(name)
        p.wait_active(name)
        field, at, typed = stop_of(f"{name}_LOOKUP_FIELD"), tabs(name)[0], ""
        for press in ("space", "Return"):
            for nth in (1, 2):
                at = tab(p, at, f"{name}_LOOKUP")
                p.key(press, "7", delay=40)
                typed, at = typed + "7", field
                expect(p, field, typed, f"{name}: 7 typed at once after {press} on 查询 ({nth})")
                p.window("SHEET")
                if p.follows_activation:
                    p.wait_active(name)
                p.key("8")
                typed += "8"
                expect(p, field, typed, f"{name}: 8 typed after {press} on 查询 ({nth})")
            p.close_by_title_bar("SHEET")
            p.click(field)  # back into the calculator, wherever the window manager went
            expect(p, field, typed, f"{name}: the look-up field clicked into")  # the click has landed
            p.key("End")
        tab(p, field, f"{name}_BACK")
        back = ["Return"]
    p.key(*back, *moves(tabs("MENU")[0], "MENU_CLOSE"), "space", delay=40)
    p.ended("返回, Tab to the menu's 关闭 and Space typed at once")


def keyboard_only(p):
    """The Tab order of every window; Space and Enter click the focused button."""
    tab_cycle(p, "MENU")
    for menu_button in tabs("MENU")[:-1]:
        name = menu_button.split("_", 1)[1]
        inputs, expected = EXAMPLES[name]
        menu_to(p, menu_button)
        p.key("space")
        p.window(name)
        p.gone("MENU")
        tab_cycle(p, name)
        for value in inputs:  # typed in tab order
            p.type(value)
            p.key("Tab")
        tab(p, f"{name}_LOOKUP", f"{name}_CALCULATE")
        p.key("Return")
        tab(p, f"{name}_CALCULATE", f"{name}_RESULT")
        expect(p, f"{name}_RESULT", expected, f"{name}: Enter on 计算")
        tab(p, f"{name}_RESULT", f"{name}_CLEAR")
        p.key("space")
        expect(p, f"{name}_FIELD1", "", f"{name}: Space on 清除, the caret back in the first field")
        tab(p, f"{name}_FIELD1", f"{name}_BACK")
        p.key("Return")
        p.gone(name)
    menu_to(p, "MENU_CLOSE")
    p.key("space")
    p.ended("Space on the menu's 关闭")


def title_bar_close(way):
    """The window manager's close button unloads one window; the program ends
    with its last window."""
    with way() as p:  # the menu right after start
        p.close_by_title_bar("MENU")
        p.ended("closing the menu")
    with way() as p:  # a calculator without the sheet
        open_by_mouse(p, "BLANKING")
        p.close_by_title_bar("BLANKING")
        p.ended("closing the only calculator")
    with way() as p:  # a calculator with the sheet, then the sheet
        open_by_mouse(p, "BLANKING")
        fill(p, "BLANKING", ["12"])
        look_up(p, "BLANKING")
        p.close_by_title_bar("SHEET")
        read(p, "BLANKING_FIELD1", "12", "the calculator after closing the sheet")
        look_up(p, "BLANKING")
        p.close_by_title_bar("BLANKING")
        if p.shown("MENU") or p.process.poll() is not None:
            raise Failure("closing the calculator beside the sheet did not leave the sheet alone")
        # As a person clicks it: once the window manager has handed the sheet the activation.
        p.wait_active("SHEET")
        p.click("SHEET_CLOSE")
        p.ended("the sheet's 关闭 as the last window")


def result_and_link(way):
    """A wide result shows its beginning; the link opens the browser once per
    click and once per double-click."""
    folder = tempfile.mkdtemp()
    log = os.path.join(folder, "launches")
    open(log, "w").close()
    with open(os.path.join(folder, "xdg-open"), "w") as stand_in:
        stand_in.write(f'#!/bin/sh\necho "$@" >> {log}\n')
    os.chmod(os.path.join(folder, "xdg-open"), 0o755)

    def launches():
        with open(log) as f:
            return f.read().splitlines()

    with way(env=dict(os.environ, PATH=folder + os.pathsep + os.environ["PATH"])) as p:
        open_by_mouse(p, "DRAWING")
        fill(p, "DRAWING", ["-13781238", "1", "1", "1000000"])
        p.click("DRAWING_CALCULATE")
        wide = "-13781238000000"
        if (caret := p.caret("DRAWING_RESULT", wide)) not in (None, 0):  # before a click moves it
            raise Failure(f"the result's caret is at {caret}, not at its beginning")
        read(p, "DRAWING_RESULT", wide, "the wide result")
        # Each launch is waited for; one more click, once it has launched, shows
        # that none came late: further right, as a new click, not a third of the double-click.
        for repeat, total, right in [(1, 1, 0), (2, 2, 0), (1, 3, 20)]:
            p.click("DRAWING_LINK", repeat, right)
            wait_for(f"{total} browser launch(es)", lambda: len(launches()) >= total)
        if len(launches()) != 3 or not launches()[0].startswith("http://"):
            raise Failure(f"a click, a double-click and a click on the link made the launches {launches()}")
        p.close_by_title_bar("DRAWING")
        p.ended("closing the calculator")


def computes_and_reports_a_fault(p):
    """The blanking window computes its example; a fault is reported in a
    message box, and the program goes on with its inputs."""
    p.shot("menu", "MENU")
    open_by_mouse(p, "BLANKING")
    inputs, expected = EXAMPLES["BLANKING"]
    computes(p, "BLANKING", inputs, expected, f"the blanking example {inputs}")
    p.shot("blanking", "BLANKING")
    p.click("BLANKING_CLEAR")
    fill(p, "BLANKING", FAULT_INPUTS)
    p.click("BLANKING_CALCULATE")
    p.wait_active("REPORT")  # Enter as a person presses it: on the box they see
    p.shot("fault-message", "REPORT")
    p.key("Return")
    p.gone("REPORT")
    for i, value in enumerate(FAULT_INPUTS, 1):
        read(p, f"BLANKING_FIELD{i}", value, "an input after the fault's message")
    p.click("BLANKING_CLEAR")
    computes(p, "BLANKING", inputs, expected, "the blanking example after the fault")
    p.click("BLANKING_CLOSE")
    p.ended("the calculator's 关闭")


CASES = [lookup_keeps_the_calculator_active, typing_at_once, keyboard_only, title_bar_close, result_and_link,
         computes_and_reports_a_fault]


def main(tag, start, argv, usage, default, once=()):
    """Runs the cases named after the program in argv, by default those of
    `default`, and those of `once` where PF_ONCE is set: cases whose checks do
    not depend on the window manager, run under one. Each runs to its end with
    `start(program, env=None)`, a Program: a case taking `way` starts the
    program itself, any other is given it started. Prints each one's time and
    a closing count; the exit status."""
    if len(argv) < 2:
        print(usage)
        return 2
    way = functools.partial(start, argv[1])
    every = list(default) + list(once)
    known = [case.__name__ for case in every]
    chosen = argv[2:] or [case.__name__ for case in [*default, *(once if os.environ.get("PF_ONCE") else ())]]
    if unknown := [name for name in chosen if name not in known]:
        print(f"{tag}: no case named {' '.join(unknown)}; the cases are {' '.join(known)}", flush=True)
        return 2
    failed = 0
    for case in [case for case in every if case.__name__ in chosen]:
        print(f"{tag}: --- {case.__name__}", flush=True)
        began = time.monotonic()
        try:
            if case.__code__.co_varnames[0] == "way":
                case(way)
            else:
                with way() as p:
                    case(p)
        except Failure as e:
            print(f"{tag}: FAILED {case.__name__}: {e}", flush=True)
            failed += 1
        print(f"{tag}: --- {case.__name__}: {time.monotonic() - began:.1f} s", flush=True)
    print(f"{tag}: {len(chosen) - failed} passed, {failed} failed")
    return 1 if failed else 0

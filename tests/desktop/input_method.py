#!/usr/bin/python3
"""Typing through a real Chinese input method: fcitx5 with pinyin, on the test's own display and session bus
with a private profile, and the program started with QT_IM_MODULE=fcitx.

Usage: input_method.py PROGRAM [CASE...]   (under run.sh: X display, window manager, D-Bus session)
"""
# Under one window manager: the input method stands between X and the program, whatever manages the windows.

import contextlib
import os
import re
import shutil
import subprocess
import sys
import tempfile

import cases
from atspi_tools import AtspiProgram
from cases import Failure, background, end, expect, open_by_mouse, read, step, wait_for
from gi.repository import Gio, GLib

# Pinyin, on from the start in every input field; Shift+Space toggles full-width, as in the common Chinese
# input methods (fcitx5 has no key for it).
PROFILE = {"profile": "[Groups/0]\nName=Default\nDefault Layout=us\nDefaultIM=pinyin\n[Groups/0/Items/0]\n"
           "Name=keyboard-us\n[Groups/0/Items/1]\nName=pinyin\n[GroupOrder]\n0=Default\n",
           "config": "[Behavior]\nActiveByDefault=True\n", "conf/fullwidth.conf": "[Hotkey]\n0=Shift+space\n"}
FIELDS, TYPED, RESULT = ["BLANKING_FIELD1", "BLANKING_FIELD2", "BLANKING_FIELD3"], ["100", "2.5", "300"], "97500"
# Each mode, the keys that set it and what the fields read: full-width with the Chinese punctuation of pinyin mode.
MODES = [("pinyin mode", [], TYPED), ("full-width mode", ["shift+space"], ["１００", "２。５", "３００"])]


def fcitx5(method):
    """A call to fcitx5's controller, made so that the bus starts no other fcitx5."""
    return Gio.bus_get_sync(Gio.BusType.SESSION).call_sync(
        "org.fcitx.Fcitx5", "/controller", "org.fcitx.Fcitx.Controller1", method, None, None,
        Gio.DBusCallFlags.NO_AUTO_START, 1000).unpack()[0]


def input_contexts():
    """fcitx5's input contexts, one for each window of the program (its one client) that has had the focus:
    id -> the capabilities the program told it, "0" until the program has its answer and can type through it."""
    return dict(re.findall(r"IC \[(\w+)\].* cap:(\w+)", fcitx5("DebugInfo")))


@contextlib.contextmanager
def fcitx5_running():
    """fcitx5 with a private profile, once it answers."""
    if not shutil.which("fcitx5"):
        raise Failure("no fcitx5 (Debian: fcitx5 fcitx5-chinese-addons fcitx5-frontend-qt6 fcitx5-module-fullwidth)")
    home = tempfile.mkdtemp()
    os.makedirs(f"{home}/fcitx5/conf")
    for name, text in PROFILE.items():
        with open(f"{home}/fcitx5/{name}", "w") as f:
            f.write(text)
    process = background(["fcitx5", "--replace"], f"{home}/fcitx5.log",
                         env=dict(os.environ, XDG_CONFIG_HOME=home, XDG_DATA_HOME=home))

    def answers():  # in its event loop, its addons loaded
        if process.poll() is not None:
            raise Failure(f"fcitx5 ended with exit code {process.returncode}")
        return fcitx5("State") is not None
    try:
        wait_for("fcitx5 on the session bus", answers, passing=GLib.Error)
        yield
    except Failure:
        with open(f"{home}/fcitx5.log") as log:
            print("fcitx5 log:", log.read(), sep="\n", file=sys.stderr)
        raise
    finally:
        end(process, ask=True)
        shutil.rmtree(home, ignore_errors=True)


def typed_through_the_input_method(p):
    """A pinyin syllable shows fcitx5's candidates and commits nothing; Space commits a Chinese character."""
    field, candidates = FIELDS[0], ["xdotool", "search", "--onlyvisible", "--name", "Fcitx5 Input Window"]
    p.click(field)
    try:
        p.type("ni")
        wait_for("fcitx5's candidates for 'ni'", lambda: not subprocess.run(candidates, capture_output=True).returncode)
        expect(p, field, "", "'ni' held as a preedit")
        p.key("space")
        text = wait_for("a commit on Space", lambda: p.focused_text(field))
        if len(text) != 1 or not "\u4e00" <= text <= "\u9fff":
            raise Failure(f"'ni' and Space committed {text!r}, no Chinese character")
    except Failure as e:
        raise Failure(f"the input method is not active in {field}, reading {p.focused_text(field)!r}: {e}") from None
    step(f"'ni' showed candidates and committed nothing; Space committed {text!r}")


def computes_in(p, mode, keys, want):
    """The example typed in `mode` (set with `keys`) reads `want` in the fields and computes RESULT."""
    p.click("BLANKING_CLEAR")
    expect(p, FIELDS[0], "", f"{mode}: 清除")
    if keys:
        p.key(*keys)
    # Each seen in its field before the next, as a person does: the input method commits after the key, into
    # the field focused then.
    for field, typed, text in zip(FIELDS, TYPED, want):
        p.click(field)
        p.type(typed)
        expect(p, field, text, f"{mode}: {typed!r} typed into {field}")
    p.click("BLANKING_CALCULATE")
    read(p, "BLANKING_RESULT", RESULT, f"{mode}: the blanking force of {want}")
    step(f"{mode}: the fields read {want}, the result {RESULT}")


def pinyin_and_full_width(way):
    """The input method active in the fields, and the blanking window computing its example typed in pinyin
    mode, and in full-width mode."""
    with fcitx5_running(), way(env=dict(os.environ, QT_IM_MODULE="fcitx")) as p:
        # The keys reach the input method once the window's input context is set up; the program sets one
        # up for each window that gets the focus, the menu's first.
        menu = wait_for("the menu's input context", input_contexts, passing=GLib.Error)
        open_by_mouse(p, "BLANKING")
        wait_for("the calculator's input context", lambda: any(
            cap != "0" for ic, cap in input_contexts().items() if ic not in menu), passing=GLib.Error)
        typed_through_the_input_method(p)
        for mode in MODES:
            computes_in(p, *mode)
        p.click("BLANKING_CLOSE")
        p.ended("the calculator's 关闭")


if __name__ == "__main__":
    sys.exit(cases.main("input method", AtspiProgram, sys.argv, __doc__, [pinyin_and_full_width]))

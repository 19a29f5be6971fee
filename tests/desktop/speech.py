#!/usr/bin/python3
"""What a blind user hears: the program used from the keyboard alone (xdotool)
while Orca reads it. speech-dispatcher speaks through espeak-ng into a null
sound device; Orca logs each utterance as a "SPEECH OUTPUT" line of its debug
file. Each step presses keys and waits for what Orca must say, in order.

Usage: speech.py PROGRAM   (under run.sh: X display, openbox, D-Bus session,
private HOME and XDG_RUNTIME_DIR)
"""

import os
import re
import shutil
import subprocess
import sys
import time

from orca import orca_platform

from atspi_tools import CALCULATORS, FACTS, KEYS, LOOKUP, MENU, MENU_TABS, RESULT_NAME, AtspiProgram, Failure, wait_for
from cases import background, end, lookup_field, moves

STEP_WAIT = 5.0  # seconds for Orca to say what a step must make it say
GIVE_UP = 8  # failed steps after which the walk stops
ENTRY = re.compile(r"^\d\d:\d\d:\d\d\.\d+ - ")  # the start of each entry of Orca's log
SPOKEN = re.compile(r"SPEECH OUTPUT: '(.*)'\s*(\{.*\})?$", re.DOTALL)
# An event Orca queues, and one it has handled or dropped (Orca 43 drops some in a flood).
QUEUE = re.compile(r"EVENT MANAGER: (Queueing|Dequeued|Pruning (?!event queue))")
ESPEAK_MODULE = "/usr/lib/speech-dispatcher-modules/sd_espeak-ng"
UNSELECTED = "Text unselected."  # a box that loses the focus drops its selection: no news
SHEET_OPENED = f"{FACTS['SHEET_TITLE']} {FACTS['SHEET_DESCRIPTION']}"

# How Orca words what it says: 43 (Debian 12) and 48 (Debian 13) differ in a
# button's role and in saying a notification's role apart from its text.
if int(orca_platform.version.split(".")[0]) < 48:
    def button(name):
        return f"{name} push button."

    def frame(name):
        return f"{name} frame."

    def notified(text):  # with a full stop unless the text ends with one
        return [f"notification {text}" + ("" if text.endswith("。") else ".")]

    def opened(field):
        return f"{field} text."
else:
    def button(name):
        return f"{name} button."

    def frame(name):
        return f"{name} frame"

    def notified(text):
        return ["notification", text]

    def opened(field):  # without the role when the window's activation is told first
        return (f"{field} text.", f"{field}.")

# Per calculator, its worked example and, for the bending window, a fault: the
# field retyped (by its place in tab order), its value, the report.
FAULTS = {"BENDING": (3, "-2", "浮点运算错误：除数为零。\n请检查输入的数据。")}
WALKS = [(entry, list(entry[3].values()), entry[4], FAULTS.get(KEYS[entry[1]])) for entry in CALCULATORS]


class Orca:
    """speech-dispatcher and Orca in the session's private HOME."""

    def __init__(self, home):
        here = os.path.dirname(os.path.abspath(__file__))
        with open(os.path.join(home, ".asoundrc"), "w") as f:
            f.write("pcm.!default { type null }\n")
        config = os.path.join(home, "speechd")
        os.makedirs(config)
        os.symlink("/etc/speech-dispatcher/modules", os.path.join(config, "modules"))
        with open(os.path.join(config, "speechd.conf"), "w") as f:
            f.write('AudioOutputMethod "alsa"\nAddModule "espeak-ng" "sd_espeak-ng" "espeak-ng.conf"\n'
                    'DefaultModule espeak-ng\n')
        self.log = os.path.join(home, "orca.log")
        open(self.log, "w").close()
        self.read = 0
        self.entry = []  # the lines of the entry being read; the next entry's start completes it
        self.queued = 0  # events Orca has queued and not yet handled
        output = os.path.join(home, "orca.out")
        self.dispatcher = background(["speech-dispatcher", "--run-single", "--timeout", "0", "--config-dir", config],
                                     output)
        # Orca's own words in English, whatever the desktop's language.
        self.orca = background(["/usr/bin/python3", os.path.join(here, "orca_run.py"), self.log], output,
                               env=dict(os.environ, LANG="C.UTF-8", LANGUAGE="", LC_ALL="C.UTF-8"))
        self.failures = []
        if not self.expect("Orca starts", [], ["Screen reader on."], wait=20):
            self.close()
            with open(output, errors="replace") as f:
                raise Failure("Orca did not start:\n" + "".join(f.readlines()[-20:]))
        # Orca speaks before it listens: the program starts once Orca hears events.
        wait_for("Orca listening", lambda: "EVENT MANAGER: Activated" in open(self.log, errors="replace").read())

    def utterances(self):
        """What Orca has said since the last call."""
        with open(self.log, "rb") as f:
            f.seek(self.read)
            data = f.read()
        data = data[:data.rfind(b"\n") + 1]
        self.read += len(data)
        said = []
        for line in data.decode("utf-8", errors="replace").splitlines():
            if start := ENTRY.match(line):
                if q := QUEUE.match(line, start.end()):
                    self.queued += 1 if q.group(1) == "Queueing" else -1
                if self.entry:
                    if m := SPOKEN.search("\n".join(self.entry)):
                        said.append(m.group(1))
                    self.entry = []
            self.entry.append(line.strip() if self.entry else line)
        return said

    def settle(self):
        """Waits until Orca has handled every event it has queued, as a user lets Orca
        finish before pressing the next key. Orca 48 handles focus changes ahead of text
        changes: a field's earlier caret move still queued when the focus reaches it is
        taken for news of that field, told instead of its name."""
        deadline = time.monotonic() + STEP_WAIT
        self.utterances()
        while self.queued > 0 and time.monotonic() < deadline:
            time.sleep(0.05)
            self.utterances()

    def expect(self, what, keys, said, wait=STEP_WAIT, unsaid=(), ordered=True):
        """Presses `keys` (xdotool key names, or ("type", text)), then waits for
        each utterance of `said` (or one of a tuple of them), in this order
        unless not `ordered`, among what Orca says from the keys on (without
        keys: since the last step), and none of `unsaid` meanwhile. Whether it
        did."""
        if keys:
            self.settle()
        for k in keys:
            if isinstance(k, tuple):
                subprocess.run(["xdotool", "type", "--delay", "30", "--", k[1]], check=True)
            else:
                subprocess.run(["xdotool", "key", k], check=True)
        heard, pending = [], list(said)
        deadline = time.monotonic() + wait
        while pending and time.monotonic() < deadline:
            time.sleep(0.05)
            for line in self.utterances():
                heard.append(line)
                for p in pending[:1 if ordered else None]:
                    if line == p or isinstance(p, tuple) and line in p:
                        pending.remove(p)
                        break
        print(f"speech: {what}: {' | '.join(heard)}", flush=True)
        wrong = [u for u in heard if u in unsaid]
        if not pending and not wrong:
            return True
        # The walk goes on: the next steps do not depend on what was said.
        self.failures.append(f"{what}: Orca did not say {pending[0]!r}" if pending else
                             f"{what}: Orca said {wrong[0]!r}")
        print(f"speech: FAILED: {self.failures[-1]}", flush=True)
        if len(self.failures) >= GIVE_UP:
            raise Failure(f"{len(self.failures)} steps failed")
        return False

    def close(self):
        for p in (self.orca, self.dispatcher):
            end(p, ask=True)


def walk(orca, entry, values, result, fault):
    menu_button, title, lookup, fields, _ = entry
    names, result_name, w = list(fields), RESULT_NAME[title], KEYS[title]
    if keys := moves(FACTS["MENU_TABS"].split()[0], f"MENU_{w}"):  # the first has the focus, and has been said
        orca.expect(f"{title}: Tab to {menu_button!r}", keys, [button(menu_button)])
    orca.expect(f"{title}: Space opens it", ["space"], [opened(names[0])])
    # Each value typed, then the first Tab into the next field: its name and unit.
    for i, value in enumerate(values):
        following = f"{names[i + 1]} text." if i + 1 < len(names) else button(lookup)
        orca.expect(f"{title}: {value}, Tab", [("type", value), "Tab"], [following])
    orca.expect(f"{title}: Tab to 计算", moves(f"{w}_LOOKUP", f"{w}_CALCULATE"), [button("计算")])
    orca.expect(f"{title}: Enter on 计算", ["Return"], notified(f"{result_name} {result}"))
    if fault:
        field, value, message = fault
        values = values[:field] + [value] + values[field + 1:]
        orca.expect(f"{title}: back to {names[field]}", moves(f"{w}_CALCULATE", f"{w}_FIELD{field + 1}", back=True),
                    [f"{names[field]} text."])
        orca.expect(f"{title}: {value} and 计算",
                    [("type", value), *moves(f"{w}_FIELD{field + 1}", f"{w}_CALCULATE"), "Return"], [message])
        orca.expect(f"{title}: Enter closes the report", ["Return"], [button("计算")])
    # Back through the fields: each value read whole.
    orca.expect(f"{title}: Shift+Tab to {lookup!r}", moves(f"{w}_CALCULATE", f"{w}_LOOKUP", back=True),
                [button(lookup)])
    for name, value in reversed(list(zip(names, values))):
        orca.expect(f"{title}: Shift+Tab to {name}", ["shift+Tab"], [f"{name} text.", f"{value} selected."],
                    unsaid=[UNSELECTED])
    orca.expect(f"{title}: Shift+Tab past the picture to the result", moves(f"{w}_FIELD1", f"{w}_RESULT", back=True),
                [f"{result_name} text.", f"{result} selected."])
    orca.expect(f"{title}: Shift+Tab to 清除", moves(f"{w}_RESULT", f"{w}_CLEAR", back=True), [button("清除")])
    orca.expect(f"{title}: Space on 清除", ["space"], [f"{names[0]} text."])
    orca.expect(f"{title}: Tab to {lookup!r}", moves(f"{w}_FIELD1", f"{w}_LOOKUP"), [button(lookup)])
    # The window manager may activate the sheet before the calculator gets the
    # activation back: then the sheet's opening is told before the field.
    orca.expect(f"{title}: Space on {lookup!r}", ["space"], [f"{LOOKUP[title]} text.", *notified(SHEET_OPENED)],
                ordered=False)
    orca.expect(f"{title}: Tab to 返回", moves(lookup_field(w), f"{w}_BACK"), [button("返回")])
    orca.expect(f"{title}: Space on 返回", ["space"], [button(MENU_TABS[0])])


def run(program):
    if not (shutil.which("orca") and shutil.which("speech-dispatcher") and os.path.exists(ESPEAK_MODULE)):
        raise Failure("missing orca, speech-dispatcher or speech-dispatcher-espeak-ng (Debian packages)")
    orca = Orca(os.environ["HOME"])
    # Stopped at the end, not ended with 关闭: Qt 6.4 leaks a key event that it
    # forwarded to the screen reader when its window has gone before the answer,
    # and a sanitized run would report it.
    try:
        with AtspiProgram(program):
            # Whether Orca tells the window the program opens with depends on Qt's bridge
            # having registered it when the window manager activates it (under xfwm4 it
            # sometimes has not): noted, not failed. The walk's steps check what follows.
            if not orca.expect("the menu", [], [frame(MENU), button(MENU_TABS[0])], wait=20):
                print(f"speech: note: {orca.failures.pop()}", flush=True)
            for w in WALKS:
                walk(orca, *w)
            if orca.failures:
                raise Failure(f"{len(orca.failures)} steps failed:\n" + "\n".join(orca.failures))
    except Failure:
        # What Orca last logged tells whether it heard the program's events.
        with open(orca.log, errors="replace") as f:
            print("speech: the end of Orca's log:\n" + "".join(f.readlines()[-80:]), file=sys.stderr)
        raise
    finally:
        orca.close()


def main():
    if len(sys.argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    began = time.monotonic()
    try:
        run(sys.argv[1])
    except Failure as e:
        print(f"speech: FAILED: {e}", file=sys.stderr)
        return 1
    print(f"speech: all steps heard in {time.monotonic() - began:.1f} s")
    return 0


if __name__ == "__main__":
    sys.exit(main())

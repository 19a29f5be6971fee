#!/usr/bin/python3
"""What a blind user hears: the program used from the keyboard alone (xdotool)
while Orca reads it. speech-dispatcher speaks through espeak-ng into a null
sound device; Orca logs each utterance as a "SPEECH OUTPUT" line of its debug
file. Each step presses keys and waits for what Orca must say, in order.

Usage: speech.py PROGRAM [CASE...]   (under run.sh: X display, window manager,
D-Bus session, private HOME and XDG_RUNTIME_DIR)
"""

import os
import re
import shutil
import sys

from orca import orca_platform

import cases
from atspi_tools import AtspiProgram
from cases import EXAMPLES, FACTS, Failure, background, end, moves, run, stop_of, tabs, wait_for, within

STEP_WAIT = 5.0  # seconds for Orca to say what a step must make it say
GIVE_UP = 8  # failed steps after which the walk stops
ENTRY = re.compile(r"^\d\d:\d\d:\d\d\.\d+ - ")  # the start of each entry of Orca's log
SPOKEN = re.compile(r"SPEECH OUTPUT: '(.*)'\s*(\{.*\})?$", re.DOTALL)
# An event Orca queues, and one it has handled or dropped (Orca 43 drops some in a flood).
QUEUE = re.compile(r"EVENT MANAGER: (Queueing|Dequeued|Pruning (?!event queue))")
ESPEAK_MODULE = "/usr/lib/speech-dispatcher-modules/sd_espeak-ng"
UNSELECTED = "Text unselected."  # a box that loses the focus drops its selection: no news
SHEET_OPENED = f"{FACTS['SHEET_TITLE']} {FACTS['SHEET_DESCRIPTION']}"
# A fault a calculator's walk makes: the field retyped (by its place in tab order), its value, the report.
FAULTS = {"BENDING": (3, "-2", "浮点运算错误：除数为零。\n请检查输入的数据。")}

# How Orca words what it says: 43 (Debian 12) and 48 (Debian 13) differ in a
# button's role and in saying a notification's role apart from its text.
ORCA_43 = int(orca_platform.version.split(".")[0]) < 48


def button(name):
    return f"{name} push button." if ORCA_43 else f"{name} button."


def frame(name):
    return f"{name} frame" + ("." if ORCA_43 else "")


def notified(text):  # Orca 43 with a full stop unless the text ends with one
    return [f"notification {text}" + ("" if text.endswith("。") else ".")] if ORCA_43 else ["notification", text]


def opened(field):  # Orca 48 without the role when the window's activation is told first
    return f"{field} text." if ORCA_43 else (f"{field} text.", f"{field}.")


class Orca:
    """speech-dispatcher and Orca in the session's private HOME."""

    def __init__(self, home):
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
        self.failures = []
        output = os.path.join(home, "orca.out")
        self.dispatcher = background(["speech-dispatcher", "--run-single", "--timeout", "0", "--config-dir", config],
                                     output)
        # Orca's own words in English, whatever the desktop's language.
        self.orca = background(["/usr/bin/python3", os.path.join(os.path.dirname(__file__), "orca_run.py"), self.log],
                               output, env=dict(os.environ, LANG="C.UTF-8", LANGUAGE="", LC_ALL="C.UTF-8"))
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

    def settled(self):
        """Whether Orca has handled every event it has queued; what it said before is dropped."""
        self.utterances()
        return self.queued <= 0

    def expect(self, what, keys, said, wait=STEP_WAIT, unsaid=(), ordered=True):
        """Presses `keys` (xdotool key names, or ("type", text)), then waits for
        each utterance of `said` (or one of a tuple of them), in this order
        unless not `ordered`, among what Orca says from the keys on (without
        keys: since the last step), and none of `unsaid` meanwhile. Whether it
        did."""
        if keys:
            # As a user lets Orca finish before pressing the next key. Orca 48 handles focus changes ahead of
            # text changes: a field's earlier caret move still queued when the focus reaches it is taken for
            # news of that field, told instead of its name.
            within(STEP_WAIT, self.settled)
        for k in keys:
            run("xdotool", *(("type", "--delay", "30", "--", k[1]) if isinstance(k, tuple) else ("key", k)))
        heard, pending = [], list(said)

        def all_said():
            for line in self.utterances():
                heard.append(line)
                for p in pending[:1 if ordered else None]:
                    if line == p or isinstance(p, tuple) and line in p:
                        pending.remove(p)
                        break
            return not pending
        within(wait, all_said)
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


def walk(orca, w):
    """Into the calculator `w` from the menu and back to it: its example typed
    and computed, its fault if it has one, each field read back, 清除, 查询, 返回."""
    (values, result), fault = EXAMPLES[w], FAULTS.get(w)
    title, lookup, result_name = (FACTS[f"{w}_{k}"] for k in ("TITLE", "LOOKUP_NAME", "RESULT_NAME"))
    names = [FACTS[f"{w}_FIELD{i}_NAME"] for i in range(1, len(values) + 1)]
    calculate, clear, back = (button(FACTS[f"{w}_{k}_NAME"]) for k in ("CALCULATE", "CLEAR", "BACK"))

    def say(what, keys, *said, **options):
        orca.expect(f"{title}: {what}", keys, said, **options)

    def tab(at, to, back=False):
        return moves(f"{w}_{at}", f"{w}_{to}", back)

    if keys := moves(tabs("MENU")[0], f"MENU_{w}"):  # the first has the focus, and has been said
        say(f"Tab to {FACTS[f'MENU_{w}_NAME']!r}", keys, button(FACTS[f"MENU_{w}_NAME"]))
    say("Space opens it", ["space"], opened(names[0]))
    # Each value typed, then the first Tab into the next field: its name and unit.
    for value, following in zip(values, [f"{name} text." for name in names[1:]] + [button(lookup)]):
        say(f"{value}, Tab", [("type", value), "Tab"], following)
    say("Tab to 计算", tab("LOOKUP", "CALCULATE"), calculate)
    say("Enter on 计算", ["Return"], *notified(f"{result_name} {result}"))
    if fault:
        field, value, message = fault
        values = values[:field] + [value] + values[field + 1:]
        say(f"back to {names[field]}", tab("CALCULATE", f"FIELD{field + 1}", back=True), f"{names[field]} text.")
        say(f"{value} and 计算", [("type", value), *tab(f"FIELD{field + 1}", "CALCULATE"), "Return"], message)
        say("Enter closes the report", ["Return"], calculate)
    # Back through the fields: each value read whole.
    say(f"Shift+Tab to {lookup!r}", tab("CALCULATE", "LOOKUP", back=True), button(lookup))
    for name, value in reversed(list(zip(names, values))):
        say(f"Shift+Tab to {name}", ["shift+Tab"], f"{name} text.", f"{value} selected.", unsaid=[UNSELECTED])
    say("Shift+Tab past the picture to the result", tab("FIELD1", "RESULT", back=True), f"{result_name} text.",
        f"{result} selected.")
    say("Shift+Tab to 清除", tab("RESULT", "CLEAR", back=True), clear)
    say("Space on 清除", ["space"], f"{names[0]} text.")
    say(f"Tab to {lookup!r}", tab("FIELD1", "LOOKUP"), button(lookup))
    # The window manager may activate the sheet before the calculator gets the
    # activation back: then the sheet's opening is told before the field.
    say(f"Space on {lookup!r}", ["space"], f"{FACTS[f'{w}_LOOKUP_FIELD_NAME']} text.", *notified(SHEET_OPENED),
        ordered=False)
    say("Tab to 返回", moves(stop_of(f"{w}_LOOKUP_FIELD"), f"{w}_BACK"), back)
    say("Space on 返回", ["space"], button(FACTS[f"{tabs('MENU')[0]}_NAME"]))


def what_orca_says(way):
    """Each calculator walked through from the menu with the keyboard, what Orca says heard at each step."""
    if not (shutil.which("orca") and shutil.which("speech-dispatcher") and os.path.exists(ESPEAK_MODULE)):
        raise Failure("missing orca, speech-dispatcher or speech-dispatcher-espeak-ng (Debian packages)")
    orca = Orca(os.environ["HOME"])
    # Stopped at the end, not ended with 关闭: Qt 6.4 leaks a key event that it
    # forwarded to the screen reader when its window has gone before the answer,
    # and a sanitized run would report it.
    try:
        with way():
            # Whether Orca tells the window the program opens with depends on Qt's bridge
            # having registered it when the window manager activates it (under xfwm4 it
            # sometimes has not): noted, not failed. The walk's steps check what follows.
            if not orca.expect("the menu", [], [frame(FACTS["MENU_TITLE"]), button(FACTS[f"{tabs('MENU')[0]}_NAME"])],
                               wait=20):
                print(f"speech: note: {orca.failures.pop()}", flush=True)
            for w in EXAMPLES:
                walk(orca, w)
            if orca.failures:
                raise Failure(f"{len(orca.failures)} steps failed:\n" + "\n".join(orca.failures))
    except Failure:
        # What Orca last logged tells whether it heard the program's events.
        with open(orca.log, errors="replace") as f:
            print("speech: the end of Orca's log:\n" + "".join(f.readlines()[-80:]), file=sys.stderr)
        raise
    finally:
        orca.close()


if __name__ == "__main__":
    sys.exit(cases.main("speech", AtspiProgram, sys.argv, __doc__, [what_orca_says]))

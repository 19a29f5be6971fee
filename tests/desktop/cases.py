"""What the desktop drivers share, with AT-SPI or without it (Wine): the worked
examples, waiting for a change, and running the cases one after another."""

import os
import time

import layout_facts


def desktop_examples(facts):
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
            order = [int(facts[f"{key}_FIELD{i}_INPUT"]) for i in range(1, len(inputs) + 1)]
            examples[key] = ([inputs[n - 1] for n in order], cells[3])
    return {key: examples[key] for key in ("BLANKING", "DRAWING", "BENDING")}


EXAMPLES = desktop_examples(layout_facts.load())


class Failure(Exception):
    pass


def wait_for(what, probe, timeout, passing=()):
    """Polls probe() until it returns something true; fails after timeout. The
    exceptions in `passing` count as not yet (an object that went away)."""
    deadline = time.monotonic() + timeout
    error = None
    while True:
        try:
            result = probe()
            if result:
                return result
        except passing as e:
            error = e
        if time.monotonic() > deadline:
            detail = f" (last error: {error})" if error else ""
            raise Failure(f"timed out after {timeout:.0f} s waiting for {what}{detail}")
        time.sleep(0.1)


def run(tag, cases, argv, usage):
    """Runs the cases named after the program in argv (all by default), each to
    its end; prints each one's time and a closing count. The exit status."""
    if len(argv) < 2:
        print(usage)
        return 2
    chosen = argv[2:] or [case.__name__ for case in cases]
    failed = 0
    for case in cases:
        if case.__name__ not in chosen:
            continue
        print(f"{tag}: --- {case.__name__}", flush=True)
        began = time.monotonic()
        try:
            case(argv[1])
        except Failure as e:
            print(f"{tag}: FAILED {case.__name__}: {e}", flush=True)
            failed += 1
        print(f"{tag}: --- {case.__name__}: {time.monotonic() - began:.1f} s", flush=True)
    print(f"{tag}: {len(chosen) - failed} passed, {failed} failed")
    return 1 if failed else 0

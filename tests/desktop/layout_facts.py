"""What the build knows of the program's windows: layout_facts.sh in the build
tree, KEY='VALUE' lines written from the layout tables (tools/layout_facts.cpp
says which keys there are)."""

import os
import shlex


def load(path=None):
    """The facts as a dict of strings; the file is `path`, or $PF_LAYOUT_FACTS."""
    path = path or os.environ["PF_LAYOUT_FACTS"]
    facts = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            if line.strip() and not line.startswith("#"):
                key, value = shlex.split(line)[0].split("=", 1)
                facts[key] = value
    return facts


def point(facts, key):
    """A point or size ("X Y") as a pair of ints."""
    x, y = facts[key].split()
    return int(x), int(y)

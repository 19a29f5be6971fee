#!/usr/bin/python3
"""Runs Orca with its debug log written line by line, so that a test reads each
utterance as Orca makes it (Orca's own start-up buffers the log in blocks).
Unlike the orca command it neither looks for nor ends other Orcas of the user.

Usage: orca_run.py DEBUG-FILE   (in a session with a D-Bus session bus and an X display)
"""

import sys

from orca import debug

debug.debugLevel = debug.LEVEL_INFO  # includes each "SPEECH OUTPUT" line
debug.eventDebugLevel = debug.LEVEL_OFF  # Orca 43 only
debug.debugFile = open(sys.argv[1], "w", buffering=1)

from orca import orca, settings_manager  # noqa: E402

# Orca 43 names it getManager, Orca 48 get_manager.
get_manager = getattr(settings_manager, "get_manager", None) or settings_manager.getManager
get_manager().activate(None, {})
sys.exit(orca.main())

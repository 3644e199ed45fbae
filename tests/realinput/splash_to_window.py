#!/usr/bin/python3
"""The time from the splash's end to the main window with its first record,
by watching the X display: the program is started on a catalogue, the
visible windows are listed every few milliseconds (xdotool), and the times
the splash goes and the main window comes are noted. Run by hand on a
display with a window manager:

    DISPLAY=:63 python3 splash_to_window.py QUELTO CATALOGUE [--runs 3]

Each run gets a settings folder of its own, so that the first window is as
a new user gets it. Prints the splash's showing time and the gap after it.
"""
import argparse
import os
import subprocess
import tempfile
import time

parser = argparse.ArgumentParser()
parser.add_argument("quelto")
parser.add_argument("catalogue")
parser.add_argument("--runs", type=int, default=3)
args = parser.parse_args()


def visible():
    out = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", ""], capture_output=True, text=True).stdout
    shown = {}
    for wid in out.split():
        name = subprocess.run(["xdotool", "getwindowname", wid], capture_output=True, text=True).stdout.strip()
        shown[wid] = name
    return shown


before = set(visible())  # the root window and the window manager's own

for run in range(args.runs):
    with tempfile.TemporaryDirectory() as home:
        env = dict(os.environ, XDG_CONFIG_HOME=home, XDG_DATA_HOME=home, HOME=home)
        started = time.monotonic()
        program = subprocess.Popen([args.quelto, args.catalogue], env=env, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        splash_seen = splash_gone = window_seen = None
        splash_id = None
        while time.monotonic() - started < 60 and window_seen is None:
            now = time.monotonic()
            shown = {w: n for w, n in visible().items() if w not in before}
            main = [w for w, n in shown.items() if "Quelto" in n and w != splash_id]
            if splash_id is None and shown:
                splash_id, splash_seen = next(iter(shown)), now
            elif splash_id is not None and splash_gone is None and splash_id not in shown:
                splash_gone = now
            if splash_gone is not None and main:
                window_seen = now
            time.sleep(0.01)
        program.terminate()
        program.wait()
        if window_seen is None or splash_seen is None:
            print(f"run {run + 1}: no window seen")
            continue
        print(f"run {run + 1}: splash at {splash_seen - started:.3f} s, shown {splash_gone - splash_seen:.3f} s, "
              f"main window {1000 * (window_seen - splash_gone):.0f} ms after the splash's end", flush=True)

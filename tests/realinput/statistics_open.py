#!/usr/bin/python3
"""How long the Statistics window takes to show its summary, by real input:
the program is opened on a catalogue, left idle for a while, then given
Alt+I S; the summary is looked for in the accessibility tree until it
shows. With --change, a record is changed by another program (the stock
sqlite3 tool) before the program starts, as after a change made elsewhere.

    Xvfb :61 -screen 0 1600x1000x24 & DISPLAY=:61 openbox &
    DISPLAY=:61 dbus-run-session -- /usr/bin/python3 tests/realinput/statistics_open.py \\
        build/src/app/quelto /tmp/big.mdb OUTDIR [--idle 8] [--change]

The kept figures are in OUTDIR/cache: the first run counts, later runs find
them kept (or, with --change, out of date)."""
import argparse, os, subprocess, sys, time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from screen_probe import ScreenProbe
from window_session import WindowSession

parser = argparse.ArgumentParser()
parser.add_argument("quelto")
parser.add_argument("catalogue")
parser.add_argument("outdir")
parser.add_argument("--idle", type=float, default=8.0, help="seconds the window is left idle first")
parser.add_argument("--change", action="store_true", help="another program changes a record first")
parser.add_argument("--screen", action="store_true",
                    help="no accessibility: the summary's first line is looked for on the screen")
args = parser.parse_args()
os.makedirs(args.outdir, exist_ok=True)

if args.change:
    subprocess.run(["sqlite3", args.catalogue,
                    "update archive set mv_genre = case mv_genre when 'Drama' then 'Comedy' else 'Drama' end "
                    "where rowid = (select min(rowid) from archive)"], check=True)

session = WindowSession(args.quelto, args.catalogue, shots=args.outdir, home=os.path.join(args.outdir, "home"),
                        extra_env={"XDG_CACHE_HOME": os.path.join(args.outdir, "cache")}, accessible=not args.screen)
proc = session.process
app, xdo = WindowSession.find_app, WindowSession.xdo


def names(node, depth=0):
    # Every name under node, but not the list's million rows.
    if node is None or depth > 30:
        return
    try:
        role = node.getRoleName()
        yield node.name
    except Exception:
        return
    if role in ("table", "tree table", "list", "tree", "table cell", "list item"):
        return
    for i in range(node.childCount):
        try:
            yield from names(node.getChildAtIndex(i), depth + 1)
        except Exception:
            continue


def visible(title):
    return subprocess.run(["xdotool", "search", "--onlyvisible", "--name", title],
                          capture_output=True, text=True).stdout.split()


t0 = time.monotonic()
while time.monotonic() - t0 < 120:
    if args.screen:
        if visible("^Quelto"):  # the main window; the idle time lets it settle
            time.sleep(2)
            break
    else:
        a = app()
        if a and any(n.endswith("records in database") for n in names(a)):
            break
    time.sleep(0.5)
print("window up after %.1f s" % (time.monotonic() - t0), flush=True)
time.sleep(args.idle)
frame = [w for w in subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Quelto"],
                                   capture_output=True, text=True).stdout.split()][-1]
xdo("windowactivate", "--sync", frame)
time.sleep(0.5)

start = time.monotonic()
xdo("key", "--clearmodifiers", "alt+i", "s")
summary = None
if args.screen:
    # The summary's first line, under the scope's row: dark text on the
    # window's light grey once the figures are there.
    probe = ScreenProbe()
    window = None
    while time.monotonic() - start < 60 and not window:
        window = visible("^Statistics$")
    geometry = subprocess.run(["xdotool", "getwindowgeometry", "--shell", window[0]], capture_output=True,
                              text=True).stdout
    g = dict(line.split("=") for line in geometry.split())
    band = (int(g["X"]) + 8, int(g["Y"]) + 44, 400, 12)
    while time.monotonic() - start < 60 and not summary:
        pixels = probe.grab(band)
        dark = sum(1 for i in range(0, len(pixels), 4) if pixels[i] < 90 and pixels[i + 1] < 90)
        light = sum(1 for i in range(0, len(pixels), 4) if pixels[i] > 200 and pixels[i + 1] > 200)
        if dark > 40 and light > len(pixels) // 8:  # painted, not the black of a window not drawn yet
            summary = ["%d dark and %d light pixels in the summary's first line" % (dark, light)]
        time.sleep(0.002)
else:
    while time.monotonic() - start < 60 and not summary:
        time.sleep(0.05)  # the walk competes with the pass for the two cores: not without a pause
        summary = [n for n in names(app()) if " records on " in n]
shown = time.monotonic() - start
print("summary after %.0f ms: %s" % (shown * 1000, summary[0][:80] if summary else "none"), flush=True)
session.shot("statistics")
xdo("key", "Escape")
time.sleep(0.5)
proc.terminate()
proc.wait(timeout=30)

#!/usr/bin/python3
"""Whether the window keeps answering while commands run on a large catalogue:
each command is given by real input (xdotool), and while it runs the window's
accessibility bridge (on the window's thread) is asked for its state every
20 ms; the longest wait for an answer is the longest the window was frozen.

    cp $QUELTO_BENCH_DIR/quelto-bench-1000000.mdb /tmp/big.mdb    # made by bench_commands
    Xvfb :13 -screen 0 1280x800x24 & DISPLAY=:13 openbox &
    DISPLAY=:13 dbus-run-session -- /usr/bin/python3 tests/realinput/answering.py \
        build/src/app/quelto /tmp/big.mdb OUTDIR

Prints the longest wait per command; screenshots go to OUTDIR. The group step
clicks a row of the group pane (a genre of the generated catalogues)."""
import os, subprocess, sys, time
import pyatspi

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from window_session import WindowSession

QUELTO, CATALOGUE, OUT = sys.argv[1], sys.argv[2], sys.argv[3]
session = WindowSession(QUELTO, CATALOGUE, shots=OUT, home="/tmp/probehome")
proc = session.process
nodes, showing, xdo, click, shot = session.nodes, session.showing, session.xdo, session.click, session.shot
app, frame = session.main_window()

def ask():
    s = time.monotonic(); frame.getState(); frame.name; return time.monotonic() - s

def measure(label, action, settle=1.5, longest=120):
    # The longest single wait for the window while the command runs and until
    # it has been answering at once for `settle` seconds.
    time.sleep(0.3)
    start = time.monotonic()
    action()
    worst = 0.0; quiet_since = None
    while time.monotonic() - start < longest:
        w = ask(); worst = max(worst, w)
        now = time.monotonic()
        if w < 0.05:
            quiet_since = quiet_since or now
            if now - quiet_since >= settle: break
        else:
            quiet_since = None
        time.sleep(0.02)
    took = time.monotonic() - start - settle
    print("%-34s worst wait %5.0f ms, over after about %.1f s" % (label, worst * 1000, took), flush=True)
    shot(label.replace(" ", "_").replace("/", "_"))
    return worst

results = {}
def keys(*k): return lambda: xdo("key", "--delay", "80", *k)
results["sort by director"] = measure("sort by director", keys("alt+o", "d"))
results["sort by genre"] = measure("sort by genre", keys("alt+o", "g"))
results["sort by catalog id"] = measure("sort by catalog id", keys("alt+o", "c"))
results["sort by title"] = measure("sort by title", keys("alt+o", "t"))
def search_title():
    xdo("key", "ctrl+f"); time.sleep(1.5); xdo("type", "--delay", "60", "marsh"); xdo("key", "Return")
results["search by title marsh"] = measure("search by title marsh", search_title)
def all_data():
    click(nodes(app, name="All Data", role="push button")[0])
results["all data"] = measure("all data", all_data)
def search_actor():
    xdo("key", "alt+s", "a"); time.sleep(1.5); xdo("type", "--delay", "60", "bogart"); xdo("key", "Return")
results["search by actor bogart"] = measure("search by actor bogart", search_actor)
results["all data 2"] = measure("all data 2", all_data)
def list_tab():
    click(nodes(app, name="List", role="page tab")[0])
results["list tab"] = measure("list tab", list_tab)
def year_header():
    hs = [n for n in nodes(app, name="Year") if n.getRoleName() in ("column header", "table column header")]
    click(hs[0])
results["list header year"] = measure("list header year", year_header)
def quick():
    f = [n for n in nodes(app, role="text") if "Filter" in (n.name + n.description)]
    click(f[0]); time.sleep(0.3); xdo("type", "--delay", "100", "bogart")
results["quick filter bogart"] = measure("quick filter bogart", quick)
def clear_quick():
    xdo("key", "ctrl+a", "BackSpace")
results["quick filter cleared"] = measure("quick filter cleared", clear_quick)
def group_row():
    # A row of the group pane, by its place in the window.
    f = frame.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    xdo("mousemove", str(f.x + 32), str(f.y + 254), "click", "1")
results["group"] = measure("group", group_row)
def covers_tab():
    click(nodes(app, name="Covers", role="page tab")[0])
results["covers tab"] = measure("covers tab", covers_tab)
def stats():
    xdo("key", "alt+i", "s")
results["statistics"] = measure("statistics", stats, longest=180)
xdo("key", "Escape")
time.sleep(1)
def room():
    xdo("key", "alt+s", "r")
results["tapes with room"] = measure("tapes with room", room)
xdo("key", "Escape")
proc.terminate()
print("WORST", max(results.values()) * 1000)

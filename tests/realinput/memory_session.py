#!/usr/bin/python3
"""Memory and header sorts on a large catalogue by real input: the program is
opened on the catalogue, then given ten quick-filter searches, header sorts
both ways over five columns (twice: the second round finds every order
kept), a group of the group pane and the Statistics window. After each step
the process's resident memory and its peak (VmRSS, VmHWM) are read from
/proc, and each header click is timed until the list's first row shows the
new order on the screen (the click given and the row's pixels read through
libX11, screen_probe.py); the accessibility tree tells that the row is another.

    Xvfb :63 -screen 0 1280x800x24 & DISPLAY=:63 openbox &
    DISPLAY=:63 dbus-run-session -- /usr/bin/python3 tests/realinput/memory_session.py \
        build/src/app/quelto /tmp/big.mdb OUTDIR

QUELTO_SORTS_ONLY=1 leaves out the searches.
"""
import os, subprocess, sys, time
import pyatspi

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from screen_probe import ScreenProbe
from window_session import WindowSession

QUELTO, CATALOGUE, OUT = sys.argv[1], sys.argv[2], sys.argv[3]
session = WindowSession(QUELTO, CATALOGUE, shots=OUT, home="/tmp/probehome")
proc = session.process
nodes, showing, xdo, click, shot = session.nodes, session.showing, session.xdo, session.click, session.shot
app, frame = session.main_window()


def memory():
    fields = {}
    for line in open("/proc/%d/status" % proc.pid):
        key, _, value = line.partition(":")
        if key in ("VmRSS", "VmHWM"):
            fields[key] = int(value.split()[0]) // 1024
    return fields

def report(step):
    m = memory()
    print("%-40s resident %4d MB, peak %4d MB" % (step, m["VmRSS"], m["VmHWM"]), flush=True)

def table():
    return [n for n in nodes(app, role="table") if showing(n)][0]

def first_row():
    t = table()
    cells = []
    for i in range(min(t.childCount, 40)):
        c = t.getChildAtIndex(i)
        if c is not None and c.getRoleName() == "table cell":
            cells.append(c.name)
            if len(cells) == 3:
                break
    return tuple(cells)

def count_text():
    found = [n.name for n in nodes(app) if n.name.endswith("records in database") or n.name.startswith("Quick:")]
    return tuple(found)

def first_row_box():
    t = table()
    for i in range(min(t.childCount, 40)):
        c = t.getChildAtIndex(i)
        if c is not None and c.getRoleName() == "table cell":
            e = c.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
            te = t.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
            return (te.x, e.y, te.width, e.height)
    return None

def wait_change(before, read, longest=60):
    start = time.monotonic()
    while time.monotonic() - start < longest:
        try:
            now = read()
        except Exception:
            now = before
        if now != before:
            return time.monotonic() - start
        time.sleep(0.01)
    return None

report("opened")
click(nodes(app, name="List", role="page tab")[0])
time.sleep(2)
report("list tab")

words = [] if os.environ.get("QUELTO_SORTS_ONLY") else ["bogart", "love", "night", "marsh", "r0001", "amélie", "tokyo", "berg", "the man", "zola"]
field = [n for n in nodes(app, role="text") if "Filter" in (n.name + n.description)][0]
for word in words:
    before = count_text()
    click(field); time.sleep(0.2)
    xdo("key", "ctrl+a", "BackSpace")
    xdo("type", "--delay", "40", word)
    took = wait_change(before, count_text, 60)
    time.sleep(1.5)
    report("quick filter %-12s (%s)" % (word, "%.2f s" % took if took else "count unchanged"))
click(field); xdo("key", "ctrl+a", "BackSpace"); time.sleep(4)
report("quick filter cleared")

headers = []
for n in nodes(app):
    try:
        if n.getRoleName() in ("column header", "table column header") and n.name and n.name != "Cover":
            headers.append(n.name)
    except Exception:
        pass
headers = headers[:5]
probe = ScreenProbe()
for round_ in (1, 2):
    for name in headers:
        for way in ("first click", "second click"):
            h = [n for n in nodes(app, name=name) if n.getRoleName() in ("column header", "table column header")][0]
            e = h.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
            box = first_row_box()
            before = first_row()
            on_screen = probe.click_and_wait(e.x + e.width // 2, e.y + e.height // 2, box)
            # The accessibility tree is read only to see that the row is another.
            changed = wait_change(before, first_row, 30) is not None
            time.sleep(0.5)
            report("round %d %-10s %-12s on screen %s, %s" % (
                round_, name, way, "%4.0f ms" % (on_screen * 1000) if on_screen else "unchanged",
                "another first row" if changed else "the same first row"))

def group_row():
    f = frame.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    xdo("mousemove", str(f.x + 32), str(f.y + 254), "click", "1")
group_row(); time.sleep(8)
report("group pane")
xdo("key", "alt+i", "s"); time.sleep(20)
report("statistics")
xdo("key", "Escape"); time.sleep(3)
report("statistics closed")
proc.terminate()

"""What the real-input checks share: clicks and keys with xdotool, screenshots,
and the program's accessibility tree read with pyatspi.

    sys.path.insert(0, <tests/support>)
    from atspi_session import *
    shots_to(OUTDIR)
"""
import os
import subprocess
import time

import pyatspi

failures = []
_shots = "."


def shots_to(folder):
    global _shots
    _shots = folder
    os.makedirs(folder, exist_ok=True)


def check(condition, what):
    print(("ok:   " if condition else "FAIL: ") + what, flush=True)
    if not condition:
        failures.append(what)
    return condition


def xdo(*words):
    subprocess.run(["xdotool", *[str(w) for w in words]], check=True, capture_output=True)


def click_at(x, y, button=1):
    xdo("mousemove", "--sync", x, y)
    time.sleep(0.2)
    xdo("click", button)
    time.sleep(0.5)


_converting = []


def shot(name, wait=True):
    """The screen as a PNG; with wait=False only the capture holds up the
    caller (for timings), the conversion runs meanwhile."""
    path = os.path.join(_shots, name + ".png")
    xwd = subprocess.run(["xwd", "-root", "-silent", "-display", os.environ["DISPLAY"]], check=True,
                         capture_output=True).stdout
    if wait:
        subprocess.run(["convert", "xwd:-", path], input=xwd, check=True)
    else:
        convert = subprocess.Popen(["convert", "xwd:-", path], stdin=subprocess.PIPE)
        convert.stdin.write(xwd)
        convert.stdin.close()
        _converting.append(convert)
    print("shot: " + path, flush=True)


def shots_done():
    while _converting:
        _converting.pop().wait()


def wait_for(condition, seconds=20, step=0.3):
    deadline = time.monotonic() + seconds
    while True:
        try:
            value = condition()
        except Exception:
            value = None
        if value or time.monotonic() > deadline:
            return value
        time.sleep(step)


def walk(node, depth=0):
    """The node and those below it; a table's cells are not walked into, and a
    long table or list only for its first 200 children."""
    if node is None or depth > 60:
        return
    yield node
    try:
        role = node.getRole()
    except Exception:
        return
    if role == pyatspi.ROLE_TABLE_CELL:
        return
    count = node.childCount
    if role in (pyatspi.ROLE_TABLE, pyatspi.ROLE_TREE_TABLE, pyatspi.ROLE_LIST):
        count = min(count, 200)
    for i in range(count):
        try:
            yield from walk(node.getChildAtIndex(i), depth + 1)
        except Exception:
            continue


def application():
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is not None and app.name.lower().startswith("quelto"):
            return app
    return None


def find(name=None, role=None, within=None, where=None, shown=False):
    """The first node with the name and role that where accepts; with shown,
    only one on screen."""
    for node in walk(within or application()):
        try:
            if name is not None and node.name != name:
                continue
            if role is not None and node.getRole() != role:
                continue
            if shown and not node.getState().contains(pyatspi.STATE_SHOWING):
                continue
            if where is not None and not where(node):
                continue
            return node
        except Exception:
            continue
    return None


def centre(node):
    e = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return e.x + e.width // 2, e.y + e.height // 2


def click(node, button=1):
    click_at(*centre(node), button=button)


def text_of(node):
    try:
        t = node.queryText()
        return t.getText(0, t.characterCount)
    except Exception:
        return node.name

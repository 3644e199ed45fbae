#!/usr/bin/python3
"""A long sort with real input: starts the program on a catalogue of many
records on the display it is given (with a window manager), chooses Sort >
by Director with the keyboard as a person would, and checks, over AT-SPI,
that the window shows itself busy and takes no other command meanwhile, then
shows the first record in the new order, as the stock sqlite3 tool finds it.
A screenshot of the busy window and of the result go to SHOTS, if given.

Run inside its own session bus, with a display and a window manager:
    dbus-run-session -- python3 check_busy_window.py QUELTO NEW_CATALOGUE [RECORDS] [SHOTS]
"""
import os
import random
import sqlite3
import subprocess
import sys
import tempfile
import threading
import time

import pyatspi

quelto, new_catalogue = sys.argv[1], sys.argv[2]
records = int(sys.argv[3]) if len(sys.argv) > 3 else 300000
shots = sys.argv[4] if len(sys.argv) > 4 else None
failures = []


def check(condition, what):
    print(("ok:   " if condition else "FAIL: ") + what)
    if not condition:
        failures.append(what)


def walk(node, depth=0):
    if node is None or depth > 40:
        return
    yield node
    count = node.childCount
    try:
        if node.getRoleName() in ("table", "tree table", "list", "tree"):
            count = min(count, 40)  # the headers and the first rows, not all 300,000 of them
    except Exception:
        return
    for i in range(count):
        try:
            yield from walk(node.getChildAtIndex(i), depth + 1)
        except Exception:
            continue


def find(app, name, showing=False):
    for node in walk(app):
        try:
            named = node.name == name if not callable(name) else name(node.name)
            if named and (not showing or node.getState().contains(pyatspi.STATE_SHOWING)):
                return node
        except Exception:
            continue
    return None


def text_of(node):
    try:
        t = node.queryText()
        return t.getText(0, t.characterCount)
    except Exception:
        return node.name


def screenshot(name):
    if shots:
        os.makedirs(shots, exist_ok=True)
        path = os.path.join(shots, name)
        xwd = subprocess.run(["xwd", "-root", "-silent"], capture_output=True, check=True)
        subprocess.run(["convert", "xwd:-", path], input=xwd.stdout, check=True)
        print("shot:", path)


def make_catalogue(path):
    subprocess.run([new_catalogue, path], check=True)
    people = ["%s %s" % (a, b) for a in ["Humphrey", "Ingrid", "Émile", "Grace", "Orson", "Ann"]
              for b in ["Bogart", "Bergman", "Zola", "Kelly", "Welles", "Marsh", "Lang"]]
    words = ["Big", "Sleep", "Maltese", "Falcon", "Night", "Über", "Third", "Man", "Alien", "Lady"]
    r = random.Random(7)
    db = sqlite3.connect(path)
    cols = ("catalog", "md_type", "mv_year", "mv_genre", "mv_director", "mv_cast1", "title")
    rows = (("T%06d" % i, r.choice(["DVD", "VHS", "LaserDisk"]), str(1920 + r.randrange(90)),
             r.choice(["Drama", "Comedy", "Film noir"]), r.choice(people), r.choice(people),
             " ".join(r.choice(words) for _ in range(r.randint(1, 4)))) for i in range(records))
    db.executemany("insert into archive (%s) values (%s)" % (",".join(cols), ",".join("?" * len(cols))), rows)
    db.commit()
    db.close()


def main():
    # A window manager, as a person's desktop has one. The display is one
    # of its own (xvfb-run -a): an openbox running elsewhere does not serve it.
    manager = None
    try:
        manager = subprocess.Popen(["openbox"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(1)
    except FileNotFoundError:
        pass
    try:
        run_checks()
    finally:
        if manager:
            manager.terminate()


def run_checks():
    work = tempfile.mkdtemp(prefix="quelto-busy-")
    path = os.path.join(work, "many.mdb")
    make_catalogue(path)
    pyatspi.Registry.getDesktop(0).childCount  # the accessibility bus up before the program asks
    env = dict(os.environ, QT_ACCESSIBILITY="1", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
               XDG_CONFIG_HOME=os.path.join(work, "config"), XDG_DATA_HOME=os.path.join(work, "data"),
               QTWEBENGINE_DISABLE_SANDBOX="1")
    env.pop("QT_QPA_PLATFORM", None)
    program = subprocess.Popen([quelto, path], env=env)
    try:
        app = None
        deadline = time.monotonic() + 180
        while time.monotonic() < deadline and app is None:
            desktop = pyatspi.Registry.getDesktop(0)
            for i in range(desktop.childCount):
                candidate = desktop.getChildAtIndex(i)
                if candidate is not None and candidate.name.lower() == "quelto" and any(
                        n.name.endswith("records in database") for n in walk(candidate)):
                    app = candidate
            time.sleep(0.5)
        check(app is not None, "the window is up with its record count")
        if app is None:
            return
        window = subprocess.run(["xdotool", "search", "--sync", "--name", "^Quelto"], capture_output=True,
                                text=True).stdout.split()[0]
        subprocess.run(["xdotool", "windowactivate", "--sync", window])
        time.sleep(1)
        title_field = find(app, "Title")
        first_before = text_of(title_field) if title_field else None

        # The busy indicator shows in the status bar: looked for there alone,
        # it is found within the moment it shows.
        status = next((n for n in walk(app) if n.getRoleName() == "status bar"), app)

        # Sort > by Director, as a person chooses it, while another program
        # holds the file for a moment (shorter than the window's lock wait):
        # the sort, quick on its own, stays busy long enough to be seen.
        subprocess.run(["xdotool", "key", "alt+o"])
        time.sleep(0.5)
        other = sqlite3.connect(path, isolation_level=None, check_same_thread=False)
        other.execute("begin exclusive")
        released = threading.Lock()

        def let_go():
            if released.acquire(blocking=False):
                other.execute("rollback")
        release = threading.Timer(1.8, let_go)
        release.start()
        subprocess.run(["xdotool", "key", "d"])
        busy_seen = False
        cancel_seen = False
        deadline = time.monotonic() + 60
        held_back = True
        while time.monotonic() < deadline:
            busy = find(status, lambda n: n.startswith("Sorting by Director"), showing=True)
            if busy:
                busy_seen = True
                # A command the window must hold back meanwhile: Search > by Title.
                subprocess.run(["xdotool", "key", "ctrl+f"])
                seen_until = time.monotonic() + 1
                while not cancel_seen and time.monotonic() < seen_until:  # beside the busy text
                    cancel_seen = find(status, "Cancel", showing=True) is not None
                    time.sleep(0.05)
                screenshot("busy-sort.png")
                let_go()
                time.sleep(0.3)
                held_back = find(app, "Search movie by title", showing=True) is None
                break
            time.sleep(0.05)
        release.cancel()
        let_go()
        other.close()
        check(busy_seen, "the window shows the sort busy")
        check(cancel_seen, "with a Cancel button")
        check(held_back, "and takes no other command meanwhile")
        # Over: the first record by director, year, as SQLite orders them.
        expected = sqlite3.connect(path).execute(
            "select title from archive order by mv_director collate nocase, mv_year, rowid limit 1").fetchone()[0]
        shown = None
        deadline = time.monotonic() + 120
        while time.monotonic() < deadline:
            shown = text_of(find(app, "Title"))
            if shown == expected:
                break
            time.sleep(0.5)
        screenshot("sorted-by-director.png")
        check(shown == expected, "the first record by director is shown (%r, expected %r)" % (shown, expected))
        check(shown != first_before or expected == first_before, "the order changed from the title order")
    finally:
        program.terminate()
        try:
            program.wait(20)
        except subprocess.TimeoutExpired:
            program.kill()


main()
print("%d failure(s)" % len(failures))
sys.exit(1 if failures else 0)

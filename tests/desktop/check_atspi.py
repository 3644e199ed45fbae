#!/usr/bin/python3
"""What a screen reader finds: starts the program on a new catalogue on the
display it is given, with the accessibility bridge on, and reads the names of
its fields and buttons from the AT-SPI tree. On the way, checks that the
browser engine kept its diagnostics off the terminal.

Run inside its own session bus and display:
    dbus-run-session -- xvfb-run -a /usr/bin/python3 check_atspi.py QUELTO
"""
import os
import subprocess
import sys
import tempfile
import time

import pyatspi

quelto = sys.argv[1]
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL:", what)


def walk(node, depth=0):
    if node is None or depth > 40:
        return
    yield node
    for i in range(node.childCount):
        try:
            yield from walk(node.getChildAtIndex(i), depth + 1)
        except Exception:  # a child that went away meanwhile
            continue


def find_app(name, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            if app is not None and app.name.lower() == name:
                # The window is up once it shows the record count.
                if any(n.name.endswith("records in database") for n in walk(app)):
                    return app
        time.sleep(0.5)
    return None


with tempfile.TemporaryDirectory() as home:
    # The accessibility bus and registry start on demand; have them up before
    # the program asks for them, or it would run without its bridge.
    pyatspi.Registry.getDesktop(0).childCount
    env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=os.path.join(home, "config"),
               QT_ACCESSIBILITY="1", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QTWEBENGINE_DISABLE_SANDBOX="1")
    env.pop("QT_QPA_PLATFORM", None)
    program = subprocess.Popen([quelto, "--database", os.path.join(home, "films.mdb")], env=env,
                               stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    try:
        app = find_app("quelto", 60)
        check(app is not None, "the program's window is not in the AT-SPI tree")
        if app is not None:
            nodes = list(walk(app))
            by_role = {}
            for node in nodes:
                by_role.setdefault(node.getRoleName(), []).append(node.name)
            combos = by_role.get("combo box", [])
            for caption in ["Media", "Format", "Image", "Sound", "Language", "Country", "Orig. Language",
                            "Color", "Genre", "Director", "Produced by", "Book", "Music", "Cast 1", "Cast 6",
                            "Tape length", "Speed", "Location", "Condition"]:
                check(caption in combos, "no drop-down named %r (drop-downs: %r)" % (caption, sorted(set(combos))))
            texts = by_role.get("text", [])
            for caption in ["Catalog", "Year", "Title", "Seen on", "Purchased", "Price", "Running time", "Notes"]:
                check(caption in texts, "no text field named %r" % caption)
            check("My rating" in by_role.get("slider", []), "no slider named 'My rating'")
            buttons = [n for n in by_role.get("push button", []) if n.startswith("Edit the ")]
            for name in ["Edit the Director list", "Edit the Cast list", "Edit the Media list"]:
                check(name in buttons, "no button %r" % name)
            check(len(set(buttons)) == 17, "option-list buttons: %r" % sorted(set(buttons)))
            statuses = [n for n in nodes if n.name == "Record status"]
            check(len(statuses) == 1 and statuses[0].description == "Browsing all records",
                  "the status shape is not described")
            check(not [n for n in combos if not n], "a drop-down without a name")
    finally:
        program.terminate()
        try:
            program.wait(10)
        except subprocess.TimeoutExpired:
            program.kill()
    errors = program.stderr.read().decode(errors="replace")
    for marker in ["qt.webengine", "Init Parameters", "Sandboxing disabled", ":ERROR:", ":WARNING:", "js: "]:
        check(marker not in errors, "the browser engine printed %r:\n%s" % (marker, errors))

if failures:
    print("%d failed" % len(failures))
    sys.exit(1)
print("accessibility tree checks passed")

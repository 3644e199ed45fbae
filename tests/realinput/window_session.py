"""The program started on a catalogue for real input, and its window found
through the accessibility tree: the pieces the real-input scripts share.

    from window_session import WindowSession
    session = WindowSession(QUELTO, CATALOGUE, shots=OUT, home="/tmp/probehome")
    app, frame = session.main_window()
    session.click(session.nodes(app, name="List", role="page tab")[0])

Finding the program, xdotool and screenshots are tests/support/atspi_session's;
the walk here stops sooner (the timing scripts' walks compete with the
program for the two cores) and a click does not pause after itself (a pause
would hide the freeze a timing script measures).

The program runs with a home and settings of its own (no movie site, so the
browser pane loads nothing), the accessibility bridge on (unless asked not
to: its tree walks take a core), and Qt's platform
left to the display (DISPLAY must name an X server with a window manager).
"""
import os
import subprocess
import sys
import time

import pyatspi

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import atspi_session  # noqa: E402

# Roles whose children are rows: only their first ones are walked, not a
# million of them.
_ROW_HOLDERS = ("table", "tree table", "list", "tree")
_ROWS = ("table cell", "list item")


class WindowSession:
    def __init__(self, quelto, catalogue, shots, home, extra_env=None, accessible=True):
        atspi_session.shots_to(shots)
        os.makedirs(home + "/config/Quelto", exist_ok=True)
        with open(home + "/config/Quelto/Quelto.conf", "w") as settings:
            settings.write("[Settings]\nMovieSite=\n")
        env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=home + "/config", QTWEBENGINE_DISABLE_SANDBOX="1",
                   LC_ALL="C.UTF-8")
        if accessible:
            env.update(QT_ACCESSIBILITY="1", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
        env.update(extra_env or {})
        env.pop("QT_QPA_PLATFORM", None)
        self.process = subprocess.Popen([quelto, "--database", catalogue], env=env,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    find_app = staticmethod(atspi_session.application)
    xdo = staticmethod(atspi_session.xdo)
    shot = staticmethod(atspi_session.shot)

    @staticmethod
    def walk(node, depth=0):
        if node is None or depth > 40:
            return
        yield node
        try:
            role = node.getRoleName()
        except Exception:
            return
        if role in _ROWS:
            return
        count = node.childCount
        if role in _ROW_HOLDERS:
            count = min(count, 40)  # the headers and the first rows
        for i in range(count):
            try:
                yield from WindowSession.walk(node.getChildAtIndex(i), depth + 1)
            except Exception:
                continue

    @staticmethod
    def showing(node):
        return node.getState().contains(pyatspi.STATE_SHOWING)

    @staticmethod
    def nodes(app, name=None, role=None):
        """The nodes on screen under app, by name and role."""
        found = []
        for n in WindowSession.walk(app):
            try:
                if name is not None and n.name != name:
                    continue
                if role is not None and n.getRoleName() != role:
                    continue
                if not WindowSession.showing(n):
                    continue
                found.append(n)
            except Exception:
                continue
        return found

    @staticmethod
    def click(node):
        e = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        WindowSession.xdo("mousemove", str(e.x + e.width // 2), str(e.y + e.height // 2), "click", "1")

    def main_window(self, seconds=90, loaded=True, settle=3.0):
        """Waits for the main window (and, if loaded, its record count), then
        clicks its title bar so that it has the focus. Returns (app, frame),
        or (None, None) when it did not come."""
        start = time.time()

        def frames(app):
            return [f for f in self.nodes(app, role="frame") if f.name.startswith("Quelto")]

        app = None
        while time.time() - start < seconds:
            app = self.find_app()
            if app and frames(app):
                break
            time.sleep(0.5)
        else:
            return None, None
        while loaded and time.time() - start < seconds and \
                not [n for n in self.nodes(app) if n.name.endswith("records in database")]:
            time.sleep(0.5)
        print("window up after %.1f s" % (time.time() - start), flush=True)
        time.sleep(settle)
        frame = frames(app)[0]
        e = frame.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        self.xdo("mousemove", str(e.x + e.width // 2), str(e.y + 8), "click", "1")
        time.sleep(min(1.0, settle))
        return app, frame

#!/usr/bin/python3
"""The grab as a person does it: the real program on a real X display with a
window manager, clicked with xdotool, the result read back from the catalogue
with sqlite3 and from the accessibility tree, a screenshot of each step.

    dbus-run-session -- xvfb-run -a -s "-screen 0 1280x900x24" \\
        python3 grab_real_input.py QUELTO PAGES_FOLDER OUTDIR

(or with DISPLAY set to a running X server with a window manager). The movie
site is served on loopback: a home page with two large links, one to a German
Wikipedia article (from the test pages), one to a page that is sent on to a
second server; a broken site profile lies in the user's profile folder.
"""
import argparse
import http.server
import os
import sqlite3
import subprocess
import sys
import tempfile
import threading
import time

import pyatspi

parser = argparse.ArgumentParser()
parser.add_argument("quelto")
parser.add_argument("pages")
parser.add_argument("outdir")
args = parser.parse_args()
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "support"))
from atspi_session import *  # noqa: E402,F401,F403

shots_to(args.outdir)


# --- the sites ----------------------------------------------------------------

with open(os.path.join(args.pages, "shapes", "wikipedia-de.html"), "rb") as f:
    article = f.read()


def serve(routes):
    class Handler(http.server.BaseHTTPRequestHandler):
        def log_message(self, *a):
            pass

        def do_GET(self):
            route = routes.get(self.path.split("?")[0])
            if route is None:
                self.send_response(404)
                self.end_headers()
                return
            status, headers, body = route()
            self.send_response(status)
            for k, v in headers.items():
                self.send_header(k, v)
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)

    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


html = {"Content-Type": "text/html; charset=utf-8"}
other = serve({"/title/tt0000042/": lambda: (200, html, (
    "<html><head><title>Elsewhere (1999)</title></head><body><h1>Elsewhere (1999)</h1>"
    "<p>Directed by</p><p>Some One</p></body></html>").encode())})
other_root = "http://127.0.0.1:%d" % other.server_address[1]
home = ("<html><head><title>Films</title><style>a{display:block;height:80px;font:30px sans-serif;"
        "border:4px solid #36c;margin:8px;padding:20px}</style></head><body>"
        "<a href='/wiki/Nebelhafen_(Film)'>Nebelhafen (Wikipedia, deutsch)</a>"
        "<a href='/go/elsewhere'>A page sent on to another site</a></body></html>").encode()
site = serve({
    "/": lambda: (200, html, home),
    "/wiki/Nebelhafen_(Film)": lambda: (200, html, article),
    "/go/elsewhere": lambda: (302, {"Location": other_root + "/title/tt0000042/"}, b""),
})
site_root = "http://127.0.0.1:%d" % site.server_address[1]

# --- the program ----------------------------------------------------------------

work = tempfile.mkdtemp(prefix="quelto-grab-")
os.makedirs(os.path.join(work, "config", "Quelto"))
with open(os.path.join(work, "config", "Quelto", "Quelto.conf"), "w") as f:
    f.write("[Settings]\nMovieSite=%s\n" % site_root)
os.makedirs(os.path.join(work, "data", "quelto", "profiles"))
with open(os.path.join(work, "data", "quelto", "profiles", "mysite.json"), "w") as f:
    f.write('{ "name": "My site", "recognise": ')
catalogue = os.path.join(work, "films.mdb")
env = dict(os.environ, HOME=work, XDG_CONFIG_HOME=os.path.join(work, "config"),
           XDG_DATA_HOME=os.path.join(work, "data"), QT_ACCESSIBILITY="1", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
           QTWEBENGINE_DISABLE_SANDBOX="1")
env.pop("QT_QPA_PLATFORM", None)
program = subprocess.Popen([args.quelto, catalogue], env=env)
try:
    window = wait_for(lambda: find(role=pyatspi.ROLE_FRAME, where=lambda n: "Quelto" in n.name), 60)
    check(window is not None, "the main window is up")
    time.sleep(2)
    # A new record, as a person starts one.
    click(wait_for(lambda: find(name="New", role=pyatspi.ROLE_PUSH_BUTTON)))
    tab = wait_for(lambda: find(name="IMDb", role=pyatspi.ROLE_PAGE_TAB))
    click(tab)
    home_button = wait_for(lambda: find(name="IMDb Home", role=pyatspi.ROLE_PUSH_BUTTON))
    click(home_button)
    time.sleep(3)
    grab = find(name="Grab Data !", role=pyatspi.ROLE_PUSH_BUTTON)
    # The first large link of the home page, in the browser pane below the buttons.
    bx, by = centre(grab)
    click_at(bx - 200, by + 80)
    time.sleep(3)
    shot("01-german-wikipedia-page")
    click(grab)
    summary = wait_for(lambda: find(role=pyatspi.ROLE_LABEL, where=lambda n: ": filled " in n.name), 30)
    check(summary is not None and summary.name.startswith("Wikipedia: filled 13 of 20"),
          "the summary names the profile and counts the fields: %s" % (summary.name if summary else None))
    check(summary is not None and "site profile left out:" in summary.name and "mysite.json" in summary.name,
          "the summary names the broken profile file with its reason")
    sx, sy = centre(summary)
    # Near the label's start: a long summary is wider than the window, and
    # its centre may lie beyond either edge of the screen.
    hx = max(summary.queryComponent().getExtents(pyatspi.DESKTOP_COORDS).x, 0) + 10
    xdo("mousemove", "--sync", hx, sy)
    time.sleep(0.5)
    xdo("mousemove", "--sync", hx + 10, sy)
    time.sleep(3)
    shot("02-summary-and-its-tooltip")

    click(find(name="Movie", role=pyatspi.ROLE_PAGE_TAB))
    time.sleep(1)
    shot("03-movie-tab-filled")
    # Store the record: a media ID, then Save.
    click(find(name="Media", role=pyatspi.ROLE_PAGE_TAB))
    time.sleep(1)
    media = find(role=pyatspi.ROLE_TEXT, where=lambda n: n.name in ("Catalog", "Media ID", "catalog"))
    check(media is not None, "the media ID field is there")
    if media is not None:
        click(media)
        xdo("type", "--delay", "60", "T-042")
    click(find(name="Save", role=pyatspi.ROLE_PUSH_BUTTON))
    time.sleep(2)
    shot("04-record-saved")
    xdo("key", "Escape")
    rows = sqlite3.connect(catalogue).execute(
        "select title, mv_year, mv_director, mv_country, mv_music, mv_cast6 from archive").fetchall()
    check(("Nebelhafen (1962)", "1962", "Maeve Doyle", "Vereinigtes Königreich / Irland", "Aoife Brennan", "Declan Rourke") in rows,
          "the grabbed record is stored: %s" % rows)

    # A page that was sent on from another site is not read.
    click(find(name="IMDb", role=pyatspi.ROLE_PAGE_TAB))
    click(find(name="IMDb Home", role=pyatspi.ROLE_PUSH_BUTTON))
    time.sleep(3)
    click_at(bx - 200, by + 210)
    time.sleep(3)
    click(grab)
    message = wait_for(lambda: find(role=pyatspi.ROLE_LABEL, where=lambda n: n.name.startswith("The page was sent on from")), 20)
    check(message is not None and "another site" in message.name, "the grab says the page came from another site")
    shot("05-page-sent-on-from-another-site")
    xdo("key", "Return")
    time.sleep(1)

    # The help lists the profile file left out, with the reason.
    # Help > Contents, by the menu's mnemonics.
    xdo("key", "--clearmodifiers", "alt+h")
    time.sleep(0.8)
    xdo("key", "--clearmodifiers", "c")
    time.sleep(2)
    shot("06-help-opened")
    help_window = wait_for(lambda: find(name="Quelto Help"), 20)
    check(help_window is not None, "the help is open")
    time.sleep(1)
    if help_window is not None:
        # The contents' link "Site profiles", then the list just below its heading.
        e = help_window.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        click_at(e.x + e.width // 2, e.y + 60)  # into the page
        for _ in range(9):  # the ninth link of the contents
            xdo("key", "Tab")
            time.sleep(0.15)
        xdo("key", "Return")
        time.sleep(1.5)
        bodies = [text_of(n) for n in walk(help_window)]
        check(any("mysite.json" in b and "Left out" in b for b in bodies if b),
              "the help's profile list names the file left out")
        shot("07-help-profile-list")
except Exception:
    import traceback
    traceback.print_exc()
    failures.append("the check stopped on an error")
finally:
    program.terminate()
    try:
        program.wait(10)
    except subprocess.TimeoutExpired:
        program.kill()

print("%d failures" % len(failures))
sys.exit(1 if failures else 0)

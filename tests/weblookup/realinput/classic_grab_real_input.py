#!/usr/bin/python3
"""The classic grab as a person does it, on a real X display with a window
manager, clicked with xdotool: a movie site in the classic layout whose title
page does not link to its credits and companies pages, which answer after two
and four seconds. Both are asked for at the same moment, and the grab ends
when the slower has come, not after the two waits one after the other. The
progress window is photographed while it waits; the stored record is read back
with sqlite3.

    dbus-run-session -- xvfb-run -a -s "-screen 0 1280x900x24" \\
        sh -c "openbox & sleep 1; python3 classic_grab_real_input.py QUELTO PAGES_FOLDER OUTDIR"
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

asked = {}  # path -> when it was first asked for
requests = []  # (path, when)


def serve(routes):
    class Handler(http.server.BaseHTTPRequestHandler):
        def log_message(self, *a):
            pass

        def do_GET(self):
            asked.setdefault(self.path.split("?")[0], time.monotonic())
            requests.append((self.path.split("?")[0], time.monotonic()))
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


# --- the site -----------------------------------------------------------------


def page(title, body):
    return ("<html><head><title>%s</title></head><body>%s</body></html>" % (title, body)).encode()


def slow(body, seconds):
    def answer():
        time.sleep(seconds)
        return 200, html, body
    return answer


html = {"Content-Type": "text/html; charset=utf-8"}
home = ("<html><head><title>Films</title><style>a{display:block;height:80px;font:30px sans-serif;"
        "border:4px solid #36c;margin:8px;padding:20px}</style></head><body>"
        "<a href='/title/tt7000001/'>Night Ferry (1958)</a></body></html>").encode()
title_page = page("Night Ferry (1958)", "<h1>Night Ferry (1958)</h1><p>Directed by<br>Lena Voss</p>"
                  "<p>Genre: Thriller / Drama</p><p>Country: Sweden</p><p>Language: Swedish</p>"
                  "<p>Color: Black and White</p><p>Sound Mix: Mono</p><p>User Rating: 7.1/10 (310 votes)</p>")
credits = page("Night Ferry (1958) - Full credits",
               "<h1>Night Ferry (1958)</h1><p>Written by<br>Nils Berg</p><p>Cast (in credits order)<br>"
               "Karin Holm .... Ella<br>Erik Lund .... Captain</p><p>Produced by<br>Olle Sand</p>"
               "<p>Original Music by<br>Sven Ek</p>")
companies = page("Night Ferry (1958) - Company credits",
                 "<h1>Night Ferry (1958)</h1><p>Production Companies<br>Nordfilm AB</p>")
site = serve({
    "/": lambda: (200, html, home),
    "/title/tt7000001/": lambda: (200, html, title_page),
    "/Credits": slow(credits, 2),
    "/Companies": slow(companies, 4),
})
site_root = "http://127.0.0.1:%d" % site.server_address[1]

# --- the program ----------------------------------------------------------------

work = tempfile.mkdtemp(prefix="quelto-classic-grab-")
os.makedirs(os.path.join(work, "config", "Quelto"))
with open(os.path.join(work, "config", "Quelto", "Quelto.conf"), "w") as f:
    f.write("[Settings]\nMovieSite=%s\n" % site_root)
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
    click(wait_for(lambda: find(name="New", role=pyatspi.ROLE_PUSH_BUTTON)))
    click(wait_for(lambda: find(name="IMDb", role=pyatspi.ROLE_PAGE_TAB)))
    click(wait_for(lambda: find(name="IMDb Home", role=pyatspi.ROLE_PUSH_BUTTON)))
    time.sleep(3)
    grab = find(name="Grab Data !", role=pyatspi.ROLE_PUSH_BUTTON)
    bx, by = centre(grab)
    click_at(bx - 200, by + 80)
    time.sleep(3)
    shot("01-classic-title-page")
    click(grab)
    clicked = time.monotonic()
    dialog = wait_for(lambda: find(name="Please standby...", role=pyatspi.ROLE_DIALOG), 10, 0.1)
    check(dialog is not None, "the progress window shows while the credits page is awaited")
    first = None
    if dialog is not None:
        first = dialog.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        label = find(role=pyatspi.ROLE_LABEL, within=dialog, where=lambda n: n.name.startswith("Getting"))
        check(label is not None and "extd. cast" in label.name, "it names the credits page: %s" % (label.name if label else None))
        shot("02-progress-window-credits", wait=False)
    label = wait_for(lambda: find(role=pyatspi.ROLE_LABEL, where=lambda n: "prod. company" in n.name), 10, 0.1)
    check(label is not None, "then it names the companies page")
    dialog = find(name="Please standby...", role=pyatspi.ROLE_DIALOG)
    if dialog is not None and first is not None:
        e = dialog.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        check((e.x, e.y) == (first.x, first.y), "the progress window stays where it was")
        shot("03-progress-window-companies", wait=False)
    summary = wait_for(lambda: find(role=pyatspi.ROLE_LABEL, where=lambda n: ": filled " in n.name), 20, 0.1)
    took = time.monotonic() - clicked
    check(summary is not None and summary.name.startswith("classic: filled"), "the classic steps read it: %s"
          % (summary.name if summary else None))
    apart = abs(asked.get("/Credits", 0) - asked.get("/Companies", 100))
    check(apart < 0.5, "both further pages are asked for at once (%.2f s apart)" % apart)
    check(took < 5.5, "the grab is over once the slower page has come: %.1f s after the click" % took)
    print("grab: %.2f s from the click to the summary (pages asked %.2f s after the click, %.3f s apart)"
          % (took, asked.get("/Credits", clicked) - clicked, apart))
    print("requests: %s" % ", ".join("%s %+.2f" % (path, when - clicked) for path, when in requests))
    shots_done()
    click(find(name="Movie", role=pyatspi.ROLE_PAGE_TAB))
    time.sleep(1)
    shot("04-movie-tab-filled")
    click(find(name="Media", role=pyatspi.ROLE_PAGE_TAB))
    time.sleep(1)
    media = find(role=pyatspi.ROLE_TEXT, where=lambda n: n.name in ("Catalog", "Media ID", "catalog"))
    if media is not None:
        click(media)
        xdo("type", "--delay", "60", "T-058")
    click(find(name="Save", role=pyatspi.ROLE_PUSH_BUTTON))
    time.sleep(2)
    rows = sqlite3.connect(catalogue).execute(
        "select title, mv_director, mv_book, mv_cast6, mv_music, mv_producer from archive").fetchall()
    check(any(r[0] == "Night Ferry (1958)" and r[1] == "Lena Voss" and r[2] == "Nils Berg" and r[3].strip() == "Karin Holm"
              and r[4] == "Sven Ek" and r[5] == "Nordfilm AB" for r in rows),
          "writer, cast, composer and company are stored: %s" % rows)
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

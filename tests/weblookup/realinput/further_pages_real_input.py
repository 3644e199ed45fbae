#!/usr/bin/python3
"""A grab with further pages as a person does it: the real program on a real X
display with a window manager, clicked with xdotool, read back from the
catalogue with sqlite3, a screenshot of each step. The movie site on loopback
serves The Dark Knight's saved IMDb pages; its credits page is slow, so the
progress window is photographed while the other pages have already come, and
the site sets a cookie that the further pages must carry.

    dbus-run-session -- xvfb-run -a -s "-screen 0 1280x900x24" \\
        python3 further_pages_real_input.py QUELTO PAGES_FOLDER OUTDIR

(or with DISPLAY set to a running X server with a window manager).
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


# --- the site -------------------------------------------------------------------

def saved(name):
    with open(os.path.join(args.pages, "imdb", name), "rb") as f:
        return f.read()


pages = {
    "/title/tt0468569": saved("darkknight-tt0468569-main-2021-07.html"),
    "/title/tt0468569/fullcredits": saved("darkknight-tt0468569-fullcredits-2021-07.html"),
    "/title/tt0468569/companycredits": saved("darkknight-tt0468569-companycredits-2021-07.html"),
    "/title/tt0468569/technical": saved("darkknight-tt0468569-technical-2021-07.html"),
}
home = ("<html><head><title>Films</title><style>a{display:block;height:80px;font:30px sans-serif;"
        "border:4px solid #36c;margin:8px;padding:20px}</style></head><body>"
        "<a href='/title/tt0468569/'>The Dark Knight (IMDb)</a></body></html>").encode()
requests = []  # (path, time, cookie)


class Handler(http.server.BaseHTTPRequestHandler):
    def log_message(self, *a):
        pass

    def do_GET(self):
        path = self.path.split("?")[0].rstrip("/") or "/"
        requests.append((path, time.monotonic(), self.headers.get("Cookie", "")))
        body = home if path == "/" else pages.get(path)
        if body is None:
            self.send_response(404)
            self.end_headers()
            return
        if path.endswith("fullcredits"):
            time.sleep(4)  # a slow page: the others come meanwhile
        self.send_response(200)
        self.send_header("Content-Type", "text/html; charset=utf-8")
        self.send_header("Content-Length", str(len(body)))
        if path == "/":
            self.send_header("Set-Cookie", "visitor=quelto-42; Path=/")
        self.end_headers()
        self.wfile.write(body)


server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
threading.Thread(target=server.serve_forever, daemon=True).start()
site_root = "http://127.0.0.1:%d" % server.server_address[1]

# --- the program ----------------------------------------------------------------

work = tempfile.mkdtemp(prefix="quelto-further-")
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
    click_at(bx - 200, by + 80)  # the link to the title page
    time.sleep(4)
    shot("01-title-page")
    del requests[:]
    started = time.monotonic()
    click(grab)
    progress = wait_for(lambda: find(role=pyatspi.ROLE_LABEL,
                                     where=lambda n: n.name.startswith("Getting additional data")), 10)
    time.sleep(1.5)
    progress = find(role=pyatspi.ROLE_LABEL, where=lambda n: n.name.startswith("Getting additional data"))
    check(progress is not None and progress.name == "Getting additional data from other IMDb pages (extd. cast)",
          "the progress window names the page awaited: %s" % (progress.name if progress else None))
    shot("02-progress-window-while-the-credits-are-slow")
    summary = wait_for(lambda: find(role=pyatspi.ROLE_LABEL, where=lambda n: ": filled " in n.name), 30)
    took = time.monotonic() - started
    check(summary is not None and summary.name.startswith("IMDb: filled 20 of 20"),
          "the summary: %s (%.1f s, the credits page alone takes 4 s)" % (summary.name if summary else None, took))
    asked = {p: (t, c) for p, t, c in requests}
    further = ["/title/tt0468569/fullcredits", "/title/tt0468569/companycredits", "/title/tt0468569/technical"]
    check(all(p in asked for p in further), "every further page was asked for: %s" % sorted(asked))
    if all(p in asked for p in further):
        spread = max(asked[p][0] for p in further) - min(asked[p][0] for p in further)
        check(spread < 1.0, "the further pages were asked for at once (within %.2f s)" % spread)
        check(all("visitor=quelto-42" in asked[p][1] for p in further),
              "the further pages carry the browser's cookie: %s" % [asked[p][1] for p in further])
    click(find(name="Movie", role=pyatspi.ROLE_PAGE_TAB))
    time.sleep(1)
    shot("03-movie-tab-filled")
    click(find(name="Media", role=pyatspi.ROLE_PAGE_TAB))
    time.sleep(1)
    media = find(role=pyatspi.ROLE_TEXT, where=lambda n: n.name in ("Catalog", "Media ID", "catalog"))
    if media is not None:
        click(media)
        xdo("type", "--delay", "60", "T-043")
    click(find(name="Save", role=pyatspi.ROLE_PUSH_BUTTON))
    time.sleep(2)
    shot("04-record-saved")
    rows = sqlite3.connect(catalogue).execute(
        "select title, mv_director, mv_music, mv_color, mv_sound, mv_producer, mv_cast6, mv_cast1 from archive"
    ).fetchall()
    print("stored: %s" % rows, flush=True)
    check(any(r[0] == "The Dark Knight (2008)" and r[1] == "Christopher Nolan" and r[2] == "James Newton Howard"
              and r[3] == "Color" and r[5] == "Warner Bros." and r[6] == "Christian Bale" and r[7] == "Heath Ledger"
              for r in rows),
          "the record holds the title page's and the further pages' fields")
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
    server.shutdown()

print("%d failures" % len(failures))
sys.exit(1 if failures else 0)

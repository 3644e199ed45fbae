#!/usr/bin/python3
"""Grab Again as a person does it: the real program on a real X display with a
window manager, clicked and typed with xdotool, read back from the catalogue
with sqlite3 and from the accessibility tree, a screenshot of each step.

    dbus-run-session -- xvfb-run -a -s "-screen 0 1280x900x24" \\
        python3 grab_again_real_input.py QUELTO NEW_CATALOGUE PAGES_FOLDER OUTDIR

(or with DISPLAY set to a running X server with a window manager). A saved
IMDb title page is served on loopback as the movie site; the catalogue holds
the movie with older values, a note of the collector's and the page's address.
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
parser.add_argument("new_catalogue")
parser.add_argument("pages")
parser.add_argument("outdir")
args = parser.parse_args()
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "support"))
from atspi_session import *  # noqa: E402,F401,F403

shots_to(args.outdir)


def table_rows(table):
    """The table's cells as rows of texts, read through the table interface."""
    t = table.queryTable()
    rows = []
    for r in range(t.nRows):
        rows.append([t.getAccessibleAt(r, c).name for c in range(t.nColumns)])
    return rows


# --- the movie site ------------------------------------------------------------

with open(os.path.join(args.pages, "imdb", "darkknight-tt0468569-main-2021-07.html"), "rb") as f:
    title_page = f.read()


class Handler(http.server.BaseHTTPRequestHandler):
    def log_message(self, *a):
        pass

    def do_GET(self):
        if self.path.split("?")[0] != "/title/tt0468569/":
            self.send_response(404)
            self.end_headers()
            return
        self.send_response(200)
        self.send_header("Content-Type", "text/html; charset=utf-8")
        self.send_header("Content-Length", str(len(title_page)))
        self.end_headers()
        self.wfile.write(title_page)


server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
threading.Thread(target=server.serve_forever, daemon=True).start()
site_root = "http://127.0.0.1:%d" % server.server_address[1]
page = site_root + "/title/tt0468569/"

# --- the catalogue: the movie as it was saved years ago ------------------------

work = tempfile.mkdtemp(prefix="quelto-grab-again-")
os.makedirs(os.path.join(work, "config", "Quelto"))
with open(os.path.join(work, "config", "Quelto", "Quelto.conf"), "w") as f:
    f.write("[Settings]\nMovieSite=%s\n" % site_root)
catalogue = os.path.join(work, "films.mdb")
check(subprocess.run([args.new_catalogue, catalogue]).returncode == 0, "a new catalogue")
db = sqlite3.connect(catalogue)
for column, kind in (("quelto_id", "INTEGER"), ("quelto_my_rating", "REAL"), ("quelto_seen", "TEXT"),
                     ("quelto_notes", "CLOB"), ("quelto_location", "TEXT COLLATE NOCASE"),
                     ("quelto_purchased", "TEXT"), ("quelto_price", "REAL"), ("quelto_condition", "TEXT COLLATE NOCASE"),
                     ("quelto_running_time", "INTEGER"), ("quelto_speed", "TEXT")):
    db.execute("alter table archive add column %s %s" % (column, kind))
db.execute("insert into archive (catalog, md_type, md_format, md_image, md_sound, md_language, title, mv_year, "
           "mv_genre, mv_director, mv_cast6, mv_cast1, quelto_id, quelto_notes, quelto_my_rating) values "
           "('T-1', 'VHS', 'PAL', '4:3', 'Stereo', 'English', 'The Dark Knight', '2008', 'Drama', "
           "'Christopher Nolan', 'Christian Bale', 'Michael Caine', 1, 'Taped off air, ads cut', 4.5)")
db.execute("create table quelto_sources (record_id INTEGER PRIMARY KEY, address TEXT, cast_roles TEXT)")
db.execute("insert into quelto_sources values (1, ?, NULL)", (page,))
db.commit()
db.close()


def stored():
    c = sqlite3.connect(catalogue)
    try:
        return c.execute("select a.title, a.mv_genre, a.mv_cast1, a.quelto_notes, a.quelto_my_rating, s.cast_roles "
                         "from archive a left join quelto_sources s on s.record_id = a.quelto_id").fetchone()
    finally:
        c.close()


env = dict(os.environ, HOME=work, XDG_CONFIG_HOME=os.path.join(work, "config"),
           XDG_DATA_HOME=os.path.join(work, "data"), QT_ACCESSIBILITY="1", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
           QTWEBENGINE_DISABLE_SANDBOX="1", QTWEBENGINE_CHROMIUM_FLAGS="--disable-gpu --no-sandbox")
env.pop("QT_QPA_PLATFORM", None)
program = subprocess.Popen([args.quelto, catalogue], env=env)
try:
    window = wait_for(lambda: find(role=pyatspi.ROLE_FRAME, where=lambda n: "Quelto" in n.name), 60)
    check(window is not None, "the main window is up")
    time.sleep(2)
    click(wait_for(lambda: find(name="IMDb", role=pyatspi.ROLE_PAGE_TAB)))
    again = wait_for(lambda: find(name="Grab Again", role=pyatspi.ROLE_PUSH_BUTTON))
    grab = find(name="Grab Data !", role=pyatspi.ROLE_PUSH_BUTTON)
    check(again is not None and again.getState().contains(pyatspi.STATE_ENABLED),
          "Grab Again stands beside Grab Data ! and can be pressed for the saved record")
    if again is not None and grab is not None:
        ax, ay = centre(again)
        gx, gy = centre(grab)
        check(abs(ay - gy) < 5 and 0 < ax - gx < 250, "the two buttons share a row, Grab Again after Grab Data !")
    shot("01-grab-again-beside-grab-data")
    click(again)
    dialog = wait_for(lambda: find(name="Grab Again", role=pyatspi.ROLE_DIALOG), 60)
    check(dialog is not None, "the page is read and the changes are shown")
    if dialog is None:
        shot("02-no-dialog")
        raise SystemExit(1)
    time.sleep(1)
    table = find(role=pyatspi.ROLE_TABLE, within=dialog)
    rows = table_rows(table) if table is not None else []
    print("rows: %r" % rows, flush=True)
    captions = [r[0] for r in rows]
    check(["Title", "The Dark Knight", "The Dark Knight (2008)"] in rows, "the title's old and new value")
    check(any(r[:2] == ["Genre", "Drama"] and r[2].startswith("Action") for r in rows), "the genre's old and new value")
    check("Characters" in captions, "the billed cast with its characters is a change of its own")
    check(not any(c in ("Notes", "My rating", "Location") for c in captions), "no personal field is offered")
    shot("02-grab-again-field-by-field")

    # Not the title: its check box off by the keyboard (the first row's box,
    # Space toggles it), then Take Checked.
    first = table.queryTable().getAccessibleAt(0, 0)
    click(first)
    xdo("key", "space")
    time.sleep(0.5)
    shot("03-title-left-unchecked")
    click(find(name="Take Checked", role=pyatspi.ROLE_PUSH_BUTTON, within=dialog))
    time.sleep(2)
    after = wait_for(lambda: stored()[1].startswith("Action") and stored(), 20)
    print("stored: %r" % (stored(),), flush=True)
    check(after and after[0] == "The Dark Knight", "the unchecked title stays as it was")
    check(after and after[1].startswith("Action"), "the genre is taken and stored at once")
    check(after and after[3] == "Taped off air, ads cut" and after[4] == 4.5, "the personal fields are untouched")
    check(after and after[5] and "Heath Ledger\tJoker" in after[5], "the characters are kept in billing order")
    click(find(name="Movie", role=pyatspi.ROLE_PAGE_TAB))
    time.sleep(1)
    shot("04-movie-tab-after-taking")

    # One Undo takes it all back.
    xdo("key", "ctrl+z")
    back = wait_for(lambda: stored()[1] == "Drama" and stored(), 10)
    check(back and back[5] is None, "Ctrl+Z takes the genre and the characters back in one step: %r" % (back,))
    shot("05-after-undo")
finally:
    program.terminate()
    try:
        program.wait(10)
    except subprocess.TimeoutExpired:
        program.kill()
    server.shutdown()

print("%d failures" % len(failures), flush=True)
sys.exit(1 if failures else 0)

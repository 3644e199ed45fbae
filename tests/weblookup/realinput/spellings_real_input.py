#!/usr/bin/python3
"""One spelling per value, as a person gets it, on a real X display with a
window manager, clicked and typed with xdotool:

- the group pane's "Merge into..." on the Country group "United States":
  the dialog, the question with its count, the catalogue read back with
  sqlite3, then Ctrl+Z bringing every spelling back;
- Collection > "Grab Spellings..." given a new alias line, and a grab of a
  page whose countries are "Vereinigtes Königreich / Irland" storing the
  alias' spelling.

    dbus-run-session -- xvfb-run -a -s "-screen 0 1280x900x24" \\
        sh -c "openbox & sleep 1; python3 spellings_real_input.py QUELTO NEW_CATALOGUE PAGES_FOLDER OUTDIR"
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


def key(*keys):
    xdo("key", "--clearmodifiers", *keys)
    time.sleep(0.4)


def find_shown(name=None, role=None, where=None):
    return find(name, role, where=where, shown=True)


CELLS = (pyatspi.ROLE_TABLE_CELL, pyatspi.ROLE_TREE_ITEM, pyatspi.ROLE_LIST_ITEM)


def cell(group):
    # The group list names each row "United States: 3 records".
    return find_shown(where=lambda n: n.getRole() in CELLS and n.name.startswith(group + ": "))


def countries():
    with sqlite3.connect(catalogue) as db:
        return [r[0] for r in db.execute("select mv_country from archive where catalog like 'C%' order by catalog")]


# --- a site with the German Wikipedia article ---------------------------------

with open(os.path.join(args.pages, "shapes", "wikipedia-de.html"), "rb") as f:
    article = f.read()
html = {"Content-Type": "text/html; charset=utf-8"}
home_page = ("<html><head><title>Films</title><style>a{display:block;height:80px;font:30px sans-serif;"
             "border:4px solid #36c;margin:8px;padding:20px}</style></head><body>"
             "<a href='/wiki/Nebelhafen_(Film)'>Nebelhafen (Wikipedia, deutsch)</a></body></html>").encode()
routes = {"/": home_page, "/wiki/Nebelhafen_(Film)": article}


class Handler(http.server.BaseHTTPRequestHandler):
    def log_message(self, *a):
        pass

    def do_GET(self):
        body = routes.get(self.path.split("?")[0])
        self.send_response(200 if body is not None else 404)
        for k, v in html.items():
            self.send_header(k, v)
        self.send_header("Content-Length", str(len(body or b"")))
        self.end_headers()
        self.wfile.write(body or b"")


server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
threading.Thread(target=server.serve_forever, daemon=True).start()
site_root = "http://127.0.0.1:%d" % server.server_address[1]

# --- the catalogue and the program ----------------------------------------------

work = tempfile.mkdtemp(prefix="quelto-spellings-")
os.makedirs(os.path.join(work, "config", "Quelto"))
with open(os.path.join(work, "config", "Quelto", "Quelto.conf"), "w") as f:
    f.write("[Settings]\nMovieSite=%s\n" % site_root)
catalogue = os.path.join(work, "films.mdb")
subprocess.run([args.new_catalogue, catalogue], check=True)
spellings = ["United States", "united states ", "USA", "United States / France", "France"]
with sqlite3.connect(catalogue) as db:
    for i, country in enumerate(spellings):
        db.execute("insert into archive (catalog, md_type, title, mv_country) values (?, 'VHS', ?, ?)",
                   ("C%d" % i, "Movie %d" % i, country))
env = dict(os.environ, HOME=work, XDG_CONFIG_HOME=os.path.join(work, "config"),
           XDG_DATA_HOME=os.path.join(work, "data"), QT_ACCESSIBILITY="1", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
           QTWEBENGINE_DISABLE_SANDBOX="1", LC_ALL="C.UTF-8")
env.pop("QT_QPA_PLATFORM", None)
program = subprocess.Popen([args.quelto, "--database", catalogue], env=env)
try:
    window = wait_for(lambda: find_shown(role=pyatspi.ROLE_FRAME, where=lambda n: "Quelto" in n.name), 60)
    check(window is not None, "the main window is up")
    time.sleep(2)

    # --- Merge into... -----------------------------------------------------------
    click(wait_for(lambda: find_shown(name="List", role=pyatspi.ROLE_PAGE_TAB)))
    time.sleep(1)
    click(wait_for(lambda: find_shown(name="Group by", role=pyatspi.ROLE_COMBO_BOX)))
    time.sleep(0.5)
    # The combo box's list: "Country" is chosen by its letters and Return.
    xdo("type", "--delay", "80", "Country")
    key("Return")
    group = wait_for(lambda: cell("United States"), 20)
    check(group is not None and group.name == "United States: 3 records",
          "the Country groups show \"United States\" with its list entry: %s" % (group.name if group else None))
    shot("01-country-groups")
    click(group, button=3)
    time.sleep(0.8)
    shot("02-group-menu")
    key("m")  # the menu's "&Merge into..."
    dialog = wait_for(lambda: find_shown(name="Merge into", role=pyatspi.ROLE_DIALOG), 10)
    check(dialog is not None, "the Merge into dialog is open")
    xdo("type", "--delay", "80", "USA")
    time.sleep(0.5)
    shot("03-merge-dialog")
    key("Return")
    question = wait_for(lambda: find_shown(role=pyatspi.ROLE_LABEL, where=lambda n: n.name.startswith("Merge \"")), 10)
    check(question is not None and question.name == "Merge \"United States\" into \"USA\" in 3 records?",
          "it asks first with the count: %s" % (question.name if question else None))
    shot("04-merge-question")
    yes = find_shown(name="Yes", role=pyatspi.ROLE_PUSH_BUTTON)
    check(yes is not None, "the question has Yes")
    if yes is not None:
        click(yes)
    time.sleep(1.5)
    check(countries() == ["USA", "USA", "USA", "USA / France", "France"],
          "every spelling and list entry is renamed: %s" % countries())
    usa = wait_for(lambda: cell("USA"), 10)
    check(usa is not None and usa.name == "USA: 4 records", "USA holds them all: %s" % (usa.name if usa else None))
    check(cell("United States") is None, "the group \"United States\" is gone")
    shot("05-merged")
    # Undo takes the merge back in one step.
    click(usa)
    key("ctrl+z")
    time.sleep(1.5)
    check(countries() == spellings, "Ctrl+Z brings every spelling back: %s" % countries())
    shot("06-undone")

    # --- Grab Spellings... ---------------------------------------------------------
    key("alt+i")  # Collect&ion
    time.sleep(0.5)
    shot("07-collection-menu")
    key("p")  # Grab S&pellings...
    editor = wait_for(lambda: find_shown(name="Aliases", role=pyatspi.ROLE_TEXT), 10)
    check(editor is not None, "the alias table is open")
    click(editor)
    key("ctrl+End")
    key("Return")
    xdo("type", "--delay", "60", "Vereinigtes K\u00f6nigreich = UK")
    time.sleep(0.5)
    shot("08-alias-typed")
    click(find_shown(name="OK", role=pyatspi.ROLE_PUSH_BUTTON))
    time.sleep(1)
    conf = open(os.path.join(work, "config", "Quelto", "Quelto.conf"), encoding="utf-8").read()
    check("Vereinigtes K\u00f6nigreich = UK" in conf or "Vereinigtes K\\xf6nigreich = UK" in conf,
          "the alias is kept in the settings")
    # A grab of a page that says "Vereinigtes Königreich / Irland", into a
    # new record (New waits until the group's choice is let go).
    click(find_shown(name="All Data", role=pyatspi.ROLE_PUSH_BUTTON))
    time.sleep(1)
    click(find_shown(name="New", role=pyatspi.ROLE_PUSH_BUTTON))
    click(wait_for(lambda: find_shown(name="IMDb", role=pyatspi.ROLE_PAGE_TAB)))
    click(wait_for(lambda: find_shown(name="IMDb Home", role=pyatspi.ROLE_PUSH_BUTTON)))
    time.sleep(3)
    grab = find_shown(name="Grab Data !", role=pyatspi.ROLE_PUSH_BUTTON)
    bx, by = centre(grab)
    click_at(bx - 200, by + 80)
    time.sleep(3)
    click(grab)
    summary = wait_for(lambda: find_shown(role=pyatspi.ROLE_LABEL, where=lambda n: ": filled " in n.name), 30)
    check(summary is not None, "the grab is done: %s" % (summary.name if summary else None))
    click(find_shown(name="Movie", role=pyatspi.ROLE_PAGE_TAB))
    time.sleep(1)
    shot("09-grabbed-movie-tab")
    country = find_shown(name="Country", role=pyatspi.ROLE_TEXT) or find_shown(name="Country", role=pyatspi.ROLE_COMBO_BOX)
    check(country is not None and text_of(country) == "UK / Irland", "the form shows the alias' spelling: %r"
          % (text_of(country) if country else None))
    click(find_shown(name="Media", role=pyatspi.ROLE_PAGE_TAB))
    media = find_shown(role=pyatspi.ROLE_TEXT, where=lambda n: n.name in ("Catalog", "Media ID", "catalog"))
    if check(media is not None, "the media ID field is there"):
        click(media)
        xdo("type", "--delay", "60", "G1")
    click(find_shown(name="Save", role=pyatspi.ROLE_PUSH_BUTTON))
    time.sleep(2)
    shot("10-saved")
    with sqlite3.connect(catalogue) as db:
        stored = db.execute("select mv_country from archive where catalog = 'G1'").fetchall()
    check(stored == [("UK / Irland",)], "the grabbed record is stored with \"UK / Irland\": %s" % stored)
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

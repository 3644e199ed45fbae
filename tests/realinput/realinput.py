#!/usr/bin/python3
"""Editing as a person does it: the real program on a real X display with a
window manager, driven by xdotool (mouse clicks and key presses as the X
server delivers them), the results read back from the catalogue with
sqlite3 and from the accessibility tree, and a screenshot of each step.

    dbus-run-session -- xvfb-run -a -s "-screen 0 1280x800x24" \\
        python3 realinput.py QUELTO NEW_CATALOGUE OUTDIR [--scale 2]

Without --scale it walks through the editing checks; with --scale it starts
the program at that scale factor and checks that the window, its dialogs
and the help fit the screen; with --window it starts on an empty catalogue
and checks the first window, the hint how to begin, the browser pane's
address field, the window's size and maximised state kept, and the lock
file gone after SIGTERM. Screenshots go to OUTDIR.
"""
import argparse
import os
import shutil
import sqlite3
import subprocess
import sys
import tempfile
import time

import pyatspi

parser = argparse.ArgumentParser()
parser.add_argument("quelto")
parser.add_argument("new_catalogue")
parser.add_argument("outdir")
parser.add_argument("--scale", default="")
parser.add_argument("--window", action="store_true", help="the first window, its hint, its size kept, SIGTERM")
parser.add_argument("--only", default="", help="comma-separated names of checks to run")
args = parser.parse_args()
os.makedirs(args.outdir, exist_ok=True)
failures = []


def check(condition, what):
    print(("ok:   " if condition else "FAIL: ") + what, flush=True)
    if not condition:
        failures.append(what)
    return condition


def run(*command, **kwargs):
    return subprocess.run(command, check=True, capture_output=True, text=True, **kwargs).stdout


def wait_for(condition, seconds=10, step=0.2):
    deadline = time.monotonic() + seconds
    while True:
        try:
            value = condition()
        except Exception:  # a node that went away meanwhile
            value = None
        if value or time.monotonic() > deadline:
            return value
        time.sleep(step)


# --- the X side -------------------------------------------------------------

def xdo(*words):
    run("xdotool", *[str(w) for w in words])


def key(*keys):
    for k in keys:
        xdo("key", "--clearmodifiers", k)
        time.sleep(0.25)


def type_text(text):
    xdo("type", "--delay", "60", text)
    time.sleep(0.3)


def click_at(x, y, button=1):
    xdo("mousemove", "--sync", x, y)
    time.sleep(0.1)
    xdo("click", button)
    time.sleep(0.4)


def shot(name):
    path = os.path.join(args.outdir, name + ".png")
    xwd = subprocess.run(["xwd", "-root", "-silent", "-display", os.environ["DISPLAY"]], check=True,
                         capture_output=True).stdout
    subprocess.run(["convert", "xwd:-", path], input=xwd, check=True)
    return path


def screen_size():
    for line in run("xdpyinfo").splitlines():
        if "dimensions:" in line:
            w, h = line.split()[1].split("x")
            return int(w), int(h)
    return 0, 0


# --- the accessibility tree --------------------------------------------------

def walk(node, depth=0):
    if node is None or depth > 40:
        return
    yield node
    for i in range(node.childCount):
        try:
            yield from walk(node.getChildAtIndex(i), depth + 1)
        except Exception:
            continue


def showing(node):
    states = node.getState()
    return states.contains(pyatspi.STATE_SHOWING) and states.contains(pyatspi.STATE_VISIBLE)


class App:
    def __init__(self, process):
        self.process = process
        self.root = None

    def refresh(self):
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            if app is not None and app.name.lower() == "quelto":
                self.root = app
                return app
        return None

    def nodes(self, name=None, role=None, visible=True):
        found = []
        for n in walk(self.root):
            try:
                if name is not None and n.name != name:
                    continue
                if role is not None and n.getRoleName() != role:
                    continue
                if visible and not showing(n):
                    continue
                found.append(n)
            except Exception:
                continue
        return found

    def node(self, name=None, role=None, seconds=10):
        found = wait_for(lambda: self.nodes(name, role), seconds)
        if not found:
            raise RuntimeError("no %s named %r on show" % (role or "node", name))
        return found[0]

    def click(self, name=None, role=None, node=None):
        node = node or self.node(name, role)
        x, y, w, h = extents(node)
        click_at(x + w // 2, y + h // 2)

    def text(self, name, role="text"):
        node = self.node(name, role)
        return node.queryText().getText(0, -1)

    def focused(self):
        # The innermost node with the focus: containers report it too.
        last = None
        for n in walk(self.root):
            try:
                if n.getState().contains(pyatspi.STATE_FOCUSED) and showing(n) and n.getRoleName() != "filler":
                    last = n
            except Exception:
                continue
        return last


SCALE = float(args.scale or 1)


def extents(node):
    """Where a node is on the screen, in the screen's pixels (the tree gives
    them in the program's own, which a scale factor makes larger)."""
    e = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return (round(e.x * SCALE), round(e.y * SCALE), round(e.width * SCALE), round(e.height * SCALE))


def has_place(node):
    try:
        extents(node)
        return True
    except NotImplementedError:
        return False


def enabled(node):
    return node.getState().contains(pyatspi.STATE_SENSITIVE)


# --- the catalogue -----------------------------------------------------------

COLUMNS = ["catalog", "md_type", "md_format", "md_image", "md_sound", "md_language", "mv_country", "mv_year",
           "mv_rating", "mv_language", "mv_color", "mv_sound", "mv_genre", "mv_director", "mv_producer", "mv_book",
           "mv_music", "mv_cast1", "mv_cast2", "mv_cast3", "mv_cast4", "mv_cast5", "mv_cast6", "title"]


def new_catalogue(path):
    if args.new_catalogue != "-":
        run(args.new_catalogue, path)
        return
    # The program makes it: started on the path, ended once the file has its tables.
    env = dict(os.environ, HOME=os.path.dirname(path), QTWEBENGINE_DISABLE_SANDBOX="1",
               XDG_CONFIG_HOME=os.path.join(os.path.dirname(path), "config-new"))
    maker = subprocess.Popen([args.quelto, "--database", path], env=env, stdout=subprocess.DEVNULL,
                             stderr=subprocess.DEVNULL)
    made = wait_for(lambda: os.path.exists(path) and
                    query(path, "select count(*) from sqlite_master where name = 'archive'") == [(1,)], 60, 0.5)
    time.sleep(2)
    maker.terminate()
    maker.wait(10)
    if not made:
        raise RuntimeError("no catalogue was made at " + path)


def make_catalogue(path, movies):
    new_catalogue(path)
    db = sqlite3.connect(path)
    for m in movies:
        row = {c: " " for c in COLUMNS}
        row.update({"md_type": "DVD", "md_format": "PAL", "md_image": "16:9", "md_sound": "Stereo",
                    "md_language": "English", "mv_rating": "unknown"})
        row.update(m)
        db.execute("insert into archive (%s) values (%s)" % (",".join(row), ",".join("?" * len(row))),
                   list(row.values()))
    # An old catalogue's blanks around values.
    db.execute("insert into genre (text, ordinal) values ('Drama ', 7), (' ', 8)")
    db.commit()
    db.close()


def query(path, sql, params=()):
    db = sqlite3.connect("file:%s?mode=ro" % path, uri=True)
    try:
        return db.execute(sql, params).fetchall()
    finally:
        db.close()


# --- a run of the program ----------------------------------------------------

def start(home, catalogue, scale="", keep_settings=False):
    env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=os.path.join(home, "config"),
               XDG_DATA_HOME=os.path.join(home, "data"), QT_ACCESSIBILITY="1",
               QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QTWEBENGINE_DISABLE_SANDBOX="1", LC_ALL="C.UTF-8")
    env.pop("QT_QPA_PLATFORM", None)
    if scale:
        env["QT_SCALE_FACTOR"] = scale
    # A blank browser pane: no network.
    os.makedirs(os.path.join(home, "config", "Quelto"), exist_ok=True)
    settings = os.path.join(home, "config", "Quelto", "Quelto.conf")
    if not (keep_settings and os.path.exists(settings)):
        with open(settings, "w") as conf:
            conf.write("[Settings]\nMovieSite=\n")
    process = subprocess.Popen([args.quelto, "--database", catalogue], env=env, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    app = App(process)
    ok = wait_for(lambda: app.refresh() and app.nodes(role="frame"), 60, 0.5)
    if not ok:
        raise RuntimeError("the program's window did not come up")
    wait_for(lambda: [n for n in app.nodes() if n.name.endswith("records in database")], 30)
    time.sleep(1.5)
    frame = app.nodes(role="frame")[0]
    x, y, w, h = extents(frame)
    click_at(x + w // 2, y + 8)  # activate it
    return app


def stop(app):
    app.process.terminate()
    try:
        app.process.wait(10)
    except subprocess.TimeoutExpired:
        app.process.kill()


def menu_node(app, name):
    for role in ("menu", "menu item"):
        found = [n for n in app.nodes(name, role) if has_place(n)]
        if found:
            return found[0]
    raise RuntimeError("no menu or item named %r on show" % name)


def menu(app, top, *items):
    app.click(node=menu_node(app, top))
    time.sleep(0.5)
    for item in items:
        node = wait_for(lambda: menu_node(app, item), 5)
        app.click(node=node)
        time.sleep(0.8)


def has_focus(node):
    """The node or the drop-down it is the text part of has the focus."""
    for n in (node, node.parent):
        try:
            if n is not None and n.getState().contains(pyatspi.STATE_FOCUSED):
                return True
        except Exception:
            continue
    return False


def field(app, name):
    """Clicks into a text field or drop-down by its caption; a click that only
    closed an open completion list is followed by another, as a person would."""
    for attempt in range(2):
        node = app.node(name, "text")
        app.click(node=node)
        if wait_for(lambda: has_focus(app.node(name, "text")), 2):
            return
    raise RuntimeError("the field %r does not take the focus" % name)


def dialog_button(app, button):
    """A button of a window other than the main window (a message box, a dialog)."""
    for i in range(app.root.childCount):
        window = app.root.getChildAtIndex(i)
        if window is None or window.name == "Quelto 1.2":
            continue
        for n in walk(window):
            try:
                if n.name == button and n.getRoleName() == "push button" and showing(n):
                    return n
            except Exception:
                continue
    return None


def answer(app, button):
    """Presses a button of the message box or dialog on show."""
    node = wait_for(lambda: dialog_button(app, button), 10)
    if node is None:
        raise RuntimeError("no dialog button %r on show" % button)
    app.click(node=node)
    time.sleep(0.8)


def tab(app, name):
    app.click(name, "page tab")
    time.sleep(0.5)


CAPTIONS = {"Media", "Format", "Image", "Sound", "Language", "Country", "Orig. Language", "Color", "Genre",
            "Director", "Produced by", "Book", "Music", "Cast 1", "Cast 2", "Cast 3", "Cast 4", "Cast 5", "Cast 6",
            "Group by"}

MOVIES = [
    {"title": "Casablanca", "catalog": "A1", "mv_year": "1942", "mv_genre": "Drama", "mv_director": "Michael Curtiz",
     "mv_country": " "},
    {"title": "Vertigo", "catalog": "A2", "mv_year": "1958", "mv_genre": "Drama ", "mv_director": "Alfred Hitchcock"},
    {"title": "Alien", "catalog": "A3", "mv_year": "1979", "mv_genre": "Sci-Fi", "mv_director": "Ridley Scott"},
    {"title": "Metropolis", "catalog": "A4", "mv_year": "1927", "mv_genre": "Sci-Fi", "mv_director": "Fritz Lang"},
]


def editing_checks(home):
    catalogue = os.path.join(home, "films.mdb")
    make_catalogue(catalogue, MOVIES)
    app = start(home, catalogue)
    only = set(filter(None, args.only.split(",")))
    try:
        for name, step in STEPS:
            if only and name not in only:
                continue
            print("--", name, flush=True)
            try:
                step(app, catalogue)
            except Exception as error:
                check(False, "%s: %s" % (name, error))
                shot("error-" + name)
                print("   on show:", sorted({(n.getRoleName(), n.name) for n in app.nodes()
                                             if n.getRoleName() in ("push button", "dialog", "frame", "menu",
                                                                    "menu item", "alert", "text")}))
                key("Escape", "Escape")
    finally:
        stop(app)


def blank_is_empty(app, catalogue):
    tab(app, "Movie")
    check(app.text("Country") == "", "a stored blank country shows empty (Alien first by title)")
    app.click("New", "push button")
    field(app, "Title")
    type_text("Amelie")
    tab(app, "Media")
    field(app, "Catalog")
    type_text("B7")
    tab(app, "Movie")
    # Real clicks into empty drop-downs, then typing.
    field(app, "Genre")
    type_text("Fantasy")
    field(app, "Country")
    type_text("France")
    field(app, "Director")
    type_text("  Jean-Pierre Jeunet  ")
    shot("1-blank-typed")
    app.click("Save", "push button")
    time.sleep(1)
    rows = query(catalogue, "select mv_genre, mv_country, mv_director, mv_year from archive where title = 'Amelie'")
    check(rows == [("Fantasy", "France", "Jean-Pierre Jeunet", " ")],
          "typed into empty drop-downs stores no leading space, blanks dropped, empty year kept as blank: %r" % rows)
    # The genre search offers Drama once, whatever old rows carry.
    menu(app, "Search", "by Genre")
    combo = [c for c in app.nodes(role="combo box") if c.name not in CAPTIONS][0]
    app.click(node=combo)  # opened with a real click: Drama, Fantasy, Sci-Fi (see the screenshot)
    time.sleep(0.8)
    shot("1-genre-list")
    key("Escape")
    # Three genres: from the last, two steps up reach the first, and a third stays there.
    key("End", "Up", "Up", "Up")
    answer(app, "Search")
    check(wait_for(lambda: app.nodes("Genre: Drama [2]"), 5),
          "the genre list offers Drama once, and its search finds 'Drama' and 'Drama ' alike")
    app.click("All Data", "push button")


def escape_asks(app, catalogue):
    tab(app, "Movie")
    app.click("New", "push button")
    field(app, "Title")
    type_text("Half typed")
    tab(app, "Movie")
    field(app, "Genre")
    type_text("dr")
    time.sleep(0.8)
    shot("2-completion-open")  # the list offers Drama
    key("Escape")
    time.sleep(0.8)
    shot("2-after-one-escape")
    check(dialog_button(app, "Discard") is None, "one Escape with the completion list open asks nothing")
    check(app.text("Title") == "Half typed" and enabled(app.node("Cancel", "push button")),
          "one Escape closed the list and kept the new record")
    key("Escape")
    box = wait_for(lambda: [n for n in app.nodes(role="label") if "Half typed" in n.name], 5)
    shot("2-escape-asks")
    check(bool(box), "Escape with something typed asks before dropping it")
    answer(app, "Cancel")
    check(app.text("Title") == "Half typed", "Cancel in the question keeps the typing")
    key("Escape")
    answer(app, "Discard")
    check(enabled(app.node("New", "push button")) and app.text("Title") != "Half typed",
          "Discard leaves the new record")
    check(query(catalogue, "select count(*) from archive where title = 'Half typed'") == [(0,)], "nothing stored")


def new_starts_in_title(app, catalogue):
    tab(app, "List")
    field(app, "Filter")
    app.click("New", "push button")
    time.sleep(0.5)
    # No media ID yet, which a record needs: the cursor waits in the Media tab's first field.
    check(wait_for(lambda: has_focus(app.node("Media", "text")), 3),
          "New puts the cursor in the Media tab's first field: %r" % (app.focused() and app.focused().name))
    # vh offers VHS; Tab takes it and moves on to the media ID.
    key("ctrl+a")
    type_text("vh")
    time.sleep(0.8)
    shot("3-vh-offered")
    key("Tab")
    time.sleep(0.5)
    check(app.text("Media") == "VHS", "Tab takes the entry offered: %r" % app.text("Media"))
    check(wait_for(lambda: has_focus(app.node("Catalog", "text")), 3), "and moves on to the media ID")
    shot("3-vh-taken")
    # Save without the media ID: told, and the cursor is in that field.
    field(app, "Title")
    type_text(" Spaced start")
    check(app.text("Title") == " Spaced start", "the title takes what is typed: %r" % app.text("Title"))
    app.click("Save", "push button")
    box = wait_for(lambda: [n for n in app.nodes(role="label") if "No catalog ID entered" in n.name], 5)
    check(bool(box), "Save without a media ID says so")
    key("Return")
    time.sleep(0.8)
    check(wait_for(lambda: has_focus(app.node("Catalog", "text")), 3),
          "after the message the cursor is in the media ID")
    type_text("B9")
    app.click("Save", "push button")
    time.sleep(1)
    rows = query(catalogue, "select md_type, catalog from archive where title = 'Spaced start'")
    check(rows == [("VHS", "B9")], "the record is stored with VHS and B9: %r" % rows)


def alt_and_lists(app, catalogue):
    tab(app, "Movie")
    app.click("New", "push button")
    time.sleep(0.5)
    field(app, "Title")
    type_text("Keys")
    tab(app, "Movie")
    # Alt with a letter no caption of the tab has types nothing.
    field(app, "Director")
    type_text("Lang")
    key("alt+q", "alt+j")
    time.sleep(0.3)
    check(app.text("Director") == "Lang", "Alt+Q and Alt+J type nothing: %r" % app.text("Director"))
    # Alt+Down opens the drop-down's list; Escape closes it and asks nothing.
    field(app, "Genre")
    key("alt+Down")
    time.sleep(0.8)
    shot("9-genre-list-open")
    genre = app.node("Genre", "text").parent
    opened = wait_for(lambda: genre.getState().contains(pyatspi.STATE_EXPANDED), 3)
    check(bool(opened), "Alt+Down opens the drop-down's list")
    key("Escape")
    time.sleep(0.8)
    shot("9-after-escape")
    check(dialog_button(app, "Discard") is None and dialog_button(app, "Cancel") is None,
          "Escape with the list open asks nothing")
    check(not genre.getState().contains(pyatspi.STATE_EXPANDED), "and closes the list")
    check(app.text("Title") == "Keys" and enabled(app.node("Cancel", "push button")),
          "and the new record stays")
    # F4 opens the list too.
    key("F4")
    time.sleep(0.8)
    check(bool(wait_for(lambda: genre.getState().contains(pyatspi.STATE_EXPANDED), 3)), "F4 opens the list")
    key("Escape")
    time.sleep(0.5)
    # The year takes four digits: letters are refused as they are typed.
    field(app, "Year")
    key("ctrl+a")
    type_text("19x8")
    check(app.text("Year") == "198", "the year refuses a letter: %r" % app.text("Year"))
    tab(app, "Media")
    field(app, "Catalog")
    type_text("K1")
    app.click("Save", "push button")
    box = wait_for(lambda: [n for n in app.nodes(role="label") if n.name.startswith("Year:")], 5)
    shot("9-year-refused")
    check(bool(box), "a year of three digits is refused with a message naming the field")
    key("Return")
    time.sleep(0.8)
    check(wait_for(lambda: has_focus(app.node("Year", "text")), 3), "the cursor is then in the year")
    type_text("7")
    app.click("Save", "push button")
    time.sleep(1)
    rows = query(catalogue, "select mv_year, mv_director from archive where title = 'Keys'")
    check(rows == [("1987", "Lang")], "stored with the year typed: %r" % rows)


def delete_names_the_movie(app, catalogue):
    tab(app, "Movie")
    shown = app.text("Title")
    before = query(catalogue, "select count(*) from archive")[0][0]
    app.click("Delete", "push button")
    box = wait_for(lambda: [n for n in app.nodes(role="label") if '"%s"' % shown in n.name], 5)
    shot("10-delete-question")
    check(bool(box), "the delete question names the movie %r" % shown)
    # The box's buttons have letters: Alt+N answers No.
    key("alt+n")
    time.sleep(0.8)
    check(dialog_button(app, "Yes") is None, "Alt+N closes the question")
    check(query(catalogue, "select count(*) from archive")[0][0] == before, "and nothing is deleted")


def keyboard(app, catalogue):
    tab(app, "Movie")
    field(app, "Title")
    key("alt+g")
    check(wait_for(lambda: has_focus(app.node("Genre", "text")), 3), "Alt+G moves to Genre")
    key("Tab")
    check(wait_for(lambda: has_focus(app.node("Director", "text")), 3),
          "Tab goes from Genre to Director, past the list button")
    key("alt+y")
    key("alt+y")
    check(wait_for(lambda: has_focus(app.node("Year", "text")), 3), "Alt+Y a second time reaches Year")
    key("alt+g", "ctrl+e")
    editor = wait_for(lambda: dialog_button(app, "Save"), 5)
    shot("4-ctrl-e-editor")
    check(bool(editor), "Ctrl+E opens the option-list editor")
    answer(app, "Cancel")
    button = app.node("Edit the Director list", "push button")
    check(button is not None, "the list button keeps its name")


def title_header(app):
    """Clicks the Title column's header, found above a title in the list."""
    cell = [c for c in app.nodes(role="table cell") if c.name in ("Alien", "Casablanca", "Metropolis")][0]
    x, y, w, h = extents(cell)
    table = extents(app.node("Records", "table"))
    rows = sorted({extents(c)[1] for c in app.nodes(role="table cell")})
    click_at(x + w // 2, rows[0] - h // 2 - 1 if rows else table[1] + 8)


def list_order(app, catalogue):
    tab(app, "List")
    def titles():
        # The cells of the Title column, found below a known title, top to bottom.
        known = [c for c in app.nodes(role="table cell") if c.name in ("Alien", "Casablanca", "Metropolis")][0]
        column = extents(known)[0]
        cells = [c for c in app.nodes(role="table cell") if extents(c)[0] == column]
        return [c.name for c in sorted(cells, key=lambda c: extents(c)[1])]
    first = titles()
    title_header(app)
    time.sleep(1)
    reversed_titles = titles()
    shot("5-title-reversed")
    check(reversed_titles[:3] == sorted(first, reverse=True)[:3],
          "a second click on Title reverses the order: %r then %r" % (first, reversed_titles))
    title_header(app)
    time.sleep(1)
    check(titles()[:3] == sorted(first)[:3], "a third click puts it back")
    x, y, w, h = extents([c for c in app.nodes(role="table cell") if c.name == "Alien"][0])
    fx, fy, fw, fh = extents(app.node("Records", "table"))
    check(w >= 150, "the Title column keeps a readable width in a narrow list: %d of %d" % (w, fw))
    frame = app.nodes(role="frame")[0]
    wx, wy, ww, wh = extents(frame)
    xdo("windowsize", run("xdotool", "getactivewindow").strip(), ww + 400, wh)
    time.sleep(1.5)
    x2, y2, w2, h2 = extents([c for c in app.nodes(role="table cell") if c.name == "Alien"][0])
    shot("5-wider-window")
    # The narrow list scrolled sideways with the title at its least width; the wider one
    # gives the title what the other columns (the Loan column among them) leave.
    check(w2 >= w + 100, "a wider window widens the Title column: %d to %d" % (w, w2))
    # A saved record takes its place.
    app.click("New", "push button")
    field(app, "Title")
    type_text("Brazil")
    tab(app, "Media")
    field(app, "Catalog")
    type_text("B8")
    app.click("Save", "push button")
    tab(app, "List")
    time.sleep(0.8)
    shot("5-saved-in-place")
    now = titles()
    check(now.index("Brazil") == now.index("Amelie") + 1 if "Amelie" in now else "Brazil" in now,
          "the saved record stands in title order: %r" % now)
    # Cancel in the question: the row of the record shown stays marked.
    tab(app, "Movie")
    field(app, "Genre")
    type_text("x")
    tab(app, "List")
    cells = [c for c in app.nodes(role="table cell") if c.name == "Metropolis"]
    app.click(node=cells[0])
    wait_for(lambda: dialog_button(app, "Cancel"), 5)
    shot("5-question")
    answer(app, "Cancel")
    time.sleep(0.8)
    shot("5-after-cancel")
    selected = [c.name for c in app.nodes(role="table cell") if c.getState().contains(pyatspi.STATE_SELECTED)]
    check("Brazil" in selected and "Metropolis" not in selected,
          "after Cancel the marked row is the record shown: %r" % selected)
    app.click(node=[c for c in app.nodes(role="table cell") if c.name == "Metropolis"][0])
    answer(app, "Discard")


def undo_redo(app, catalogue):
    tab(app, "Movie")
    before = query(catalogue, "select count(*) from archive")[0][0]
    shown = app.text("Title")
    app.click("Delete", "push button")
    answer(app, "Yes")
    check(query(catalogue, "select count(*) from archive")[0][0] == before - 1, "Delete removed a record")
    app.click(node=menu_node(app, "Edit"))
    time.sleep(1.5)  # drawn before the picture is taken
    items = [n.name for n in app.nodes(role="menu item")]
    shot("6-edit-menu")
    check(any(n.startswith('Undo Delete "%s' % shown) for n in items), "the Edit menu names the step: %r" % items)
    key("Escape", "Escape")
    time.sleep(0.5)
    tab(app, "Movie")  # the focus on the tabs, not in a field
    key("ctrl+z")
    back = wait_for(lambda: query(catalogue, "select count(*) from archive")[0][0] == before, 5)
    shot("6-after-ctrl-z")
    check(back, "Ctrl+Z brings the record back")
    check(query(catalogue, "select count(*) from archive where title = ?", (shown,)) == [(1,)], "the same record")
    check(app.text("Title") == shown, "and shows it")
    key("ctrl+shift+z")
    check(wait_for(lambda: query(catalogue, "select count(*) from archive")[0][0] == before - 1, 5),
          "Ctrl+Shift+Z deletes it again")
    key("ctrl+z")
    time.sleep(1)
    shot("6-undone")


def navigation(app, catalogue):
    tab(app, "List")
    field(app, "Filter")
    type_text("zzz")
    time.sleep(1.5)
    buttons = [app.node(n, "push button") for n in ("<<", "<", ">", ">>")]
    shot("8-empty-set")
    check(not any(enabled(b) for b in buttons), "no navigation button is enabled on an empty set")
    field(app, "Filter")
    key("ctrl+a", "BackSpace")
    time.sleep(1.5)
    check(not enabled(app.node("<", "push button")) and enabled(app.node(">", "push button")),
          "on the first record only > and >> are enabled")


def recent(app, catalogue):
    menu(app, "File", "Recent Catalogues")
    time.sleep(1)
    items = [n.name for n in app.nodes(role="menu item") if "films.mdb" in n.name]
    shot("6-recent")
    check(bool(items), "File > Recent Catalogues names the catalogue: %r" % items)
    key("Escape", "Escape")


def window_named(app, name):
    for i in range(app.root.childCount):
        window = app.root.getChildAtIndex(i)
        if window is not None and window.name == name and showing(window):
            return [window]
    return []


def f1_help(app, catalogue):
    tab(app, "List")
    key("F1")
    help_window = wait_for(lambda: window_named(app, "Quelto Help"), 10)
    time.sleep(1)
    shot("7-f1-list")
    if check(bool(help_window), "F1 opens the help"):
        x, y, w, h = extents(help_window[0])
        sw, sh = screen_size()
        check(x >= 0 and y >= 0 and x + w <= sw and y + h <= sh, "the help window fits the screen")
        headings = [n.name for n in walk(help_window[0]) if "The List" in (n.name or "")]
        click_at(x + w // 2, y + h // 2)
        key("alt+F4")


STEPS = [("blank", blank_is_empty), ("escape", escape_asks), ("new", new_starts_in_title),
         ("keys", alt_and_lists), ("deletequestion", delete_names_the_movie), ("keyboard", keyboard), ("list", list_order), ("undo", undo_redo), ("navigation", navigation),
         ("recent", recent), ("f1", f1_help)]


def fit_checks(home):
    catalogue = os.path.join(home, "films.mdb")
    make_catalogue(catalogue, MOVIES)
    app = start(home, catalogue, args.scale)
    sw, sh = screen_size()
    try:
        frame = app.nodes(role="frame")[0]
        time.sleep(2)
        x, y, w, h = extents(frame)
        shot("7-scaled-main")
        # Its title bar too: the window manager draws it above the window.
        check(x >= 0 and y >= 10 and x + w <= sw and y + h <= sh,
              "the main window fits the screen at scale %s: %d,%d %dx%d on %dx%d" % (args.scale, x, y, w, h, sw, sh))
        # Uncut wherever the screen holds the form: from 960 by 540 logical
        # pixels (a 1920 by 1080 screen at twice the size) up.
        if sw / float(args.scale) >= 960 and sh / float(args.scale) >= 540:
            movie_tab_uncut(app, (x, y, w, h), "7-scaled-movie-tab")
            tab(app, "Media")
        for top, item, name in [("Search", "by Title", "Search your database !"),
                                ("Help", "About", None), ("File", "Print Label", None)]:
            menu(app, top, item)
            time.sleep(1)
            dialogs = app.nodes(role="dialog")
            shot("7-scaled-" + item.replace(" ", "-").lower())
            for d in dialogs:
                dx, dy, dw, dh = extents(d)
                check(dx >= 0 and dy >= 0 and dx + dw <= sw and dy + dh <= sh,
                      "%s fits the screen: %d,%d %dx%d" % (d.name or item, dx, dy, dw, dh))
            key("Escape")
            time.sleep(0.5)
        tab(app, "Movie")
        app.click("Edit the Genre list", "push button")
        time.sleep(1)
        shot("7-scaled-option-list")
        for d in app.nodes(role="dialog"):
            dx, dy, dw, dh = extents(d)
            check(dx >= 0 and dy >= 0 and dx + dw <= sw and dy + dh <= sh, "the option-list editor fits the screen")
        key("Escape")
        key("F1")
        help_window = wait_for(lambda: window_named(app, "Quelto Help"), 10)
        time.sleep(1)
        shot("7-scaled-help")
        if check(bool(help_window), "F1 opens the help"):
            hx, hy, hw, hh = extents(help_window[0])
            check(hx >= 0 and hy >= 0 and hx + hw <= sw and hy + hh <= sh,
                  "the help window fits the screen: %d,%d %dx%d" % (hx, hy, hw, hh))
    finally:
        stop(app)


def movie_tab_uncut(app, frame, name):
    x, y, w, h = frame
    tab(app, "Movie")
    time.sleep(0.5)
    shot(name)
    cast6 = app.node("Cast 6", "text")
    page = [n for n in app.nodes(role="page tab") if n.name == "Movie"][0]
    cx, cy, cw, ch = extents(cast6)
    bars = [n for n in app.nodes(role="scroll bar") if extents(n)[2] > 0 and extents(n)[3] > 0
            and x <= extents(n)[0] <= x + w and extents(n)[1] > extents(page)[1]]
    check(cy + ch <= y + h and not bars,
          "the Movie tab is shown uncut: Cast 6 at %d, %d scroll bars" % (cy + ch, len(bars)))


def window_checks(home):
    # Made by the program itself, as on a first start with a new name.
    catalogue = os.path.join(home, "empty.mdb")
    app = start(home, catalogue)
    sw, sh = screen_size()
    try:
        frame = app.nodes(role="frame")[0]
        x, y, w, h = extents(frame)
        shot("11-first-window-empty")
        check(x >= 0 and y >= 0 and x + w <= sw and y + h <= sh,
              "the first window fits the screen: %d,%d %dx%d on %dx%d" % (x, y, w, h, sw, sh))
        hint = app.nodes("How to begin", "label")
        check(bool(hint), "the empty catalogue says how to begin (see the screenshot)")
        if hint:
            hx, hy, hw, hh = extents(hint[0])
            check(hy + hh <= extents([n for n in app.nodes(role="page tab") if n.name == "Movie"][0])[1],
                  "above the tabs")
        # The Movie tab uncut: its last field lies inside the tab, no scroll bar.
        movie_tab_uncut(app, (x, y, w, h), "11-first-window-movie-tab")
        # The browser pane's address field and Reload.
        tab(app, "IMDb")
        time.sleep(0.5)
        shot("11-browser-address")
        check(bool(app.nodes("Address", "text")) and bool(app.nodes("Reload", "push button")),
              "the browser pane has an address field and Reload")
        # The first record of a catalogue this run made: no backup copy, and the hint goes.
        app.click("New", "push button")
        field(app, "Title")
        type_text("First")
        tab(app, "Media")
        field(app, "Catalog")
        type_text("F1")
        app.click("Save", "push button")
        time.sleep(1)
        check(query(catalogue, "select count(*) from archive") == [(1,)], "the first record is stored")
        backups = [f for f in os.listdir(home) if f.startswith("empty") and f not in ("empty.mdb", "empty.mdb.lock")]
        check(not backups, "no backup of the new, empty catalogue: %r" % backups)
        check(not app.nodes("How to begin", "label"), "the hint is gone")
        shot("11-first-record")
        # A size of the user's and the maximised state are kept.
        tab(app, "Movie")
        wid = run("xdotool", "getactivewindow").strip()
        xdo("windowsize", "--sync", wid, 900, 640)
        time.sleep(1)
        _, _, w1, h1 = extents(app.nodes(role="frame")[0])
        key("alt+F4")
        app.process.wait(15)
        app = start(home, catalogue, keep_settings=True)
        _, _, w2, h2 = extents(app.nodes(role="frame")[0])
        check(abs(w2 - w1) <= 2 and abs(h2 - h1) <= 2, "the size is kept: %dx%d, then %dx%d" % (w1, h1, w2, h2))
        # A double click on the title bar maximises (openbox).
        fx, fy, fw, fh = extents(app.nodes(role="frame")[0])
        xdo("mousemove", "--sync", fx + fw // 2, fy - 8)
        xdo("click", "--repeat", 2, "--delay", 80, 1)
        time.sleep(1.5)
        state = run("xprop", "-id", run("xdotool", "getactivewindow").strip(), "_NET_WM_STATE")
        check("MAXIMIZED" in state, "a double click on the title bar maximises: %s" % state.strip())
        key("alt+F4")
        app.process.wait(15)
        app = start(home, catalogue, keep_settings=True)
        time.sleep(1)
        state = run("xprop", "-id", run("xdotool", "getactivewindow").strip(), "_NET_WM_STATE")
        shot("11-maximised-kept")
        check("MAXIMIZED" in state, "the maximised state is kept: %s" % state.strip())
        # SIGTERM ends the program the orderly way: the lock file goes.
        lock = catalogue + ".lock"
        check(os.path.exists(lock), "the catalogue is locked while open")
        app.process.terminate()
        app.process.wait(15)
        check(not os.path.exists(lock), "the lock file is gone after SIGTERM")
    finally:
        stop(app)


with tempfile.TemporaryDirectory() as home:
    pyatspi.Registry.getDesktop(0).childCount
    wm = None
    if not shutil.which("openbox"):
        check(False, "openbox is not installed")
    elif subprocess.run(["pgrep", "-f", "openbox.*--display.*%s" % os.environ["DISPLAY"]],
                        capture_output=True).returncode != 0:
        wm = subprocess.Popen(["openbox"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(1.5)
    try:
        if args.window:
            window_checks(home)
        elif args.scale:
            fit_checks(home)
        else:
            editing_checks(home)
    finally:
        if wm is not None:
            wm.terminate()

if failures:
    print("%d failed" % len(failures))
    sys.exit(1)
print("real-input checks passed")

#!/usr/bin/python3
"""The collector's fields with real input: a window manager on the display, the
program found over AT-SPI, and every click and key sent by xdotool as a person
gives them. Checks what the catalogue file holds afterwards with the stock
sqlite3 tool and leaves screenshots of what it did.

    dbus-run-session -- python3 check_collector.py QUELTO NEW_CATALOGUE DISPLAY [SHOTS]

DISPLAY is a display number nothing else uses (an Xvfb with openbox is started
on it); SHOTS the folder for the screenshots (a temporary one by default).
"""
import os
import shutil
import sqlite3
import subprocess
import sys
import tempfile
import time

quelto, new_catalogue, display = sys.argv[1], sys.argv[2], sys.argv[3]
shots = sys.argv[4] if len(sys.argv) > 4 else tempfile.mkdtemp(prefix="quelto-shots-")
os.makedirs(shots, exist_ok=True)
os.environ["DISPLAY"] = ":" + display
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL:", what, flush=True)
    else:
        print("ok:", what, flush=True)


def run(*args, **kw):
    return subprocess.run(args, check=True, capture_output=True, text=True, **kw).stdout


def xdo(*args):
    subprocess.run(("xdotool",) + args, check=True)
    time.sleep(0.25)


def shot(name):
    path = os.path.join(shots, name + ".png")
    xwd = subprocess.run(["xwd", "-root", "-silent"], check=True, capture_output=True).stdout
    subprocess.run(["convert", "xwd:-", path], input=xwd, check=True)
    print("screenshot:", path, flush=True)


def sql(path, query):
    return run("sqlite3", path, query).strip()


def make_poster(path, text, colour):
    run("convert", "-size", "400x600", "gradient:%s-black" % colour, "-gravity", "center", "-pointsize", "48",
        "-fill", "white", "-annotate", "0", text, path)


import pyatspi

def answers(*command):
    return subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL).returncode == 0


# The display's own X server and window manager when it has them, else ours.
server = wm = None
if not answers("xdpyinfo"):
    server = subprocess.Popen(["Xvfb", ":" + display, "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    for _ in range(50):
        if answers("xdpyinfo"):
            break
        time.sleep(0.1)
if b"window id" not in subprocess.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], capture_output=True).stdout:
    wm = subprocess.Popen(["openbox"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    time.sleep(1)


# Lists and tables are not entered: 5,000 records would make that a walk of
# tens of thousands of cells over the bus.
OPAQUE = {"table", "tree table", "list", "tree"}


def walk(node, depth=0):
    if node is None or depth > 40:
        return
    yield node
    try:
        if node.getRoleName() in OPAQUE:
            return
    except Exception:
        return
    for i in range(node.childCount):
        try:
            yield from walk(node.getChildAtIndex(i), depth + 1)
        except Exception:
            continue


def find_app(seconds=60):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            if app is not None and app.name.lower() == "quelto":
                if any(n.name.endswith("records in database") for n in walk(app)):
                    return app
        time.sleep(0.5)
    return None


def node(app, role, name):
    for n in walk(app):
        try:
            if (role is None or n.getRoleName() == role) and n.name == name and \
                    n.getState().contains(pyatspi.STATE_SHOWING):
                return n
        except Exception:
            continue
    raise RuntimeError("no %s named %r on screen" % (role, name))


def centre(n, dx=0.5, dy=0.5):
    x, y, w, h = n.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return int(x + w * dx), int(y + h * dy)


def click(n, dx=0.5, dy=0.5):
    x, y = centre(n, dx, dy)
    xdo("mousemove", str(x), str(y))
    xdo("click", "1")


def type_into(n, text):
    click(n)
    xdo("key", "ctrl+a")
    xdo("type", "--delay", "30", text)


def start(catalogue, home):
    env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=os.path.join(home, "config"), QT_ACCESSIBILITY="1",
               QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QTWEBENGINE_DISABLE_SANDBOX="1", LANG="en_GB.UTF-8")
    env.pop("QT_QPA_PLATFORM", None)
    program = subprocess.Popen([quelto, "--database", catalogue], env=env, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    app = find_app()
    if app is None:
        shot("start-failed")
        program.kill()
        raise RuntimeError("the program's window did not come up on " + catalogue)
    xdo("search", "--sync", "--name", "Quelto 1.2", "windowactivate", "--sync")
    time.sleep(1)
    return program, app


def stop(program):
    xdo("key", "ctrl+q")
    try:
        program.wait(20)
    except subprocess.TimeoutExpired:
        program.kill()


# The medium's fields a record needs before it can be saved.
medium = dict(md_format="PAL", md_image="4:3", md_sound="Mono", md_language="English")

try:
    pyatspi.Registry.getDesktop(0).childCount
    home = tempfile.mkdtemp(prefix="quelto-home-")
    films = os.path.join(home, "films.mdb")
    run(new_catalogue, films)
    db = sqlite3.connect(films)
    columns = [r[1] for r in db.execute("pragma table_info(archive)")]
    for title, tape, media in [("Alien", "VHS-7", "VHS"), ("Brazil", "VHS-7", "VHS"), ("Casablanca", "VHS-7", "VHS"),
                               ("Dune", "LD-2", "LaserDisk")]:
        row = {c: " " for c in columns}
        row.update(title=title, catalog=tape, md_type=media, mv_year="1979", mv_genre="Sci-Fi", **medium)
        db.execute("insert into archive (%s) values (%s)" % (",".join(row), ",".join("?" * len(row))),
                   list(row.values()))
    db.commit()
    db.close()
    poster = os.path.join(home, "alien.png")
    make_poster(poster, "ALIEN", "darkgreen")

    program, app = start(films, home)

    # The Personal tab (Alt+P on the Movie tab reaches "Produced by" first); the
    # fields by click and by typing.
    click(node(app, "page tab", "Personal"))
    rating = node(app, "slider", "My rating")
    click(rating, 0.64, 0.5)  # the left half of the fourth star: 3.5
    click(node(app, "check box", "Seen"))
    type_into(node(app, "text", "Seen on"), "2019-12-24")
    type_into(node(app, "text", "Purchased"), "1999-02-01")
    type_into(node(app, "text", "Price"), "12.50")
    type_into(node(app, "text", "Location"), "Shelf 2")
    xdo("key", "Escape")  # closes the completion offered, as a person would
    type_into(node(app, "text", "Condition"), "Worn")
    xdo("key", "Escape")
    type_into(node(app, "text", "Running time"), "117")
    click(node(app, "text", "Notes"))
    xdo("type", "--delay", "30", "Recorded off air.")
    xdo("key", "Return")
    xdo("type", "--delay", "30", "Ads cut.")
    xdo("key", "ctrl+s")
    time.sleep(1)
    shot("personal-tab")
    got = sql(films, "select quelto_my_rating, quelto_seen, quelto_purchased, quelto_price, quelto_location, "
                     "quelto_condition, quelto_running_time, replace(quelto_notes, char(10), '|') from archive "
                     "where title = 'Alien'")
    check(got == "3.5|2019-12-24|1999-02-01|12.5|Shelf 2|Worn|117|Recorded off air.|Ads cut.",
          "Personal tab stored by real input: %s" % got)

    # A bad date: refused, the file unchanged, the typing kept.
    before = sql(films, "select count(*), total(quelto_running_time) from archive")
    type_into(node(app, "text", "Purchased"), "31.02.2019")
    xdo("key", "ctrl+s")
    time.sleep(1)
    shot("personal-bad-date")
    xdo("key", "Return")  # closes the message
    check(sql(films, "select quelto_purchased from archive where title = 'Alien'") == "1999-02-01",
          "an impossible date is not stored")
    type_into(node(app, "text", "Purchased"), "1999-02-01")
    xdo("key", "ctrl+s")

    # The cover: a click on the empty frame opens the file dialog; the path typed.
    click(node(app, "page tab", "Personal"))
    click(node(app, "page tab", "Movie"))
    click(node(app, None, "Cover"))
    time.sleep(1.5)
    xdo("type", "--delay", "20", poster)
    xdo("key", "Return")
    time.sleep(1)
    xdo("key", "ctrl+s")
    time.sleep(1)
    shot("record-with-cover")
    check(sql(films, "select count(*), sum(length(picture)) > 1000 from quelto_covers") == "1|1",
          "the chosen picture is stored as the cover")

    # The tape: two more movies' running times and speeds, then the tape's length.
    for minutes, speed_keys in [("142", ["Down", "Down"]), ("102", ["Down", "Down", "Down"])]:
        xdo("key", "Next")  # PageDown: the next record
        time.sleep(0.5)
        click(node(app, "page tab", "Personal"))
        type_into(node(app, "text", "Running time"), minutes)
        click(node(app, "page tab", "Media"))
        speed = node(app, "combo box", "Play speed")
        click(speed)
        for key in speed_keys:
            xdo("key", key)
        xdo("key", "Return")
        xdo("key", "ctrl+s")
        time.sleep(0.5)
    type_into(node(app, "text", "Tape length"), "E-240")
    xdo("key", "Escape")
    xdo("key", "ctrl+s")
    time.sleep(1.5)
    shot("media-tab-tape")
    check(sql(films, "select length_minutes from quelto_tapes where catalog = 'VHS-7'") == "240",
          "the tape length is stored for the media ID")
    check(sql(films, "select group_concat(coalesce(quelto_speed, '-'), ',') from archive where catalog = 'VHS-7' "
                     "order by rowid") == "-,LP,EP", "the speeds are stored")
    # 117 min at SP, 142 at LP and 102 at EP take 222 of the 240 minutes.
    labels = [n.name for n in walk(app) if n.getRoleName() == "label"]
    check(any("Free: 18 min SP / 36 min LP / 54 min EP" in text for text in labels),
          "the free minutes are shown: %r" % [t for t in labels if "Free" in t or "Used" in t])

    # Search > Tapes with Room...
    xdo("key", "alt+s")
    xdo("key", "r")
    time.sleep(1)
    xdo("type", "--delay", "30", "50")
    xdo("key", "Return")
    time.sleep(1)
    shot("tapes-with-room")
    check(sql(films, "select 1") == "1" and any(n.name.startswith("Room for 50 min") for n in walk(app)),
          "the search for tapes with room shows its result")

    # File > Long List with Covers, then File > Export > Long List as PDF...
    xdo("key", "Escape")
    xdo("key", "alt+f")
    xdo("key", "c")
    xdo("key", "alt+f")
    xdo("key", "e")
    xdo("key", "l")
    time.sleep(1.5)
    pdf = os.path.join(home, "long.pdf")
    xdo("type", "--delay", "20", pdf)
    xdo("key", "Return")
    for _ in range(40):
        if os.path.exists(pdf):
            break
        time.sleep(0.25)
    time.sleep(1)
    shot("long-list-pdf-written")
    xdo("key", "Return")  # closes the message that names the file
    images = run("pdfimages", "-list", pdf).splitlines()[2:] if os.path.exists(pdf) else []
    check(len(images) == 1, "the long list as PDF has Alien's cover: %d pictures" % len(images))
    if os.path.exists(pdf):
        run("pdftoppm", "-png", "-r", "80", "-f", "1", "-l", "1", pdf, os.path.join(shots, "long-list-with-covers"))
        text = run("pdftotext", pdf, "-")
        check("Running time: 117 min" in text and "Location: Shelf 2" in text,
              "the long list names the running time and the location")
    stop(program)
    settings = os.path.join(home, "config", "Quelto", "Quelto.conf")
    check(os.path.exists(settings) and "LongListCovers=1" in open(settings).read(),
          "the covers choice is kept in the settings")

    # The Covers view of a catalogue of 5,000 records, most with a cover.
    many = os.path.join(home, "many.mdb")
    run(new_catalogue, many)
    program, app = start(many, home)
    stop(program)  # made by the program; now filled like a long-kept catalogue
    posters = []
    for i, (name, colour) in enumerate([("METROPOLIS", "navy"), ("VERTIGO", "darkred"), ("STALKER", "olive"),
                                        ("NOTORIOUS", "purple"), ("ALIEN", "darkgreen"), ("RASHOMON", "gray20")]):
        path = os.path.join(home, "p%d.jpg" % i)
        make_poster(path, name, colour)
        posters.append(open(path, "rb").read())
    db = sqlite3.connect(many)
    titles_stored = set()
    for column, kind in [("quelto_id", "INTEGER"), ("quelto_my_rating", "REAL"), ("quelto_seen", "TEXT"),
                         ("quelto_notes", "CLOB"), ("quelto_location", "TEXT COLLATE NOCASE"),
                         ("quelto_purchased", "TEXT"), ("quelto_price", "REAL"),
                         ("quelto_condition", "TEXT COLLATE NOCASE"), ("quelto_running_time", "INTEGER"),
                         ("quelto_speed", "TEXT")]:
        db.execute("alter table archive add column %s %s" % (column, kind))
    db.execute("create table quelto_covers (record_id INTEGER PRIMARY KEY, picture BLOB NOT NULL, format TEXT, "
               "width INTEGER, height INTEGER)")
    words = ["Big", "Sleep", "Maltese", "Falcon", "Night", "City", "Third", "Man", "Rear", "Window", "Lady",
             "Shanghai", "Touch", "Evil", "Empire", "Return"]
    for i in range(5000):
        title = "%s %s %d" % (words[i % 16], words[(i // 16) % 16], i)
        titles_stored.add(title)
        row = {c: " " for c in columns}
        row.update(title=title, catalog="T%04d" % (i // 3), md_type="VHS", mv_year=str(1930 + i % 70), **medium,
                   quelto_id=i + 1)
        db.execute("insert into archive (%s) values (%s)" % (",".join(row), ",".join("?" * len(row))),
                   list(row.values()))
        if i % 7 != 3:
            db.execute("insert into quelto_covers values (?, ?, 'jpeg', 400, 600)", (i + 1, posters[i % 6]))
    db.commit()
    db.close()
    program, app = start(many, home)
    click(node(app, "page tab", "Covers"))
    time.sleep(3)
    shot("covers-view-5000")
    grid = node(app, "list", "Covers")
    x, y = centre(grid)
    xdo("mousemove", str(x), str(y))
    for _ in range(25):
        xdo("click", "5")  # the wheel, down
    time.sleep(2)
    shot("covers-view-scrolled")
    # A card, as the screen reader names it, clicked: its record becomes the
    # current one, and Enter opens it on the Movie tab.
    x, y = centre(grid, 0.1, 0.2)
    card = grid.queryComponent().getAccessibleAtPoint(x, y, pyatspi.DESKTOP_COORDS)
    card_title = card.name if card is not None else ""
    check(card_title in titles_stored, "the card under the pointer is a record's: %r" % card_title)
    click(grid, 0.1, 0.2)
    time.sleep(0.5)
    shot("covers-view-card-chosen")
    xdo("key", "Return")
    time.sleep(1)
    shot("covers-view-opened")
    shown = node(app, "text", "Title").queryText()
    shown_title = shown.getText(0, shown.characterCount)
    check(shown_title == card_title, "the record shown is the card's: %r for %r" % (shown_title, card_title))
    try:
        movie_tab = node(app, None, "Produced by") is not None  # a field only the Movie tab has
    except RuntimeError:
        movie_tab = False
    check(movie_tab, "the Movie tab is in front after Enter on a card")
    stop(program)
    shutil.rmtree(home, ignore_errors=True)
except Exception as error:
    check(False, "the check stopped: %s" % error)
    try:
        program.kill()
    except Exception:
        pass
finally:
    for started in (wm, server):
        if started is not None:
            started.terminate()

print("%d failed" % len(failures))
sys.exit(1 if failures else 0)

#!/usr/bin/python3
"""The quick filter given real keys: on a catalogue whose titles and people
have accents and ligatures, `amelie`, `jurgen` and `oedipe` typed into the
List tab's filter field (xdotool) find their records, and `amélie` typed with
its accent finds only the accented spelling; each count is read back from the
window's accessibility tree (the filter description "Quick: amelie [1]").
Then `jurgen` typed into a cast field is offered "Jürgen Prochnow", taken
with Down and Return; the box's text is read back in its spelling.

    check_accent_filter.py QUELTO NEW_CATALOGUE SHOTS_FOLDER [DISPLAY_NUMBER]

Without a display number a free one is taken and an Xvfb and openbox started
on it. Exits 1 on the first failure."""
import os, shutil, subprocess, sys, tempfile, time

QUELTO, NEW_CATALOGUE, SHOTS = sys.argv[1], sys.argv[2], sys.argv[3]
DISPLAY = sys.argv[4] if len(sys.argv) > 4 else None
os.makedirs(SHOTS, exist_ok=True)
tmp = tempfile.mkdtemp()
started = []

def fail(text):
    print("FAIL: " + text, flush=True)
    finish(1)

def finish(code):
    for p in reversed(started):
        p.terminate()
        try:
            p.wait(5)
        except subprocess.TimeoutExpired:
            p.kill()
    shutil.rmtree(tmp, ignore_errors=True)
    sys.exit(code)

if DISPLAY is None:
    n = 90
    while os.path.exists("/tmp/.X11-unix/X%d" % n) or os.path.exists("/tmp/.X%d-lock" % n):
        n += 1
    DISPLAY = str(n)
os.environ["DISPLAY"] = ":" + DISPLAY
if subprocess.run(["xdpyinfo"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode != 0:
    started.append(subprocess.Popen(["Xvfb", ":" + DISPLAY, "-screen", "0", "1280x900x24", "-nolisten", "tcp"],
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
    for _ in range(50):
        if subprocess.run(["xdpyinfo"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode == 0:
            break
        time.sleep(0.1)
if "window id" not in subprocess.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], capture_output=True,
                                     text=True).stdout:
    started.append(subprocess.Popen(["openbox"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
    time.sleep(1)
# The accessibility bus of this session (dbus-run-session starts one when run from CTest).
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from window_session import WindowSession  # noqa: E402

catalogue = os.path.join(tmp, "accents.mdb")
if subprocess.run([NEW_CATALOGUE, catalogue]).returncode != 0:
    fail("no catalogue")
rows = [("A1", "Le Fabuleux Destin d'Amélie Poulain", "Jean-Pierre Jeunet", "Audrey Tautou"),
        ("A2", "Amelie from Ohio", "Some One", "Nobody"),
        ("A3", "Léon", "Luc Besson", "Jean Reno"),
        ("A4", "Das Boot", "Wolfgang Petersen", "Jürgen Prochnow"),
        ("A5", "Œdipe roi", "Jean Cocteau", "Jean Marais"),
        ("A6", "Casablanca", "Michael Curtiz", "Humphrey Bogart")]
sql = "".join("insert into archive (catalog, md_type, title, mv_director, mv_cast1) values "
              "('%s', 'VHS', '%s', '%s', '%s');\n" % tuple(v.replace("'", "''") for v in r) for r in rows)
if subprocess.run(["sqlite3", catalogue], input=sql, text=True).returncode != 0:
    fail("filling the catalogue")

session = WindowSession(QUELTO, catalogue, shots=SHOTS, home=os.path.join(tmp, "home"),
                        extra_env={"XDG_DATA_HOME": os.path.join(tmp, "home", "data"),
                                   "QTWEBENGINE_CHROMIUM_FLAGS": "--disable-gpu --no-sandbox"})
started.append(session.process)
nodes, xdo, click, shot = session.nodes, session.xdo, session.click, session.shot

def descriptions(app):
    return [n.name for n in nodes(app) if n.name.startswith("Quick: ")]

app, frame = session.main_window(settle=2.0)
if app is None:
    fail("no main window")
tabs = nodes(app, name="List", role="page tab")
if not tabs:
    fail("no List tab")
click(tabs[0])
time.sleep(1)

def filter_for(typed, expected):
    fields = nodes(app, name="Filter", role="text")
    if not fields:
        fail("no filter field")
    click(fields[0])
    xdo("key", "--clearmodifiers", "ctrl+a", "BackSpace")
    xdo("type", "--delay", "80", typed)
    want = "Quick: %s [%d]" % (typed, expected)
    t = time.time()
    while time.time() - t < 15:
        if want in descriptions(app):
            break
        time.sleep(0.3)
    shot("filter-" + typed.encode("ascii", "replace").decode().replace("?", "_"))
    if want not in descriptions(app):
        fail("typed %r: wanted %r, the window shows %r" % (typed, want, descriptions(app)))
    print("typed %r: %s" % (typed, want), flush=True)

filter_for("amelie", 2)      # "Amélie" and "Amelie"
filter_for("amélie", 1)      # only the accented spelling
filter_for("jurgen", 1)      # a cast member
filter_for("oedipe", 1)      # a ligature
filter_for("leon", 1)
filter_for("casablanca", 1)
print("all found", flush=True)

# Completion, accents aside: "jurgen" typed into a cast field offers the
# catalogue's "Jürgen Prochnow"; the entry taken is saved in its spelling.
movie = nodes(app, name="Movie", role="page tab")
if not movie:
    fail("no Movie tab")
click(movie[0])
time.sleep(1)
cast = [n for n in nodes(app, name="Cast 2") if n.getRoleName() in ("combo box", "text")]
if not cast:
    fail("no Cast 2 field")
click(cast[0])
time.sleep(0.5)
xdo("key", "--clearmodifiers", "ctrl+a", "BackSpace")
xdo("type", "--delay", "120", "jurgen")
time.sleep(2)
shot("completion-jurgen")
xdo("key", "--clearmodifiers", "Down")
time.sleep(0.3)
xdo("key", "--clearmodifiers", "Return")
time.sleep(0.5)
def cast_text():
    for n in nodes(app, name="Cast 2"):
        try:
            text = n.queryText().getText(0, -1)
        except NotImplementedError:
            text = ""
        if text:
            return text
    return ""
t = time.time()
while time.time() - t < 10 and cast_text() != "J\u00fcrgen Prochnow":
    time.sleep(0.3)
shot("completion-taken")
if cast_text() != "J\u00fcrgen Prochnow":
    fail("completion: the cast box holds %r" % cast_text())
print("completion: jurgen took J\u00fcrgen Prochnow", flush=True)
finish(0)

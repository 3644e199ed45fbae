"""Header clicks on a large catalogue timed on the screen, the way a user
sees them: no accessibility bridge in the program (it would follow every
reset of the List), the clicks given through XTEST and the List's first row
read from the X server every millisecond until it has changed and held
still; the time is that of its last change
(screen_probe.py). Each header is clicked twice (both ways) in each round;
from the second round on every order is kept.

    Xvfb :61 -screen 0 1600x1000x24 & DISPLAY=:61 openbox &
    DISPLAY=:61 python3 tests/realinput/header_clicks.py build/src/app/quelto /tmp/big.mdb OUTDIR [ROUNDS]

QUELTO_ACCESSIBLE=1 (run under dbus-run-session) turns the bridge on, as a
screen reader would.

The places are those of the window's default size and layout (openbox puts
it where it fits); OUTDIR/list.png shows the List as the clicks found it.
"""
import os, subprocess, sys, time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from screen_probe import ScreenProbe

QUELTO, CATALOGUE, OUT = sys.argv[1], sys.argv[2], sys.argv[3]
ROUNDS = int(sys.argv[4]) if len(sys.argv) > 4 else 3
os.makedirs(OUT, exist_ok=True)
home = "/tmp/headerclicks-home"
os.makedirs(home + "/config/Quelto", exist_ok=True)
open(home + "/config/Quelto/Quelto.conf", "w").write("[Settings]\nMovieSite=\n")
env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=home + "/config", QTWEBENGINE_DISABLE_SANDBOX="1",
           LC_ALL="C.UTF-8")
env.pop("QT_QPA_PLATFORM", None)
if os.environ.get("QUELTO_ACCESSIBLE"):
    env.update(QT_ACCESSIBILITY="1", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
else:
    for name in ("QT_ACCESSIBILITY", "QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "DBUS_SESSION_BUS_ADDRESS"):
        env.pop(name, None)
proc = subprocess.Popen([QUELTO, "--database", CATALOGUE], env=env, stdout=subprocess.DEVNULL,
                        stderr=subprocess.DEVNULL)

# Offsets from the main window's top left corner (its client area).
LIST_TAB = (275, 78)
HEADERS = [("Media-ID", (267, 131)), ("Title", (372, 131)), ("Year", (480, 131)),
           ("Director", (564, 131)), ("Genre", (660, 131))]
FIRST_ROW = (237, 143, 480, 14)


def main_window():
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(proc.pid), "--name", "^Quelto [0-9]"],
                           capture_output=True, text=True).stdout.split()
    for window in found:
        geometry = subprocess.run(["xdotool", "getwindowgeometry", "--shell", window],
                                  capture_output=True, text=True).stdout
        values = dict(line.split("=") for line in geometry.split())
        if int(values["WIDTH"]) > 400:
            return int(values["X"]), int(values["Y"])
    return None


probe = ScreenProbe()
start = time.time()
origin = None
while time.time() - start < 120 and origin is None:
    time.sleep(0.5)
    origin = main_window()
if origin is None:
    sys.exit("no main window")
time.sleep(3)
ox, oy = main_window()  # where it settled
probe.click(ox + LIST_TAB[0], oy + LIST_TAB[1])
time.sleep(3)
subprocess.run("xwd -root -silent | /usr/bin/convert xwd:- %s/list.png" % OUT, shell=True)
box = (ox + FIRST_ROW[0], oy + FIRST_ROW[1], FIRST_ROW[2], FIRST_ROW[3])
times = {}
for round_ in range(1, ROUNDS + 1):
    for name, (hx, hy) in HEADERS:
        for way in (1, 2):
            took = probe.click_and_wait(ox + hx, oy + hy, box)
            times.setdefault(round_, []).append(took)
            print("round %d %-9s click %d: %s" % (round_, name, way,
                  "%4.0f ms" % (took * 1000) if took is not None else "no change"), flush=True)
            time.sleep(1.0)
for round_, values in times.items():
    shown = sorted(t * 1000 for t in values if t is not None)
    if shown:
        print("round %d: %d clicks, %.0f to %.0f ms, median %.0f ms" % (
            round_, len(shown), shown[0], shown[-1], shown[len(shown) // 2]))
proc.terminate()
proc.wait(10)

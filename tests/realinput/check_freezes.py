#!/usr/bin/python3
"""The longest freeze of the window per command, by real input on a large
catalogue: the program runs with its freeze probe (QUELTO_FREEZE_LOG: each
wait of the window's event loop over 30 ms, with its start), each command is
given by xdotool on a real X display, and the waits that start between one
command and the next are that command's. Beside each, the stock sqlite3
tool's bare scan of archive (`select *`) is timed right after, to show the
machine's load.

    cp $QUELTO_BENCH_DIR/quelto-bench-1000000.mdb /tmp/big.mdb    # made by bench_commands
    Xvfb :64 -screen 0 1280x800x24 & DISPLAY=:64 openbox &
    DISPLAY=:64 dbus-run-session -- /usr/bin/python3 tests/realinput/check_freezes.py \\
        build/src/app/quelto /tmp/big.mdb OUTDIR [--loans 300] [--title love]

The catalogue is changed (loans added, a record deleted and restored); use a
copy. The title search looks for "marsh" (--title: a word some titles of the
catalogue hold; "love" for the realistic ones). Prints one line per command
and the worst of all."""
import argparse, os, sqlite3, subprocess, sys, time

parser = argparse.ArgumentParser()
parser.add_argument("quelto")
parser.add_argument("catalogue")
parser.add_argument("outdir")
parser.add_argument("--loans", type=int, default=300, help="tapes lent before the program starts")
parser.add_argument("--settle", type=float, default=6.0, help="seconds each command is given")
parser.add_argument("--title", default="marsh",
                    help="a word of some titles, for the title search (the realistic catalogues: love)")
args = parser.parse_args()
os.makedirs(args.outdir, exist_ok=True)
log = os.path.join(args.outdir, "freezes.log")
if os.path.exists(log):
    os.remove(log)

# Loans of the first tapes, a few overdue, as the program stores them.
db = sqlite3.connect(args.catalogue)
db.execute("create table if not exists quelto_loans (id INTEGER PRIMARY KEY, catalog TEXT COLLATE NOCASE NOT NULL, "
           "borrower TEXT COLLATE NOCASE NOT NULL, lent TEXT NOT NULL, due TEXT, returned TEXT, note TEXT)")
if db.execute("select count(*) from quelto_loans").fetchone()[0] == 0:
    tapes = [r[0] for r in db.execute("select distinct catalog from archive limit ?", (args.loans,))]
    for i, tape in enumerate(tapes):
        db.execute("insert into quelto_loans (catalog, borrower, lent, due) values (?, ?, ?, ?)",
                   (tape, "Borrower %d" % (i % 25), "2026-11-%02d" % (1 + i % 28), "2026-12-%02d" % (1 + i % 28)))
db.commit()
db.close()

home = os.path.join(args.outdir, "home")
os.makedirs(home + "/config/Quelto", exist_ok=True)
open(home + "/config/Quelto/Quelto.conf", "w").write("[Settings]\nMovieSite=\n")
env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=home + "/config", QTWEBENGINE_DISABLE_SANDBOX="1",
           LC_ALL="C.UTF-8", QUELTO_FREEZE_LOG=log)
env.pop("QT_QPA_PLATFORM", None)
proc = subprocess.Popen([args.quelto, "--database", args.catalogue], env=env,
                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def xdo(*words):
    return subprocess.run(["xdotool", *words], capture_output=True, text=True).stdout


def waits():
    if not os.path.exists(log):
        return []
    out = []
    for line in open(log):
        start, ms = line.split()
        out.append((float(start), int(ms)))
    return out


def bare_scan():
    start = time.monotonic()
    subprocess.run(["sqlite3", args.catalogue, "select * from archive"], stdout=subprocess.DEVNULL)
    return time.monotonic() - start


def main_window():
    ids = xdo("search", "--name", "^Quelto").split()
    return ids[-1] if ids else None


def shot(name):
    subprocess.run("xwd -root -silent | /usr/bin/convert xwd:- %s/%s.png" % (args.outdir, name), shell=True)


# Start-up: the window is up and has been answering for three seconds.
t0 = time.monotonic()
while time.monotonic() - t0 < 120:
    ids = [w for w in xdo("search", "--onlyvisible", "--name", "records in database|^Quelto").split()]
    if ids and waits() and time.monotonic() - max(s + ms / 1000 for s, ms in waits()) > 3:
        break
    time.sleep(0.5)
time.sleep(5)
window = main_window()
xdo("windowactivate", "--sync", window)
time.sleep(1)

results = []


def measure(label, *steps, settle=None):
    start = time.monotonic()
    for step in steps:
        if isinstance(step, (int, float)):
            time.sleep(step)
        elif step.startswith("type:"):
            xdo("type", "--delay", "40", step[5:])
        else:
            xdo("key", "--clearmodifiers", "--delay", "80", *step.split())
    time.sleep(settle or args.settle)
    end = time.monotonic()
    mine = [ms for s, ms in waits() if start <= s < end]
    worst = max(mine, default=0)
    scan = bare_scan()
    results.append((label, worst, scan))
    print("%-32s longest freeze %5d ms  (%d waits over 30 ms; sqlite3 bare scan %.2f s)" %
          (label, worst, len(mine), scan), flush=True)
    shot(label.replace(" ", "_"))


measure("loans window", "alt+i l")
measure("loans window closed", "Escape", settle=2)
measure("loans window again", "alt+i l")
measure("loans: tape history tab", "alt+t")
measure("loans window closed again", "Escape", settle=2)
xdo("windowactivate", "--sync", window)
measure("delete, answered yes", "alt+l", 1.0, "alt+y", settle=10)
measure("undo the delete", "ctrl+z")
measure("redo the delete", "ctrl+shift+z")
measure("undo again", "ctrl+z")
measure("sort by director", "alt+o d")
measure("sort by title", "alt+o t")
measure("search by title " + args.title, "ctrl+f", 1.5, " ".join(args.title) + " Return")
measure("last record", "ctrl+End")
measure("statistics", "alt+i s", settle=15)
measure("statistics closed", "Escape", settle=2)
xdo("windowactivate", "--sync", window)
measure("group pane", "alt+i g")
pdf = os.path.join(args.outdir, "short-list.pdf")
if os.path.exists(pdf):
    os.remove(pdf)
measure("short list as PDF", "alt+f e s", 2.0, "ctrl+a", "type:" + pdf, "Return", settle=45)
check_pdf = os.path.exists(pdf) and os.path.getsize(pdf) > 0
print("short list written: %s (%d bytes)" % (check_pdf, os.path.getsize(pdf) if check_pdf else 0), flush=True)
proc.terminate()
proc.wait(10)
print("WORST %d ms" % max(w for _, w, _ in results))

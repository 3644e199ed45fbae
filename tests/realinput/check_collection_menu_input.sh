#!/usr/bin/env bash
# Loans, groups and statistics given real input: xdotool clicks and keys on
# the running program under Xvfb and openbox, results read back with sqlite3
# and from the files written, screenshots on the way.
#   check_collection_menu_input.sh QUELTO NEW_CATALOGUE [DISPLAY_NUMBER] [SHOTS_FOLDER]
# Without a display number a free one is taken and an Xvfb started on it.
set -uo pipefail
quelto=$1
new_catalogue=$2
display=${3:-}
shots=${4:-}
here=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp -d)
pids=()
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$tmp"
}
trap cleanup EXIT

if [ -z "$display" ]; then
    display=90
    while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
fi
export DISPLAY=:$display HOME=$tmp/home XDG_CONFIG_HOME=$tmp/config XDG_DATA_HOME=$tmp/data
export QTWEBENGINE_DISABLE_SANDBOX=1 QTWEBENGINE_CHROMIUM_FLAGS="--disable-gpu --no-sandbox"
unset QT_QPA_PLATFORM
mkdir -p "$HOME"
if ! xdpyinfo >/dev/null 2>&1; then
    Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    pids+=($!)
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
fi
# A window manager on this display (other displays may have their own).
if ! xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then
    openbox >/dev/null 2>&1 &
    pids+=($!)
    sleep 1
fi

shot() { [ -n "$shots" ] && xwd -root -silent | convert xwd:- "$shots/$1.png" || true; }
window() {
    local id
    for _ in $(seq $(( ${2:-30} * 10 ))); do
        id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | tail -1 || true)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.1
    done
    return 1
}
sql() { sqlite3 "$tmp/films.mdb" "$1"; }

"$new_catalogue" "$tmp/films.mdb" || { fail "no catalogue"; exit 1; }
sqlite3 "$tmp/films.mdb" <"$here/five_thousand_records.sql" || { fail "filling the catalogue"; exit 1; }
"$quelto" --database "$tmp/films.mdb" >"$tmp/quelto.log" 2>&1 &
pids+=($!)
main=$(window "Quelto 1.2" 60) || { fail "no main window"; exit 1; }
# The window at the top left and of a known size: the clicks below land on the same controls.
xdotool windowmove --sync "$main" 0 0
xdotool windowsize --sync "$main" 1100 760
sleep 2
xdotool windowactivate --sync "$main"

# Lend... has no letter of its own (L, e, n and d belong to Delete, the Edit menu, New and All Data):
# it is clicked, at its place beside the tape's contents in the window of this size.
lend_button() { xdotool mousemove 947 431 click 1; }

# 1. Lend the first record's tape from the Media tab: Lend..., a borrower, Enter.
xdotool mousemove 35 119 click 1
sleep 0.5
lend_button
lend=$(window "Lend Tape" 10) || fail "no Lend dialog"
xdotool type --delay 40 "Anna Karlsson"
xdotool key Return
sleep 1
[ "$(sql "select catalog || '|' || borrower || '|' || ifnull(due, '') from quelto_loans")" = "T0003|Anna Karlsson|$(date -d '+14 days' +%F)" ] \
    || fail "the first loan was not stored as typed: $(sql 'select * from quelto_loans')"
shot media-tab-lent

# 2. The next record's tape, lent a month ago: overdue at once.
xdotool mousemove 84 53 click 1
sleep 0.5
lend_button
window "Lend Tape" 10 >/dev/null || fail "no Lend dialog for the second tape"
xdotool type --delay 40 "Ben Ottosson"
xdotool key Tab
xdotool key ctrl+a
xdotool type --delay 60 "10 $(date -d '-1 month' '+%b %Y')"
sleep 0.3
xdotool key Return
sleep 1
[ "$(sql "select count(*) from quelto_loans where returned is null and due < date('now')")" = 1 ] \
    || fail "no overdue loan: $(sql 'select * from quelto_loans')"
shot media-tab-overdue

# 3. A borrower's name of 150 characters is refused with a message, and nothing is stored.
xdotool mousemove 84 53 click 1
sleep 0.5
lend_button
window "Lend Tape" 10 >/dev/null || fail "no Lend dialog for the third tape"
xdotool type --delay 2 "$(printf 'Carl%.0s' $(seq 38))"
xdotool key Return
if box=$(window "Quelto" 10); then
    sleep 0.5
    shot lend-refused
    xdotool windowactivate --sync "$box" key Return
else
    fail "no message for a borrower's name of 152 characters"
fi
sleep 0.5
xdotool key Escape
sleep 0.5
[ "$(sql "select count(*) from quelto_loans")" = 2 ] || fail "a refused loan was stored"

# 4. The Loans window from the Collection menu; Escape closes it.
xdotool windowactivate --sync "$main"
xdotool key --clearmodifiers alt+i
sleep 0.4
xdotool key l
loans=$(window "Loans" 10) || fail "no Loans window"
sleep 1
shot loans-window
xdotool windowactivate --sync "$loans" key Escape
sleep 0.5

# 5. The group pane on the List tab (Media, Movie, Personal, IMDb, List, Covers):
# genre, a group chosen, then by decade.
xdotool windowactivate --sync "$main"
xdotool mousemove 278 119 click 1
sleep 2
shot group-pane-genre
xdotool mousemove 41 269 click 1
sleep 2
shot group-pane-genre-chosen
xdotool key --clearmodifiers alt+g
xdotool type --delay 60 "Deca"
sleep 2
shot group-pane-decade
# By borrower: the first borrower's records, with the Loan column filled.
xdotool key --clearmodifiers alt+g
xdotool type --delay 60 "Borr"
sleep 2
xdotool mousemove 41 227 click 1
sleep 2
shot group-pane-borrower

# 6. The Statistics window (four lines of summary above the charts), and its genre chart saved as PNG.
xdotool key --clearmodifiers alt+i
sleep 0.4
xdotool key s
stats=$(window "Statistics" 10) || fail "no Statistics window"
xdotool windowmove --sync "$stats" 0 0
xdotool windowsize --sync "$stats" 1270 1000
sleep 3
shot statistics-window
xdotool mousemove 1134 497 click 1
sleep 3
xdotool key ctrl+a
xdotool type --delay 20 "$tmp/genre.png"
xdotool key Return
sleep 2
size=$(python3 -c "import struct,sys; d=open(sys.argv[1],'rb').read(24); print(struct.unpack('>II', d[16:24]) if d[:8]==b'\x89PNG\r\n\x1a\n' else '')" "$tmp/genre.png" 2>/dev/null)
[ "$size" = "(1800, 1200)" ] || fail "the genre chart was not saved as a PNG ($size)"
[ -n "$shots" ] && cp "$tmp/genre.png" "$shots/chart-saved-genre.png" 2>/dev/null
# The charts further down: ratings, seen, tapes and loans.
xdotool windowactivate --sync "$stats"
xdotool mousemove 640 600
for _ in $(seq 12); do xdotool click 5; sleep 0.1; done
sleep 1
shot statistics-window-lower
xdotool mousemove 640 900
for _ in $(seq 20); do xdotool click 5; sleep 0.1; done
sleep 1
shot statistics-window-bottom

if [ "$failures" -gt 0 ]; then
    echo "$failures checks failed; the program said:"
    tail -20 "$tmp/quelto.log"
    exit 1
fi
echo "all checks passed"

#!/usr/bin/env bash
# Real input on a real window (Xvfb, openbox, xdotool): File > Import > CSV of
# a large file, cancelled in its progress window and then run to the end; the
# same file again, whose rows are in the catalogue already; File > Export > CSV.
# What was stored is read back with sqlite3; screenshots go to SHOTS.
#   check_window_exchange.sh QUELTO_BINARY [DISPLAY-NUMBER] [SHOTS]
set -euo pipefail
quelto=$1
display=${2:-99}
shots=${3:-}
tmp=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$tmp"
}
trap cleanup EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
export DISPLAY=:$display HOME=$tmp/home XDG_CONFIG_HOME=$tmp/config XDG_DATA_HOME=$tmp/data
export QTWEBENGINE_DISABLE_SANDBOX=1 QTWEBENGINE_CHROMIUM_FLAGS="--disable-gpu --no-sandbox"
mkdir -p "$HOME"

if ! xdpyinfo >/dev/null 2>&1; then
    Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    pids+=($!)
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
fi
if ! xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then
    openbox >/dev/null 2>&1 &
    pids+=($!)
    sleep 1
fi

shot() { [ -n "$shots" ] && xwd -root -silent | convert xwd:- "$shots/$1.png" || true; }
# The id of a window whose title is exactly $1, waiting for it up to $2 seconds.
window() {
    local id
    for _ in $(seq $(( ${2:-30} * 10 ))); do
        id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | tail -1 || true)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.1
    done
    return 1
}
gone() {
    for _ in $(seq $(( ${2:-60} * 10 ))); do
        xdotool getwindowname "$1" >/dev/null 2>&1 || return 0
        sleep 0.1
    done
    return 1
}
count() { sqlite3 "$tmp/films.mdb" "select count(*) from archive"; }

# A catalogue of 200,000 records (made by the program, filled by sqlite3) and
# a file of 300,000 new ones.
"$quelto" --database "$tmp/films.mdb" >"$tmp/quelto.log" 2>&1 &
pids+=($!)
main=$(window "Quelto 1.2" 60) || { fail "no main window"; exit 1; }
xdotool windowactivate --sync "$main" key --clearmodifiers ctrl+q
sleep 2
sqlite3 "$tmp/films.mdb" "with recursive n(i) as (select 1 union all select i + 1 from n where i < 200000)
    insert into archive (catalog, title, mv_director) select 'S' || i, 'Stored film ' || i, 'Someone' from n" \
    || fail "filling the catalogue"
awk 'BEGIN { print "catalog,title,mv_director,mv_genre,mv_year";
             for (i = 0; i < 300000; i++) printf "\"N%06d\",\"New film %d\",\"Director %d\",\"Drama\",\"19%02d\"\r\n", i, i, i % 977, i % 100 }' \
    >"$tmp/new.csv"
cp "$tmp/new.csv" "$tmp/more.csv"
awk 'BEGIN { for (i = 0; i < 1000; i++) printf "\"M%04d\",\"More film %d\",\"Someone\",\"Drama\",\"1999\"\r\n", i, i }' \
    >>"$tmp/more.csv"
"$quelto" --database "$tmp/films.mdb" >>"$tmp/quelto.log" 2>&1 &
pids+=($!)
main=$(window "Quelto 1.2" 60) || { fail "no main window"; exit 1; }
sleep 2
before=$(count)

import_file() {
    local file=${1:-$tmp/new.csv}
    xdotool windowactivate --sync "$main"
    xdotool key --clearmodifiers alt+f
    sleep 0.5
    xdotool key i
    sleep 0.5
    xdotool key c
    window "Import CSV" 20 >/dev/null || { fail "no file dialog"; return 1; }
    sleep 0.5
    xdotool type --delay 20 "$file"
    xdotool key Return
}
# The next window titled "Quelto" that is not $1 (a progress window, a question, a message).
next_box() {
    local id
    for _ in $(seq $(( ${2:-60} * 10 ))); do
        id=$(xdotool search --onlyvisible --name "^Quelto\$" 2>/dev/null | tail -1 || true)
        [ -n "$id" ] && [ "$id" != "$1" ] && { echo "$id"; return 0; }
        sleep 0.1
    done
    return 1
}
press() { xdotool windowactivate --sync "$1" 2>/dev/null || true; xdotool key --clearmodifiers "$2"; }
# Waits until the catalogue holds $1 records, then for the message that follows.
stored_then_told() {
    for _ in $(seq 3000); do
        [ "$(count 2>/dev/null)" = "$1" ] && break
        sleep 0.2
    done
    sleep 1.5
    xdotool search --onlyvisible --name "^Quelto\$" 2>/dev/null | tail -1
}

# 1. Cancelled while the records are stored: nothing stored.
import_file
reading=$(next_box "" 30) || fail "no progress window while reading"
shot import-reading
gone "$reading" 300 || fail "the reading never ended"
storing=$(next_box "$reading" 30) || fail "no progress window while storing"
sleep 0.5
shot import-storing
press "$storing" Escape
told=$(next_box "$storing" 60) || fail "no word after Cancel"
sleep 0.5
shot import-cancelled
press "$told" Return
sleep 1
[ "$(count)" = "$before" ] || fail "a cancelled import stored $(( $(count) - before )) records"

# 2. To the end.
import_file
told=$(stored_then_told "$((before + 300000))")
shot import-done
press "$told" Return
sleep 1
[ "$(count)" = "$((before + 300000))" ] || fail "the import stored $(( $(count) - before )) records, not 300000"

# 3. The same rows and 1,000 new ones: asked; "Skip Them" stores the new ones only.
import_file "$tmp/more.csv"
reading=$(next_box "" 30) || fail "no progress window while reading"
gone "$reading" 300
asked=$(next_box "$reading" 60) || fail "no question about the rows stored already"
sleep 0.5
shot import-duplicates-question
press "$asked" alt+s
sleep 1
shot import-duplicates-storing
told=$(stored_then_told "$((before + 301000))")
shot import-duplicates-skipped
press "$told" Return
sleep 1
[ "$(count)" = "$((before + 301000))" ] || fail "after skipping: $(( $(count) - before )) records more, not 301000"

# 4. The first file once more: every row is stored already; Escape stores nothing.
import_file
reading=$(next_box "" 30) || fail "no progress window while reading"
gone "$reading" 300
asked=$(next_box "$reading" 60) || fail "no question about the rows stored already"
sleep 0.5
shot import-all-stored-question
press "$asked" Escape
sleep 2
[ "$(count)" = "$((before + 301000))" ] || fail "identical rows were stored again"

xdotool windowactivate --sync "$main" key --clearmodifiers ctrl+q
sleep 1
if [ "$failures" -gt 0 ]; then
    echo "$failures failed"
    exit 1
fi
echo "window exchange checks passed"

#!/usr/bin/env bash
# Delete and the record count on a large catalogue, given real input: xdotool
# keys on the running program under Xvfb and openbox, results read back with
# sqlite3, screenshots on the way. The first delete of the run waits for the
# backup copy, and a delete after another program's change finds the rows and
# counts them again: all of it away from the window's thread, which keeps
# drawing (the busy indicator in the status bar) meanwhile.
#   check_delete_input.sh QUELTO NEW_CATALOGUE [RECORDS] [DISPLAY_NUMBER] [SHOTS_FOLDER]
# Without a display number a free one is taken and an Xvfb started on it.
set -uo pipefail
quelto=$1
new_catalogue=$2
records=${3:-200000}
display=${4:-}
shots=${5:-}
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
catalogue=$tmp/films.mdb
sql() { sqlite3 "$catalogue" "$1"; }
# Waits until the program no longer holds the file (its write is over).
settled() { for _ in $(seq 600); do [ "$(sql "$1" 2>/dev/null)" = "$2" ] && return 0; sleep 0.1; done; return 1; }

"$new_catalogue" "$catalogue" || { fail "no catalogue"; exit 1; }
sql "with recursive n(i) as (select 1 union all select i + 1 from n where i < $records)
     insert into archive (catalog, md_type, md_format, md_image, md_sound, md_language, mv_year, mv_genre,
                          mv_director, mv_cast1, mv_cast6, title)
     select printf('T%06d', i / 3), 'VHS', 'PAL', 'Widescreen', 'Stereo', 'English', 1920 + i % 90,
            case i % 3 when 0 then 'Drama' when 1 then 'Western' else 'Film noir' end,
            'Director ' || (i % 500), 'Actor ' || (i % 977), 'Actress ' || (i % 733),
            'Movie ' || printf('%07d', i) from n" || { fail "filling the catalogue"; exit 1; }
first=$(sql "select title from archive order by title limit 1")

"$quelto" --database "$catalogue" >"$tmp/quelto.log" 2>&1 &
pids+=($!)
main=$(window "Quelto 1.2" 120) || { fail "no main window"; exit 1; }
xdotool windowmove --sync "$main" 0 0
xdotool windowsize --sync "$main" 1100 760
sleep 3
xdotool windowactivate --sync "$main"
shot opened

# 1. The first delete of the run: Alt+L, the question answered Yes (Alt+Y; No is the default).
xdotool key --clearmodifiers alt+l
ask=$(window "Quelto" 10) || fail "no question before the delete"
sleep 0.3
shot delete-question
xdotool key --clearmodifiers alt+y
sleep 0.2
shot first-delete-running
settled "select count(*) from archive where title = '$first'" 0 || fail "the first record was not deleted"
[ "$(sql 'select count(*) from archive')" = "$((records - 1))" ] || fail "not exactly one record deleted"
ls "$tmp"/films.backup-*.mdb >/dev/null 2>&1 || fail "no backup copy before the first change"
[ "$(sqlite3 "$(ls "$tmp"/films.backup-*.mdb | head -1)" "select count(*) from archive where title = '$first'")" = 1 ] \
    || fail "the backup copy does not hold the deleted record"
sleep 2
shot after-first-delete

# 2. Another program adds a record; the next delete finds the rows again and counts them.
sql "insert into archive (catalog, md_type, title) values ('X000001', 'DVD', 'Aaa added elsewhere')"
second=$(sql "select title from archive where title > '$first' and title <> 'Aaa added elsewhere' order by title limit 1")
xdotool windowactivate --sync "$main"
xdotool key --clearmodifiers alt+l
window "Quelto" 10 >/dev/null || fail "no question before the second delete"
sleep 0.3
xdotool key --clearmodifiers alt+y
sleep 0.3
shot second-delete-running
settled "select count(*) from archive where title = '$second'" 0 || fail "the record shown was not deleted: $second"
[ "$(sql 'select count(*) from archive')" = "$((records - 1))" ] || fail "the count in the file is wrong"
sleep 4
shot after-second-delete
[ "$(ls "$tmp"/films.backup-*.mdb | wc -l)" = 1 ] || fail "more than one backup copy in a run"

xdotool key --clearmodifiers ctrl+q 2>/dev/null
sleep 1
grep -i "error\|fatal" "$tmp/quelto.log" && fail "the program reported errors"
[ "$failures" = 0 ] && echo "PASS: delete and count with real input on $records records"
exit "$failures"

#!/usr/bin/env bash
# Real input on a real window (Xvfb, openbox, xdotool): File > Import > "From
# Another Catalogue..." of a Tellico collection with covers and loans; the
# preview is answered with its Import button, the summary read, and what was
# stored read back with sqlite3. Then "From a Folder of .nfo Files...": the
# folder chosen in the file dialog, the media ID prefix typed. Screenshots of
# the preview and the summary go to SHOTS.
#   check_import_window.sh QUELTO_BINARY [DISPLAY-NUMBER] [SHOTS]
set -euo pipefail
quelto=$1
display=${2:-97}
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
[ -n "$shots" ] && mkdir -p "$shots"

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
sql() { sqlite3 "$tmp/films.mdb" "$1"; }

# A Tellico collection of 60 movies, every third with a cover, four on loan.
python3 - "$tmp/collection.tc" <<'PY'
import sys, zipfile, struct, zlib
def png(r, g, b):
    raw = b''.join(b'\x00' + bytes([r, g, b]) * 40 for _ in range(60))
    chunk = lambda t, d: struct.pack('>I', len(d)) + t + d + struct.pack('>I', zlib.crc32(t + d))
    return b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', 40, 60, 8, 2, 0, 0, 0)) + \
        chunk(b'IDAT', zlib.compress(raw)) + chunk(b'IEND', b'')
entries, loans, images = [], [], {}
for i in range(1, 61):
    cover = ''
    if i % 3 == 0:
        name = 'cover%02d.png' % i
        images[name] = png(40 * (i % 6), 90, 200 - i)
        cover = '<cover>%s</cover>' % name
    entries.append('<entry id="%d"><title>Film number %d</title><medium>VHS</medium><year>%d</year>'
                   '<genres><genre>Drama</genre></genres><directors><director>Director %d</director></directors>'
                   '<rating>%d</rating>%s</entry>' % (i, i, 1950 + i, i % 7, 1 + i % 5, cover))
    if i % 15 == 0:
        loans.append('<loan uid="l%d" loanDate="2026-11-0%d" dueDate="2026-12-01" entryRef="%d">Lent</loan>'
                     % (i, i // 15, i))
xml = ('<?xml version="1.0" encoding="UTF-8"?>\n<tellico xmlns="http://periapsis.org/tellico/" syntaxVersion="11">'
       '<collection title="Videos" type="3">' + ''.join(entries) +
       '<borrowers><borrower name="Jane Doe" uid="b1">' + ''.join(loans) + '</borrower></borrowers>'
       '</collection></tellico>\n')
with zipfile.ZipFile(sys.argv[1], 'w') as z:
    z.writestr('tellico.xml', xml)
    for name, data in images.items():
        z.writestr('images/' + name, data)
PY

"$quelto" --database "$tmp/films.mdb" >"$tmp/quelto.log" 2>&1 &
pids+=($!)
main=$(window "Quelto 1.2" 60) || { fail "no main window"; exit 1; }
sleep 4
xdotool windowactivate --sync "$main"
xdotool key --clearmodifiers alt+f
sleep 0.5
xdotool key i
sleep 0.5
xdotool key a
window "Import From Another Catalogue" 20 >/dev/null || { fail "no file dialog"; exit 1; }
sleep 0.5
xdotool type --delay 20 "$tmp/collection.tc"
xdotool key Return
asked=$(next_box "" 60) || { fail "no preview"; exit 1; }
sleep 0.8
shot import-preview
press "$asked" alt+i
told=$(next_box "$asked" 60) || fail "no summary"
sleep 0.8
shot import-summary
press "$told" Return
sleep 1
[ "$(sql 'select count(*) from archive')" = 60 ] || fail "stored $(sql 'select count(*) from archive') movies, not 60"
covers=$(sql "select count(*) from sqlite_master where name = 'quelto_covers'")
[ "$covers" = 1 ] && [ "$(sql 'select count(*) from quelto_covers')" = 20 ] || fail "covers not stored"
[ "$(sql 'select count(*) from quelto_loans')" = 4 ] || fail "loans not stored"
shot import-after

# A folder of Kodi .nfo files, which give no numbers: the prefix is asked for.
mkdir -p "$tmp/nfo/Heat (1995)" "$tmp/nfo/Ran (1985)"
printf '<movie><title>Heat</title><year>1995</year></movie>\n' >"$tmp/nfo/Heat (1995)/Heat.nfo"
printf '<movie><title>Ran</title><year>1985</year></movie>\n' >"$tmp/nfo/Ran (1985)/Ran.nfo"
xdotool windowactivate --sync "$main"
xdotool key --clearmodifiers alt+f
sleep 0.5
xdotool key i
sleep 0.5
xdotool key f
window "Import a Folder of Kodi .nfo Files" 20 >/dev/null || { fail "no folder dialog"; exit 1; }
sleep 0.5
xdotool type --delay 20 "$tmp/nfo"
xdotool key Return
asked=$(next_box "" 60) || { fail "no preview of the folder"; exit 1; }
sleep 0.8
press "$asked" alt+i
prefix=$(window "Import From Another Catalogue" 30) || { fail "no prefix question"; exit 1; }
sleep 0.5
shot import-prefix
xdotool windowactivate --sync "$prefix" key --clearmodifiers ctrl+a
xdotool type --delay 20 "NFO-"
xdotool key Return
told=$(next_box "$asked" 60) || fail "no summary of the folder"
sleep 0.8
press "$told" Return
sleep 1
ids=$(sql "select group_concat(catalog, ',') from (select catalog from archive where title in ('Heat', 'Ran') order by catalog)")
[ "$ids" = "NFO-1,NFO-2" ] || fail "the folder's movies have the media IDs '$ids', not NFO-1,NFO-2"

xdotool windowactivate --sync "$main" key --clearmodifiers ctrl+q
sleep 1
if [ "$failures" -eq 0 ]; then echo "import window: all checks passed"; fi
exit "$failures"

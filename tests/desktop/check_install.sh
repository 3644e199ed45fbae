#!/usr/bin/env bash
# Installs the build into a temporary DESTDIR and checks what the desktop
# reads from it: the menu entry, the AppStream metadata, the icons, the manual
# page, and the catalogue's file type as the desktop's own tools detect it.
#   check_install.sh BUILD_DIR NEW_CATALOGUE_TOOL
set -euo pipefail
build=$1
new_catalogue=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

DESTDIR="$tmp/root" cmake --install "$build" --prefix /usr >"$tmp/install.log"
share="$tmp/root/usr/share"
id=org.quelto.Quelto

for f in usr/bin/quelto usr/libexec/quelto/quelto-convert-access "usr/share/applications/$id.desktop" "usr/share/metainfo/$id.metainfo.xml" \
         "usr/share/mime/packages/$id.xml" "usr/share/icons/hicolor/scalable/apps/$id.svg" \
         "usr/share/icons/hicolor/48x48/apps/$id.png" "usr/share/icons/hicolor/256x256/apps/$id.png" \
         usr/share/man/man1/quelto.1.gz usr/share/doc/quelto/Quelto.html; do
    [ -e "$tmp/root/$f" ] || fail "not installed: /$f"
done
if grep -E '^-- (Installing|Up-to-date): ' "$tmp/install.log" | grep -v -F -- "$tmp/root/usr/"; then
    fail "installed outside DESTDIR and the prefix"
fi

# The installed program finds its Access converter beside it in the library folder.
answer=$("$tmp/root/usr/libexec/quelto/quelto-convert-access" plan "$tmp/none.mdb" || true)
grep -q '^error ' <<<"$answer" || fail "the installed converter does not answer"

desktop-file-validate "$share/applications/$id.desktop" || fail "desktop entry"
appstreamcli validate --no-net --pedantic "$share/metainfo/$id.metainfo.xml" >"$tmp/appstream.log" 2>&1 \
    || { cat "$tmp/appstream.log"; fail "AppStream metadata"; }
grep -q '^Icon='"$id"'$' "$share/applications/$id.desktop" || fail "the desktop entry names another icon"
man -l "$share/man/man1/quelto.1.gz" >/dev/null 2>"$tmp/man.log" && ! [ -s "$tmp/man.log" ] \
    || { cat "$tmp/man.log"; fail "manual page"; }

# The file type: a mime database made from the installed definition only,
# found first through XDG_DATA_HOME; the system's types stay behind it.
update-mime-database "$share/mime" 2>"$tmp/mime.log" || { cat "$tmp/mime.log"; fail "update-mime-database"; }
export XDG_DATA_HOME=$share XDG_DATA_DIRS=/usr/share
mkdir "$tmp/files"
"$new_catalogue" "$tmp/files/films.mdb" "$tmp/files/Films" "$tmp/files/films.db"
sqlite3 "$tmp/files/other.mdb" "create table t (x)"
expect_type() {
    local file=$1 want=$2 got
    for desktop in "" GNOME; do
        got=$(XDG_CURRENT_DESKTOP=$desktop xdg-mime query filetype "$file" 2>/dev/null || true)
        [ "$got" = "$want" ] || fail "$(basename "$file") ${desktop:+($desktop) }is \"$got\", not $want"
    done
}
for name in films.mdb Films films.db; do
    expect_type "$tmp/files/$name" application/x-quelto-catalogue
done
# GIO reads an SQLite file named *.mdb without the id as a catalogue too (one
# made before the id existed, which the program marks on opening); the
# freedesktop.org tool goes by content alone.
sqlite_type=$(XDG_DATA_HOME=/nonexistent xdg-mime query filetype "$tmp/files/other.mdb")
[ "$(xdg-mime query filetype "$tmp/files/other.mdb")" != application/x-quelto-catalogue ] \
    || fail "a plain SQLite file (the system says $sqlite_type) is taken for a catalogue"
grep -q '^MimeType=application/x-quelto-catalogue;$' "$share/applications/$id.desktop" \
    || fail "the desktop entry does not open catalogues"

if [ "$failures" -gt 0 ]; then
    echo "$failures failed"
    exit 1
fi
echo "install checks passed"

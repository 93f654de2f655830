#!/bin/sh
# The program installed as a desktop program, into a scratch prefix: its
# desktop entry and metainfo pass the validators, the file type is known by
# name and by content on a private XDG_DATA_HOME, a .clv opens with the
# program, and the installed program, run by an ordinary user on a document
# from the command line, keeps its files in that user's data folder,
# starting from the shipped IRL.
#
#   desktop_install_test.sh BUILD_DIR APP_ID MIME_TYPE
#
# KEEP=1 leaves the scratch folder in place, to look at after a failure.
set -eu
build=$1
app_id=$2
mime=$3

root=$(mktemp -d)
cleanup() {
    [ -n "${KEEP:-}" ] && return
    chmod -R u+w "$root" 2>/dev/null
    rm -rf "$root"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

prefix=$root/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
share=$prefix/share

# Menu entry, metainfo and icons.
out=$(desktop-file-validate "$share/applications/$app_id.desktop" 2>&1) ||
    fail "desktop-file-validate: $out"
[ -z "$out" ] || fail "desktop-file-validate: $out"
out=$(appstreamcli validate --no-net "$share/metainfo/$app_id.metainfo.xml" 2>&1) ||
    fail "appstreamcli validate: $out"
for size in 16 32 48 64 128 256; do
    [ -s "$share/icons/hicolor/${size}x$size/apps/$app_id.png" ] || fail "no ${size}px icon"
done
[ -s "$share/icons/hicolor/scalable/apps/$app_id.svg" ] || fail "no scalable icon"

# The file type, by name and by content, and the program that opens it.
XDG_DATA_HOME="$share" update-mime-database "$share/mime"
XDG_DATA_HOME="$share" update-desktop-database "$share/applications"
docs=$root/docs
mkdir -p "$docs"
# A calculation: lease of 15 March 2015, revised from 2016 to 2019 on the
# fourth-quarter IRL, 800 EUR.
printf '\103\114\126\217\301\367\001\217\001\370\001\217\301\370\001\001\205\367\001\000\000\000\000\000\000\211\100' \
    >"$docs/bail.clv"
[ "$(wc -c <"$docs/bail.clv")" -eq 27 ] || fail "the sample document is not 27 bytes"
cp "$docs/bail.clv" "$docs/calcul.dat"
printf 'Ceci est un texte.\n' >"$docs/notes.dat"
query() {
    env -u XDG_CURRENT_DESKTOP -u DESKTOP_SESSION -u KDE_FULL_SESSION -u GNOME_DESKTOP_SESSION_ID \
        XDG_DATA_HOME="$share" XDG_DATA_DIRS=/usr/share xdg-mime query "$@"
}
for f in bail.clv calcul.dat; do
    [ "$(query filetype "$docs/$f")" = "$mime" ] || fail "$f is not $mime: $(query filetype "$docs/$f")"
done
[ "$(query filetype "$docs/notes.dat")" != "$mime" ] || fail "any file is taken for $mime"
[ "$(query default "$mime")" = "$app_id.desktop" ] || fail "$mime does not open with $app_id"

# An ordinary user runs the installed program, which nobody may write into.
chmod -R a-w "$prefix"
chmod 755 "$root"
home=$root/home
mkdir -p "$home/.config/MORVA" "$home/run"
cp "$docs/bail.clv" "$home/bail.clv"
# "Cible" 3 exports nothing: no program is opened, the clipboard is left alone.
printf '[G%%E9n%%E9ral]\nCible=3\nSymbole=EUR\n' >"$home/.config/MORVA/Calvor.conf"
chmod 700 "$home/run"
run_as_user="env"
if [ "$(id -u)" -eq 0 ]; then
    uid=40000
    while getent passwd "$uid" >/dev/null || getent group "$uid" >/dev/null; do
        uid=$((uid + 1))
    done
    chown -R "$uid:$uid" "$home"
    run_as_user="setpriv --reuid=$uid --regid=$uid --clear-groups env"
fi
status=0
$run_as_user HOME="$home" XDG_DATA_HOME="$home/.local/share" XDG_CONFIG_HOME="$home/.config" \
    XDG_RUNTIME_DIR="$home/run" QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8 \
    timeout 120 "$prefix/bin/calvor" "$home/bail.clv" || status=$?
[ "$status" -eq 0 ] || fail "the installed program ended with status $status"

data=$home/.local/share/MORVA/Calvor
[ -s "$data/Calcul.rtf" ] || fail "no Calcul.rtf in the user's data folder"
grep -q '129[.,]03' "$data/Calcul.rtf" || fail "the report does not use the IRL of 2018 Q4"
cmp -s "$data/Indices.txt" "$share/calvor/IRL.txt" || fail "Indices.txt does not hold the IRL"
[ ! -e "$prefix/bin/Indices.txt" ] && [ ! -e "$prefix/bin/Calcul.rtf" ] ||
    fail "files written beside the installed program"
echo "installed program: file type, menu entry and command-line run in the user's folder"

#!/usr/bin/env bash
# Installs a configured, built tree into a scratch prefix and checks what a
# desktop and a software centre will read from it: the program, its menu
# entry, its icons, its AppStream metadata, its manual page and changelog,
# and that all of them agree on the app id and on the version in
# project(VERSION). Then starts the installed program on a desktop that
# offers only Wayland.
#
# usage: install_test.sh <build dir> <source dir>
set -uo pipefail

build=${1:?build dir}
source=${2:?source dir}

fail=0
check() {  # check <description> <command...>
    if "${@:2}"; then echo "ok:   $1"; else echo "FAIL: $1"; fail=1; fi
}

# The tools are not optional: a missing validator must not pass as a clean tree.
for tool in desktop-file-validate appstreamcli readelf file man weston weston-debug; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed"; exit 1; }
done

# The expected version is read from the source, not from the build, so a stale
# or hand-edited generated file cannot vouch for itself.
version=$(sed -n 's/^project(tonegen VERSION \([0-9.]*\).*/\1/p' "$source/CMakeLists.txt")
[ -n "$version" ] || { echo "FAIL: no project(tonegen VERSION ...) in $source/CMakeLists.txt"; exit 1; }

prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null || { echo "FAIL: cmake --install"; exit 1; }

bin=$prefix/bin/tonegen
check "program installed and executable" test -x "$bin"
check "program carries 'tonegen $version zh-CN'" grep -qaF "tonegen $version zh-CN" "$bin"
# An ELF note, not merely a string: readelf -n is how it is meant to be read.
check "version note readable with readelf -n" \
    bash -c 'readelf -n "$1" | grep -A2 "^Displaying notes found in: .note.tonegen.version" | grep -q "^  tonegen "' _ "$bin"

shopt -s nullglob
desktops=("$prefix"/share/applications/*.desktop)
metainfos=("$prefix"/share/metainfo/*.metainfo.xml)
check "exactly one desktop entry" test ${#desktops[@]} -eq 1
check "exactly one metainfo file" test ${#metainfos[@]} -eq 1
[ $fail -eq 0 ] || exit 1
desktop=${desktops[0]}
metainfo=${metainfos[0]}
appid=$(basename "$desktop" .desktop)

key() { sed -n "s/^$1=//p" "$desktop"; }

# Hints are allowed (they are advice); errors and warnings are not, and
# desktop-file-validate exits 0 on warnings.
check "desktop entry passes desktop-file-validate" \
    bash -c 'out=$(desktop-file-validate "$1") && ! grep -qE ": (error|warning):" <<<"$out" || { echo "$out"; false; }' _ "$desktop"
check "desktop Exec runs the installed program" test "$(key Exec)" = tonegen
check "desktop Icon is the app id" test "$(key Icon)" = "$appid"
# The dialog speaks only Chinese, so the untranslated Name is the Chinese one.
check "desktop default Name is the zh_CN Name" test "$(key Name)" = "$(key 'Name\[zh_CN\]')"
check "zh_CN Name is not ASCII" bash -c 'LC_ALL=C grep -q "[^ -~]" <<<"$1"' _ "$(key 'Name\[zh_CN\]')"
for k in Name Comment; do check "desktop has an English $k" test -n "$(key "$k\\[en\\]")"; done
check "desktop carries version $version" test "$(key X-Tonegen-Version)" = "$version"

for size in 16 32 48; do
    png=$prefix/share/icons/hicolor/${size}x${size}/apps/$appid.png
    check "${size}px icon is a ${size}x${size} PNG" \
        bash -c 'file -b "$1" | grep -q "^PNG image data, $2 x $2,"' _ "$png" "$size"
done
check "scalable icon is SVG" bash -c 'file -b "$1" | grep -q SVG' _ "$prefix/share/icons/hicolor/scalable/apps/$appid.svg"

# Pedantic, but for the one thing the app id itself brings: its capitals,
# which desktops need to match the Wayland app id to the entry.
check "metainfo passes appstreamcli validate --pedantic" \
    bash -c 'out=$(appstreamcli validate --pedantic --no-net "$1" 2>&1) &&
             ! grep -E "^[EWIP]: " <<<"$out" | grep -v ": cid-contains-uppercase-letter " || { echo "$out"; false; }' \
    _ "$metainfo"
check "metainfo file named after the app id" test "$(basename "$metainfo")" = "$appid.metainfo.xml"
check "metainfo id is the app id" grep -qF "<id>$appid</id>" "$metainfo"
check "metainfo launches the desktop entry" \
    grep -qF "<launchable type=\"desktop-id\">$appid.desktop</launchable>" "$metainfo"
check "metainfo has release $version" grep -qE "<release version=\"$version\" date=\"[0-9]{4}-[0-9]{2}-[0-9]{2}\"" "$metainfo"

man1=$prefix/share/man/man1/tonegen.1.gz
check "manual page renders without warnings" \
    bash -c 'out=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$1" 2>&1 >/dev/null) && [ -z "$out" ] || { echo "$out"; false; }' \
    _ "$man1"
check "manual page names version $version" bash -c 'zcat "$1" | head -1 | grep -qF "\"tonegen $2\""' _ "$man1" "$version"
check "changelog's latest entry is version $version" \
    bash -c 'zcat "$1" | head -1 | grep -qF "tonegen ($2)"' _ "$prefix/share/doc/tonegen/changelog.gz" "$version"

# A desktop with only Wayland: a headless weston of our own in a private
# runtime directory, no X display, no session bus to find. The program must
# start, show its dialog at 694 x 500 (two pixels to the dialog unit) under
# the desktop entry's id, and print nothing.
run=$prefix/run
mkdir -m 700 "$run"
socket=tonegen-test
XDG_RUNTIME_DIR=$run weston --backend=headless-backend.so --socket=$socket --no-config --idle-time=0 --debug \
    >"$prefix/weston.log" 2>&1 &
weston=$!
app=
trap 'kill $app $weston 2>/dev/null; wait 2>/dev/null; rm -rf "$prefix"' EXIT
for _ in $(seq 200); do [ -S "$run/$socket" ] && break; sleep 0.05; done
env -u DISPLAY -u QT_QPA_PLATFORM XDG_RUNTIME_DIR="$run" WAYLAND_DISPLAY=$socket \
    DBUS_SESSION_BUS_ADDRESS="unix:path=$run/no-bus" "$bin" >/dev/null 2>"$prefix/tonegen.err" &
app=$!
window=
for _ in $(seq 200); do
    window=$(XDG_RUNTIME_DIR=$run WAYLAND_DISPLAY=$socket weston-debug scene-graph 2>/dev/null |
             grep -A2 "role xdg_toplevel, PID $app,")
    [ -n "$window" ] && break
    sleep 0.05
done
check "Wayland: a window appears" test -n "$window"
check "Wayland: the window's app id is $appid" grep -qF "' of $appid, " <<<"$window"
# The opaque part is the client area; Qt draws its own frame around it.
size=$(sed -n 's/.*\[opaque: (\(-*[0-9]*\), \(-*[0-9]*\)) -> (\(-*[0-9]*\), \(-*[0-9]*\))\].*/\3-\1 \4-\2/p' <<<"$window" |
       { read -r w h && echo "$((w))x$((h))"; })
check "Wayland: the dialog is 694 x 500" test "$size" = 694x500
check "Wayland: still running" kill -0 $app
check "Wayland: nothing on standard error" bash -c '[ ! -s "$1" ] || { cat "$1"; false; }' _ "$prefix/tonegen.err"
[ $fail -eq 0 ] || { echo "weston's log:"; cat "$prefix/weston.log"; }

exit $fail

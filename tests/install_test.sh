#!/usr/bin/env bash
# Installs a configured, built tree into a scratch prefix and checks what a
# desktop and a software centre will read from it: the program, its menu
# entry, its icons, its AppStream metadata, and that all of them agree on the
# app id and on the version in project(VERSION).
#
# usage: install_test.sh <build dir> <source dir>
set -uo pipefail

build=${1:?build dir}
source=${2:?source dir}

fail=0
check() {  # check <description> <command...>
    local what=$1; shift
    if "$@"; then
        echo "ok:   $what"
    else
        echo "FAIL: $what"
        fail=1
    fi
}

# The tools are not optional: a missing validator must not pass as a clean tree.
for tool in desktop-file-validate appstreamcli readelf file; do
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
check "desktop has an English Name" test -n "$(key 'Name\[en\]')"
check "desktop has an English Comment" test -n "$(key 'Comment\[en\]')"
check "desktop carries version $version" test "$(key X-Tonegen-Version)" = "$version"

for size in 16 32 48; do
    png=$prefix/share/icons/hicolor/${size}x${size}/apps/$appid.png
    check "${size}px icon is a ${size}x${size} PNG" \
        bash -c 'file -b "$1" | grep -q "^PNG image data, $2 x $2,"' _ "$png" "$size"
done
check "scalable icon is SVG" \
    bash -c 'file -b "$1" | grep -q "SVG"' _ "$prefix/share/icons/hicolor/scalable/apps/$appid.svg"

check "metainfo passes appstreamcli validate --no-net" \
    bash -c 'out=$(appstreamcli validate --no-net "$1" 2>&1) || { echo "$out"; false; }' _ "$metainfo"
check "metainfo file named after the app id" test "$(basename "$metainfo")" = "$appid.metainfo.xml"
check "metainfo id is the app id" grep -qF "<id>$appid</id>" "$metainfo"
check "metainfo launches the desktop entry" \
    grep -qF "<launchable type=\"desktop-id\">$appid.desktop</launchable>" "$metainfo"
check "metainfo has release $version" grep -qE "<release version=\"$version\" date=\"[0-9]{4}-[0-9]{2}-[0-9]{2}\"" "$metainfo"

exit $fail

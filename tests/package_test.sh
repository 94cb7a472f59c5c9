#!/usr/bin/env bash
# Makes the Debian package from a configured, built tree with CPack, as
# `make package` does from its Release tree, and checks it the way Debian's
# archive would: lintian clean at every level up to pedantic (hardening,
# changelog, manual page, contact address among them), and the run-time
# dependencies no shared library brings in.
#
# The package is made from the tree under test rather than a Release tree
# of its own: the same sources, flags and install rules, stripped the same
# way, without a second build.
#
# usage: package_test.sh <build dir>
set -uo pipefail

build=${1:?build dir}

for tool in cpack lintian dpkg-deb; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed"; exit 1; }
done

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
cpack -G DEB -B "$out" --config "$build/CPackConfig.cmake" >"$out/cpack.log" 2>&1 ||
    { cat "$out/cpack.log"; echo "FAIL: cpack"; exit 1; }
debs=("$out"/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "FAIL: cpack made no single .deb"; exit 1; }
deb=${debs[0]}

fail=0
check() {  # check <description> <command...>
    if "${@:2}"; then echo "ok:   $1"; else echo "FAIL: $1"; fail=1; fi
}
# lintian warns on stderr when run as root, which CI may be; that is not a finding.
check "lintian finds nothing, pedantic tags included" \
    lintian --pedantic --display-info --fail-on error,warning,info,pedantic "$deb" 2>/dev/null
depends=$(dpkg-deb -f "$deb" Depends)
for package in qt6-wayland fonts-noto-cjk; do
    check "depends on $package" grep -qE "(^|, )$package( |,|$)" <<<"$depends"
done
[ $fail -eq 0 ] || echo "Depends: $depends"
exit $fail

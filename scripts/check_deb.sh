#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Usage: check_deb.sh [PACKAGE.deb]
# Checks a built package as a distribution and a user of a Debian machine
# meet it, on this machine: lintian finds no error or warning, and the
# package carries its copyright in Debian's machine-readable format and a
# changelog of its version; apt-get installs it (fetching its dependencies);
# `ballcourse` is found in /usr/games on the search path of a desktop session
# and an ordinary login, opens its window on a virtual X server and quits with
# Q; its menu entry and software-centre entry validate and its manual page
# reads cleanly; then apt-get removes it and none of the files it installed is
# left. Run it by hand, as root or with sudo. The package defaults to the
# newest build*/ballcourse_*.deb.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# shellcheck source=toy_window.sh
source "$here/toy_window.sh"
fail() {
    echo "check_deb: FAILED: $*" >&2
    exit 1
}
pass() {
    echo "check_deb: ok: $*"
}

# The window check, run on the virtual X server by the main check below:
# starts ballcourse by name, waits for its window and help text, quits it
# with Q and expects exit status 0.
if [ "${1:-}" = "--window" ]; then
    out=$(mktemp)
    ballcourse >"$out" &
    pid=$!
    trap 'kill -KILL "$pid" 2>/dev/null || true; rm -f "$out"' EXIT
    wait_for_toy_window "$pid"
    deadline=$((SECONDS + 5))
    until grep -q '^Q - quit$' "$out"; do
        [ $SECONDS -lt $deadline ] || fail "no help text on standard output"
        sleep 0.1
    done
    xdotool windowfocus --sync "$window" mousemove --window "$window" 500 500 key q
    wait_for_toy_exit "$pid"
    exit 0
fi

# shellcheck disable=SC2012  # newest first; the names are the package's own
deb="${1:-$(ls -t build*/ballcourse_*.deb 2>/dev/null | head -n 1 || true)}"
if [ -z "$deb" ] || [ ! -f "$deb" ]; then
    fail "no package given and none found in build*/ (make package)"
fi
deb="$(realpath "$deb")"

bash "$here/install_deps.sh" lintian appstream

# A package that lintian faults is not one a distribution would take.
lintian --fail-on error,warning "$deb" || fail "lintian reports errors or warnings"
pass "lintian reports no error or warning"

# Read from the package itself: minimal images may tell dpkg to leave
# /usr/share/doc out when it installs.
doc() {
    dpkg-deb --fsys-tarfile "$deb" | tar -xOf - "./usr/share/doc/ballcourse/$1"
}
version=$(dpkg-deb -f "$deb" Version)
copyright=$(doc copyright) || fail "the package has no usr/share/doc/ballcourse/copyright"
grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' \
    <<<"$copyright" || fail "the copyright file is not in the machine-readable format"
grep -qx 'License: Expat' <<<"$copyright" || fail "the copyright file names no Expat licence"
pass "the copyright file is machine-readable and names the Expat licence"
entry=$(doc changelog.gz | gzip -dc | sed -n 1p) ||
    fail "the package has no usr/share/doc/ballcourse/changelog.gz"
[[ "$entry" == "ballcourse ($version) "* ]] ||
    fail "the changelog's newest entry, '$entry', is not of version $version"
pass "the changelog's newest entry is of version $version"

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
apt() {
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -y -q "$@"
}

installed() {
    dpkg-query -W -f='${Status}\n' ballcourse 2>/dev/null | grep -q 'install ok installed'
}
# Removing it afterwards would take away a copy the user installed on purpose.
! installed || fail "ballcourse is already installed here; remove it first"

echo "check_deb: installing $deb"
apt install "$deb" >/dev/null
installed || fail "apt-get install did not install ballcourse"
mapfile -t files < <(dpkg -L ballcourse | while read -r path; do [ -d "$path" ] || echo "$path"; done)
pass "installed ${#files[@]} files"

# Whatever fails below, the package does not stay installed.
trap 'apt remove ballcourse >/dev/null 2>&1 || true' EXIT

# The search path that Debian gives a desktop session and an ordinary login;
# a menu entry's Exec=ballcourse is looked up on it.
session_path=/usr/local/bin:/usr/bin:/bin:/usr/local/games:/usr/games
found=$(env -i PATH="$session_path" bash -c 'command -v ballcourse' || true)
[ "$found" = /usr/games/ballcourse ] ||
    fail "the search path $session_path finds '$found', not /usr/games/ballcourse"
pass "ballcourse is on a desktop session's search path: $found"

entries=$(dpkg -L ballcourse | grep -E '^/usr/share/applications/[^/]+\.desktop$' || true)
[ "$(grep -c . <<<"$entries")" -eq 1 ] || fail "the package has no single menu entry: $entries"
desktop-file-validate "$entries" || fail "the installed menu entry does not validate"
grep -qx 'Exec=ballcourse' "$entries" || fail "the menu entry does not start ballcourse by name"
pass "desktop-file-validate accepts $entries"

metainfo=$(dpkg -L ballcourse | grep -E '^/usr/share/metainfo/[^/]+\.metainfo\.xml$' || true)
[ -n "$metainfo" ] || fail "the package has no software-centre entry in /usr/share/metainfo"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli does not accept $metainfo"
[ "$(basename "$metainfo" .metainfo.xml)" = "$(basename "$entries" .desktop)" ] ||
    fail "the software-centre entry and the menu entry have different ids"
pass "appstreamcli accepts $metainfo, of the menu entry's id"

# Minimal images may tell dpkg to leave manual pages out; then there is none
# to read, which is no fault of the package.
page=$(dpkg -L ballcourse | grep '/man6/ballcourse\.6\.gz$' || true)
if [ -n "$page" ] && [ -f "$page" ]; then
    warnings=$(man --warnings -l "$page" 2>&1 >/dev/null || true)
    [ -z "$warnings" ] || fail "man -l reports: $warnings"
    man -l "$page" 2>/dev/null | grep -q 'ballcourse' || fail "man -l $page shows nothing"
    pass "man -l renders $page cleanly"
else
    echo "check_deb: note: manual pages are excluded on this system; not checked"
fi

# Started by name, through a session's search path, as a menu would.
report=$(PATH="$session_path" bash "$here/with_xvfb.sh" bash "$here/check_deb.sh" --window 2>&1) ||
    fail "window check: $report"
pass "ballcourse opens its window, prints its help and quits with status 0"

apt remove ballcourse >/dev/null
trap - EXIT
! installed || fail "apt-get remove left ballcourse installed"
left=()
for path in "${files[@]}"; do
    [ ! -e "$path" ] || left+=("$path")
done
[ ${#left[@]} -eq 0 ] || fail "apt-get remove left: ${left[*]}"
pass "apt-get remove took away all ${#files[@]} files"
echo "check_deb: all checks passed for $(basename "$deb")"

#!/usr/bin/env bash
# Usage: check_deb.sh [PACKAGE.deb]
# Checks a built package the way a user of a Debian machine meets it, on this
# machine: installs it with apt-get (which fetches its dependencies), finds
# `ballcourse` on the search path of root and of an ordinary login, opens its
# window on a virtual X server and quits it with Q, validates its menu entry
# and reads its manual page; then removes it with apt-get and checks that
# none of the files it installed is left. Run it by hand, as root or with
# sudo. The package defaults to the newest build*/ballcourse_*.deb.
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

for path in /usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    /usr/local/bin:/usr/bin:/bin:/usr/local/games:/usr/games; do
    found=$(env -i PATH="$path" bash -c 'command -v ballcourse' || true)
    [ -n "$found" ] || fail "ballcourse is not on the search path $path"
done
pass "ballcourse is on the search path: $found"

desktop-file-validate /usr/share/applications/ballcourse.desktop ||
    fail "the installed menu entry does not validate"
pass "desktop-file-validate accepts the menu entry"

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

# Started by name, through the search path, as a menu would.
report=$(bash "$here/with_xvfb.sh" bash "$here/check_deb.sh" --window 2>&1) ||
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

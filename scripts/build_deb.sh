#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Usage: build_deb.sh BUILD_DIR
# Builds the Debian package with the rules in debian/ and checks it with
# lintian, leaving BUILD_DIR/ballcourse_VERSION_ARCH.deb. dpkg-buildpackage
# writes its results into the folder above the tree it builds, and debhelper
# its scratch files into debian/, so the build runs in a copy of the source
# under BUILD_DIR/deb: nothing is written outside the build tree.
set -euo pipefail

source_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
mkdir -p "$1"
build_dir="$(cd "$1" && pwd)"
version=$(dpkg-parsechangelog -l "$source_dir/debian/changelog" -S Version)
arch=$(dpkg-architecture -qDEB_HOST_ARCH)
work="$build_dir/deb"
tree="$work/ballcourse-$version"
deb="ballcourse_${version}_${arch}.deb"

# The source as git sees it, edits and new files included, build trees and
# other ignored files left out; a build tree that git does not ignore is
# skipped by its path.
git -C "$source_dir" rev-parse --is-inside-work-tree >/dev/null 2>&1 || {
    echo "build_deb: $source_dir is not a git work tree" >&2
    exit 1
}
inside=$(realpath -m --relative-to="$source_dir" "$build_dir")
rm -rf "$work"
mkdir -p "$tree"
(
    cd "$source_dir"
    git ls-files -z --cached --others --exclude-standard |
        while IFS= read -r -d '' path; do
            [ -f "$path" ] || continue
            case "$path" in "$inside"/*) continue ;; esac
            printf '%s\0' "$path"
        done |
        tar --null --no-recursion -T - -cf -
) | tar -C "$tree" -xf -

echo "build_deb: building $deb in $work (log: $work/build.log)"
(cd "$tree" && dpkg-buildpackage -b -us -uc) >"$work/build.log" 2>&1 || {
    cat "$work/build.log"
    echo "build_deb: dpkg-buildpackage failed" >&2
    exit 1
}
cp "$work/$deb" "$build_dir/$deb"

# Errors and warnings fail the package; informational and pedantic tags are
# shown, each one a choice left in the open.
echo "build_deb: lintian $build_dir/$deb"
lintian --fail-on error,warning --display-info --pedantic "$build_dir/$deb"
echo "build_deb: $build_dir/$deb"

#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Usage: check_spdx.sh [TREE]
# Fails, naming each one, when a tracked source, header, script or build file
# of the git work tree TREE (default: this repository) has no comment line
# "SPDX-License-Identifier: MIT" among its first five lines, counted after a
# "#!" line if it has one. Tracked means listed by `git ls-files`: a scratch
# file that nobody added is not part of the project yet.
set -euo pipefail

tree="${1:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}"
cd "$tree"
git rev-parse --is-inside-work-tree >/dev/null 2>&1 || {
    echo "check_spdx: $tree is not a git work tree" >&2
    exit 2
}

listed=$(git ls-files -z -- '*.cpp' '*.h' '*.sh' '*.py' '*.js' '*.cmake' 'CMakeLists.txt' \
    '*/CMakeLists.txt' 'Makefile' '*/Makefile' '.ci/run' 'debian/rules' | tr '\0' '\n')
# A comment opener, then the identifier, then the end of the line or of the comment.
pattern='^[[:space:]]*(//|#|/\*|\*|<!--)[[:space:]]*SPDX-License-Identifier: MIT[[:space:]]*(\*/|-->)?[[:space:]]*$'

checked=0
missing=()
while IFS= read -r file; do
    # Deleted in the work tree but not yet in the index: nothing to check.
    if [ -z "$file" ] || [ ! -f "$file" ]; then continue; fi
    checked=$((checked + 1))
    # Read whole, not through a pipe that stops early: under pipefail the
    # writer's broken pipe would count as a missing line.
    first=1
    [[ "$(sed -n 1p "$file")" != '#!'* ]] || first=2
    opening=$(sed -n "${first},$((first + 4))p" "$file")
    grep -Eq "$pattern" <<<"$opening" || missing+=("$file")
done <<<"$listed"

if [ "$checked" -eq 0 ]; then
    echo "check_spdx: no tracked source, script or build file in $tree" >&2
    exit 2
fi
for file in "${missing[@]}"; do
    echo "check_spdx: no SPDX-License-Identifier: MIT in the first five lines of $file" >&2
done
echo "check_spdx: $checked files checked, ${#missing[@]} without the licence line"
[ ${#missing[@]} -eq 0 ]

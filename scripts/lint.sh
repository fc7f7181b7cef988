#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Usage: lint.sh LINT_BUILD_DIR [JOBS]
# Static analysis of app/, interaction/, scene/, geometry/ and the browser's
# platform layer in web/: clang-tidy with the checks in .clang-tidy, then
# cppcheck. The four subsystem folders are read with the compile commands of a
# desktop tree configured in LINT_BUILD_DIR, web/ with those of a browser tree
# (emcmake) in LINT_BUILD_DIR-web and Emscripten's own compiler flags, so that
# its headers and target are the ones the browser build compiles against.
# Prints every finding and a count for each tool; fails if either finds
# anything.
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/.."
build_dir="$1"
jobs="${2:-2}"
folders=(app interaction scene geometry)
web_dir="$build_dir-web"
# Emscripten's optimiser loads acorn, which Debian ships for its own node.
export NODE_PATH=/usr/share/nodejs

cmake -S . -B "$build_dir" -DCMAKE_EXPORT_COMPILE_COMMANDS=ON \
    -DBALLCOURSE_TESTS=OFF -DBALLCOURSE_BENCH=OFF >/dev/null
emcmake cmake -S . -B "$web_dir" -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null

# em++ adds its target, sysroot and defines to every compile; clang-tidy runs
# clang itself, so it is given them first.
web_args=()
for flag in $(em++ --cflags); do
    web_args+=("--extra-arg-before=$flag")
done

# A header is reported by every file that includes it: each finding is counted once.
tidy_log="$build_dir/clang-tidy.log"
{
    find "${folders[@]}" -name '*.cpp' -print0 | sort -z |
        xargs -0 -P "$jobs" -n 4 clang-tidy -p "$build_dir" --quiet || true
    find web -name '*.cpp' -print0 | sort -z |
        xargs -0 -P "$jobs" -n 4 clang-tidy -p "$web_dir" "${web_args[@]}" --quiet || true
} >"$tidy_log" 2>/dev/null
tidy=$(grep -E '^[^ ]+:[0-9]+:[0-9]+: (warning|error): ' "$tidy_log" | sort -u || true)
tidy_count=$(grep -c . <<<"$tidy" || true)

# web/ is read as the browser build compiles it (__EMSCRIPTEN__ defined).
cppcheck_log="$build_dir/cppcheck.log"
{
    cppcheck --enable=warning,performance,portability --std=c++17 -I . --quiet \
        --template='{file}:{line}:{column}: {severity}: {message} [{id}]' "${folders[@]}"
    cppcheck --enable=warning,performance,portability --std=c++17 -I . -I web/include --quiet \
        --inline-suppr -D__EMSCRIPTEN__ --template='{file}:{line}:{column}: {severity}: {message} [{id}]' web
} 2>"$cppcheck_log"
cppcheck_count=$(grep -c . "$cppcheck_log" || true)

[ -z "$tidy" ] || echo "$tidy"
cat "$cppcheck_log"
echo "lint: clang-tidy $tidy_count findings, cppcheck $cppcheck_count findings"
[ "$tidy_count" -eq 0 ] && [ "$cppcheck_count" -eq 0 ]

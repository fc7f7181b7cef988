#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Usage: spdx_check_test.sh CHECK_SPDX SCRATCH_DIR
# The licence-line check, run on a scratch repository made in SCRATCH_DIR: it
# must name every tracked source, script or build file without the line in its
# first five lines (after a "#!"), and no other file; and pass once each has it.
set -euo pipefail

check="$1"
repo="$2"
line='SPDX-License-Identifier: MIT'
fail() {
    echo "spdx_check_test: FAILED: $*" >&2
    exit 1
}

rm -rf "$repo"
mkdir -p "$repo/sub" "$repo/.ci"
cd "$repo"
git init -q .

# With the line: on the fifth line; on the sixth after a "#!"; in a block comment.
printf '// 1\n// 2\n// 3\n// 4\n// %s\nint a;\n' "$line" >fifth.cpp
printf '#!/bin/sh\n# 1\n# 2\n# 3\n# 4\n# %s\n' "$line" >after_shebang.sh
printf '/* %s */\n#pragma once\n' "$line" >block_comment.h
printf '#!/usr/bin/env bash\n# %s\nset -e\n' "$line" >.ci/run
# Without: on the sixth line with no "#!"; in a string, not a comment; none at
# all; another licence whose name begins with MIT.
printf '# 1\n# 2\n# 3\n# 4\n# 5\n# %s\n' "$line" >sub/CMakeLists.txt
printf 'const char* licence = "%s";\n' "$line" >in_string.cpp
printf 'all:\n\ttrue\n' >Makefile
printf '// SPDX-License-Identifier: MIT-0\n' >other_licence.js
# Not checked: a file nobody added, a kind that is no source, a tracked file
# deleted from the work tree.
printf 'int b;\n' >untracked.cpp
printf 'notes\n' >notes.txt
printf 'int c;\n' >deleted.cpp
git add fifth.cpp after_shebang.sh block_comment.h .ci/run sub/CMakeLists.txt in_string.cpp \
    Makefile other_licence.js notes.txt deleted.cpp
rm deleted.cpp

if report=$(bash "$check" "$repo" 2>&1); then
    fail "the check passed with four files lacking the line: $report"
fi
named=$(sed -n 's/.*first five lines of //p' <<<"$report" | sort | tr '\n' ' ')
[ "$named" = "Makefile in_string.cpp other_licence.js sub/CMakeLists.txt " ] ||
    fail "named '$named'; the report was: $report"
grep -q '^check_spdx: 8 files checked, 4 without the licence line$' <<<"$report" ||
    fail "wrong count: $report"

sed -i "1i # $line" sub/CMakeLists.txt Makefile
sed -i "1i // $line" in_string.cpp
printf '// %s\n' "$line" >other_licence.js
report=$(bash "$check" "$repo" 2>&1) || fail "the check failed with every file licensed: $report"
echo "spdx_check_test: passed"

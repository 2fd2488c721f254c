#!/usr/bin/env bash
# Checks every C++ file of the tree (src, tests, tools, fuzz, bench) against .clang-format with
# whichever clang-format is installed (14 on Debian 12, 19 on Debian 13 give the same result for
# this tree); exits non-zero and names the places when a file is not formatted.
set -euo pipefail
cd "$(dirname "$0")/.."

find src tests tools fuzz bench \( -name '*.cpp' -o -name '*.h' \) -print0 |
    xargs -0 clang-format --dry-run -Werror

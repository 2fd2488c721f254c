#!/usr/bin/env bash
# Counts the lines of tests/ + fuzz/ against src/: non-blank lines of *.cpp and *.h files that are
# not // comments, and prints the ratio. Run from any folder; counts the tree the script is in.
set -euo pipefail
cd "$(dirname "$0")/.."

count() {
    find "$@" \( -name '*.cpp' -o -name '*.h' \) -print0 | xargs -0 cat |
        grep -v -E '^[[:space:]]*$' | grep -c -v -E '^[[:space:]]*//'
}

src=$(count src)
tests=$(count tests fuzz)
echo "src/: $src lines; tests/ + fuzz/: $tests lines; ratio $(echo "scale=1; 100 * $tests / $src" | bc) %"

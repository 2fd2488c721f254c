#!/usr/bin/env bash
# Line coverage of src/ by the test suite: a debug build with gcov counters in build/coverage, the
# whole ctest suite, then gcovr. Prints a table per file and the total; writes
# build/coverage/coverage.json (per line) and coverage.txt for comparing runs.
# Needs gcovr, which the build itself does not: apt-get install gcovr
set -euo pipefail
cd "$(dirname "$0")/.."

if ! command -v gcovr >/dev/null; then
    echo "coverage: gcovr is missing; install it with: apt-get install gcovr" >&2
    exit 2
fi

dir=build/coverage
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTAVELON_BUILD_BENCH=OFF \
    -DCMAKE_CXX_FLAGS="--coverage -fprofile-update=atomic" \
    -DCMAKE_EXE_LINKER_FLAGS="--coverage" >/dev/null
cmake --build "$dir"
find "$dir" -name '*.gcda' -delete

QT_QPA_PLATFORM=offscreen ctest --test-dir "$dir" --timeout 300 --output-on-failure ||
    echo "coverage: some tests failed; the figures below still count the lines they ran" >&2

gcovr --root . --filter 'src/' --object-directory "$dir" \
    --txt "$dir/coverage.txt" --json "$dir/coverage.json" --print-summary "$dir"
sed -n '/^src\//,$p' "$dir/coverage.txt"

#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the suite in a debug build, the Debian
# package from the release build with its desktop entry, metadata and lintian checked, the suite
# under AddressSanitizer + UBSan, and a short run of each fuzz target. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")"

./tools/install-deps.sh

export QT_QPA_PLATFORM=offscreen

echo "== Layer and format checks"
./tools/check-layers.sh
./tools/check-format.sh

echo "== Debug build and tests"
cmake --preset debug -DTAVELON_WARNINGS_AS_ERRORS=ON >/dev/null
cmake --build --preset debug
ctest --preset debug --timeout 300

echo "== Debian package from the release build, desktop entry and AppStream metadata"
./tools/check-package.sh

echo "== AddressSanitizer + UBSan build and tests"
cmake --preset asan >/dev/null
cmake --build --preset asan
ctest --preset asan --timeout 600
./tools/fuzz.sh 30

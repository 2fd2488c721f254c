#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")"

./tools/install-deps.sh

export QT_QPA_PLATFORM=offscreen
cmake --preset debug -DTAVELON_WARNINGS_AS_ERRORS=ON >/dev/null
cmake --build --preset debug
ctest --preset debug --timeout 300

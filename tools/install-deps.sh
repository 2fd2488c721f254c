#!/usr/bin/env bash
# Installs every Debian package needed to build, run and test Brimholt Tavelon.
# Idempotent and non-interactive; installs only what is missing.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config git
    qt6-base-dev qt6-base-dev-tools libgl-dev
    libavformat-dev libavcodec-dev libswscale-dev libswresample-dev libavutil-dev
    libturbojpeg0-dev libpulse-dev
    libgtest-dev libgmock-dev
    ffmpeg fonts-liberation2
    clang libclang-rt-dev clang-format
    xvfb xauth
    librsvg2-bin help2man gzip
    dpkg-dev file lintian desktop-file-utils appstream
    time bc ccache
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
    SUDO="sudo"
fi
echo "Installing: ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"

#!/usr/bin/env bash
# Builds the Debian package from the release build (only what the package holds) and checks it:
# the desktop entry with desktop-file-validate, the AppStream metadata with appstreamcli, the
# package with lintian (any error fails). Prints the package's path and the time it took.
set -euo pipefail
cd "$(dirname "$0")/.."

start=$SECONDS
cmake --preset release >/dev/null
cmake --build --preset release -j2 --target brimholt-tavelon tavelon-manpage tavelon-changelog
rm -f build/release/brimholt-tavelon_*.deb
(cd build/release && cpack -G DEB >/dev/null)
deb=$(ls build/release/brimholt-tavelon_*.deb)

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
dpkg-deb -x "$deb" "$stage"
desktop-file-validate "$stage"/usr/share/applications/*.desktop
appstreamcli validate --no-net "$stage"/usr/share/metainfo/*.metainfo.xml
lintian --fail-on error "$deb"
echo "$deb ($((SECONDS - start)) s)"

#!/usr/bin/env bash
# Fails when a source under src/ includes a header from a layer above its own, or a library header
# outside the one layer that may see it: FFmpeg's (<libavcodec/…>, <libavformat/…>, <libavutil/…>,
# <libswscale/…>, …) only in src/video, TurboJPEG's only in src/image. The layers, lowest first; a
# folder may include its own headers and those of any folder before it in this list.
#
#   tools/check-layers.sh [TREE]      checks TREE/src (default: this repository)
#   tools/check-layers.sh --self-test plants includes that break the rules into a copy of src/ and
#                                     fails unless each one is caught
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"

if [ "${1:-}" = "--self-test" ]; then
    tree=$(mktemp -d)
    trap 'rm -rf "$tree"' EXIT
    cp -r "$here/../src" "$tree/src"
    "$here/check-layers.sh" "$tree" >/dev/null || { echo "self-test: the clean tree fails"; exit 1; }
    planted=(
        'image/planted.cpp|#include <libavcodec/avcodec.h>'
        'preview/planted.h|  #  include <libswscale/swscale.h>'
        'making/planted.cpp|#include <libavutil/frame.h>'
        'form/planted.cpp|#include <libavformat/avformat.h>'
        'video/planted.cpp|#include <turbojpeg.h>'
        'image/planted.h|#include "video/avifile.h"'
    )
    for entry in "${planted[@]}"; do
        file="$tree/src/${entry%%|*}"
        echo "${entry#*|}" >"$file"
        if "$here/check-layers.sh" "$tree" >/dev/null; then
            echo "self-test: not caught: ${entry#*|} in src/${entry%%|*}"
            exit 1
        fi
        rm "$file"
    done
    echo "check-layers self-test: every planted include was caught"
    exit 0
fi

cd "${1:-$here/..}"

layers=(services form image video preview overlay making clips ui app)

rank() {
    local i
    for i in "${!layers[@]}"; do
        if [ "${layers[$i]}" = "$1" ]; then
            echo "$i"
            return
        fi
    done
    echo -1
}

# The one folder that may include a library's headers: "pattern folder".
libraries=(
    '^\s*#\s*include\s*<\(libav[a-z]*\|libsw[a-z]*\|libpostproc\)/ video'
    '^\s*#\s*include\s*<turbojpeg\.h> image'
)

status=0
while IFS= read -r file; do
    own=$(echo "$file" | cut -d/ -f2)
    own_rank=$(rank "$own")
    if [ "$own_rank" -lt 0 ]; then
        echo "check-layers: $file: folder '$own' is not a known layer"
        status=1
        continue
    fi
    while IFS= read -r target; do
        target_rank=$(rank "$target")
        if [ "$target_rank" -lt 0 ] || [ "$target_rank" -gt "$own_rank" ]; then
            echo "check-layers: $file includes $target/ (layer '$own' may only include lower layers)"
            status=1
        fi
    done < <(sed -n 's|^\s*#\s*include\s*"\([a-z]*\)/.*"|\1|p' "$file")
done < <(find src -mindepth 2 \( -name '*.h' -o -name '*.cpp' \) | sort)

for rule in "${libraries[@]}"; do
    pattern=${rule% *}
    allowed=${rule##* }
    while IFS=: read -r file line; do
        if [ "$(echo "$file" | cut -d/ -f2)" != "$allowed" ]; then
            echo "check-layers: $file: $(echo "$line" | sed 's/^\s*//') (only src/$allowed may)"
            status=1
        fi
    done < <(grep -r --include='*.h' --include='*.cpp' -m1 "$pattern" src || true)
done

[ "$status" -eq 0 ] && echo "check-layers: every include points downwards, library headers stay in their layer"
exit "$status"

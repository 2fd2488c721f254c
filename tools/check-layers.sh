#!/usr/bin/env bash
# Fails when a source under src/ includes a header from a layer above its own. The layers, lowest
# first; a folder may include its own headers and those of any folder before it in this list.
set -euo pipefail
cd "$(dirname "$0")/.."

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
    done < <(sed -n 's|^#include "\([a-z]*\)/.*"|\1|p' "$file")
done < <(find src -mindepth 2 -name '*.h' -o -mindepth 2 -name '*.cpp' | sort)

[ "$status" -eq 0 ] && echo "check-layers: every include points downwards"
exit "$status"

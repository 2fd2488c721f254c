#!/usr/bin/env bash
# Writes a little over 1 GB of uncompressed 720x576 frames through the AVI layer and lets ffprobe
# count them: the file must have gone on past the first RIFF part (OpenDML) and play to the end.
#   bench/odml-check.sh <build-folder> [megabytes, default 1100]
set -euo pipefail
build=${1:?build folder}
mb=${2:-1100}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
"$build/bench/video_bench" --odml "$out/odml.avi" "$mb" | tee "$out/written.txt"
written=$(awk '{print $2}' "$out/written.txt")
counted=$(ffprobe -v error -select_streams v:0 -count_packets -show_entries stream=nb_read_packets \
          -of csv=p=0 "$out/odml.avi")
avix=$(grep -a -o 'AVIX' "$out/odml.avi" | wc -l)
echo "size $(stat -c %s "$out/odml.avi") bytes, AVIX parts $avix, frames written $written, counted $counted"
[ "$written" = "$counted" ] && [ "$avix" -ge 1 ]

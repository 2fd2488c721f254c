#!/usr/bin/env bash
# Batch runs on different clips of one program folder side by side: times four clips made one after
# another against the same four spread over the cores with xargs -P (the README's recipe), in
# alternating rounds, and prints the median wall times and the median of the rounds' speed-ups.
# Then the peak memory of one run on 300 and on 3,000 frames, which should be about the same.
#
#   bench/parallel-clips.sh [rounds] [parallel runs]     defaults: 5 rounds, $(nproc) at a time
#
# Each clip: 150 frames of 1920x1080 JPEG -> "DVD PAL" Motion JPEG at quality 100.
# Needs a release build (./run.sh makes one).
set -euo pipefail
cd "$(dirname "$0")/.."

rounds=${1:-5}
parallel=${2:-$(nproc)}

bin=build/release/src/app/brimholt-tavelon
if [ ! -x "$bin" ]; then
    cmake --preset release >/dev/null
    cmake --build --preset release --target brimholt-tavelon
fi
bin=$(realpath "$bin")
work=build/bench-parallel
root="$work/folder"
clips=(eins zwei drei vier)

# A clip of n frames; frames past the first 300 link to those, so a long clip costs no disk.
clip() {
    local name=$1 n=$2 dir="$root/Frames/$1"
    [ -e "$dir/f$(printf %05d "$n").jpg" ] && return
    echo "Generating clip $name ($n frames) ..." >&2
    rm -rf "$dir"
    mkdir -p "$dir"
    ffmpeg -v error -f lavfi -i "testsrc2=size=1920x1080:rate=25" -frames:v "$((n < 300 ? n : 300))" -q:v 3 \
        -start_number 1 "$dir/f%05d.jpg"
    for ((i = 301; i <= n; i++)); do
        ln -sf "f$(printf %05d $(((i - 1) % 300 + 1))).jpg" "$dir/f$(printf %05d "$i").jpg"
    done
}
for c in "${clips[@]}"; do clip "$c" 150; done
mkdir -p "$root/Clips"

make_one() {
    "$bin" --root "$root" --make-video "$1" --format "DVD PAL" --compressor mjpeg --quality 100 --overwrite \
        >/dev/null
}
export -f make_one
export bin root

seconds() { /usr/bin/time -f %e -o "$work/time.txt" "$@" && cat "$work/time.txt"; }
median() { sort -g | awk '{a[NR]=$1} END {print (NR%2) ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2}'; }

: >"$work/rounds.txt"
for ((r = 1; r <= rounds; r++)); do
    one=$(seconds bash -c 'for c in eins zwei drei vier; do make_one "$c"; done')
    side=$(seconds bash -c "printf '%s\n' ${clips[*]} | xargs -P $parallel -I{} bash -c 'make_one {}'")
    echo "$one $side" >>"$work/rounds.txt"
    echo "round $r: one after another ${one} s, $parallel at a time ${side} s" >&2
done
printf '4 clips of 150 frames, %d rounds (load %s)\n' "$rounds" "$(cut -d' ' -f1-3 /proc/loadavg)"
printf '  one after another     %6.2f s (median)\n' "$(awk '{print $1}' "$work/rounds.txt" | median)"
printf '  %d at a time           %6.2f s (median)\n' "$parallel" "$(awk '{print $2}' "$work/rounds.txt" | median)"
printf '  speed-up              %6.2f (median of the rounds)\n' \
    "$(awk '{print $1 / $2}' "$work/rounds.txt" | median)"

# Peak memory against clip length.
for n in 300 3000; do
    clip "long$n" "$n"
    /usr/bin/time -f "%e %M" -o "$work/time.txt" bash -c "make_one long$n"
    read -r s kb <"$work/time.txt"
    printf '  %5d frames: %6.2f s, peak RSS %d MB\n' "$n" "$s" $((kb / 1024))
done

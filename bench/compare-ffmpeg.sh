#!/usr/bin/env bash
# Times this program's batch mode against the ffmpeg command line on the same jobs, alternating
# runs, and prints the median wall times, the median of the rounds' ratios, file sizes and peak
# memory. Each round times ours and ffmpeg back to back, so the ratio of a round sees the same load
# on a shared machine; the median of those ratios is the figure to read.
#
#   bench/compare-ffmpeg.sh [rounds] [frames...]     defaults: 7 rounds, 300 and 1200 frames
#
# Jobs: 1920x1080 JPEG frames -> "DVD PAL" 720x576 at 25 frames/s, (a) Motion JPEG at the best
# quality (qscale 2), (b) uncompressed. Needs a release build (./run.sh makes one).
set -euo pipefail
cd "$(dirname "$0")/.."

rounds=${1:-7}
shift || true
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(300 1200)

bin=build/release/src/brimholt-tavelon
if [ ! -x "$bin" ]; then
    cmake --preset release >/dev/null
    cmake --build --preset release --target brimholt-tavelon
fi
work=build/bench-compare
mkdir -p "$work"

# wall seconds and peak RSS (KB) of a command: "seconds kb"
measure() {
    /usr/bin/time -f "%e %M" -o "$work/time.txt" "$@" >/dev/null 2>"$work/stderr.txt" || {
        cat "$work/stderr.txt" >&2
        return 1
    }
    cat "$work/time.txt"
}

median() { sort -g | awk '{a[NR]=$1} END {print (NR%2) ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2}'; }

for n in "${sizes[@]}"; do
    root="$work/root$n"
    clip="$root/Frames/bench"
    if [ ! -f "$clip/f$(printf %05d "$n").jpg" ]; then
        echo "Generating $n frames of 1920x1080 JPEG ..."
        rm -rf "$root"
        mkdir -p "$clip"
        ffmpeg -v error -f lavfi -i "testsrc2=size=1920x1080:rate=25" -frames:v "$n" -q:v 3 -start_number 1 \
            "$clip/f%05d.jpg"
    fi
    for job in mjpeg uncompressed; do
        if [ "$job" = mjpeg ]; then
            ours=(--compressor mjpeg --quality 100)
            theirs=(-c:v mjpeg -q:v 2 -pix_fmt yuvj420p)
        else
            ours=(--compressor uncompressed)
            theirs=(-c:v rawvideo -pix_fmt bgr24)
        fi
        : >"$work/ours.txt"
        : >"$work/theirs.txt"
        for ((r = 1; r <= rounds; r++)); do
            measure "$bin" --root "$root" --make-video bench --format "DVD PAL" --speed 25 --overwrite "${ours[@]}" \
                >>"$work/ours.txt"
            measure ffmpeg -y -v error -framerate 25 -pattern_type glob -i "$clip/*.jpg" \
                -vf scale=720:576:flags=area "${theirs[@]}" -an "$work/ffmpeg-$job.avi" >>"$work/theirs.txt"
        done
        ot=$(cut -d' ' -f1 "$work/ours.txt" | median)
        tt=$(cut -d' ' -f1 "$work/theirs.txt" | median)
        ratio=$(paste -d' ' "$work/ours.txt" "$work/theirs.txt" | awk '{print $1 / $3}' | median)
        om=$(cut -d' ' -f2 "$work/ours.txt" | sort -n | tail -n1)
        tm=$(cut -d' ' -f2 "$work/theirs.txt" | sort -n | tail -n1)
        osize=$(stat -c %s "$root/Clips/bench.avi")
        tsize=$(stat -c %s "$work/ffmpeg-$job.avi")
        printf '%5d frames %-13s ours %6.2f s  ffmpeg %6.2f s  ratio %.2f | size ours %6.1f MB ffmpeg %6.1f MB | peak RSS ours %4d MB ffmpeg %4d MB\n' \
            "$n" "$job" "$ot" "$tt" "$ratio" "$(echo "$osize / 1048576" | bc -l)" \
            "$(echo "$tsize / 1048576" | bc -l)" $((om / 1024)) $((tm / 1024))
    done
done

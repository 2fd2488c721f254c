#!/usr/bin/env bash
# Long runs of the batch mode, kept out of the test suite:
#  1. a 5,000-frame clip written as DVD PAL Motion JPEG, memory (RSS) sampled every second;
#  2. a Full-HD uncompressed video past 4 GB (OpenDML), read by ffprobe to its last frame.
#
#   bench/long-run.sh [frames] [fullhd-frames]      defaults: 5000 and 800 (about 5 GB)
#
# Needs about 6 GB of free disk in build/; removes the big video afterwards.
set -euo pipefail
cd "$(dirname "$0")/.."

frames=${1:-5000}
hdframes=${2:-800}
bin=build/release/src/app/brimholt-tavelon
if [ ! -x "$bin" ]; then
    cmake --preset release >/dev/null
    cmake --build --preset release --target brimholt-tavelon
fi
work=build/bench-long
root="$work/root"
clip="$root/Frames/long"
mkdir -p "$clip"
if [ ! -f "$clip/f$(printf %05d "$frames").jpg" ]; then
    echo "Generating $frames frames of 1920x1080 JPEG ..."
    ffmpeg -v error -y -f lavfi -i "testsrc2=size=1920x1080:rate=25" -frames:v "$frames" -q:v 3 -start_number 1 \
        "$clip/f%05d.jpg"
fi

# Runs the program, samples its RSS every second; prints "seconds peak-MB" and keeps the samples.
sampled() {
    local out=$1
    shift
    : >"$out"
    "$@" >"$work/stdout.txt" 2>"$work/stderr.txt" &
    local pid=$! start=$SECONDS
    while kill -0 "$pid" 2>/dev/null; do
        awk '/VmRSS/ {print $2}' "/proc/$pid/status" 2>/dev/null >>"$out" || true
        sleep 1
    done
    wait "$pid" || { cat "$work/stderr.txt" >&2; return 1; }
    echo "$((SECONDS - start)) $(($(sort -n "$out" | tail -n1) / 1024))"
}

echo "== $frames frames, DVD PAL Motion JPEG"
read -r secs peak < <(sampled "$work/rss-mjpeg.txt" "$bin" --root "$root" --make-video long --format "DVD PAL" \
    --speed 25 --compressor mjpeg --quality 90 --overwrite)
n=$(wc -l <"$work/rss-mjpeg.txt")
early=$(head -n $((n / 4 + 1)) "$work/rss-mjpeg.txt" | sort -n | tail -n1)
late=$(tail -n $((n / 4 + 1)) "$work/rss-mjpeg.txt" | sort -n | tail -n1)
echo "time ${secs} s, peak RSS ${peak} MB; peak in the first quarter $((early / 1024)) MB, in the last quarter $((late / 1024)) MB"
ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames -of csv=p=0 "$(cat "$work/stdout.txt")" |
    sed 's/^/frames read by ffprobe: /'

echo "== $hdframes frames, Full-HD uncompressed (OpenDML)"
hdclip="$root/Frames/hd"
mkdir -p "$hdclip"
for ((i = 1; i <= hdframes; i++)); do
    f=$(printf %05d "$i")
    [ -e "$hdclip/f$f.jpg" ] || ln "$clip/f$f.jpg" "$hdclip/f$f.jpg"
done
read -r secs peak < <(sampled "$work/rss-hd.txt" "$bin" --root "$root" --make-video hd --format "Full-HD 16:9" \
    --speed 25 --compressor uncompressed --overwrite)
video=$(cat "$work/stdout.txt")
echo "time ${secs} s, peak RSS ${peak} MB, file $(($(stat -c %s "$video") / 1048576)) MB"
ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames -of csv=p=0 "$video" |
    sed 's/^/frames read by ffprobe: /'
ffmpeg -v error -sseof -1 -i "$video" -frames:v 1 -f null - && echo "last frame decodes"
rm -f "$video"

#!/usr/bin/env bash
# Times this program's batch mode against the ffmpeg command line on the same jobs, alternating
# runs, and prints the median wall times, the median of the rounds' ratios, file sizes, peak
# memory and how close our picture is to ffmpeg's area-averaged one. Each round times ours and
# ffmpeg back to back, so the ratio of a round sees the same load on a shared machine; the median
# of those ratios is the figure to read.
#
#   bench/compare-ffmpeg.sh [rounds] [jobs...]     defaults: 7 rounds, jobs A C
#
# Jobs (Motion JPEG at the best quality, qscale 2, 25 frames/s, unless named otherwise):
#   A   300 frames of 1920x1080 JPEG -> "DVD PAL" 720x576
#   C    60 frames of 6000x4000 JPEG -> "Full-HD 16:9" 1920x1080, and -> "DVD PAL" 720x576
#   C8   20 frames of 8000x6000 JPEG -> "Full-HD 16:9" (peak memory in frame size)
#   U   300 frames of 1920x1080 JPEG -> "DVD PAL" uncompressed
#   H   300 frames of 1920x1080 JPEG -> "Full-HD 16:9" 1920x1080, H.264 in MP4 (settings as for K)
#   K    30 frames of 6000x4000 JPEG (24 megapixels) -> "4K UHD 16:9" 3840x2160, H.264 in MP4
#        (quality 75, which is x264's rate factor 26, preset veryfast, no B-frames, on both sides)
# PSNR: our picture (an extra uncompressed run, so that encoding losses do not count) against the
# source frames decoded at full size to RGB and area-averaged there by ffmpeg; then both coded
# videos against the same frames (Motion JPEG from JPEG frames goes another way than the
# uncompressed run: the frames stay YCbCr).
# Needs a release build (./run.sh makes one).
set -euo pipefail
cd "$(dirname "$0")/.."

rounds=${1:-7}
shift || true
jobs=("$@")
[ ${#jobs[@]} -gt 0 ] || jobs=(A C)

bin=build/release/src/app/brimholt-tavelon
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

# frames of size WxH in a clip of their own: "root"
frames() {
    local n=$1 size=$2 root="$work/${2}x$1"
    local clip="$root/Frames/bench"
    if [ ! -f "$clip/f$(printf %05d "$n").jpg" ]; then
        echo "Generating $n frames of $size JPEG ..." >&2
        rm -rf "$root"
        mkdir -p "$clip"
        ffmpeg -v error -f lavfi -i "testsrc2=size=$size:rate=25" -frames:v "$n" -q:v 3 -start_number 1 \
            "$clip/f%05d.jpg"
    fi
    echo "$root"
}

# PSNR (dB) of a video against the clip's frames decoded at full size to RGB and area-averaged
# there by ffmpeg: "video clip WxH"
psnr() {
    ffmpeg -v info -nostats -i "$1" -framerate 25 -pattern_type glob -i "$2/*.jpg" \
        -lavfi "[0]format=rgb24[a];[1]format=rgb24,scale=${3/x/:}:flags=area+accurate_rnd+full_chroma_int[b];[a][b]psnr" \
        -f null - 2>&1 | sed -n 's/.*PSNR.* average:\([0-9.inf]*\).*/\1/p'
}

# one row: frames size format WxH compressor
run() {
    local n=$1 size=$2 format=$3 target=$4 job=$5
    local root clip ours theirs
    root=$(frames "$n" "$size")
    clip="$root/Frames/bench"
    local ext=avi
    if [ "$job" = mjpeg ]; then
        ours=(--container avi --compressor mjpeg --quality 100)
        theirs=(-c:v mjpeg -q:v 2 -pix_fmt yuvj420p)
    elif [ "$job" = h264 ]; then
        ext=mp4
        ours=(--container mp4 --compressor h264 --quality 75)
        theirs=(-c:v libx264 -preset veryfast -bf 0 -crf 26 -pix_fmt yuv420p)
    else
        ours=(--container avi --compressor uncompressed)
        theirs=(-c:v rawvideo -pix_fmt bgr24)
    fi
    : >"$work/ours.txt"
    : >"$work/theirs.txt"
    for ((r = 1; r <= rounds; r++)); do
        measure "$bin" --root "$root" --make-video bench --format "$format" --speed 25 --overwrite "${ours[@]}" \
            >>"$work/ours.txt"
        measure ffmpeg -y -v error -framerate 25 -pattern_type glob -i "$clip/*.jpg" \
            -vf "scale=${target/x/:}:flags=area" "${theirs[@]}" -an "$work/ffmpeg-$job.$ext" >>"$work/theirs.txt"
    done
    local ot tt ratio om tm osize tsize psnr
    ot=$(cut -d' ' -f1 "$work/ours.txt" | median)
    tt=$(cut -d' ' -f1 "$work/theirs.txt" | median)
    ratio=$(paste -d' ' "$work/ours.txt" "$work/theirs.txt" | awk '{print $1 / $3}' | median)
    om=$(cut -d' ' -f2 "$work/ours.txt" | sort -n | tail -n1)
    tm=$(cut -d' ' -f2 "$work/theirs.txt" | sort -n | tail -n1)
    osize=$(stat -c %s "$root/Clips/bench.$ext")
    tsize=$(stat -c %s "$work/ffmpeg-$job.$ext")
    # The coded videos, then the picture before coding (one more, uncompressed run of ours).
    local coded theirsCoded
    coded=$(psnr "$root/Clips/bench.$ext" "$clip" "$target")
    theirsCoded=$(psnr "$work/ffmpeg-$job.$ext" "$clip" "$target")
    rm -f "$root/Clips/bench.$ext"
    "$bin" --root "$root" --make-video bench --format "$format" --speed 25 --overwrite --container avi \
        --compressor uncompressed \
        >/dev/null 2>&1
    psnr=$(psnr "$root/Clips/bench.avi" "$clip" "$target")
    rm -f "$root/Clips/bench.avi"
    printf '%3d × %-9s -> %-12s %-12s ours %6.2f s  ffmpeg %6.2f s  ratio %.2f | size ours %6.1f MB ffmpeg %6.1f MB | peak RSS ours %4d MB ffmpeg %4d MB | PSNR %s dB, coded: ours %s dB ffmpeg %s dB\n' \
        "$n" "$size" "$format" "$job" "$ot" "$tt" "$ratio" "$(echo "$osize / 1048576" | bc -l)" \
        "$(echo "$tsize / 1048576" | bc -l)" $((om / 1024)) $((tm / 1024)) "$psnr" "$coded" "$theirsCoded"
}

for job in "${jobs[@]}"; do
    case $job in
    A) run 300 1920x1080 "DVD PAL" 720x576 mjpeg ;;
    C)
        run 60 6000x4000 "Full-HD 16:9" 1920x1080 mjpeg
        run 60 6000x4000 "DVD PAL" 720x576 mjpeg
        ;;
    C8) run 20 8000x6000 "Full-HD 16:9" 1920x1080 mjpeg ;;
    U) run 300 1920x1080 "DVD PAL" 720x576 uncompressed ;;
    H) run 300 1920x1080 "Full-HD 16:9" 1920x1080 h264 ;;
    K) run 30 6000x4000 "4K UHD 16:9" 3840x2160 h264 ;;
    *) echo "unknown job $job" >&2 && exit 2 ;;
    esac
done

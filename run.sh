#!/usr/bin/env bash
# Installs what is missing, builds the release, and starts Brimholt Tavelon on a demo program
# folder (build/demo). Without a display it makes the demo clip's video in batch mode instead and
# shows what ffprobe says of it.
set -euo pipefail
cd "$(dirname "$0")"

./tools/install-deps.sh

cmake --preset release >/dev/null
cmake --build --preset release --target brimholt-tavelon tavelon-makedemo

bin=build/release/src/app/brimholt-tavelon
demo=build/demo
if [ ! -d "$demo/Frames" ]; then
    echo "Drawing the demo clips into $demo ..."
    build/release/tools/tavelon-makedemo "$demo"
fi

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    exec "$bin" --root "$demo" "$@"
fi

echo "No display (DISPLAY and WAYLAND_DISPLAY are unset): making the demo clip's video in batch mode."
echo "Clips in $demo:"
"$bin" --root "$demo" --list-clips | sed 's/^/  /'
clip=$("$bin" --root "$demo" --list-clips | head -n 1)
echo "Making the video of '$clip' (DVD PAL, Motion JPEG, overlay on) ..."
video=$("$bin" --root "$demo" --make-video "$clip" --format "DVD PAL" --compressor mjpeg --quality 90 \
        --overlay --overwrite "$@")
echo "Video: $video"
ffprobe -v error -select_streams v:0 -count_frames \
    -show_entries stream=codec_name,width,height,r_frame_rate,nb_read_frames -of default=noprint_wrappers=1 "$video"

#include "video/compressors.h"

#include <algorithm>

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace tavelon {

std::vector<CompressorInfo> availableCompressors()
{
    // id, description, FFmpeg encoder, quality, key frames, data rate. Only codecs whose AVI files
    // play in the common players; Ut Video, for one, is unknown to GStreamer's AVI reader.
    static const CompressorInfo all[] = {
        {QStringLiteral("uncompressed"),
         QStringLiteral("Full Frames (Uncompressed)"),
         {},
         false,
         false,
         false},
        {QStringLiteral("mjpeg"), QStringLiteral("Motion JPEG"), QStringLiteral("mjpeg"), true, false, false},
        {QStringLiteral("mpeg4"), QStringLiteral("MPEG-4 Part 2"), QStringLiteral("mpeg4"), true, true, true},
        {QStringLiteral("h264"), QStringLiteral("H.264 (x264)"), QStringLiteral("libx264"), true, true, true},
        {QStringLiteral("ffv1"), QStringLiteral("FFV1 (lossless)"), QStringLiteral("ffv1"), false, true,
         false},
        {QStringLiteral("huffyuv"), QStringLiteral("HuffYUV (lossless)"), QStringLiteral("huffyuv"), false,
         false, false},
    };
    std::vector<CompressorInfo> result;
    for (const CompressorInfo &c : all) {
        if (c.encoder.isEmpty() || avcodec_find_encoder_by_name(c.encoder.toLatin1().constData()))
            result.push_back(c);
    }
    return result;
}

std::optional<CompressorInfo> findCompressor(const QString &id)
{
    for (CompressorInfo &c : availableCompressors()) {
        if (c.id == id)
            return std::move(c);
    }
    return std::nullopt;
}

int qscaleForQuality(int quality)
{
    const int q = std::clamp(quality, 0, 100);
    return 2 + ((100 - q) * 29 + 50) / 100;
}

int crfForQuality(int quality)
{
    const int q = std::clamp(quality, 0, 100);
    return 18 + ((100 - q) * 33 + 50) / 100;
}

} // namespace tavelon

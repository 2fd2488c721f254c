#include "video/compressors.h"

#include <algorithm>

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace tavelon {

std::vector<CompressorInfo> availableCompressors()
{
    // Only codecs whose AVI files play in the common players; Ut Video, for one, is unknown to
    // GStreamer's AVI reader.
    static const CompressorInfo all[] = {
        {.id = QStringLiteral("uncompressed"),
         .description = QStringLiteral("Full Frames (Uncompressed)"),
         .encoderOptions = {}},
        {.id = QStringLiteral("mjpeg"),
         .description = QStringLiteral("Motion JPEG"),
         .encoder = "mjpeg",
         .pixels = CodedPixels::Yuv420Full,
         .quality = QualityMeaning::Quantiser,
         .encoderOptions = {}},
        {.id = QStringLiteral("mpeg4"),
         .description = QStringLiteral("MPEG-4 Part 2"),
         .encoder = "mpeg4",
         .pixels = CodedPixels::Yuv420,
         .fourcc = MKTAG('X', 'V', 'I', 'D'), // the tag most players map to MPEG-4 Part 2
         .quality = QualityMeaning::Quantiser,
         .keyFrames = KeyFrameMeaning::MaxInterval,
         .dataRate = DataRateMeaning::AverageBitRate,
         .encoderOptions = {},
         .mp4 = true,
         .playsInBrowsers = false},
        {.id = QStringLiteral("h264"),
         .description = QStringLiteral("H.264 (x264)"),
         .encoder = "libx264",
         .pixels = CodedPixels::Yuv420,
         .quality = QualityMeaning::RateFactor,
         .keyFrames = KeyFrameMeaning::MaxInterval,
         .dataRate = DataRateMeaning::AverageBitRate,
         // AVI keeps no presentation times, so no B-frames.
         .encoderOptions = {{"preset", "veryfast"}, {"bf", "0"}},
         .mp4 = true},
        // H.265 and AV1 go to MP4 only. x265's B-frames can leave a short clip's last packet in a
        // form the MP4 muxer refuses ("not yet implemented"), so there are none. Both libraries
        // print their own statistics to stderr unless told not to.
        {.id = QStringLiteral("h265"),
         .description = QStringLiteral("H.265 / HEVC (x265)"),
         .encoder = "libx265",
         .pixels = CodedPixels::Yuv420,
         .mp4Tag = MKTAG('h', 'v', 'c', '1'), // the sample entry Apple's players and browsers accept
         .quality = QualityMeaning::RateFactor,
         .keyFrames = KeyFrameMeaning::MaxInterval,
         .dataRate = DataRateMeaning::AverageBitRate,
         .encoderOptions = {{"preset", "veryfast"}, {"bf", "0"}, {"x265-params", "log-level=error"}},
         .mp4 = true,
         .avi = false},
        {.id = QStringLiteral("av1"),
         .description = QStringLiteral("AV1 (SVT-AV1)"),
         .encoder = "libsvtav1",
         .pixels = CodedPixels::Yuv420,
         .quality = QualityMeaning::RateFactor,
         .keyFrames = KeyFrameMeaning::MaxInterval,
         .dataRate = DataRateMeaning::AverageBitRate,
         .encoderOptions = {{"preset", "10"}},
         .mp4 = true,
         .avi = false},
        {.id = QStringLiteral("ffv1"),
         .description = QStringLiteral("FFV1 (lossless)"),
         .encoder = "ffv1",
         .pixels = CodedPixels::Bgr0,
         .keyFrames = KeyFrameMeaning::MaxInterval,
         // Version 3 codes slices, which the second thread works on.
         .encoderOptions = {{"level", "3"}}},
        {.id = QStringLiteral("huffyuv"),
         .description = QStringLiteral("HuffYUV (lossless)"),
         .encoder = "huffyuv",
         .pixels = CodedPixels::Rgb24,
         .encoderOptions = {}},
    };
    std::vector<CompressorInfo> result;
    for (const CompressorInfo &c : all) {
        if (c.isStored() || avcodec_find_encoder_by_name(c.encoder))
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

bool fitsContainer(const CompressorInfo &compressor, Container container)
{
    return container == Container::Avi ? compressor.avi : compressor.mp4;
}

QString commonCompressorId()
{
    return QStringLiteral("h264");
}

QString defaultCompressorId(Container container)
{
    return container == Container::Mp4 ? commonCompressorId() : QStringLiteral("uncompressed");
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

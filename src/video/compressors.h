#pragma once

#include <optional>
#include <vector>

#include <QString>

namespace tavelon {

// What the compression dialog chose for one video: which compressor and its settings. The
// defaults are what the dialog starts from on every run.
struct CompressOptions
{
    QString codec = QStringLiteral("uncompressed"); // a CompressorInfo id
    int quality = 75;                               // 0 (smallest) … 100 (best)
    int keyFrameEvery = 0;                          // 0: the compressor's own interval
    int dataRateKbps = 0;                           // kbit/s; 0: quality decides

    friend bool operator==(const CompressOptions &, const CompressOptions &) = default;
};

// One compressor the AVI layer offers, with the options that apply to it.
struct CompressorInfo
{
    QString id;
    QString description;
    QString encoder; // FFmpeg encoder name; empty when frames are stored as they are
    bool hasQuality = false;
    bool hasKeyFrames = false;
    bool hasDataRate = false;
};

// The compressors this build's libavcodec can serve, "Full Frames (Uncompressed)" first.
std::vector<CompressorInfo> availableCompressors();
std::optional<CompressorInfo> findCompressor(const QString &id);

// Quality 0–100 as an MPEG/JPEG quantiser scale 31…2 (100 gives 2).
int qscaleForQuality(int quality);
// Quality 0–100 as an x264 constant rate factor 51…18 (100 gives 18, visually lossless).
int crfForQuality(int quality);

} // namespace tavelon

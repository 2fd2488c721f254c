#pragma once

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include <QString>

#include "form/videooutput.h"

namespace tavelon {

// What the compression dialog chose for one video: the container, which compressor and its
// settings, how frames of another shape are fitted, deflicker and the soundtrack. The compressor's
// settings start from these defaults on every run; the rest from the clip's.
struct CompressOptions
{
    QString codec = QStringLiteral("uncompressed"); // a CompressorInfo id
    int quality = 75;                               // 0 (smallest) … 100 (best)
    int keyFrameEvery = 0;                          // 0: the compressor's own interval
    int dataRateKbps = 0;                           // kbit/s; 0: quality decides
    Container container = Container::Avi;
    Fit fit = Fit::Stretch;
    int deflicker = 0; // frames in the deflicker window; 0: off
    QString audio{};   // the soundtrack's audio file; empty: none

    friend bool operator==(const CompressOptions &, const CompressOptions &) = default;
};

// The pictures a compressor is given.
enum class CodedPixels {
    StoredDib,  // no encoder: the DIB's own BGR rows, bottom-up
    Yuv420Full, // YUV 4:2:0 in full range, as JPEG defines it; odd sizes padded to even
    Yuv420,     // YUV 4:2:0 in video range; odd sizes padded to even
    Bgr0,       // 32-bit BGR, any size
    Rgb24,      // 24-bit RGB, any size
};

// What the quality setting (0–100) sets.
enum class QualityMeaning {
    None,
    Quantiser,  // a fixed quantiser scale for every frame, qscaleForQuality()
    RateFactor, // the constant rate factor of x264, x265 and SVT-AV1, crfForQuality()
};

// What the key-frame setting sets.
enum class KeyFrameMeaning {
    None,
    MaxInterval, // a key frame at least every N frames
};

// What the data-rate setting sets.
enum class DataRateMeaning {
    None,
    AverageBitRate, // kbit/s on average; replaces the quality setting when given
};

// One compressor the program offers: what the encoder is given, how the file names it, and what
// the dialog's settings mean for it.
struct CompressorInfo
{
    QString id;
    QString description;
    const char *encoder = nullptr; // FFmpeg encoder name; null when frames are stored as they are
    CodedPixels pixels = CodedPixels::StoredDib;
    std::uint32_t fourcc = 0; // codec tag in an AVI file; 0: the muxer's own for the codec
    std::uint32_t mp4Tag = 0; // sample entry in an MP4 file; 0: the muxer's own for the codec
    QualityMeaning quality = QualityMeaning::None;
    KeyFrameMeaning keyFrames = KeyFrameMeaning::None;
    DataRateMeaning dataRate = DataRateMeaning::None;
    // Encoder options (FFmpeg's names and values) given when the encoder is opened.
    std::vector<std::pair<const char *, const char *>> encoderOptions;
    // Whether MP4 files may carry it: H.264, H.265, AV1 and MPEG-4 Part 2.
    bool mp4 = false;
    // Whether AVI files may carry it: AVI has no standard tag for H.265 and AV1.
    bool avi = true;
    // Whether web browsers play it in an MP4 file; they do not play MPEG-4 Part 2.
    bool playsInBrowsers = true;

    bool isStored() const { return encoder == nullptr; }
    bool hasQuality() const { return quality != QualityMeaning::None; }
    bool hasKeyFrames() const { return keyFrames != KeyFrameMeaning::None; }
    bool hasDataRate() const { return dataRate != DataRateMeaning::None; }
};

// The compressors this build's libavcodec can serve, "Full Frames (Uncompressed)" first.
std::vector<CompressorInfo> availableCompressors();
std::optional<CompressorInfo> findCompressor(const QString &id);
// Each container takes the compressors marked for it.
bool fitsContainer(const CompressorInfo &compressor, Container container);
// H.264: the compressor both containers take, used where one must be picked for the user.
QString commonCompressorId();
// The compressor of a video when none was chosen: MP4 needs a coded one, AVI keeps the frames.
QString defaultCompressorId(Container container);

// Quality 0–100 as an MPEG/JPEG quantiser scale 31…2 (100 gives 2).
int qscaleForQuality(int quality);
// Quality 0–100 as a constant rate factor 51…18 (100 gives 18, visually lossless with x264).
int crfForQuality(int quality);

} // namespace tavelon

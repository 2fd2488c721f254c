#pragma once

#include "form/videooutput.h"

#include <cstdint>
#include <memory>

#include <QString>

struct AVFormatContext;
struct AVFrame;

namespace tavelon {

// Why an audio file cannot be a video's soundtrack.
enum class SoundtrackProblem {
    None,
    NotLocalFile, // a URL or another FFmpeg protocol ("http://…", "concat:…"), a device, a folder
    Unreadable,   // missing, unreadable, or not a file the FFmpeg libraries read
    NoAudio,      // read, but without an audio stream that can be decoded
};

// Opens path the way a video's soundtrack is opened and says what keeps it from serving; nothing
// is written. Only local files are opened: a clip's settings may come from someone else.
SoundtrackProblem checkSoundtrack(const QString &path);

// An audio file coded into a video's second stream: AAC in MP4, MP3 in AVI, cut to the video's
// length with a one-second fade-out, silence after it when the file is shorter. Opened and checked
// before the file header; the stream's worker then writes the audio up to each video packet's
// time, so the two streams interleave, and finish() writes the rest.
class Soundtrack
{
public:
    ~Soundtrack();
    Soundtrack(const Soundtrack &) = delete;
    Soundtrack &operator=(const Soundtrack &) = delete;

    // The decoder of path's audio; null with the problem when there is none.
    static std::unique_ptr<Soundtrack> open(const QString &path, SoundtrackProblem &problem);

    // Adds the coded audio stream to ctx for a video of durationNum / durationDen seconds; before
    // the header is written. 0, or a negative FFmpeg code with errorText() set.
    int addStream(AVFormatContext *ctx, Container container, std::int64_t durationNum,
                  std::int64_t durationDen);
    // Codes and writes the track up to seconds of the video (not past its length).
    int writeUntil(double seconds);
    // Codes and writes the rest of the track and flushes the encoder.
    int finish();
    QString errorText() const;

private:
    struct State;
    Soundtrack();
    int encodeNextFrame();
    int readIntoQueue();
    int convert(const AVFrame *decoded);
    int writePackets(bool flush);
    int fail(const char *step, int code);

    std::unique_ptr<State> m_state;
};

} // namespace tavelon

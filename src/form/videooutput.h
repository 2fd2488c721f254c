#pragma once

#include <QString>

#include <optional>

namespace tavelon {

// The file a video goes into, beyond the classic AVI: the container, how frames whose shape
// differs from the video's are fitted, deflicker and a soundtrack. Chosen in the compression dialog (or on
// the command line) and stored per clip.
enum class Container { Avi, Mp4 };
enum class Fit {
    Stretch, // the whole frame fills the whole video, its shape not kept
    Pad,     // the frame keeps its shape inside the video's display shape, with black bars
    Crop,    // the frame keeps its shape and covers the whole video, its overhang cut off
};

// Deflicker windows from 2 frames up to this many; 0 is off.
inline constexpr int kMaxDeflickerWindow = 99;

struct VideoOutput
{
    Container container = Container::Avi;
    Fit fit = Fit::Stretch;
    int deflicker = 0; // frames in the deflicker window; 0: off
    QString audio{};   // the soundtrack's audio file; empty: none

    friend bool operator==(const VideoOutput &, const VideoOutput &) = default;
};

// ".avi" or ".mp4".
QString fileExtension(Container container);
// The names used in Clip.ini and on the command line: "avi", "mp4"; "stretch", "pad", "crop".
QString containerName(Container container);
std::optional<Container> containerFromName(const QString &name);
QString fitName(Fit fit);
std::optional<Fit> fitFromName(const QString &name);

} // namespace tavelon

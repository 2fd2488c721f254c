#pragma once

#include <QString>

#include <optional>

namespace tavelon {

// The file a video goes into, beyond the classic AVI: the container, and how frames whose shape
// differs from the video's are fitted. Chosen in the compression dialog (or on the command line)
// and stored per clip.
enum class Container { Avi, Mp4 };
enum class Fit {
    Stretch, // the whole frame fills the whole video, its shape not kept
    Pad,     // the frame keeps its shape inside the video's display shape, with black bars
};

struct VideoOutput
{
    Container container = Container::Avi;
    Fit fit = Fit::Stretch;

    friend bool operator==(const VideoOutput &, const VideoOutput &) = default;
};

// ".avi" or ".mp4".
QString fileExtension(Container container);
// The names used in Clip.ini and on the command line: "avi", "mp4"; "stretch", "pad".
QString containerName(Container container);
std::optional<Container> containerFromName(const QString &name);
QString fitName(Fit fit);
std::optional<Fit> fitFromName(const QString &name);

} // namespace tavelon

#pragma once

#include <QList>
#include <QSize>
#include <QString>

#include <functional>

#include "form/playingdirection.h"

namespace tavelon {

// One thing in a clip folder that would make its video wrong or surprising.
struct ClipProblem
{
    enum class Kind {
        Unreadable,  // a frame that cannot be decoded, or only with data lost
        SizeDiffers, // a frame whose size is not the first frame's
        OutOfOrder,  // a number without leading zeros that sorts after a higher one (img9 after img10)
        Gap,         // numbers missing between two frames
        NotAFrame,   // a file in the clip folder that is no frame (Clip.ini aside)
    };
    Kind kind;
    QString name;  // the file concerned; for Gap the frame before the gap
    QString other; // OutOfOrder: the frame it follows in the list; Gap: the frame after the gap
    QSize size;    // SizeDiffers: this frame's size

    friend bool operator==(const ClipProblem &, const ClipProblem &) = default;
};

struct ClipCheckResult
{
    QList<ClipProblem> problems;
    int frames = 0;  // the frames listed
    QSize firstSize; // the first readable frame's size; empty when none could be read
    // False when the check ended early (cancelled, or the folder went away); the rest holds what
    // was found until then.
    bool complete = true;
};

// Whether the check read a frame, or would have, had it run to its end: a clip without one (empty,
// or every frame damaged) makes no video.
inline bool hasReadableFrame(const ClipCheckResult &result)
{
    return !result.firstSize.isEmpty() || !result.complete;
}

// Checks the clip folder clipPath (ending in a separator): lists its files, decodes every frame
// and compares the frames' sizes and numbering. cancelled is asked between files; when it says
// true the check ends with what it has. Safe to run on any thread.
ClipCheckResult checkClip(const QString &clipPath, const std::function<bool()> &cancelled = {});

// The numbering problems of a frame list in list order: names are grouped by the text around
// their last number; within a group a number below its predecessor's is OutOfOrder, and numbers
// missing between two neighbours (in numeric order) are a Gap.
QList<ClipProblem> numberingProblems(const QStringList &frames);

// The frame count of the video of a clip with frames frames in direction (0 forward, 1 backward,
// 2 forward and back: 2N - 1; none for any other), and its length in seconds at speed frames per
// second (a speed below 1 counts as 1).
int videoFrameCount(int frames, PlayingDirection direction);
double videoSeconds(int frames, PlayingDirection direction, int speed);

} // namespace tavelon

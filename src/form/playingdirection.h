#pragma once

#include <QList>

#include <algorithm>
#include <functional>
#include <optional>

namespace tavelon {

// The playing direction of the preview and of the video, stored as its code (the list index of
// directionBox and "Direction" in Clip.ini). A code outside 0…2 (no list entry chosen) plays and
// writes nothing.
enum class PlayingDirection { Forward = 0, Backward = 1, ForwardAndBack = 2 };

inline int directionCode(PlayingDirection direction)
{
    return static_cast<int>(direction);
}

inline PlayingDirection directionFromCode(int code)
{
    return static_cast<PlayingDirection>(code);
}

// One walk over a clip of n frames: forwards from index 0 to n − 1, or backwards from
// n − 1 − skip down to 0 (the return pass of forward and back leaves out the turning frame).
struct FramePass
{
    bool forward = true;
    int skip = 0;

    int first(int n) const { return forward ? 0 : n - 1 - skip; }
    int count(int n) const { return std::max(0, forward ? n : n - skip); }
    QList<int> indexes(int n) const;
};

// The passes of one run in a direction, in order: the one place the order is written.
QList<FramePass> passOrder(PlayingDirection direction);

// Every frame index of one run over n frames, the passes joined.
QList<int> frameOrder(PlayingDirection direction, int n);

// Walks the passes of one run one index at a time, the way the player and the video writer walk
// a clip: the direction is read (direction()) once per kind of run, forward, backward, forward and
// back, in that order, so a direction chosen during a run adds its passes after the ones under
// way; the frame count (count()) is read at the start of each pass.
class PassWalker
{
public:
    PassWalker(std::function<PlayingDirection()> direction, std::function<int()> count);
    // The next frame index of the run; nothing once the run is over.
    std::optional<int> next();

private:
    std::function<PlayingDirection()> m_direction;
    std::function<int()> m_count;
    int m_kind = -1;
    QList<FramePass> m_passes;
    QList<int> m_indexes;
    qsizetype m_position = 0;
};

} // namespace tavelon

#pragma once

#include <QList>

#include <algorithm>

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

// Runs the passes the way the player and the video writer walk a clip: the direction is read
// (direction()) once per kind of run, forward, backward, forward and back, in that order, so a
// direction chosen during a run adds its passes after the ones under way; the frame count
// (count()) is read at the start of each pass. step(i) returns false to end the run; the result is
// false then.
template <class DirectionFn, class CountFn, class StepFn>
bool runPasses(DirectionFn direction, CountFn count, StepFn step)
{
    for (const PlayingDirection kind :
         {PlayingDirection::Forward, PlayingDirection::Backward, PlayingDirection::ForwardAndBack}) {
        if (direction() != kind)
            continue;
        for (const FramePass &pass : passOrder(kind)) {
            for (const int i : pass.indexes(count())) {
                if (!step(i))
                    return false;
            }
        }
    }
    return true;
}

} // namespace tavelon

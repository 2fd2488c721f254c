#include "form/playingdirection.h"

namespace tavelon {

QList<int> FramePass::indexes(int n) const
{
    QList<int> order;
    if (forward) {
        for (int i = 0; i < n; ++i)
            order << i;
    } else {
        for (int i = n - 1 - skip; i >= 0; --i)
            order << i;
    }
    return order;
}

QList<FramePass> passOrder(PlayingDirection direction)
{
    switch (direction) {
    case PlayingDirection::Forward:
        return {FramePass{true, 0}};
    case PlayingDirection::Backward:
        return {FramePass{false, 0}};
    case PlayingDirection::ForwardAndBack:
        return {FramePass{true, 0}, FramePass{false, 1}};
    }
    return {};
}

QList<int> frameOrder(PlayingDirection direction, int n)
{
    QList<int> order;
    for (const FramePass &pass : passOrder(direction))
        order += pass.indexes(n);
    return order;
}

} // namespace tavelon

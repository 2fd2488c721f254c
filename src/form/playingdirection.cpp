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

PassWalker::PassWalker(std::function<PlayingDirection()> direction, std::function<int()> count)
    : m_direction(std::move(direction)), m_count(std::move(count))
{}

std::optional<int> PassWalker::next()
{
    constexpr int kLastKind = static_cast<int>(PlayingDirection::ForwardAndBack);
    for (;;) {
        if (m_position < m_indexes.size())
            return m_indexes.at(m_position++);
        if (!m_passes.isEmpty()) {
            m_indexes = m_passes.takeFirst().indexes(m_count());
            m_position = 0;
            continue;
        }
        if (m_kind >= kLastKind)
            return std::nullopt;
        ++m_kind;
        if (directionCode(m_direction()) == m_kind)
            m_passes = passOrder(directionFromCode(m_kind));
    }
}

} // namespace tavelon

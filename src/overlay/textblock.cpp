#include "overlay/textblock.h"

#include <QFontMetrics>

#include "overlay/labelsize.h"

namespace tavelon {

void TextBlock::update(const QString &family, int points, const QString &caption)
{
    const bool fontChanged = !m_measured || points != m_points || family != m_family;
    if (!fontChanged && caption == m_caption)
        return;
    if (fontChanged) {
        m_family = family;
        m_points = points;
        m_font = overlayFont(family, points);
    }
    m_caption = caption;
    const QFontMetrics fm(m_font);
    m_width = fm.horizontalAdvance(caption);
    m_height = fm.height();
    m_ascent = fm.ascent();
    m_measured = true;
}

} // namespace tavelon

#pragma once

#include <QFont>
#include <QSize>
#include <QString>

namespace tavelon {

// One measuring label: the overlay font at a point size and the extent of a caption in it (the
// caption's advance and the font's line height). The font and its metrics are rebuilt only when
// the family, the size or the caption changes, not on every frame.
class TextBlock
{
public:
    void update(const QString &family, int points, const QString &caption);

    const QFont &font() const { return m_font; }
    int points() const { return m_points; }
    int width() const { return m_width; }
    int height() const { return m_height; }
    int ascent() const { return m_ascent; }
    QSize size() const { return QSize(m_width, m_height); }

private:
    QString m_family;
    int m_points = -1;
    QString m_caption;
    bool m_measured = false;
    QFont m_font;
    int m_width = 0;
    int m_height = 0;
    int m_ascent = 0;
};

} // namespace tavelon

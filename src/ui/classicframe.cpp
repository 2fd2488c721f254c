#include "ui/classicframe.h"

#include <QPainter>
#include <QStyle>

namespace tavelon {

namespace {
constexpr int kTitleLeft = 7;
constexpr int kTitlePadding = 2;
} // namespace

void ClassicFrame::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QFontMetrics fm(font());
    const QString caption = title();
    const int line = caption.isEmpty() ? 0 : fm.height() / 2;

    const QRect box(0, line, width() - 2, height() - line - 2);
    p.setPen(palette().color(QPalette::Dark));
    p.drawRect(box);
    p.setPen(palette().color(QPalette::Light));
    p.drawRect(box.translated(1, 1));

    if (caption.isEmpty())
        return;
    const QRect text(kTitleLeft, 0, fm.horizontalAdvance(caption) + 2 * kTitlePadding, fm.height());
    p.fillRect(text, palette().color(QPalette::Window));
    style()->drawItemText(&p, text, Qt::AlignCenter | Qt::TextShowMnemonic, palette(), isEnabled(), caption,
                          QPalette::WindowText);
}

} // namespace tavelon

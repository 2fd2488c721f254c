#include "ui/wrappingbutton.h"

#include <QStyleOptionButton>
#include <QStylePainter>

namespace tavelon {

void WrappingButton::paintEvent(QPaintEvent *)
{
    QStylePainter p(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QString caption = option.text;
    option.text.clear();
    p.drawControl(QStyle::CE_PushButton, option);

    const QRect area =
        style()->subElementRect(QStyle::SE_PushButtonContents, &option, this).adjusted(2, 2, -2, -2);
    p.drawItemText(area, Qt::AlignCenter | Qt::TextWordWrap | Qt::TextShowMnemonic, option.palette,
                   isEnabled(), caption, QPalette::ButtonText);
}

} // namespace tavelon

#include "ui/classicscrollbar.h"

#include <QStyleOptionSlider>

namespace tavelon {

void ClassicScrollBar::initStyleOption(QStyleOptionSlider *option) const
{
    QScrollBar::initStyleOption(option);
    // The style sizes the thumb from the page step; without one it uses its minimum length. Paging
    // by clicks on the track still uses the real page step.
    option->pageStep = 0;
}

} // namespace tavelon

#pragma once

#include <QScrollBar>

namespace tavelon {

// A scroll bar whose thumb keeps the style's minimum length whatever the page step, as classic
// scroll bars have it: a short clip with a large change of 25 frames still gets a small thumb.
class ClassicScrollBar : public QScrollBar
{
    Q_OBJECT
public:
    using QScrollBar::QScrollBar;

protected:
    void initStyleOption(QStyleOptionSlider *option) const override;
};

} // namespace tavelon

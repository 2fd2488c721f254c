#pragma once

#include <QGroupBox>

namespace tavelon {

// A group box drawn as a classic frame: an etched line around the whole area with the caption set
// into the top line, so that controls placed near the top edge sit inside the frame. The background
// (when filled) covers the whole rectangle, above the line as well.
class ClassicFrame : public QGroupBox
{
    Q_OBJECT
public:
    using QGroupBox::QGroupBox;

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace tavelon

#pragma once

#include <QPushButton>

namespace tavelon {

// A push button whose caption wraps at word boundaries and is centred, as a classic form button
// shows a caption wider than itself.
class WrappingButton : public QPushButton
{
    Q_OBJECT
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace tavelon

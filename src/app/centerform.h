#pragma once

#include <QPoint>
#include <QSize>

namespace tavelon {

// Top-left position of a window centred on the screen, a little above the true centre: top is
// round(0.85 × screen height) / 2 − window height / 2, left is screen width / 2 − window width / 2,
// each halving discarding the remainder; a negative result becomes 0. Works in any unit (the
// classic caller passes twips).
QPoint CenterForm(const QSize &window, const QSize &screen);

} // namespace tavelon

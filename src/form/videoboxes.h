#pragma once

#include <QSize>
#include <QString>

#include <optional>

namespace tavelon {

// The three boxes that define the video: the frame rate (the top of the speed scroll bar) and the
// frame's width and height in pixels. They hold text as typed, in the window, in Clip.ini and on
// the command line; this is the one rule of what such a text may stand for.
enum class VideoBox { FrameRate, Width, Height };

// The largest frame side the frame readers and the encoder pipeline handle.
inline constexpr int kMaxFrameSide = 16384;

// The largest value a box takes: for the sides, the largest frame side the frame readers and the
// encoder pipeline handle; for the rate, the top of the speed scroll bar's 16-bit range.
int videoBoxLimit(VideoBox box);

// The whole number a box's text stands for: the text (blanks around it aside) is a plain decimal
// number, rounded halves to even, from 1 to videoBoxLimit(box). nullopt for anything else ("abc",
// "", "-5", "0", "12px", too large): the window then keeps the previous picture size and does not
// store the text, batch mode refuses it.
std::optional<int> videoBoxValue(VideoBox box, const QString &text);

// The video frame's size the width and height boxes give; a box without a valid side keeps that
// side of kept, the previous picture's size.
QSize videoBoxSize(const QString &width, const QString &height, QSize kept);

} // namespace tavelon

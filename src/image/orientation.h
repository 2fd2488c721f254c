#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

namespace tavelon {

// How a camera says its picture is to be turned for showing: the EXIF orientation values 1 to 8.
enum class Orientation {
    Upright = 1,
    Mirrored = 2,           // mirrored left to right
    UpsideDown = 3,         // turned by 180°
    UpsideDownMirrored = 4, // mirrored top to bottom
    Transposed = 5,         // mirrored along the top-left to bottom-right diagonal
    TurnedRight = 6,        // shown turned 90° clockwise
    Transversed = 7,        // mirrored along the other diagonal
    TurnedLeft = 8,         // shown turned 90° counter-clockwise
};

// The orientation a JPEG file's EXIF block (APP1) gives; Upright when it has none or it cannot be
// read. Reads only the bytes before the image data, checking every offset against the file.
Orientation jpegOrientation(const QByteArray &bytes);

// Whether showing a picture of this orientation swaps its width and height.
bool swapsSides(Orientation orientation);
// size as shown.
QSize shownSize(QSize stored, Orientation orientation);
// The stored picture turned and mirrored the way it is shown.
QImage shownImage(const QImage &stored, Orientation orientation);

} // namespace tavelon

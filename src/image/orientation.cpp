#include "image/orientation.h"

#include <QTransform>
#include <QtEndian>

namespace tavelon {

namespace {

constexpr quint16 kOrientationTag = 0x0112;
constexpr quint16 kShortType = 3;

// The orientation entry of the TIFF structure inside an EXIF block; 0 when there is none.
int orientationInTiff(const uchar *tiff, qsizetype size)
{
    if (size < 8)
        return 0;
    const bool little = tiff[0] == 'I' && tiff[1] == 'I';
    if (!little && !(tiff[0] == 'M' && tiff[1] == 'M'))
        return 0;
    const auto u16 = [&](qsizetype at) {
        return little ? qFromLittleEndian<quint16>(tiff + at) : qFromBigEndian<quint16>(tiff + at);
    };
    const auto u32 = [&](qsizetype at) {
        return little ? qFromLittleEndian<quint32>(tiff + at) : qFromBigEndian<quint32>(tiff + at);
    };
    if (u16(2) != 42)
        return 0;
    const qint64 ifd = u32(4);
    if (ifd < 8 || ifd + 2 > size)
        return 0;
    const int entries = u16(ifd);
    for (int i = 0; i < entries; ++i) {
        const qint64 entry = ifd + 2 + qint64(i) * 12;
        if (entry + 12 > size)
            return 0;
        // A SHORT value of count 1 sits in the first two bytes of the value field.
        if (u16(entry) == kOrientationTag)
            return u16(entry + 2) == kShortType && u32(entry + 4) == 1 ? u16(entry + 8) : 0;
    }
    return 0;
}

} // namespace

Orientation jpegOrientation(const QByteArray &bytes)
{
    const auto *p = reinterpret_cast<const uchar *>(bytes.constData());
    const qsizetype size = bytes.size();
    if (size < 4 || p[0] != 0xFF || p[1] != 0xD8)
        return Orientation::Upright;
    // Marker segments up to the start of the scan: FF, marker, 16-bit length counting itself.
    qsizetype at = 2;
    while (at + 4 <= size && p[at] == 0xFF) {
        const uchar marker = p[at + 1];
        if (marker == 0xFF) { // fill byte
            ++at;
            continue;
        }
        if (marker == 0xDA || marker == 0xD9)
            break;
        const qsizetype length = qFromBigEndian<quint16>(p + at + 2);
        if (length < 2 || at + 2 + length > size)
            break;
        const uchar *body = p + at + 4;
        if (marker == 0xE1 && length >= 8 &&
            QByteArray::fromRawData(reinterpret_cast<const char *>(body), 6) == QByteArray("Exif\0\0", 6)) {
            const int value = orientationInTiff(body + 6, length - 8);
            return value >= 1 && value <= 8 ? Orientation(value) : Orientation::Upright;
        }
        at += 2 + length;
    }
    return Orientation::Upright;
}

bool swapsSides(Orientation orientation)
{
    return int(orientation) >= int(Orientation::Transposed);
}

QSize shownSize(QSize stored, Orientation orientation)
{
    return swapsSides(orientation) ? stored.transposed() : stored;
}

QImage shownImage(const QImage &stored, Orientation orientation)
{
    // Turns by multiples of 90° map pixels exactly; no smoothing.
    const auto turned = [&](int degrees) { return stored.transformed(QTransform().rotate(degrees)); };
    switch (orientation) {
    case Orientation::Upright:
        break;
    case Orientation::Mirrored:
        return stored.mirrored(true, false);
    case Orientation::UpsideDown:
        return stored.mirrored(true, true);
    case Orientation::UpsideDownMirrored:
        return stored.mirrored(false, true);
    case Orientation::Transposed:
        return turned(90).mirrored(true, false);
    case Orientation::TurnedRight:
        return turned(90);
    case Orientation::Transversed:
        return turned(90).mirrored(false, true);
    case Orientation::TurnedLeft:
        return turned(270);
    }
    return stored;
}

} // namespace tavelon

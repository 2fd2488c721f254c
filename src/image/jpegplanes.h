#pragma once

#include <QSize>

#include <array>
#include <vector>

namespace tavelon {

// The YCbCr sample planes of a JPEG frame as TurboJPEG decodes them, before any colour work, at
// their own subsampling. One buffer is kept for frames of the same size.
struct JpegPlanes
{
    QSize size;
    int subsampling = -1;
    std::array<unsigned char *, 3> planes{};
    std::array<int, 3> strides{};
    std::array<int, 3> rows{};

    // Whether frames of this TurboJPEG subsampling (TJSAMP_*) are kept as planes (grey is not).
    static bool handles(int subsampling);
    // Makes room for the planes of a picture of this size and subsampling; false when it is not
    // handled or memory runs out.
    bool prepare(QSize pictureSize, int pictureSubsampling);

private:
    std::vector<unsigned char> m_bytes;
};

} // namespace tavelon

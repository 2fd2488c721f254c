#pragma once

#include "image/bmpformat.h"

#include <cstdint>
#include <vector>

#include <QString>

class QImage;

namespace tavelon {

class MessageService;

// One device-independent bitmap exactly as a BMP file holds it: file header, bitmap info block
// (info header plus colour table or masks) and pixel data. The class never interprets pixels; it
// keeps the bytes, exposes the header fields and hands out pointers for the AVI stream calls.
//
// A load reads the whole file with one read into a spare buffer and swaps it in only when the
// header fits the file, so a failed load keeps the previous bitmap and loads of same-size files
// allocate nothing.
class cDIB
{
public:
    // title heads every message box.
    explicit cDIB(MessageService &messages, QString title = {});

    // Loads a BMP file. False (with a message) when the file is missing, cannot be opened, or is
    // not a bitmap whose header fits the file; the object then keeps what it held.
    bool CreateFromFile(const QString &fileName);
    // Adopts a packed DIB in memory: a 40-byte info header directly followed by the pixels. False
    // for a null pointer, a bit count below 16, an image size below 1 or one too small for the
    // rows; the object then keeps what it held. The caller vouches for the image-size bytes.
    bool CreateFromPackedDIBPointer(const void *pDIB);
    // Replaces the pixel data with image's when the held bitmap is a plain bottom-up 24-bit one of
    // the image's size: the bytes saving image with writeBmp24() and loading that file would give,
    // without the file. False (nothing changed) otherwise.
    bool setBitsFrom(const QImage &image);
    // Writes file header, info block and pixel data as held (the file is replaced). False when
    // nothing is held or opening or writing fails.
    bool WriteToFile(const QString &fileName) const;

    int BitCount() const { return m_info.bitCount; }
    int Height() const { return m_info.height; }
    int Width() const { return m_info.width; }
    int Compression() const { return m_info.compression; }
    int SizeInfoHeader() const { return m_info.size; }
    // The image-size field; 0 in an uncompressed file is replaced by the size its rows take.
    int SizeImage() const { return m_sizeImage; }
    int Planes() const { return m_info.planes; }
    int ClrImportant() const { return m_info.clrImportant; }
    int ClrUsed() const { return m_info.clrUsed; }
    int XPPM() const { return m_info.xPelsPerMeter; }
    int YPPM() const { return m_info.yPelsPerMeter; }
    int FileType() const { return m_file.type; }
    // The file-size field of the file header (the whole file, not the 14 header bytes).
    int SizeFileHeader() const { return m_file.fileSize; }
    int BitOffset() const { return m_file.bitOffset; }

    // Valid until the next successful load into this object or its destruction; null (and size
    // 0) while nothing is held.
    const void *PointerToBits() const;
    const void *PointerToBitmapInfo() const;
    int SizeBitmapInfo() const;

private:
    void message(const QString &text, bool stopIcon) const;
    void adopt(const BitmapFileHeader &file, const BitmapInfoHeader &info, std::int32_t sizeImage);

    MessageService &m_messages;
    QString m_title;
    // The bitmap as laid out in its file: 14 header bytes, the info block up to the bit offset,
    // then the pixel data.
    std::vector<std::uint8_t> m_bytes;
    std::vector<std::uint8_t> m_spare;
    BitmapFileHeader m_file;
    BitmapInfoHeader m_info;
    std::int32_t m_sizeImage = 0;
};

} // namespace tavelon

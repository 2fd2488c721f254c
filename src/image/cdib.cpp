#include "image/cdib.h"

#include <cstring>
#include <new>
#include <optional>

#include <QFile>
#include <QFileInfo>
#include <QImage>

#include "image/bmpwriter.h"
#include "services/messages.h"

namespace tavelon {

namespace {

// Larger files are not taken for frames; the limit keeps a lying file from forcing a huge buffer.
constexpr qint64 kMaxFileSize = qint64(1) << 30;
const QString kLineBreak = QStringLiteral("\r\n");

// The image size a header describes, when its fields fit the available bytes: the bit offset
// lies behind the headers and inside the data, and the pixel rows it claims are there. An image
// size of 0 in an uncompressed bitmap (other writers leave it so) is taken from the row size.
std::optional<std::int32_t> fittingImageSize(const BitmapFileHeader &file, const BitmapInfoHeader &info,
                                             qint64 available)
{
    if (file.type != kBmpType || info.size < kBmpInfoHeaderSize)
        return std::nullopt;
    if (file.bitOffset < qint64(kBmpFileHeaderSize) + info.size || file.bitOffset > available)
        return std::nullopt;
    if (info.sizeImage < 0)
        return std::nullopt;
    const std::optional<std::int64_t> rows = uncompressedImageSize(info);
    std::int64_t size = info.sizeImage;
    if (size == 0) {
        if (!rows)
            return std::nullopt;
        size = *rows;
    }
    const bool uncompressed = info.compression == kBiRgb || info.compression == kBiBitfields;
    if (uncompressed && (!rows || size < *rows))
        return std::nullopt;
    if (size > available - file.bitOffset)
        return std::nullopt;
    return static_cast<std::int32_t>(size);
}

} // namespace

cDIB::cDIB(MessageService &messages, QString title) : m_messages(messages), m_title(std::move(title)) {}

void cDIB::message(const QString &text, bool stopIcon) const
{
    m_messages.inform(m_title, text, stopIcon ? MessageIcon::Stop : MessageIcon::Information);
}

void cDIB::adopt(const BitmapFileHeader &file, const BitmapInfoHeader &info, std::int32_t sizeImage)
{
    m_bytes.swap(m_spare);
    m_file = file;
    m_info = info;
    m_sizeImage = sizeImage;
}

bool cDIB::CreateFromFile(const QString &fileName)
{
    const QFileInfo fileInfo(fileName);
    if (!fileInfo.exists() || fileInfo.isDir()) {
        message(QStringLiteral("File does not exist:") + kLineBreak + fileName, true);
        return false;
    }
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        if (!fileInfo.isReadable())
            message(QStringLiteral("File is locked - cannot access:") + kLineBreak + fileName, true);
        else
            message(f.errorString(), false);
        return false;
    }
    const QString unsupported =
        QStringLiteral("File is not a supported bitmap format:") + kLineBreak + fileName;
    const qint64 size = f.size();
    if (size < kBmpFileHeaderSize + kBmpInfoHeaderSize || size > kMaxFileSize) {
        message(unsupported, false);
        return false;
    }
    try {
        m_spare.resize(std::size_t(size));
    } catch (const std::bad_alloc &) {
        message(unsupported, false);
        return false;
    }
    const qint64 got = f.read(reinterpret_cast<char *>(m_spare.data()), size);
    f.close();
    if (got < kBmpFileHeaderSize + kBmpInfoHeaderSize) {
        message(unsupported, false);
        return false;
    }
    const BitmapFileHeader file = readFileHeader(m_spare.data());
    const BitmapInfoHeader info = readInfoHeader(m_spare.data() + kBmpFileHeaderSize);
    const std::optional<std::int32_t> sizeImage = fittingImageSize(file, info, got);
    if (!sizeImage) {
        message(unsupported, false);
        return false;
    }
    adopt(file, info, *sizeImage);
    return true;
}

bool cDIB::CreateFromPackedDIBPointer(const void *pDIB)
{
    if (!pDIB)
        return false;
    const auto *src = static_cast<const std::uint8_t *>(pDIB);
    const BitmapInfoHeader info = readInfoHeader(src);
    if (info.bitCount < 16 || info.sizeImage < 1 || info.sizeImage > kMaxFileSize - 54)
        return false;
    const std::optional<std::int64_t> rows = uncompressedImageSize(info);
    const bool uncompressed = info.compression == kBiRgb || info.compression == kBiBitfields;
    if (uncompressed && (!rows || info.sizeImage < *rows))
        return false;

    const int bitOffset = kBmpFileHeaderSize + kBmpInfoHeaderSize;
    const BitmapFileHeader file{kBmpType, bitOffset + info.sizeImage, 0, 0, bitOffset};
    try {
        m_spare.resize(std::size_t(file.fileSize));
    } catch (const std::bad_alloc &) {
        return false;
    }
    writeFileHeader(file, m_spare.data());
    std::memcpy(m_spare.data() + kBmpFileHeaderSize, src, std::size_t(kBmpInfoHeaderSize) + info.sizeImage);
    adopt(file, info, info.sizeImage);
    return true;
}

bool cDIB::WriteToFile(const QString &fileName) const
{
    if (m_bytes.empty())
        return false;
    QFile f(fileName);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        return false;
    const qint64 size = qint64(m_file.bitOffset) + m_sizeImage;
    const bool written = f.write(reinterpret_cast<const char *>(m_bytes.data()), size) == size;
    f.close();
    return written && f.error() == QFileDevice::NoError;
}

bool cDIB::setBitsFrom(const QImage &image)
{
    const bool plain24 = !m_bytes.empty() && m_info.bitCount == 24 && m_info.compression == kBiRgb &&
                         m_info.width == image.width() && m_info.height == image.height();
    return plain24 && packBgr24(image, m_bytes.data() + m_file.bitOffset, m_sizeImage);
}

const void *cDIB::PointerToBits() const
{
    return m_bytes.empty() ? nullptr : m_bytes.data() + m_file.bitOffset;
}

const void *cDIB::PointerToBitmapInfo() const
{
    return m_bytes.empty() ? nullptr : m_bytes.data() + kBmpFileHeaderSize;
}

int cDIB::SizeBitmapInfo() const
{
    return m_bytes.empty() ? 0 : m_file.bitOffset - kBmpFileHeaderSize;
}

} // namespace tavelon

// cDIB::CreateFromFile on the input as a BMP file. A bitmap that is taken must lie inside the file,
// write back as the file's leading bytes and load again with the same fields; a failed load keeps
// it. The input also goes in as a packed DIB when its image-size field fits the bytes given.

#include "fuzzsupport.h"
#include "image/bmpformat.h"
#include "image/cdib.h"

using namespace tavelon;
using namespace tavelon::fuzz;

namespace {

struct Fields
{
    int bitCount, height, width, compression, sizeInfoHeader, sizeImage, planes, clrImportant, clrUsed, xppm,
        yppm, fileType, sizeFileHeader, bitOffset, sizeBitmapInfo;

    explicit Fields(const cDIB &d)
        : bitCount(d.BitCount()), height(d.Height()), width(d.Width()), compression(d.Compression()),
          sizeInfoHeader(d.SizeInfoHeader()), sizeImage(d.SizeImage()), planes(d.Planes()),
          clrImportant(d.ClrImportant()), clrUsed(d.ClrUsed()), xppm(d.XPPM()), yppm(d.YPPM()),
          fileType(d.FileType()), sizeFileHeader(d.SizeFileHeader()), bitOffset(d.BitOffset()),
          sizeBitmapInfo(d.SizeBitmapInfo())
    {}
    bool operator==(const Fields &) const = default;

    std::size_t sum() const
    {
        std::size_t s = 0;
        for (int v : {bitCount, height, width, compression, sizeInfoHeader, sizeImage, planes, clrImportant,
                      clrUsed, xppm, yppm, fileType, sizeFileHeader, bitOffset})
            s += std::size_t(unsigned(v));
        return s;
    }
};

// Reads every byte the object hands out, so that ASan sees any pointer past its buffer.
std::size_t touch(const cDIB &d)
{
    std::size_t sum = 0;
    const auto *info = static_cast<const std::uint8_t *>(d.PointerToBitmapInfo());
    for (int i = 0; i < d.SizeBitmapInfo(); ++i)
        sum += info[i];
    const auto *bits = static_cast<const std::uint8_t *>(d.PointerToBits());
    for (int i = 0; i < d.SizeImage(); ++i)
        sum += bits[i];
    return sum;
}

void checkLoadedFile(cDIB &dib, const std::uint8_t *data, std::size_t size)
{
    const Fields fields(dib);
    require(fields.fileType == kBmpType && fields.sizeInfoHeader >= kBmpInfoHeaderSize);
    require(qint64(fields.bitOffset) >= kBmpFileHeaderSize + qint64(fields.sizeInfoHeader) &&
            fields.sizeImage >= 0);
    const std::size_t held = std::size_t(fields.bitOffset) + std::size_t(fields.sizeImage);
    require(held <= size && fields.sizeBitmapInfo == fields.bitOffset - kBmpFileHeaderSize);
    require(dib.PointerToBits() && dib.PointerToBitmapInfo());
    consume(touch(dib) + fields.sum());

    static const QString out = scratchPath(QStringLiteral("out.bmp"));
    require(dib.WriteToFile(out));
    const QByteArray written = readFile(out);
    require(sameBytes(written, data, held));

    static const QString missing = scratchPath(QStringLiteral("missing.bmp"));
    const void *bits = dib.PointerToBits();
    require(!dib.CreateFromFile(missing) && Fields(dib) == fields && dib.PointerToBits() == bits);

    require(dib.CreateFromFile(out) && Fields(dib) == fields);
}

void checkPackedDib(const std::uint8_t *data, std::size_t size)
{
    if (size < std::size_t(kBmpInfoHeaderSize))
        return;
    const BitmapInfoHeader info = readInfoHeader(data);
    // The caller of CreateFromPackedDIBPointer vouches for the image-size bytes.
    if (info.sizeImage < 1 || std::size_t(info.sizeImage) > size - kBmpInfoHeaderSize)
        return;
    SilentMessages messages;
    cDIB dib(messages);
    if (!dib.CreateFromPackedDIBPointer(data)) {
        require(dib.PointerToBits() == nullptr);
        return;
    }
    require(dib.SizeImage() == info.sizeImage && dib.BitCount() >= 16);
    require(dib.BitOffset() == kBmpFileHeaderSize + kBmpInfoHeaderSize);
    consume(touch(dib));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const QString in = scratchPath(QStringLiteral("in.bmp"));
    require(writeFile(in, data, size));
    SilentMessages messages;
    cDIB dib(messages, QStringLiteral("Brimholt Tavelon"));
    if (dib.CreateFromFile(in))
        checkLoadedFile(dib, data, size);
    else
        require(dib.PointerToBits() == nullptr && dib.SizeBitmapInfo() == 0 && !dib.WriteToFile(in));
    checkPackedDib(data, size);
    return 0;
}

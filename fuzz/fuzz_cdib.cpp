// cDIB::CreateFromFile on the input as a BMP file. A bitmap that is taken must lie inside the file,
// write back as the file's leading bytes and load again with the same fields; a failed load keeps
// it. The input also goes in as a packed DIB when its image-size field fits the bytes given.

#include "fuzzsupport.h"
#include "image/bmpformat.h"
#include "image/cdib.h"

using namespace tavelon;
using namespace tavelon::fuzz;

namespace {

std::array<int, 15> fields(const cDIB &d)
{
    return {d.BitCount(),  d.Height(),   d.Width(),          d.Compression(), d.SizeInfoHeader(),
            d.SizeImage(), d.Planes(),   d.ClrImportant(),   d.ClrUsed(),     d.XPPM(),
            d.YPPM(),      d.FileType(), d.SizeFileHeader(), d.BitOffset(),   d.SizeBitmapInfo()};
}

// Reads every byte the object hands out, so that ASan sees any pointer past its buffer.
std::size_t touch(const cDIB &d)
{
    std::size_t sum = 0;
    for (const auto &[p, n] : {std::pair{d.PointerToBitmapInfo(), d.SizeBitmapInfo()},
                               std::pair{d.PointerToBits(), d.SizeImage()}})
        for (int i = 0; i < n; ++i)
            sum += static_cast<const std::uint8_t *>(p)[i];
    return sum;
}

void checkLoadedFile(cDIB &dib, const QByteArray &input)
{
    const auto loaded = fields(dib);
    require(dib.FileType() == kBmpType && dib.SizeInfoHeader() >= kBmpInfoHeaderSize && dib.SizeImage() >= 0);
    require(qint64(dib.BitOffset()) >= kBmpFileHeaderSize + qint64(dib.SizeInfoHeader()));
    const qint64 held = qint64(dib.BitOffset()) + dib.SizeImage();
    require(held <= input.size() && dib.SizeBitmapInfo() == dib.BitOffset() - kBmpFileHeaderSize);
    require(dib.PointerToBits() && dib.PointerToBitmapInfo());
    consume(touch(dib));

    static const QString out = scratchPath(QStringLiteral("out.bmp"));
    require(dib.WriteToFile(out) && readFile(out) == input.first(held));
    const void *bits = dib.PointerToBits();
    require(!dib.CreateFromFile(scratchPath(QStringLiteral("missing.bmp"))) && fields(dib) == loaded &&
            dib.PointerToBits() == bits);
    require(dib.CreateFromFile(out) && fields(dib) == loaded);
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
    const QByteArray input = bytesOf(data, size);
    require(writeFile(in, input));
    SilentMessages messages;
    cDIB dib(messages, QStringLiteral("Brimholt Tavelon"));
    if (dib.CreateFromFile(in))
        checkLoadedFile(dib, input);
    else
        require(dib.PointerToBits() == nullptr && dib.SizeBitmapInfo() == 0 && !dib.WriteToFile(in));
    checkPackedDib(data, size);
    return 0;
}

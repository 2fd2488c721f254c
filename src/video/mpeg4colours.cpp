#include "video/mpeg4colours.h"

namespace tavelon {

namespace {

constexpr std::uint8_t kVisualObjectStart = 0xB5;
constexpr std::uint8_t kVideoObjectPlaneStart = 0xB6;
constexpr unsigned kVideoObjectType = 1;
constexpr unsigned kUnspecifiedVideoFormat = 5;

class BitReader
{
public:
    BitReader(const std::uint8_t *data, std::size_t size) : m_data(data), m_bits(size * 8) {}
    bool has(std::size_t n) const { return m_pos + n <= m_bits; }
    unsigned read(int n)
    {
        unsigned value = 0;
        for (int i = 0; i < n; ++i, ++m_pos)
            value = (value << 1) | ((m_data[m_pos / 8] >> (7 - m_pos % 8)) & 1u);
        return value;
    }
    std::size_t position() const { return m_pos; }

private:
    const std::uint8_t *m_data;
    std::size_t m_bits;
    std::size_t m_pos = 0;
};

class BitWriter
{
public:
    void write(unsigned value, int n)
    {
        for (int i = n - 1; i >= 0; --i, ++m_pos) {
            if (m_pos % 8 == 0)
                m_bytes.push_back(0);
            m_bytes.back() |= std::uint8_t(((value >> i) & 1u) << (7 - m_pos % 8));
        }
    }
    // A zero bit, then ones up to the next byte: the stuffing before a start code.
    void stuff()
    {
        write(0, 1);
        while (m_pos % 8 != 0)
            write(1, 1);
    }
    const std::vector<std::uint8_t> &bytes() const { return m_bytes; }

private:
    std::vector<std::uint8_t> m_bytes;
    std::size_t m_pos = 0;
};

// The offset just past the first start code prefix 00 00 01 at or after from, size when none.
std::size_t nextStartCode(const std::uint8_t *data, std::size_t size, std::size_t from)
{
    for (std::size_t i = from; i + 3 < size; ++i) {
        if (data[i] == 0 && data[i + 1] == 0 && data[i + 2] == 1)
            return i + 3;
    }
    return size;
}

} // namespace

std::vector<std::uint8_t> withMpeg4Colours(const std::uint8_t *data, std::size_t size,
                                           const ColourDescription &colours)
{
    // The visual object header comes before the first picture of a key frame (or in the global
    // header); its body, after the start code, is a few bits, then stuffing to the next byte.
    std::size_t body = nextStartCode(data, size, 0);
    while (body < size && data[body] != kVisualObjectStart && data[body] != kVideoObjectPlaneStart)
        body = nextStartCode(data, size, body);
    if (body >= size || data[body] != kVisualObjectStart)
        return {};
    ++body;
    BitReader in(data + body, size - body);
    BitWriter out;
    if (!in.has(8))
        return {};
    const unsigned identified = in.read(1);
    out.write(identified, 1);
    if (identified) {
        if (!in.has(7))
            return {};
        out.write(in.read(7), 7); // version and priority
    }
    if (!in.has(5) || in.read(4) != kVideoObjectType || in.read(1) != 0)
        return {};
    // What follows up to the byte boundary must be the stuffing, or the header holds more than
    // this rewrite knows of.
    if (!in.has(1) || in.read(1) != 0)
        return {};
    while (in.position() % 8 != 0) {
        if (!in.has(1) || in.read(1) != 1)
            return {};
    }
    out.write(kVideoObjectType, 4);
    out.write(1, 1); // video_signal_type
    out.write(kUnspecifiedVideoFormat, 3);
    out.write(colours.fullRange ? 1 : 0, 1);
    out.write(1, 1); // colour_description
    out.write(colours.primaries, 8);
    out.write(colours.transfer, 8);
    out.write(colours.matrix, 8);
    out.stuff();

    const std::size_t rest = body + in.position() / 8;
    std::vector<std::uint8_t> result(data, data + body);
    result.insert(result.end(), out.bytes().begin(), out.bytes().end());
    result.insert(result.end(), data + rest, data + size);
    return result;
}

} // namespace tavelon

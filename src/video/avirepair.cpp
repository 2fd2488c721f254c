#include "video/avirepair.h"

#include <QFile>
#include <QtEndian>

#include <algorithm>
#include <optional>
#include <utility>

namespace tavelon {

namespace {

// The size a list gets when it is started; the muxer fills in the real one when it ends the list.
constexpr quint32 kOpenSize = 0xFFFFFFFFu;

struct Chunk
{
    QByteArray id;
    quint32 size = 0;
};

// Reads chunk headers of a RIFF file and patches 32-bit fields in place.
class RiffFile
{
public:
    explicit RiffFile(QFile &file) : m_file(file), m_size(file.size()) {}

    qint64 size() const { return m_size; }

    // The chunk header at offset; nullopt when it lies past the end or its id is not four
    // printable characters (the writing stopped before it).
    std::optional<Chunk> chunkAt(qint64 offset)
    {
        const QByteArray bytes = read(offset, 8);
        if (bytes.size() != 8)
            return std::nullopt;
        for (int i = 0; i < 4; ++i) {
            if (bytes[i] < 0x20 || bytes[i] > 0x7E)
                return std::nullopt;
        }
        return Chunk{bytes.first(4), qFromLittleEndian<quint32>(bytes.constData() + 4)};
    }
    QByteArray fourccAt(qint64 offset) { return read(offset, 4); }

    bool put32(qint64 offset, quint32 value)
    {
        char bytes[4];
        qToLittleEndian(value, bytes);
        return m_file.seek(offset) && m_file.write(bytes, 4) == 4;
    }

private:
    QByteArray read(qint64 offset, qint64 n)
    {
        if (offset < 0 || offset + n > m_size || !m_file.seek(offset))
            return {};
        return m_file.read(n);
    }

    QFile &m_file;
    qint64 m_size;
};

// The offset behind a chunk at offset with size bytes of data (chunks are padded to even sizes).
qint64 behind(qint64 offset, quint32 size)
{
    return offset + 8 + qint64(size) + (size & 1);
}

bool isFrameChunk(const QByteArray &id)
{
    return id.endsWith("db") || id.endsWith("dc");
}

// The data offsets of the main header and of the first stream header in the header list at
// offset; -1 where one is missing or incomplete.
void findHeaders(RiffFile &riff, qint64 list, const Chunk &header, qint64 &avih, qint64 &strh)
{
    const qint64 end = std::min(behind(list, header.size), riff.size());
    for (qint64 at = list + 12; at < end;) {
        const std::optional<Chunk> c = riff.chunkAt(at);
        if (!c || behind(at, c->size) > end)
            return;
        if (c->id == "avih" && c->size >= 20)
            avih = at + 8;
        if (c->id == "LIST" && riff.fourccAt(at + 8) == "strl" && strh < 0) {
            const std::optional<Chunk> first = riff.chunkAt(at + 12);
            if (first && first->id == "strh" && first->size >= 36)
                strh = at + 20;
        }
        at = behind(at, c->size);
    }
}

// The movie list of the RIFF part at part (ending at partEnd), when its headers were written
// completely; the first part's header list gives avih and strh on the way.
std::optional<std::pair<qint64, Chunk>> findMovieList(RiffFile &riff, qint64 part, qint64 partEnd,
                                                      qint64 &avih, qint64 &strh)
{
    for (qint64 at = part + 12; at + 12 <= partEnd;) {
        const std::optional<Chunk> c = riff.chunkAt(at);
        if (!c)
            return std::nullopt;
        if (c->id == "LIST" && riff.fourccAt(at + 8) == "movi")
            return std::pair{at, *c};
        if (part == 0 && c->id == "LIST" && riff.fourccAt(at + 8) == "hdrl")
            findHeaders(riff, at, *c, avih, strh);
        at = behind(at, c->size);
    }
    return std::nullopt;
}

// The offset behind the last whole chunk of the movie list at movi (ending at moviEnd); frames
// counts its frame chunks.
qint64 endOfWholeChunks(RiffFile &riff, qint64 movi, qint64 moviEnd, qint64 &frames)
{
    qint64 end = movi + 12;
    for (std::optional<Chunk> c = riff.chunkAt(end); c && behind(end, c->size) <= moviEnd;
         c = riff.chunkAt(end)) {
        if (isFrameChunk(c->id))
            ++frames;
        end = behind(end, c->size);
    }
    return end;
}

} // namespace

bool trimUnfinishedAvi(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    RiffFile riff(file);
    qint64 frames = 0;
    qint64 firstPartFrames = 0;
    qint64 avih = -1;
    qint64 strh = -1;

    // Cuts the file at end; an open part (and its movie list) ending there gets its size.
    auto cut = [&](qint64 end, qint64 part, qint64 movi) {
        bool ok = file.resize(end);
        if (part >= 0 && movi >= 0) {
            ok = riff.put32(part + 4, quint32(end - part - 8)) && ok;
            ok = riff.put32(movi + 4, quint32(end - movi - 8)) && ok;
        }
        if (avih >= 0 && end > avih)
            ok = riff.put32(avih + 16, quint32(firstPartFrames)) && ok;
        if (strh >= 0 && end > strh)
            ok = riff.put32(strh + 32, quint32(frames)) && ok;
        return ok;
    };

    // A file past 1 GB holds more RIFF parts ("AVI ", then "AVIX"); all but the last are closed.
    for (qint64 part = 0; part < riff.size();) {
        const std::optional<Chunk> header = riff.chunkAt(part);
        if (!header || header->id != "RIFF" || riff.fourccAt(part + 8) != (part == 0 ? "AVI " : "AVIX"))
            return cut(part, -1, -1);
        const bool open = header->size == kOpenSize || behind(part, header->size) > riff.size();
        const qint64 partEnd = open ? riff.size() : behind(part, header->size);

        const auto movieList = findMovieList(riff, part, partEnd, avih, strh);
        if (!movieList) // the headers were not written completely: no frame to keep in this part
            return cut(part, -1, -1);
        const auto &[movi, list] = *movieList;

        const bool moviOpen = open || list.size == kOpenSize || behind(movi, list.size) > partEnd;
        const qint64 moviEnd = moviOpen ? partEnd : behind(movi, list.size);
        const qint64 end = endOfWholeChunks(riff, movi, moviEnd, frames);
        if (part == 0)
            firstPartFrames = frames;
        if (open || moviOpen)
            return cut(end, part, movi);
        part = partEnd;
    }
    return true;
}

} // namespace tavelon

#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

namespace tavelon {

// Windows-1252 ("ANSI" on Western European Windows), the encoding of settings and language files
// written by older Windows programs. The five bytes that 1252 leaves undefined (0x81, 0x8D, 0x8F,
// 0x90, 0x9D) map to the code points of the same value, so every byte sequence decodes and
// re-encodes unchanged.
QString decode1252(QByteArrayView bytes);
// The text as 1252 bytes, or nullopt when a character has no 1252 byte.
std::optional<QByteArray> encode1252(const QString &text);

} // namespace tavelon

#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

namespace norva::cp932 {

// Windows code page 932, decoded through a table built once from glibc's iconv.
//
// Character boundaries follow one rule, shared by the decoder and by every byte
// search of the score log pass: a lead byte (0x81-0x9F, 0xE0-0xFC) followed by a
// trail byte (0x40-0x7E, 0x80-0xFC) is one character (U+FFFD when the code is
// unassigned); any other byte is a character of its own (U+FFFD when invalid).
// CR (0x0D), LF (0x0A) and the space (0x20) are therefore never part of a
// two-byte character.

inline bool isLeadByte(uchar b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

inline bool isTrailByte(uchar b)
{
    return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

// Byte length (1 or 2) of the character that starts at p; end bounds the data.
inline int charLength(const uchar *p, const uchar *end)
{
    return (isLeadByte(p[0]) && p + 1 < end && isTrailByte(p[1])) ? 2 : 1;
}

// Appends the decoded bytes to out.
void decodeAppend(QByteArrayView bytes, QString &out);
QString decode(QByteArrayView bytes);

// Encodes text; nullopt when a character has no CP932 code.
std::optional<QByteArray> encode(QStringView text);
// Encodes text, writing "?" for every character without a CP932 code.
QByteArray encodeLossy(QStringView text);

// True when every character of text has exactly one CP932 code, so that a byte
// comparison with encode(text) finds exactly the places where the decoded text
// would compare equal. (A few characters, such as "∵", have two codes.)
bool encodesUniquely(QStringView text);

} // namespace norva::cp932

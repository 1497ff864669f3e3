#pragma once

#include <QString>
#include <QStringView>

namespace norva::textforms {

// The one form in which texts decoded from UTF-8 or UTF-16 are compared:
// Unicode NFC, with the characters that JIS-based converters write where
// CP932 has another one (〜 U+301C for ～ U+FF5E, ‖ U+2016 for ∥ U+2225, −
// U+2212 for － U+FF0D, — U+2014 for ― U+2015, ¢ £ ¬ ¦ for ￠ ￡ ￢ ￤) replaced
// by CP932's. A copy in decomposed form (NFD) or from such a converter thus
// reads like its CP932 original.
QString canonical(QStringView text);

// True when text is in that form already.
bool isCanonical(QStringView text);

// What UTF-8 bytes are: valid and in the canonical form (checked by the
// characters alone: none of them ever changes nor joins its neighbour), valid
// but perhaps not in that form, or no valid UTF-8.
enum class Utf8Bytes { Canonical, Valid, Invalid };
Utf8Bytes examineUtf8(const uchar *p, const uchar *end);

// The text of UTF-8 bytes, every character kept (QString::fromUtf8 drops a
// byte-order mark at the start). Bytes that are no UTF-8 become U+FFFD.
QString decodeUtf8(QByteArrayView bytes);

// True when some byte in [p, end) is beyond ASCII.
bool hasNonAscii(const uchar *p, const uchar *end);

} // namespace norva::textforms

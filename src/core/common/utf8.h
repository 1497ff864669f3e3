#pragma once

#include <QtGlobal>

namespace norva::utf8 {

// The byte length (1..4) of the valid UTF-8 character that starts at p, or 0
// where the bytes there are no valid character (a stray continuation byte, a
// cut or overlong sequence, a surrogate, beyond U+10FFFF). end bounds the data.
inline int sequenceLength(const uchar *p, const uchar *end)
{
    const uchar b = p[0];
    if (b < 0x80)
        return 1;
    int n = 0;
    char32_t min = 0;
    char32_t cp = 0;
    if ((b & 0xE0) == 0xC0) {
        n = 2;
        min = 0x80;
        cp = b & 0x1F;
    } else if ((b & 0xF0) == 0xE0) {
        n = 3;
        min = 0x800;
        cp = b & 0x0F;
    } else if ((b & 0xF8) == 0xF0) {
        n = 4;
        min = 0x10000;
        cp = b & 0x07;
    } else {
        return 0;
    }
    if (end - p < n)
        return 0;
    for (int i = 1; i < n; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (p[i] & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return n;
}

} // namespace norva::utf8

#include "core/common/textforms.h"

#include "core/common/utf8.h"

#include <array>
#include <bitset>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace norva::textforms {

namespace {

struct Variant
{
    char16_t jis;
    char16_t cp932;
};

// What a JIS-based converter writes, and what CP932 has in its place.
constexpr std::array<Variant, 8> Variants{{
    {0x301C, 0xFF5E}, // 〜 ～
    {0x2016, 0x2225}, // ‖ ∥
    {0x2212, 0xFF0D}, // − －
    {0x2014, 0x2015}, // — ―
    {0x00A2, 0xFFE0}, // ¢ ￠
    {0x00A3, 0xFFE1}, // £ ￡
    {0x00AC, 0xFFE2}, // ¬ ￢
    {0x00A6, 0xFFE4}, // ¦ ￤
}};

// The characters of the Basic Multilingual Plane that a text in the canonical
// form may not hold as they are, or that may join the character before them:
// the variants above, every character that NFC changes, every combining
// character, and every character that NFC composes with the one before it.
// Surrogates count too, so that characters beyond the plane are looked at.
class Unsafe
{
public:
    Unsafe()
    {
        for (const Variant &v : Variants)
            m_bits.set(v.jis);
        for (char32_t c = 0xD800; c <= 0xDFFF; ++c)
            m_bits.set(c);
        // Hangul vowels and final consonants join the syllable before them.
        for (char32_t c = 0x1160; c <= 0x11FF; ++c)
            m_bits.set(c);
        for (char32_t c = 0xD7B0; c <= 0xD7FF; ++c)
            m_bits.set(c);
        for (char32_t c = 0; c <= 0xFFFF; ++c) {
            if (c >= 0xD800 && c <= 0xDFFF)
                continue;
            const QChar ch{char16_t(c)};
            if (ch.combiningClass() != 0) {
                m_bits.set(c);
                continue;
            }
            if (ch.decompositionTag() != QChar::Canonical)
                continue;
            const QString one(ch);
            if (one.normalized(QString::NormalizationForm_C) != one)
                m_bits.set(c);
            // A composite that NFC builds: its later parts join what is before them.
            const QString parts = one.normalized(QString::NormalizationForm_D);
            if (parts.normalized(QString::NormalizationForm_C) == one)
                for (qsizetype i = 1; i < parts.size(); ++i)
                    m_bits.set(parts[i].unicode());
        }
    }
    bool operator[](char16_t c) const { return m_bits.test(c); }

private:
    std::bitset<0x10000> m_bits;
};

const Unsafe &unsafe()
{
    static const Unsafe table;
    return table;
}

} // namespace

bool isCanonical(QStringView text)
{
    const Unsafe &u = unsafe();
    for (QChar c : text)
        if (c.unicode() >= 0x80 && u[c.unicode()])
            return false;
    return true;
}

QString canonical(QStringView text)
{
    if (isCanonical(text))
        return text.toString();
    QString out = text.toString().normalized(QString::NormalizationForm_C);
    for (QChar &c : out)
        for (const Variant &v : Variants)
            if (c.unicode() == v.jis)
                c = QChar(v.cp932);
    return out;
}

bool hasNonAscii(const uchar *p, const uchar *end)
{
#if defined(__SSE2__)
    for (; end - p >= 16; p += 16)
        if (_mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i *>(p))) != 0)
            return true;
#endif
    for (; p < end; ++p)
        if (*p >= 0x80)
            return true;
    return false;
}

Utf8Bytes examineUtf8(const uchar *p, const uchar *end)
{
    const Unsafe &u = unsafe();
    Utf8Bytes result = Utf8Bytes::Canonical;
    while (p < end) {
#if defined(__SSE2__)
        while (end - p >= 16
               && _mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i *>(p))) == 0)
            p += 16;
        if (p == end)
            break;
#endif
        const uchar b = *p;
        if (b < 0x80) {
            ++p;
            continue;
        }
        const int n = utf8::sequenceLength(p, end);
        if (n == 0)
            return Utf8Bytes::Invalid;
        if (n == 4) {
            result = Utf8Bytes::Valid;
        } else {
            const char16_t c = n == 2 ? char16_t(((b & 0x1F) << 6) | (p[1] & 0x3F))
                                      : char16_t(((b & 0x0F) << 12) | ((p[1] & 0x3F) << 6)
                                                 | (p[2] & 0x3F));
            if (u[c])
                result = Utf8Bytes::Valid;
        }
        p += n;
    }
    return result;
}

} // namespace norva::textforms

#include "core/common/textforms.h"

#include "core/common/utf8.h"

#include <QStringDecoder>

#include <array>
#include <cstring>

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
            set(v.jis);
        for (char32_t c = 0xD800; c <= 0xDFFF; ++c)
            set(c);
        // Hangul vowels and final consonants join the syllable before them.
        for (char32_t c = 0x1160; c <= 0x11FF; ++c)
            set(c);
        for (char32_t c = 0xD7B0; c <= 0xD7FF; ++c)
            set(c);
        for (char32_t c = 0; c <= 0xFFFF; ++c) {
            if (c >= 0xD800 && c <= 0xDFFF)
                continue;
            const QChar ch{char16_t(c)};
            if (ch.combiningClass() != 0) {
                set(c);
                continue;
            }
            // Hangul syllables are composites NFC keeps; their parts are above.
            if (ch.decompositionTag() != QChar::Canonical || (c >= 0xAC00 && c <= 0xD7A3))
                continue;
            const QString one(ch);
            if (one.normalized(QString::NormalizationForm_C) != one)
                set(c);
            // A composite that NFC builds: its later parts join what is before them.
            const QString parts = one.normalized(QString::NormalizationForm_D);
            if (parts.normalized(QString::NormalizationForm_C) == one)
                for (qsizetype i = 1; i < parts.size(); ++i)
                    set(parts[i].unicode());
        }
    }
    bool operator[](char16_t c) const { return (m_bits[c >> 6] >> (c & 63)) & 1; }

private:
    void set(char32_t c) { m_bits[c >> 6] |= quint64(1) << (c & 63); }

    std::array<quint64, 0x10000 / 64> m_bits{};
};

const Unsafe &unsafe()
{
    static const Unsafe table;
    return table;
}

} // namespace

bool isCanonical(QStringView text)
{
    // ASCII, kana but the combining marks, kanji, and the full- and half-width
    // forms never change: the table (which takes a while to make) is not
    // needed for them.
    auto plain = [](char16_t c) {
        return c < 0x80 || (c >= 0x3040 && c <= 0x30FF && c != 0x3099 && c != 0x309A)
               || (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xFF01 && c <= 0xFF9F);
    };
    for (QChar c : text)
        if (!plain(c.unicode()) && unsafe()[c.unicode()])
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

QString decodeUtf8(QByteArrayView bytes)
{
    thread_local QStringDecoder decoder(QStringDecoder::Utf8,
                                        QStringDecoder::Flag::Stateless
                                            | QStringDecoder::Flag::ConvertInitialBom);
    return decoder(bytes);
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

namespace {

#if defined(__SSE2__)
// The bytes of v within [low, high].
unsigned inRange(__m128i v, uchar low, uchar high)
{
    const __m128i shifted = _mm_sub_epi8(v, _mm_set1_epi8(char(low)));
    const __m128i top = _mm_set1_epi8(char(high - low));
    return unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_min_epu8(shifted, top), shifted)));
}

// True when the bytes are ASCII, kanji (U+4000..U+9FFF) and kana (U+3040..
// U+30FF but the two combining marks) in valid UTF-8, sixteen at a time: most
// lines of a log.
bool plainJapanese(const uchar *p, const uchar *end)
{
    unsigned carry = 0; // continuation bytes owed by the last block
    // Sixteen bytes from at, of which the first n count; the two after them
    // are looked at too.
    auto block = [&carry](const uchar *at, qsizetype n) {
        const unsigned within = n == 16 ? 0xFFFFu : (1u << n) - 1;
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(at));
        const unsigned high = unsigned(_mm_movemask_epi8(v)) & within;
        if (high == 0 && carry == 0)
            return true;
        const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i *>(at + 1));
        const __m128i after = _mm_loadu_si128(reinterpret_cast<const __m128i *>(at + 2));
        const unsigned e3 =
            unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8(char(0xE3)))));
        const unsigned marks =
            unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(next, _mm_set1_epi8(char(0x82)))))
            & inRange(after, 0x99, 0x9A);
        const unsigned lead =
            (inRange(v, 0xE4, 0xE9) | (e3 & inRange(next, 0x81, 0x83) & ~marks)) & within;
        const unsigned cont = inRange(v, 0x80, 0xBF) & within;
        const unsigned owed = (lead << 1) | (lead << 2) | carry;
        if (high != (lead | cont) || cont != (owed & 0xFFFF))
            return false;
        carry = owed >> 16;
        return n == 16 || carry == 0;
    };
    for (; end - p >= 18; p += 16)
        if (!block(p, 16))
            return false;
    // The last bytes, in a buffer with room to look past them.
    std::array<uchar, 40> last{};
    for (; p < end; p += 16) {
        const qsizetype n = qMin<qsizetype>(16, end - p);
        std::memcpy(last.data(), p, size_t(end - p));
        if (!block(last.data(), n))
            return false;
        last.fill(0);
    }
    return carry == 0;
}
#endif

} // namespace

Utf8Bytes examineUtf8(const uchar *p, const uchar *end)
{
#if defined(__SSE2__)
    if (plainJapanese(p, end))
        return Utf8Bytes::Canonical;
#endif
    Utf8Bytes result = Utf8Bytes::Canonical;
    auto continues = [](uchar b) {
        return (b & 0xC0) == 0x80;
    };
    while (p < end) {
#if defined(__SSE2__)
        // Straight to the next byte beyond ASCII.
        if (end - p >= 16) {
            const unsigned high =
                unsigned(_mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i *>(p))));
            if (high == 0) {
                p += 16;
                continue;
            }
            p += __builtin_ctz(high);
        }
#endif
        const uchar b = *p;
        if (b < 0x80) {
            ++p;
            continue;
        }
        // Most of a log beyond ASCII: kanji (U+4000..U+9FFF) and kana
        // (U+3040..U+30FF but the two combining marks), never changed.
        if (end - p >= 3 && continues(p[1]) && continues(p[2])) {
            if (b >= 0xE4 && b <= 0xE9) {
                p += 3;
                continue;
            }
            if (b == 0xE3 && p[1] >= 0x81 && p[1] <= 0x83
                && !(p[1] == 0x82 && (p[2] == 0x99 || p[2] == 0x9A))) {
                p += 3;
                continue;
            }
        }
        const int n = utf8::sequenceLength(p, end);
        if (n == 0)
            return Utf8Bytes::Invalid;
        if (n == 4) {
            result = Utf8Bytes::Valid;
        } else {
            const char16_t c =
                n == 2 ? char16_t(((b & 0x1F) << 6) | (p[1] & 0x3F))
                       : char16_t(((b & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F));
            if (unsafe()[c])
                result = Utf8Bytes::Valid;
        }
        p += n;
    }
    return result;
}

} // namespace norva::textforms

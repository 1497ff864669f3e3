#include "core/common/cp932.h"

#include <QHash>

#include <array>
#include <cerrno>
#include <iconv.h>
#include <memory>
#include <vector>

namespace norva::cp932 {

namespace {

constexpr char16_t Replacement = 0xFFFD;

struct Tables
{
    std::array<char16_t, 256> single{};
    // Two-byte codes, indexed by (lead << 8) | trail.
    std::vector<char16_t> pair = std::vector<char16_t>(65536, Replacement);
    // Characters that more than one code decodes to.
    QHash<char16_t, int> codeCount;

    Tables()
    {
        iconv_t cd = iconv_open("UTF-16LE", "CP932");
        auto decodeOne = [&](const char *in, size_t len) -> char16_t {
            if (cd == iconv_t(-1))
                return Replacement;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            char inBuf[2] = {in[0], len > 1 ? in[1] : '\0'};
            char *ip = inBuf;
            size_t il = len;
            char outBuf[8];
            char *op = outBuf;
            size_t ol = sizeof outBuf;
            const size_t r = iconv(cd, &ip, &il, &op, &ol);
            if (r == size_t(-1) || il != 0 || sizeof outBuf - ol != 2)
                return Replacement;
            return char16_t(uchar(outBuf[0]) | (uchar(outBuf[1]) << 8));
        };
        for (int b = 0; b < 256; ++b) {
            if (isLeadByte(uchar(b))) {
                single[b] = Replacement;
                continue;
            }
            const char c = char(b);
            single[b] = b < 0x80 ? char16_t(b) : decodeOne(&c, 1);
        }
        for (int lead = 0x81; lead <= 0xFC; ++lead) {
            if (!isLeadByte(uchar(lead)))
                continue;
            for (int trail = 0x40; trail <= 0xFC; ++trail) {
                if (!isTrailByte(uchar(trail)))
                    continue;
                const char in[2] = {char(lead), char(trail)};
                const char16_t u = decodeOne(in, 2);
                pair[(lead << 8) | trail] = u;
                if (u != Replacement)
                    ++codeCount[u];
            }
        }
        for (int b = 0; b < 256; ++b)
            if (single[b] != Replacement)
                ++codeCount[single[b]];
        if (cd != iconv_t(-1))
            iconv_close(cd);
    }
};

const Tables &tables()
{
    static const Tables t;
    return t;
}

struct Encoder
{
    iconv_t cd;
    Encoder()
        : cd(iconv_open("CP932", "UTF-16LE"))
    {}
    ~Encoder()
    {
        if (cd != iconv_t(-1))
            iconv_close(cd);
    }
};

// Encodes one UTF-16 unit; false when it has no code.
bool encodeUnit(iconv_t cd, char16_t u, QByteArray &out)
{
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char in[2] = {char(u & 0xFF), char(u >> 8)};
    char *ip = in;
    size_t il = 2;
    char buf[8];
    char *op = buf;
    size_t ol = sizeof buf;
    if (iconv(cd, &ip, &il, &op, &ol) == size_t(-1) || il != 0)
        return false;
    out.append(buf, qsizetype(sizeof buf - ol));
    return true;
}

template<typename OnMissing>
bool encodeWith(QStringView text, QByteArray &out, OnMissing onMissing)
{
    thread_local Encoder enc;
    const Tables &t = tables();
    out.reserve(out.size() + text.size() * 2);
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80) {
            out.append(char(u));
            continue;
        }
        // Only characters that some code decodes to are written, so that the
        // text reads back unchanged (iconv would write U+00A5 as a backslash).
        if (c.isSurrogate() || !t.codeCount.contains(u) || enc.cd == iconv_t(-1)
            || !encodeUnit(enc.cd, u, out)) {
            if (!onMissing(out))
                return false;
        }
    }
    return true;
}

} // namespace

void decodeAppend(QByteArrayView bytes, QString &out)
{
    const Tables &t = tables();
    const uchar *p = reinterpret_cast<const uchar *>(bytes.data());
    const uchar *end = p + bytes.size();
    const qsizetype base = out.size();
    out.resize(base + bytes.size()); // never more characters than bytes
    char16_t *o = reinterpret_cast<char16_t *>(out.data()) + base;
    char16_t *const start = o;
    while (p < end) {
        const uchar b = *p;
        if (b < 0x80) {
            *o++ = b;
            ++p;
        } else if (isLeadByte(b) && p + 1 < end && isTrailByte(p[1])) {
            *o++ = t.pair[(b << 8) | p[1]];
            p += 2;
        } else {
            *o++ = t.single[b];
            ++p;
        }
    }
    out.resize(base + (o - start));
}

QString decode(QByteArrayView bytes)
{
    QString s;
    decodeAppend(bytes, s);
    return s;
}

std::optional<QByteArray> encode(QStringView text)
{
    QByteArray out;
    if (!encodeWith(text, out, [](QByteArray &) { return false; }))
        return std::nullopt;
    return out;
}

QByteArray encodeLossy(QStringView text)
{
    QByteArray out;
    encodeWith(text, out, [](QByteArray &o) {
        o.append('?');
        return true;
    });
    return out;
}

bool encodesUniquely(QStringView text)
{
    const Tables &t = tables();
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80)
            continue;
        if (t.codeCount.value(u) != 1)
            return false;
    }
    return true;
}

} // namespace norva::cp932

#include "core/settings/settings.h"

#include "core/common/convert.h"
#include "core/common/cp932.h"
#include "core/common/datetime.h"
#include "core/common/error.h"
#include "core/common/fileops.h"
#include "core/common/paths.h"

#include "norva_version.h"

#include <QStringDecoder>

#include <array>
#include <cstdlib>
#include <limits>

namespace norva {

namespace {

enum class Type { Text, Bool, Int16, Int32, DateTime, Colour };

// How a setting is written to the file.
enum class Write {
    Always,
    UnlessDefault, // only when the value differs from the default
    Date,          // always, as "yyyy/m/d"
    Time,          // always, as "h:n"
};

struct Entry
{
    const char16_t *key;
    Type type;
    Write write;
    QVariant value;
};

QVariant int16Value(qint16 v)
{
    return QVariant::fromValue<qint16>(v);
}

// The settings in the order of the file.
struct Store
{
    std::array<Entry, 25> entries{{
        {u"MainWidth", Type::Int32, Write::Always, {}},
        {u"MainHeight", Type::Int32, Write::Always, {}},
        {u"VisibleWindow", Type::Int16, Write::UnlessDefault, {}},
        {u"MainToolbar", Type::Bool, Write::UnlessDefault, {}},
        {u"ScoreFile", Type::Text, Write::Always, {}},
        {u"UserName", Type::Text, Write::Always, {}},
        {u"SpecifyDate", Type::Bool, Write::UnlessDefault, {}},
        {u"StartDate", Type::DateTime, Write::Date, {}},
        {u"StartTime", Type::DateTime, Write::Time, {}},
        {u"EndDate", Type::DateTime, Write::Date, {}},
        {u"EndTime", Type::DateTime, Write::Time, {}},
        {u"TableKind1", Type::Int16, Write::UnlessDefault, {}},
        {u"TableKind2", Type::Int16, Write::UnlessDefault, {}},
        {u"AutoCalc", Type::Bool, Write::UnlessDefault, {}},
        {u"CheckLine", Type::Int32, Write::UnlessDefault, {}},
        {u"GraphWidth", Type::Int32, Write::Always, {}},
        {u"GraphHeight", Type::Int32, Write::Always, {}},
        {u"GraphDisp", Type::Int16, Write::UnlessDefault, {}},
        {u"GraphFore", Type::Colour, Write::UnlessDefault, {}},
        {u"GraphBack", Type::Colour, Write::UnlessDefault, {}},
        {u"GraphPoint", Type::Colour, Write::UnlessDefault, {}},
        {u"GraphRank", Type::Colour, Write::UnlessDefault, {}},
        {u"GraphPart", Type::Colour, Write::UnlessDefault, {}},
        {u"GraphFlowR", Type::Colour, Write::UnlessDefault, {}},
        {u"GraphFlowPnt", Type::Colour, Write::UnlessDefault, {}},
    }};

    Entry *find(QStringView key, Qt::CaseSensitivity cs)
    {
        for (Entry &e : entries)
            if (key.compare(QStringView(e.key), cs) == 0)
                return &e;
        return nullptr;
    }
    Entry &at(const char16_t *key) { return *find(QStringView(key), Qt::CaseSensitive); }
};

Store &store()
{
    static Store s;
    return s;
}

// The defaults that a conditional line is compared with.
QVariant defaultOf(QStringView key)
{
    if (key == u"VisibleWindow" || key == u"GraphDisp")
        return int16Value(31);
    if (key == u"MainToolbar" || key == u"SpecifyDate")
        return true;
    if (key == u"AutoCalc")
        return false;
    if (key == u"TableKind1" || key == u"TableKind2")
        return int16Value(773);
    if (key == u"CheckLine")
        return qint32(100);
    if (key == u"GraphFore")
        return QStringLiteral("000000000");
    if (key == u"GraphBack")
        return QStringLiteral("255255255");
    if (key == u"GraphPoint")
        return QStringLiteral("255000000");
    if (key == u"GraphRank")
        return QStringLiteral("255128064");
    if (key == u"GraphPart")
        return QStringLiteral("000128000");
    if (key == u"GraphFlowR")
        return QStringLiteral("000128255");
    if (key == u"GraphFlowPnt")
        return QStringLiteral("128000128");
    return {};
}

QVariant convertTo(Type type, const QVariant &value)
{
    switch (type) {
    case Type::Text:
    case Type::Colour:
        return variantToText(value);
    case Type::Bool:
        return variantToBool(value);
    case Type::Int16:
        return int16Value(variantToInt16(value));
    case Type::Int32:
        return variantToInt32(value);
    case Type::DateTime:
        return variantToDateTime(value);
    }
    return {};
}

QString valueText(const Entry &e)
{
    switch (e.write) {
    case Write::Date:
        return formatDateYmd(e.value.toDateTime().date());
    case Write::Time:
        return formatTimeHn(e.value.toDateTime().time());
    default:
        break;
    }
    switch (e.type) {
    case Type::Bool:
        return e.value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case Type::Int16:
    case Type::Int32:
        return QString::number(e.value.toInt());
    default:
        return e.value.toString();
    }
}

bool isTextType(Type t)
{
    return t == Type::Text || t == Type::Colour;
}

// A text that the plain file cannot hold as it stands: a line end would start a
// new line, and a character without a CP932 code would come back changed.
bool needsWideForm(const QString &text)
{
    return text.contains(u'\r') || text.contains(u'\n') || !cp932::encode(text);
}

// In the wide form (UTF-8 with a byte-order mark) text values escape the
// backslash and the line ends.
QString escapeWide(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        if (c == u'\\')
            out += QStringLiteral("\\\\");
        else if (c == u'\r')
            out += QStringLiteral("\\r");
        else if (c == u'\n')
            out += QStringLiteral("\\n");
        else
            out += c;
    }
    return out;
}

QString unescapeWide(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\\' && i + 1 < text.size()) {
            const QChar n = text[i + 1];
            if (n == u'\\' || n == u'r' || n == u'n') {
                out += n == u'\\' ? u'\\' : (n == u'r' ? u'\r' : u'\n');
                ++i;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

const QByteArray Bom("\xEF\xBB\xBF");

// How the settings file was last read.
struct ReadState
{
    QString path;
    ParamFileState state = ParamFileState::Missing;
    bool backedUp = false;
};

ReadState &readState()
{
    static ReadState s;
    return s;
}

void readLine(QStringView line, bool wide)
{
    line = trimLeadingSpaces(line);
    const qsizetype eq = line.indexOf(u'=');
    if (eq <= 0)
        return;
    Entry *e = store().find(trimSpaces(line.left(eq)), Qt::CaseInsensitive);
    if (!e)
        return;
    const QStringView raw = line.mid(eq + 1);
    const QString key = QString::fromUtf16(e->key);
    try {
        switch (e->type) {
        case Type::Int32: {
            const qint32 v = variantToInt32(raw.toString());
            if (key == u"CheckLine") {
                e->value = v;
            } else {
                if (v == std::numeric_limits<qint32>::min())
                    raise(ErrorKind::Overflow);
                e->value = std::abs(v);
            }
            break;
        }
        case Type::Int16:
            e->value = int16Value(variantToInt16(raw.toString()));
            break;
        case Type::Bool:
            e->value = variantToBool(raw.toString());
            break;
        case Type::Text: {
            const QStringView t = trimSpaces(raw);
            e->value = wide ? unescapeWide(t) : t.toString();
            break;
        }
        case Type::DateTime:
            e->value = variantToDateTime(trimSpaces(raw).toString());
            break;
        case Type::Colour: {
            const QString t = wide ? unescapeWide(trimSpaces(raw)) : trimSpaces(raw).toString();
            if (t.size() == 9)
                e->value = t;
            break;
        }
        }
    } catch (const Error &) {
        // A value that cannot be converted leaves the setting as it was.
    }
    // Limits applied whether or not the conversion succeeded.
    if (key == u"VisibleWindow" || key == u"GraphDisp") {
        const int v = e->value.toInt();
        if (v < 0 || v > 31)
            e->value = int16Value(31);
    } else if (key == u"CheckLine") {
        if (e->value.toInt() < 100)
            e->value = qint32(100);
    }
}

} // namespace

QString productName()
{
    return QStringLiteral(NORVA_PRODUCT_NAME);
}

QString paramFilePath()
{
    return besideExecutable(productName() + QStringLiteral(".ini"));
}

void setParamDefaults()
{
    Store &s = store();
    const QDate today = QDate::currentDate();
    s.at(u"MainWidth").value = qint32(7500);
    s.at(u"MainHeight").value = qint32(6500);
    s.at(u"VisibleWindow").value = int16Value(31);
    s.at(u"MainToolbar").value = true;
    s.at(u"SpecifyDate").value = true;
    s.at(u"StartDate").value = makeDateTime(QDate(today.year(), today.month(), 1));
    s.at(u"EndDate").value = makeDateTime(today);
    s.at(u"ScoreFile").value = besideExecutable(QStringLiteral("MjScore.txt"));
    s.at(u"TableKind1").value = int16Value(773);
    s.at(u"TableKind2").value = int16Value(773);
    s.at(u"AutoCalc").value = false;
    s.at(u"CheckLine").value = qint32(100);
    s.at(u"GraphWidth").value = qint32(5205);
    s.at(u"GraphHeight").value = qint32(3200);
    s.at(u"GraphDisp").value = int16Value(31);
    for (const char16_t *k : {u"GraphFore", u"GraphBack", u"GraphPoint", u"GraphRank", u"GraphPart",
                              u"GraphFlowR", u"GraphFlowPnt"})
        s.at(k).value = defaultOf(QStringView(k));
    s.at(u"UserName").value = QString();
    s.at(u"StartTime").value = makeDateTime(zeroDate());
    s.at(u"EndTime").value = makeDateTime(zeroDate());
}

bool LoadParamFile()
{
    return LoadParamFile(paramFilePath(), nullptr);
}

bool LoadParamFile(const QString &path, std::optional<ErrorKind> *why)
{
    setParamDefaults();
    ReadState &state = readState();
    state = ReadState{path, ParamFileState::Clean, false};
    if (why)
        why->reset();
    try {
        LineReader reader(path, 64 * 1024);
        QByteArrayView line;
        bool first = true, wide = false;
        while (reader.next(line)) {
            if (first && line.startsWith(Bom)) {
                wide = true;
                line = line.sliced(Bom.size());
            }
            first = false;
            // NUL is no character of either form (a UTF-16 file is full of
            // them), and a byte that is no character of the form comes back
            // as U+FFFD: the file was not written by this program.
            if (line.contains('\0'))
                state.state = ParamFileState::Unclean;
            QString text;
            if (wide) {
                QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
                text = utf8(line);
                if (utf8.hasError())
                    state.state = ParamFileState::Unclean;
            } else {
                text = cp932::decode(line);
                if (text.contains(QChar::ReplacementCharacter))
                    state.state = ParamFileState::Unclean;
            }
            readLine(text, wide);
        }
    } catch (const Error &e) {
        if (why)
            *why = e.kind();
        // A file of ours that could not be read to its end; nothing there
        // (or a pipe, a folder, which is never written over) is no loss.
        state.state = fileops::status(path).type == fileops::FileType::Regular
                          ? ParamFileState::Unclean
                          : ParamFileState::Missing;
        return false;
    }
    return true;
}

ParamFileState paramFileState()
{
    return readState().state;
}

QString paramBackupPath()
{
    return paramFilePath() + QStringLiteral(".bak");
}

QByteArray paramFileBytes()
{
    Store &s = store();
    QStringList lines;
    lines << u'[' + productName() + u']' << QString();
    bool wide = false;
    for (const Entry &e : s.entries) {
        if (e.write == Write::UnlessDefault) {
            const QVariant def = defaultOf(QStringView(e.key));
            const bool same = e.type == Type::Bool ? e.value.toBool() == def.toBool()
                              : isTextType(e.type) ? e.value.toString() == def.toString()
                                                   : e.value.toInt() == def.toInt();
            if (same)
                continue;
        }
        lines << QString::fromUtf16(e.key) + u'=' + valueText(e);
        if (isTextType(e.type) && needsWideForm(e.value.toString()))
            wide = true;
    }
    QByteArray out;
    if (!wide) {
        for (const QString &l : lines)
            out += cp932::encodeLossy(l) + "\r\n";
        return out;
    }
    out = Bom;
    for (const QString &l : lines) {
        const qsizetype eq = l.indexOf(u'=');
        const Entry *e =
            eq > 0 ? store().find(QStringView(l).left(eq), Qt::CaseSensitive) : nullptr;
        if (e && isTextType(e->type))
            out += (l.left(eq + 1) + escapeWide(l.mid(eq + 1))).toUtf8();
        else
            out += l.toUtf8();
        out += "\r\n";
    }
    return out;
}

bool SaveParamFile(const RetryPrompt &prompt)
{
    const QString path = paramFilePath();
    ReadState &state = readState();
    // A file that could not be read cleanly is kept, once, before it is
    // written over with what could be made of it.
    while (state.state == ParamFileState::Unclean && !state.backedUp && state.path == path) {
        try {
            fileops::keepBackup(path, paramBackupPath());
            state.backedUp = true;
        } catch (const Error &e) {
            if (!prompt || !prompt(e))
                return false;
        }
    }
    return writeFileSafely(path, paramFileBytes(), prompt);
}

QVariant GetParamValue(const QString &key)
{
    const Entry *e = store().find(key, Qt::CaseSensitive);
    return e ? e->value : QVariant();
}

void SetParamValue(const QString &key, const QVariant &value)
{
    Entry *e = store().find(key, Qt::CaseSensitive);
    if (!e)
        return;
    e->value = convertTo(e->type, value); // raises before anything changes
}

bool IsFileAttr(const QString &path, qint32 mask)
{
    const fileops::FileStatus fs = fileops::status(path);
    if (fs.type == fileops::FileType::Missing)
        return false;
    qint32 attrs = 0;
    if (!fs.writable)
        attrs |= 1;
    if (fs.hidden)
        attrs |= 2;
    if (fs.type == fileops::FileType::Directory)
        attrs |= 16;
    else if (fs.type == fileops::FileType::Regular)
        attrs |= 32;
    return (attrs & mask) == mask;
}

} // namespace norva

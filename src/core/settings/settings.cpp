#include "core/settings/settings.h"

#include "core/common/convert.h"
#include "core/common/cp932.h"
#include "core/common/datetime.h"
#include "core/common/error.h"
#include "core/common/fileops.h"
#include "core/common/locations.h"

#include <QStringDecoder>

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

// What a setting's default is.
enum class Default {
    Fixed,        // number or text below
    FirstOfMonth, // the first day of the current month
    Today,
    Midnight,  // the time 0:00
    EndOfDay,  // the time 23:59: a range that ends today takes today's games
    ScoreFile, // the score log the program was given
};

// What the reader makes of a value it has read.
enum class Limit {
    None,
    Positive,   // the number without its sign
    UpTo31,     // outside 0..31 the value is 31
    AtLeast100, // below 100 the value is 100
    NineChars,  // a colour of any other length is not taken
};

struct KeyInfo
{
    const char16_t *name;
    Type type;
    Write write;
    Default def;
    qint32 number;        // the fixed default of a number or a flag
    const char16_t *text; // the fixed default of a text
    Limit limit;
};

// Every setting, in the order of the file and of Settings::Key.
constexpr KeyInfo Keys[Settings::KeyCount] = {
    {u"MainWidth", Type::Int32, Write::Always, Default::Fixed, 7500, nullptr, Limit::Positive},
    {u"MainHeight", Type::Int32, Write::Always, Default::Fixed, 6500, nullptr, Limit::Positive},
    {u"VisibleWindow", Type::Int16, Write::UnlessDefault, Default::Fixed, 31, nullptr,
     Limit::UpTo31},
    {u"MainToolbar", Type::Bool, Write::UnlessDefault, Default::Fixed, 1, nullptr, Limit::None},
    {u"ScoreFile", Type::Text, Write::Always, Default::ScoreFile, 0, nullptr, Limit::None},
    {u"UserName", Type::Text, Write::Always, Default::Fixed, 0, u"", Limit::None},
    {u"SpecifyDate", Type::Bool, Write::UnlessDefault, Default::Fixed, 1, nullptr, Limit::None},
    {u"StartDate", Type::DateTime, Write::Date, Default::FirstOfMonth, 0, nullptr, Limit::None},
    {u"StartTime", Type::DateTime, Write::Time, Default::Midnight, 0, nullptr, Limit::None},
    {u"EndDate", Type::DateTime, Write::Date, Default::Today, 0, nullptr, Limit::None},
    {u"EndTime", Type::DateTime, Write::Time, Default::EndOfDay, 0, nullptr, Limit::None},
    {u"TableKind1", Type::Int16, Write::UnlessDefault, Default::Fixed, 773, nullptr, Limit::None},
    {u"TableKind2", Type::Int16, Write::UnlessDefault, Default::Fixed, 773, nullptr, Limit::None},
    {u"AutoCalc", Type::Bool, Write::UnlessDefault, Default::Fixed, 0, nullptr, Limit::None},
    {u"CheckLine", Type::Int32, Write::UnlessDefault, Default::Fixed, 100, nullptr,
     Limit::AtLeast100},
    {u"GraphWidth", Type::Int32, Write::Always, Default::Fixed, 5205, nullptr, Limit::Positive},
    {u"GraphHeight", Type::Int32, Write::Always, Default::Fixed, 3200, nullptr, Limit::Positive},
    {u"GraphDisp", Type::Int16, Write::UnlessDefault, Default::Fixed, 31, nullptr, Limit::UpTo31},
    {u"GraphFore", Type::Colour, Write::UnlessDefault, Default::Fixed, 0, u"000000000",
     Limit::NineChars},
    {u"GraphBack", Type::Colour, Write::UnlessDefault, Default::Fixed, 0, u"255255255",
     Limit::NineChars},
    {u"GraphPoint", Type::Colour, Write::UnlessDefault, Default::Fixed, 0, u"255000000",
     Limit::NineChars},
    {u"GraphRank", Type::Colour, Write::UnlessDefault, Default::Fixed, 0, u"255128064",
     Limit::NineChars},
    {u"GraphPart", Type::Colour, Write::UnlessDefault, Default::Fixed, 0, u"000128000",
     Limit::NineChars},
    {u"GraphFlowR", Type::Colour, Write::UnlessDefault, Default::Fixed, 0, u"000128255",
     Limit::NineChars},
    {u"GraphFlowPnt", Type::Colour, Write::UnlessDefault, Default::Fixed, 0, u"128000128",
     Limit::NineChars},
    // On unless switched off: the file of a user who never did stays as it was.
    {u"FollowLog", Type::Bool, Write::UnlessDefault, Default::Fixed, 1, nullptr, Limit::None},
    // Written only while the window is open at exit.
    {u"GamesWindow", Type::Bool, Write::UnlessDefault, Default::Fixed, 0, nullptr, Limit::None},
    {u"StatsWindow", Type::Bool, Write::UnlessDefault, Default::Fixed, 0, nullptr, Limit::None},
};

const KeyInfo &info(Settings::Key key)
{
    return Keys[size_t(key)];
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
        return QVariant::fromValue<qint16>(variantToInt16(value));
    case Type::Int32:
        return variantToInt32(value);
    case Type::DateTime:
        return variantToDateTime(value);
    }
    return {};
}

bool isTextType(Type t)
{
    return t == Type::Text || t == Type::Colour;
}

QString valueText(const KeyInfo &k, const QVariant &value)
{
    switch (k.write) {
    case Write::Date:
        return formatDateYmd(value.toDateTime().date());
    case Write::Time:
        return formatTimeHn(value.toDateTime().time());
    default:
        break;
    }
    switch (k.type) {
    case Type::Bool:
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case Type::Int16:
    case Type::Int32:
        return QString::number(value.toInt());
    default:
        return value.toString();
    }
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

} // namespace

Settings::Settings(QString defaultScoreFile)
    : m_defaultScoreFile(std::move(defaultScoreFile))
{
    setDefaults();
}

QString Settings::keyName(Key key)
{
    return QString::fromUtf16(info(key).name);
}

std::optional<Settings::Key> Settings::keyNamed(QStringView name, Qt::CaseSensitivity cs)
{
    for (int k = 0; k < KeyCount; ++k)
        if (name.compare(QStringView(Keys[k].name), cs) == 0)
            return Key(k);
    return std::nullopt;
}

QVariant Settings::defaultValue(Key key) const
{
    const KeyInfo &k = info(key);
    const QDate today = QDate::currentDate();
    switch (k.def) {
    case Default::FirstOfMonth:
        return makeDateTime(QDate(today.year(), today.month(), 1));
    case Default::Today:
        return makeDateTime(today);
    case Default::Midnight:
        return makeDateTime(zeroDate());
    case Default::EndOfDay:
        return makeDateTime(zeroDate(), QTime(23, 59));
    case Default::ScoreFile:
        return m_defaultScoreFile;
    case Default::Fixed:
        break;
    }
    switch (k.type) {
    case Type::Text:
    case Type::Colour:
        return QString::fromUtf16(k.text);
    case Type::Bool:
        return k.number != 0;
    case Type::Int16:
        return QVariant::fromValue<qint16>(qint16(k.number));
    case Type::Int32:
        return k.number;
    case Type::DateTime:
        break;
    }
    return {};
}

void Settings::setDefaults()
{
    for (int k = 0; k < KeyCount; ++k)
        m_values[size_t(k)] = defaultValue(Key(k));
}

void Settings::setValue(Key key, const QVariant &value)
{
    m_values[size_t(key)] = convertTo(info(key).type, value); // raises before anything changes
}

void Settings::readLine(QStringView line, bool wide)
{
    line = trimLeadingSpaces(line);
    const qsizetype eq = line.indexOf(u'=');
    if (eq <= 0)
        return;
    const std::optional<Key> key = keyNamed(trimSpaces(line.left(eq)), Qt::CaseInsensitive);
    if (!key)
        return;
    const KeyInfo &k = info(*key);
    QVariant &value = m_values[size_t(*key)];
    const QStringView raw = line.mid(eq + 1);
    try {
        switch (k.type) {
        case Type::Int32: {
            const qint32 v = variantToInt32(raw.toString());
            if (k.limit != Limit::Positive) {
                value = v;
            } else {
                if (v == std::numeric_limits<qint32>::min())
                    raise(ErrorKind::Overflow);
                value = std::abs(v);
            }
            break;
        }
        case Type::Int16:
            value = QVariant::fromValue<qint16>(variantToInt16(raw.toString()));
            break;
        case Type::Bool:
            value = variantToBool(raw.toString());
            break;
        case Type::Text: {
            const QStringView t = trimSpaces(raw);
            value = wide ? unescapeWide(t) : t.toString();
            break;
        }
        case Type::DateTime:
            value = variantToDateTime(trimSpaces(raw).toString());
            break;
        case Type::Colour: {
            const QString t = wide ? unescapeWide(trimSpaces(raw)) : trimSpaces(raw).toString();
            if (k.limit != Limit::NineChars || t.size() == 9)
                value = t;
            break;
        }
        }
    } catch (const Error &) {
        // A value that cannot be converted leaves the setting as it was.
    }
    // Limits applied whether or not the conversion succeeded.
    if (k.limit == Limit::UpTo31) {
        const int v = value.toInt();
        if (v < 0 || v > 31)
            value = QVariant::fromValue<qint16>(31);
    } else if (k.limit == Limit::AtLeast100) {
        if (value.toInt() < 100)
            value = qint32(100);
    }
}

bool Settings::load(const QString &path, std::optional<ErrorKind> *why)
{
    setDefaults();
    m_loadedPath = path;
    m_loaded = fileops::status(path);
    m_backupPath.clear();
    m_fileState = FileState::Clean;
    m_backedUp = false;
    if (why)
        why->reset();
    bool read = true;
    try {
        LineReader reader(path, 64 * 1024);
        readLines(reader);
    } catch (const Error &e) {
        read = false;
        if (why)
            *why = e.kind();
        // A file of ours that could not be read to its end; nothing there
        // (or a pipe, a folder, which is never written over) is no loss.
        m_fileState = fileops::status(path).type == fileops::FileType::Regular ? FileState::Unclean
                                                                               : FileState::Missing;
    }
    if (m_fileState == FileState::Unclean) {
        const QString preferred = path + QStringLiteral(".bak");
        m_backupPath = fileops::backupName(preferred, m_loaded.id);
        if (m_backupPath.isEmpty())
            m_backupPath = preferred; // every name taken: the save says so
    }
    return read;
}

bool Settings::loadBytes(const QByteArray &bytes)
{
    setDefaults();
    m_loadedPath.clear();
    m_loaded = {};
    m_backupPath.clear();
    m_fileState = FileState::Clean;
    m_backedUp = false;
    try {
        LineReader reader(bytes);
        readLines(reader);
    } catch (const Error &) {
        m_fileState = FileState::Unclean;
        return false;
    }
    return true;
}

void Settings::readLines(LineReader &reader)
{
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
            m_fileState = FileState::Unclean;
        QString text;
        if (wide) {
            QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
            text = utf8(line);
            if (utf8.hasError())
                m_fileState = FileState::Unclean;
        } else {
            text = cp932::decode(line);
            if (text.contains(QChar::ReplacementCharacter))
                m_fileState = FileState::Unclean;
        }
        readLine(text, wide);
    }
}

QByteArray Settings::fileBytes() const
{
    QStringList lines;
    QList<bool> textLine; // whether the line holds a text value
    lines << u'[' + productName() + u']' << QString();
    textLine << false << false;
    bool wide = false;
    for (int key = 0; key < KeyCount; ++key) {
        const KeyInfo &k = Keys[key];
        const QVariant &v = m_values[size_t(key)];
        if (k.write == Write::UnlessDefault) {
            const QVariant def = defaultValue(Key(key));
            const bool same = k.type == Type::Bool ? v.toBool() == def.toBool()
                              : isTextType(k.type) ? v.toString() == def.toString()
                                                   : v.toInt() == def.toInt();
            if (same)
                continue;
        }
        lines << QString::fromUtf16(k.name) + u'=' + valueText(k, v);
        textLine << isTextType(k.type);
        if (isTextType(k.type) && needsWideForm(v.toString()))
            wide = true;
    }
    QByteArray out;
    if (!wide) {
        for (const QString &l : lines)
            out += cp932::encodeLossy(l) + "\r\n";
        return out;
    }
    out = Bom;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString &l = lines[i];
        const qsizetype eq = l.indexOf(u'=');
        if (textLine[i])
            out += (l.left(eq + 1) + escapeWide(l.mid(eq + 1))).toUtf8();
        else
            out += l.toUtf8();
        out += "\r\n";
    }
    return out;
}

bool Settings::save(const QString &path, const RetryPrompt &prompt, const QStringList &protect)
{
    // A file that could not be read cleanly is kept, once, before it is
    // written over with what could be made of it; but only while it is that
    // file (another copy of the program may have written a clean one since),
    // and never the score log or another file that the settings file leads to.
    bool mayWrite = true;
    try {
        fileops::checkWriteTarget(path, protect);
    } catch (const Error &e) {
        mayWrite = e.kind() != ErrorKind::ProtectedFile;
    }
    while (mayWrite && m_fileState == FileState::Unclean && !m_backedUp && m_loadedPath == path) {
        try {
            if (fileops::backupName(m_backupPath, m_loaded.id) != m_backupPath)
                m_backupPath = fileops::backupName(path + QStringLiteral(".bak"), m_loaded.id);
            fileops::keepBackup(path, m_backupPath, m_loaded);
            m_backedUp = true;
        } catch (const Error &e) {
            if (!prompt || !prompt(e))
                return false;
        }
    }
    return writeFileSafely(path, fileBytes(), prompt, protect);
}

} // namespace norva

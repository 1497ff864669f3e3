#include "core/calc/gamelist.h"

#include "core/common/cp932.h"
#include "core/common/error.h"
#include "core/common/textforms.h"

#include <limits>

namespace norva {

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == QChar(0x3000);
}

QStringView trimBlanks(QStringView text)
{
    qsizetype b = 0, e = text.size();
    while (b < e && isBlank(text[b]))
        ++b;
    while (e > b && isBlank(text[e - 1]))
        --e;
    return text.mid(b, e - b);
}

} // namespace

GameHeaderParts splitGameHeader(QStringView headerText)
{
    GameHeaderParts parts;
    const qsizetype at = headerText.indexOf(u"開始");
    // "開始", then one separator: the start as the header writes it.
    if (at >= 0)
        parts.start = trimBlanks(headerText.mid(qMin(at + 3, headerText.size())));
    QStringView table = trimBlanks(at >= 0 ? headerText.left(at) : headerText);
    // The last word is the table number ("12卓").
    const qsizetype space = table.lastIndexOf(u' ');
    if (space >= 0)
        table = trimBlanks(table.left(space));
    parts.table = table;
    return parts;
}

QString GameList::startText(qsizetype i) const
{
    const Game &g = m_games.at(i);
    return m_startPool.mid(g.startAt, g.startLength);
}

void GameList::append(Game game, QStringView start, QStringView table)
{
    // A start longer than any date is kept in part; the pool stays within
    // its 32-bit offsets.
    start = start.left(std::numeric_limits<qint16>::max());
    if (m_startPool.size() > std::numeric_limits<qint32>::max() - start.size())
        raise(ErrorKind::Overflow);
    game.startAt = qint32(m_startPool.size());
    game.startLength = qint16(start.size());
    m_startPool.append(start);
    // Games share the few tables of a log.
    const QString key = table.toString();
    auto found = m_tableNumbers.constFind(key);
    if (found == m_tableNumbers.cend()) {
        if (m_tables.size() == std::numeric_limits<qint32>::max())
            raise(ErrorKind::Overflow);
        found = m_tableNumbers.insert(key, qint32(m_tables.size()));
        m_tables.append(key);
    }
    game.table = *found;
    m_games.append(game);
}

LogMark markLog(TextInput &log, const QString &path, qint64 size, const CancelFlag *cancel)
{
    LogMark mark;
    mark.path = path;
    mark.file = log.fileId();
    mark.size = size;
    mark.form = log.form(cancel);
    mark.marks = log.endMarks(size, cancel);
    return mark;
}

std::optional<QStringList> readGameLines(TextInput &log, const GameList &games, qsizetype i)
{
    const LogMark &was = games.logMark();
    const GameList::Game &game = games.at(i);
    if (log.fileId() != was.file || log.size() < was.size || game.end > was.size)
        return std::nullopt;
    const LogMark now = markLog(log, was.path, was.size);
    if (now.marks != was.marks || !(now.form == was.form))
        return std::nullopt;
    TextLines reader(log, was.form, game.start);
    QStringList lines;
    QByteArrayView line;
    bool first = true;
    while (reader.offset() < game.end && reader.next(line)) {
        if (first && hashBytes(line) != game.headerHash)
            return std::nullopt;
        first = false;
        const auto *p = reinterpret_cast<const uchar *>(line.data());
        // A line of a UTF-8 game that is no UTF-8 was read as CP932.
        const bool utf8 =
            game.utf8
            && textforms::examineUtf8(p, p + line.size()) != textforms::Utf8Bytes::Invalid;
        lines.append(utf8 ? textforms::decodeUtf8(line) : cp932::decode(line));
    }
    if (first)
        return std::nullopt;
    return lines;
}

} // namespace norva

#pragma once

#include "core/common/fileops.h"
#include "core/common/textfile.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

namespace norva {

// A game header's text (between StartLine and as many characters at its end)
// cut into the game's start as written after "開始" and one separator, and
// its table: the text before "開始" without blanks around it and without its
// last word, the table number, when it has more than one. Both are empty
// where the header holds nothing of them.
struct GameHeaderParts
{
    QStringView start;
    QStringView table;
};
GameHeaderParts splitGameHeader(QStringView headerText);

// What a list of games remembers of the log it was read from, so that a game's
// lines are read back only from that log as it was.
struct LogMark
{
    QString path; // the log as the settings named it
    fileops::FileId file;
    qint64 size = 0; // the bytes read
    EndMarks marks;  // of the bytes read
    TextForm form;
};

// Every counted game of the user in the order of the log, one small record
// each (a log of tens of thousands of games keeps its list in a few
// megabytes): where its lines stand in the log, the start and the table of
// its header, and what the user made of it. The texts live in shared pools.
class GameList
{
public:
    struct Game
    {
        qint64 start = 0;       // the offset of the game's header line
        qint64 end = 0;         // the offset after its last line
        quint64 headerHash = 0; // of the header line's bytes as read
        qint32 hands = 0;       // hands counted in the game
        qint32 wins = 0;        // the user's wins in it
        qint32 dealIns = 0;     // the user's deal-ins in it
        qint32 rating = 0;      // the rating in force
        qint32 startAt = 0;     // the start's text in the pool
        qint32 table = 0;       // the table's text by number
        qint16 startLength = 0;
        qint16 rank = 0;
        qint16 score = 0;
        bool utf8 = false; // the game's lines are UTF-8 (else CP932)
    };

    qsizetype size() const { return m_games.size(); }
    bool isEmpty() const { return m_games.isEmpty(); }
    const Game &at(qsizetype i) const { return m_games.at(i); }
    // 開始日時 and 卓 of game i.
    QString startText(qsizetype i) const;
    const QString &tableText(qsizetype i) const { return m_tables.at(m_games.at(i).table); }
    // The different tables of the games, which Game::table numbers.
    const QStringList &tables() const { return m_tables; }
    const LogMark &logMark() const { return m_mark; }

    // For the pass. Raises Overflow when the pool of texts is full.
    void clear() { *this = GameList(); }
    void append(Game game, QStringView start, QStringView table);
    void setLastEnd(qint64 end) { m_games.last().end = end; }
    void setLogMark(const LogMark &mark) { m_mark = mark; }

private:
    QList<Game> m_games;
    QString m_startPool;
    QStringList m_tables;
    QHash<QString, qint32> m_tableNumbers;
    LogMark m_mark;
};

// The mark of log at path after its first `size` bytes were read. Raises as
// reading the log does.
LogMark markLog(TextInput &log, const QString &path, qint64 size,
                const CancelFlag *cancel = nullptr);

// The lines of game i of games as log holds them now (without their line
// ends), decoded as the pass read them; nullopt when log is no longer what
// the list was read from: another file, fewer bytes, other first or last
// bytes, or another line where the game's header stood. Raises as reading
// the log does.
std::optional<QStringList> readGameLines(TextInput &log, const GameList &games, qsizetype i);

} // namespace norva

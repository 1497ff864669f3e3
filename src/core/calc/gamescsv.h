#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace norva {

class CalcResults;
class GameList;

// The record as CSV for spreadsheet programs (RFC 4180): a header row, a field
// quoted only when it holds a comma, a double quote, CR or LF (its quotes
// doubled), numbers plain ("-23", no "+"), every record ended by CR LF.
namespace csv {

// The columns of the game list, as its header row names them.
const QStringList &gameColumns();
// The fields of game i, in the order of gameColumns().
QStringList gameFields(const GameList &games, qsizetype i);

// One field as written; one record with its CR LF.
QString field(QStringView text);
QString record(const QStringList &fields);

// The game list: the header row, then one record per game.
QString gamesText(const GameList &games);
// The totals and the other figures of the record: "項目,値", then one record
// per figure (those with an index as "RankCount(1)"), then the extra figures
// (Wins ... RecordedHands), as norva-calc --json names them; the per-game
// series are left to the game list, the opponents and table kinds to their
// tables.
QString totalsText(const CalcResults &results);

// The bytes of a CSV file: UTF-8 with a byte-order mark, so that the common
// spreadsheet programs read Japanese text right, or Shift_JIS (CP932).
enum class Encoding { Utf8WithMark, ShiftJis };
struct Bytes
{
    QByteArray data;
    // Characters without a Shift_JIS code were written as "?".
    bool lossy = false;
};
Bytes encode(const QString &text, Encoding encoding);

} // namespace csv
} // namespace norva

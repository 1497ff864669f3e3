#include "core/calc/gamescsv.h"

#include "core/calc/calcresults.h"
#include "core/calc/gamelist.h"
#include "core/common/cp932.h"

namespace norva::csv {

const QStringList &gameColumns()
{
    static const QStringList columns{
        QStringLiteral("開始日時"), QStringLiteral("卓"),     QStringLiteral("順位"),
        QStringLiteral("得点"),     QStringLiteral("レート"), QStringLiteral("局数"),
        QStringLiteral("和了"),     QStringLiteral("放銃"),
    };
    return columns;
}

QStringList gameFields(const GameList &games, qsizetype i)
{
    const GameList::Game &g = games.at(i);
    return {games.startText(i),       games.tableText(i),        QString::number(g.rank),
            QString::number(g.score), QString::number(g.rating), QString::number(g.hands),
            QString::number(g.wins),  QString::number(g.dealIns)};
}

QString field(QStringView text)
{
    const bool quoted =
        text.contains(u',') || text.contains(u'"') || text.contains(u'\r') || text.contains(u'\n');
    if (!quoted)
        return text.toString();
    QString out = text.toString();
    out.replace(u'"', QStringLiteral("\"\""));
    return u'"' + out + u'"';
}

QString record(const QStringList &fields)
{
    QString out;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out += u',';
        out += field(fields[i]);
    }
    return out + QStringLiteral("\r\n");
}

QString gamesText(const GameList &games)
{
    QString out = record(gameColumns());
    // About 50 characters a game.
    out.reserve(out.size() + games.size() * 56);
    for (qsizetype i = 0; i < games.size(); ++i)
        out += record(gameFields(games, i));
    return out;
}

QString totalsText(const CalcResults &results)
{
    QString out = record({QStringLiteral("項目"), QStringLiteral("値")});
    for (qint16 kind = 0; kind <= 26; ++kind) {
        qint32 indexes = 0; // a single figure
        switch (kind) {
        case calc::ScoreSeries:
        case calc::RankSeries:
        case calc::RatingSeries:
        case calc::ScoreSumSeries:
            continue; // game by game in the game list
        case calc::RankCount:
        case calc::RankRunMax:
            indexes = 5;
            break;
        case calc::WinByHan:
            indexes = 9;
            break;
        default:
            break;
        }
        const QString name = calcKindName(kind);
        if (indexes == 0)
            out += record({name, QString::number(results.value(kind).toInt())});
        for (qint32 i = 0; i < indexes; ++i)
            out += record({name + QStringLiteral("(%1)").arg(i),
                           QString::number(results.value(kind, i).toInt())});
    }
    const ExtraFigures &x = results.extra();
    const std::pair<const char16_t *, qint64> extra[] = {
        {u"Wins", x.wins()},
        {u"WinPoints", x.winPoints()},
        {u"DealIns", x.dealIns()},
        {u"DealInPoints", x.dealInPoints()},
        {u"TsumoLosses", x.tsumoLosses()},
        {u"TsumoLossPoints", x.tsumoLossPoints()},
        {u"RiichiHands", x.riichiHands()},
        {u"CallHands", x.callHands()},
        {u"RecordedHands", x.recordedHands()},
    };
    for (const auto &[name, value] : extra)
        out += record({QString::fromUtf16(name), QString::number(value)});
    return out;
}

Bytes encode(const QString &text, Encoding encoding)
{
    Bytes out;
    if (encoding == Encoding::Utf8WithMark) {
        out.data = QByteArrayLiteral("\xEF\xBB\xBF") + text.toUtf8();
        return out;
    }
    if (std::optional<QByteArray> exact = cp932::encode(text)) {
        out.data = std::move(*exact);
        return out;
    }
    out.data = cp932::encodeLossy(text);
    out.lossy = true;
    return out;
}

} // namespace norva::csv

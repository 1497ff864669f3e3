// The results report and the printed results column.

#include "core/calc/resultsreport.h"

#include "core/calc/calcresults.h"

#include "core/common/convert.h"
#include "core/common/cp932.h"
#include "core/common/datetime.h"
#include "core/settings/settings.h"
#include "core/tables/tableinfo.h"

namespace norva {

namespace {

QString plain(qint32 n)
{
    return QString::number(n);
}

// count / total * 100 as a whole number; the caller makes sure total is not 0.
QString share(qint32 count, qint32 total)
{
    return formatShare(double(count) / double(total) * 100.0);
}

// The label of the first entry of list whose id is kind; empty when none is.
QString tableLabel(const TableList &list, qint32 kind)
{
    for (const TableEntry &e : list)
        if (e.tableId() == kind)
            return e.tableString();
    return {};
}

} // namespace

ResultsReport::ResultsReport(const CalcResults &results, const Settings &settings,
                             const TableInfo &tables)
    : m_results(results)
    , m_settings(settings)
    , m_tables(tables)
{}

QString ResultsReport::tableLine(const Settings &settings, const TableInfo &tables)
{
    QString text = tableLabel(tables.choices(1), settings.tableKind(1));
    for (const TableEntry &e : tables.choices(2)) {
        if (e.tableId() == settings.tableKind(2)) {
            text = text.isEmpty() ? e.tableString() : text + u'，' + e.tableString();
            break;
        }
    }
    return QStringLiteral("卓情報： ") + text;
}

QString ResultsReport::dateRangeLine(const Settings &settings)
{
    if (!settings.specifyDate())
        return QStringLiteral("計算日付： 指定なし");
    return QStringLiteral("計算日付： ") + formatDateYmd(settings.startDate()) + u' '
           + formatTimeHn(settings.startTime()) + QStringLiteral(" ～ ")
           + formatDateYmd(settings.endDate()) + u' ' + formatTimeHn(settings.endTime());
}

// The lines both the report and the printout are made of. Raises
// DivisionByZero when no game was counted.
QList<ResultsReport::Line> ResultsReport::build() const
{
    const CalcResults &res = m_results;
    const qint32 games = res.gameCount();
    if (games == 0)
        raise(ErrorKind::DivisionByZero);
    QList<Line> out;
    auto add = [&](const QString &text) {
        out.append({LineKind::Text, text});
    };
    auto empty = [&] {
        out.append({LineKind::Empty, {}});
    };

    add(QStringLiteral("ユーザー名： ") + m_settings.userName());
    out.append({LineKind::Dates, dateRangeLine(m_settings)});
    add(tableLine(m_settings, m_tables));
    empty();

    add(QStringLiteral("試合数： ") + padLeft(plain(games), 8) + QStringLiteral(" 回"));
    add(QStringLiteral("　総合得点： ") + padLeft(plain(res.scoreTotal()), 8)
        + QStringLiteral(" 点"));
    add(QStringLiteral("　平均順位： ")
        + padLeft(formatAverage(double(res.rankTotal()) / double(games)), 8)
        + QStringLiteral(" 位"));
    add(QStringLiteral("　最高得点： ") + padLeft(plain(res.scoreMax()), 8)
        + QStringLiteral(" 点"));
    add(QStringLiteral("　最低得点： ") + padLeft(plain(res.scoreMin()), 8)
        + QStringLiteral(" 点"));
    add(QStringLiteral("　平均得点： ")
        + padLeft(formatAverage(double(res.scoreTotal()) / double(games)), 8)
        + QStringLiteral(" 点"));
    for (int r = 1; r <= 4; ++r) {
        const qint32 count = res.rankCount(r - 1);
        add(u'　' + QChar(char16_t(u'０' + r)) + QStringLiteral("位(")
            + padLeft(share(count, games), 3) + QStringLiteral("%)： ") + padLeft(plain(count), 5)
            + QStringLiteral(" 回, 連続 ") + padLeft(plain(res.rankRunMax(r - 1)), 5)
            + QStringLiteral(" 回"));
    }
    empty();

    const qint32 hands = res.counter(calc::HandCount);
    add(QStringLiteral("総局数： ") + plain(hands));
    static const struct
    {
        const char16_t *label;
        calc::Kind kind;
    } outcomes[] = {
        {u"　本人： ツモ　　(", calc::OwnTsumo},    {u"　　　　 ロン　　(", calc::OwnRon},
        {u"　　　　 チョンボ(", calc::OwnChombo},   {u"　他人： ツモ　　(", calc::OtherTsumo},
        {u"　　　　 ロン　　(", calc::OtherRon},    {u"　　　　 チョンボ(", calc::OtherChombo},
        {u"　流局： プラス　(", calc::DrawPlus},    {u"　　　　 マイナス(", calc::DrawMinus},
        {u"　　　　 その他　(", calc::OtherResult},
    };
    for (const auto &o : outcomes) {
        const qint32 count = res.counter(o.kind);
        // Without any hand there is no share to work out: "(0%)", as the han
        // class lines write it.
        const QString pct = hands > 0 ? padLeft(share(count, hands), 3) : QStringLiteral("0");
        add(QString::fromUtf16(o.label) + pct + QStringLiteral("%)") + padLeft(plain(count), 5)
            + u'回');
    }
    empty();

    const qint32 wins = res.counter(calc::WinHanCount);
    add(QStringLiteral("総あがり数： ") + plain(wins));
    const qint16 yakuLast = m_tables.yakuLast();
    for (qint16 i = 0; i <= yakuLast; ++i) {
        QString name = trimSpaces(m_tables.yakuString(i)).toString();
        if (name.size() < 5)
            name += QString(5 - name.size(), u'　');
        const qint32 count = res.winByHan(i);
        const QString pct = wins > 0 ? u'(' + padLeft(share(count, wins), 3) + QStringLiteral("%)")
                                     : QStringLiteral("(0%)");
        out.append({LineKind::HanClass, name + pct + padLeft(plain(count), 5) + u'回'});
    }
    return out;
}

QStringList ResultsReport::lines() const
{
    QStringList lines;
    for (const Line &l : build())
        lines.append(l.kind == LineKind::HanClass ? u'　' + l.text : l.text);
    return lines;
}

QList<PrintLine> ResultsReport::printLines() const
{
    QList<PrintLine> lines;
    for (const Line &l : build()) {
        switch (l.kind) {
        case LineKind::Text:
            lines.append({l.text, false});
            break;
        case LineKind::Dates: {
            // Both ends of the range when it is used; else the report's own
            // line: no range is claimed that was not applied.
            if (!m_settings.specifyDate()) {
                lines.append({l.text, false});
                break;
            }
            const QDateTime start(m_settings.startDate(), m_settings.startTime(), Qt::UTC);
            const QDateTime end(m_settings.endDate(), m_settings.endTime(), Qt::UTC);
            lines.append({QStringLiteral("計算日付： ") + formatDateTimeYmdHn(start), false});
            lines.append({QStringLiteral("　　　　　 ～ ") + formatDateTimeYmdHn(end), false});
            break;
        }
        case LineKind::Empty:
            lines.append({QString(), true});
            break;
        case LineKind::HanClass:
            lines.append({QStringLiteral("  ") + l.text, false});
            break;
        }
    }
    return lines;
}

QByteArray ResultsReport::bytes() const
{
    QByteArray out;
    for (const QString &line : lines())
        out += cp932::encodeLossy(line) + "\r\n";
    return out;
}

bool ResultsReport::save(const QString &path, const RetryPrompt &prompt,
                         const QStringList &protect) const
{
    // The report is made completely before anything is written, and the old
    // file is replaced only by a complete new one; Retry starts over.
    for (;;) {
        QByteArray data;
        try {
            data = bytes();
        } catch (const Error &e) {
            if (!prompt || !prompt(Error(e.kind(), path)))
                return false;
            continue;
        }
        return writeFileSafely(path, data, prompt, protect);
    }
}

} // namespace norva

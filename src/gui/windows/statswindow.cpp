#include "gui/windows/statswindow.h"

#include "core/calc/calcresults.h"
#include "core/calc/extrarates.h"
#include "core/common/convert.h"
#include "core/tables/tableinfo.h"
#include "gui/widgets/figuretable.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSortFilterProxyModel>
#include <QVBoxLayout>

namespace norva {

namespace {

const QString Dash = QStringLiteral("—");

// The opponents: the first TopOpponents rows (the most games) while the
// filter is empty, else every name that holds its text.
class OpponentFilter final : public QSortFilterProxyModel
{
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

    void setText(const QString &text)
    {
        m_text = text.trimmed();
        invalidateFilter();
    }

protected:
    bool filterAcceptsRow(int row, const QModelIndex &parent) const override
    {
        if (m_text.isEmpty())
            return row < StatsWindow::TopOpponents;
        const QString name = sourceModel()->index(row, 0, parent).data().toString();
        return name.contains(m_text, Qt::CaseInsensitive);
    }

private:
    QString m_text;
};

QSortFilterProxyModel *sorted(QSortFilterProxyModel *proxy, FigureTableModel *source)
{
    proxy->setSourceModel(source);
    proxy->setSortRole(FigureTableModel::SortRole);
    proxy->setSortLocaleAware(false);
    return proxy;
}

FigureCell number(qint64 n)
{
    return {QString::number(n), n};
}

// A share in percent with one decimal, halves away from zero.
QString percent(double share)
{
    return formatFixed(share * 100.0, 1) + u'%';
}

QList<FigureCell> rateRow(const ExtraRate &r)
{
    // Shares in percent, the average rank with three decimals, points whole.
    auto text = [&](double v) {
        switch (r.kind) {
        case ExtraRate::Kind::Share:
            return percent(v);
        case ExtraRate::Kind::AverageRank:
            return formatAverage(v);
        case ExtraRate::Kind::AveragePoints:
            break;
        }
        return formatFixed(v, 0);
    };
    // Nothing to take a figure over: "—"; a figure without an interval
    // (points, a single game): its interval cells stay empty.
    auto cell = [&](std::optional<double> v) -> FigureCell {
        if (!v)
            return {r.value ? QString() : Dash, -1.0};
        return {text(*v), *v};
    };
    return {
        {r.name},
        cell(r.value),
        cell(r.interval ? std::optional<double>(r.interval->low) : std::nullopt),
        cell(r.interval ? std::optional<double>(r.interval->high) : std::nullopt),
        number(r.part),
        number(r.whole),
    };
}

// Games, rank total, average rank, score total and average score.
QList<FigureCell> tallyCells(const GameTally &t)
{
    auto mean = [&](qint64 total, bool rank) -> FigureCell {
        if (t.games == 0)
            return {Dash, -1e9};
        const double v = double(total) / double(t.games);
        return {rank ? formatAverage(v) : formatFixed(v, 1), v};
    };
    return {number(t.games), number(t.rankTotal), mean(t.rankTotal, true), number(t.scoreTotal),
            mean(t.scoreTotal, false)};
}

QLabel *heading(const QString &text, QWidget *buddy, QWidget *parent)
{
    auto *l = new QLabel(text, parent);
    l->setBuddy(buddy);
    return l;
}

} // namespace

StatsWindow::StatsWindow(QMdiArea *area, const CalcResults &results, const TableInfo &tables)
    : ChildWindow(area, QStringLiteral("frmStats"), QStringLiteral("詳細成績"))
    , m_results(results)
    , m_tables(tables)
{}

void StatsWindow::onLoad()
{
    QWidget *f = client();
    auto *layout = new QVBoxLayout(f);

    m_rates = new FigureTableModel({QStringLiteral("項目"), QStringLiteral("値"),
                                    QStringLiteral("95%区間 下限"), QStringLiteral("95%区間 上限"),
                                    QStringLiteral("件数・合計"), QStringLiteral("母数")},
                                   f);
    const QStringList tally{QStringLiteral("対戦数"), QStringLiteral("順位合計"),
                            QStringLiteral("平均順位"), QStringLiteral("得点合計"),
                            QStringLiteral("平均得点")};
    m_opponents = new FigureTableModel(QStringList{QStringLiteral("名前")} + tally, f);
    m_tableKinds = new FigureTableModel(
        QStringList{QStringLiteral("卓の種類"), QStringLiteral("グループ"), QStringLiteral("ID")}
            + tally,
        f);

    auto view = [&](const QString &name, const QString &caption, QSortFilterProxyModel *proxy) {
        auto *v = new FigureTableView(f);
        v->setObjectName(name);
        v->setModel(proxy);
        v->setAccessibleName(caption);
        return v;
    };
    FigureTableView *rates = view(QStringLiteral("tblStatsRates"), QStringLiteral("成績"),
                                  sorted(new QSortFilterProxyModel(f), m_rates));
    auto *filter = new OpponentFilter(f);
    m_opponentFilter = sorted(filter, m_opponents);
    FigureTableView *opponents =
        view(QStringLiteral("tblStatsOpponents"), QStringLiteral("対戦相手"), filter);
    FigureTableView *kinds = view(QStringLiteral("tblStatsTableKinds"), QStringLiteral("卓の種類"),
                                  sorted(new QSortFilterProxyModel(f), m_tableKinds));

    m_filter = new QLineEdit(f);
    m_filter->setObjectName(QStringLiteral("txtStatsFilter"));
    m_filter->setClearButtonEnabled(true);
    m_filter->setPlaceholderText(QStringLiteral("名前で絞り込み"));
    m_opponentCount = new QLabel(f);
    m_opponentCount->setObjectName(QStringLiteral("lblStatsOpponents"));
    QObject::connect(m_filter, &QLineEdit::textChanged, f, [this, filter](const QString &text) {
        filter->setText(text);
        showOpponentCount();
    });

    layout->addWidget(heading(QStringLiteral("成績 (95%信頼区間)(&S)"), rates, f));
    layout->addWidget(rates, 3);
    auto *row = new QHBoxLayout;
    row->addWidget(heading(QStringLiteral("対戦相手(&O)"), opponents, f));
    row->addStretch();
    row->addWidget(m_opponentCount);
    row->addWidget(heading(QStringLiteral("絞り込み(&F):"), m_filter, f));
    row->addWidget(m_filter);
    layout->addLayout(row);
    layout->addWidget(opponents, 3);
    layout->addWidget(heading(QStringLiteral("卓の種類(&K)"), kinds, f));
    layout->addWidget(kinds, 2);

    setOuterSize(9600, 9600);
    refresh();
}

void StatsWindow::refresh()
{
    if (!isOpen() || !m_rates)
        return;
    QList<QList<FigureCell>> rows;
    for (const ExtraRate &r : extraRates(m_results))
        rows << rateRow(r);
    m_rates->setRows(rows);

    const ExtraFigures &x = m_results.extra();
    rows.clear();
    for (const OpponentTally &o : x.opponents())
        rows << QList<FigureCell>{{o.name}} + tallyCells(o.tally);
    m_opponents->setRows(rows);

    rows.clear();
    for (const TableKindTally &k : x.tableKinds(m_tables))
        rows << QList<FigureCell>{{k.text}, number(k.group), number(k.id)} + tallyCells(k.tally);
    m_tableKinds->setRows(rows);
    showOpponentCount();
}

void StatsWindow::showOpponentCount()
{
    if (!m_opponentCount || !m_opponents || !m_opponentFilter)
        return;
    const int all = m_opponents->rowCount();
    const int shown = m_opponentFilter->rowCount();
    m_opponentCount->setText(shown == all
                                 ? QStringLiteral("%1人").arg(all)
                                 : QStringLiteral("%1人中 %2人を表示").arg(all).arg(shown));
}

} // namespace norva

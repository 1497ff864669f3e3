// The window of detailed figures: the same figures as norva-calc --json
// "Extra" on the bundled sample, the opponents' filter, cells named for screen
// readers, copying, and being remembered without touching the other settings.

#include "guiutil.h"

#include "cli/calccommand.h"
#include "core/calc/calcresults.h"
#include "core/settings/settings.h"
#include "gui/widgets/figuretable.h"
#include "gui/windows/statswindow.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QSortFilterProxyModel>

using namespace norva;
using namespace Qt::StringLiterals;

namespace {

// The cells of a model's rows as text, and the numbers behind them.
QStringList rowTexts(const FigureTableModel *m, QList<int> columns)
{
    QStringList out;
    for (const QList<FigureCell> &row : m->rows()) {
        QStringList cells;
        for (const int c : columns)
            cells << row.value(c).text;
        out << cells.join(u' ');
    }
    return out;
}

} // namespace

class TestStatsWindow : public QObject
{
    Q_OBJECT

    std::unique_ptr<testutil::ProgramDir> m_dir;
    QPointer<MainWindow> m_main;

    StatsWindow &stats() { return m_main->statsWindow(); }

private slots:
    void initTestCase()
    {
        guiutil::answerWithDefaults();
        m_dir = std::make_unique<testutil::ProgramDir>();
        guiutil::copySample(*m_dir);
        m_main = guiutil::start();
        QVERIFY(m_main);
        QVERIFY(guiutil::results().gameCount() > 0);
        QVERIFY(!stats().isOpen()); // closed by default
        m_main->runToolbarButton(u"StatsWindow"_s);
        QVERIFY(stats().isOpen());
        QVERIFY(m_main->findChild<FigureTableView *>(u"tblStatsRates"_s));
    }
    void cleanupTestCase()
    {
        QVERIFY(guiutil::finish(m_main));
        m_dir.reset();
    }

    void sameFiguresAsTheCommandLine()
    {
        QByteArray json;
        {
            QByteArray err;
            QTextStream out(&json), errors(&err);
            Session session(m_dir->locations());
            QCOMPARE(cli::runCalc({u"--json"_s}, out, errors, session), 0);
        }
        const QJsonObject o = QJsonDocument::fromJson(json).object();
        const QJsonObject x = o.value(u"Extra"_s).toObject();
        auto n = [&](const QJsonObject &from, const QString &key) {
            return QString::number(from.value(key).toInteger());
        };
        auto rank = [&](int i) {
            return o.value(u"RankCount"_s).toArray().at(i).toInteger();
        };
        const QString games = n(o, u"GameCount"_s), hands = n(o, u"HandCount"_s);
        const QString wins = n(x, u"Wins"_s), recorded = n(x, u"RecordedHands"_s);
        QStringList expected{
            u"和了率 "_s + wins + u' ' + hands,
            u"放銃率 "_s + n(x, u"DealIns"_s) + u' ' + hands,
            u"被ツモ率 "_s + n(x, u"TsumoLosses"_s) + u' ' + hands,
            u"ツモ和了率 "_s + n(o, u"OwnTsumo"_s) + u' ' + wins,
            u"立直率 "_s + n(x, u"RiichiHands"_s) + u' ' + recorded,
            u"副露率 "_s + n(x, u"CallHands"_s) + u' ' + recorded,
            u"トップ率 %1 "_s.arg(rank(0)) + games,
            u"連対率 %1 "_s.arg(rank(0) + rank(1)) + games,
            u"ラス回避率 %1 "_s.arg(games.toLongLong() - rank(3)) + games,
            u"平均順位 "_s + n(o, u"RankTotal"_s) + u' ' + games,
            u"平均和了点 "_s + n(x, u"WinPoints"_s) + u' ' + wins,
            u"平均放銃点 "_s + n(x, u"DealInPoints"_s) + u' ' + n(x, u"DealIns"_s),
        };
        QCOMPARE(rowTexts(stats().ratesModel(), {0, 4, 5}), expected);

        expected.clear();
        for (const QJsonValue &v : x.value(u"Opponents"_s).toArray()) {
            const QJsonObject p = v.toObject();
            expected << p.value(u"Name"_s).toString() + u' ' + n(p, u"Games"_s) + u' '
                            + n(p, u"RankTotal"_s) + u' ' + n(p, u"ScoreTotal"_s);
        }
        QVERIFY(!expected.isEmpty());
        QCOMPARE(rowTexts(stats().opponentsModel(), {0, 1, 2, 4}), expected);

        expected.clear();
        for (const QJsonValue &v : x.value(u"TableKinds"_s).toArray()) {
            const QJsonObject k = v.toObject();
            expected << n(k, u"Group"_s) + u' ' + n(k, u"Id"_s) + u' ' + n(k, u"Games"_s) + u' '
                            + n(k, u"RankTotal"_s) + u' ' + n(k, u"ScoreTotal"_s);
        }
        QCOMPARE(rowTexts(stats().tableKindsModel(), {1, 2, 3, 4, 6}), expected);
    }

    void shownAsTheyRead()
    {
        // 10 of 100 would read 10.0% (5.5%–17.4%); the sample's own rows read
        // as the model's cells, "—" where nothing is taken over.
        const QList<FigureCell> dealIns = stats().ratesModel()->rows().at(1);
        QVERIFY(dealIns.at(1).text.endsWith(u'%'));
        QVERIFY(dealIns.at(2).sortKey.toDouble() < dealIns.at(1).sortKey.toDouble());
        QVERIFY(dealIns.at(3).sortKey.toDouble() > dealIns.at(1).sortKey.toDouble());
        auto *view = m_main->findChild<FigureTableView *>(u"tblStatsRates"_s);
        const QModelIndex cell = view->model()->index(1, 1);
        QCOMPARE(cell.data(Qt::AccessibleTextRole).toString(),
                 u"放銃率 値: "_s + dealIns.at(1).text);
        QVERIFY(view->copyText().startsWith(u"項目\t値\t95%区間 下限\t95%区間 上限\t"_s));
        QCOMPARE(view->copyText().count(u'\n'), stats().ratesModel()->rowCount() + 1);
    }

    void opponentsBeyondTwentyBehindTheFilter()
    {
        // 8 games with 3 others each, 24 names; the first game's met twice.
        QStringList log;
        for (int g = 0; g < 8; ++g) {
            const int a = g == 7 ? 0 : 3 * g;
            log << u"===== 東風戦：一般卓 1卓 開始 2009/04/01 21:00 ====="_s
                << u"  持点25000 [1]かもめ R1600 [2]P%1 R1 [3]P%2 R1 [4]Q%3 R1"_s
                       .arg(a, 2, 10, QChar(u'0'))
                       .arg(a + 1, 2, 10, QChar(u'0'))
                       .arg(g)
                << u"  ---- 試合結果 ----"_s << u"  1位 かもめ          +40"_s
                << u"----- 1卓 終了 2009/04/01 21:30 -----"_s;
        }
        QVERIFY(testutil::writeAll(m_dir->file(u"MjScore.txt"_s), testutil::cp932Lines(log)));
        guiutil::settings().setValue(Settings::SpecifyDate, false);
        guiutil::settings().setValue(Settings::TableKind1, 0x7FFF);
        guiutil::settings().setValue(Settings::TableKind2, 0x7FFF);
        m_main->calculation().calculate();
        QCOMPARE(guiutil::results().gameCount(), 8);
        QCOMPARE(stats().opponentsModel()->rowCount(), 22);
        auto *view = m_main->findChild<FigureTableView *>(u"tblStatsOpponents"_s);
        QCOMPARE(view->model()->rowCount(), StatsWindow::TopOpponents);
        QCOMPARE(view->model()->index(0, 0).data().toString(), u"P00"_s); // two games
        auto *filter = m_main->findChild<QLineEdit *>(u"txtStatsFilter"_s);
        filter->setText(u"q"_s);
        QCOMPARE(view->model()->rowCount(), 8);
        filter->clear();
        QCOMPARE(view->model()->rowCount(), StatsWindow::TopOpponents);
    }

    void rememberedOnlyWhenOpen()
    {
        m_main->recordOpenWindows();
        QVERIFY(guiutil::settings().fileBytes().contains("\r\nStatsWindow=True\r\n"));
        QVERIFY(stats().unload());
        m_main->recordOpenWindows();
        QVERIFY(!guiutil::settings().fileBytes().contains("StatsWindow"));
        Settings defaults;
        QVERIFY(!defaults.fileBytes().contains("StatsWindow"));
    }
};

QTEST_MAIN(TestStatsWindow)
#include "tst_statswindow.moc"

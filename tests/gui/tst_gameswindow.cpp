// The window 試合一覧 and the exports of the record.

#include "guiutil.h"

#include "cli/calccommand.h"
#include "core/calc/calcresults.h"
#include "core/calc/gamescsv.h"
#include "core/common/convert.h"
#include "gui/windows/gamesmodel.h"
#include "gui/windows/gameswindow.h"

#include "csvparse.h"
#include "scorelog.h"

#include <QAccessible>
#include <QAccessibleTableInterface>
#include <QAction>
#include <QCheckBox>
#include <QDateEdit>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableView>

using namespace norva;
using namespace Qt::StringLiterals;

namespace {

const QString Sample = QStringLiteral(NORVA_SOURCE_DATA "/MjScore.txt");

// Five games of かもめ on the days 2 to 6 of April 2009, the second and the
// fourth at 東南戦 tables.
QStringList fiveGames()
{
    QStringList lines = scorelog::games(u"2:+30 1:-5 4:-40 3:+2 1:+45"_s);
    int header = 0;
    for (QString &l : lines)
        if (l.startsWith(u"====="_s) && ++header % 2 == 0)
            l.replace(u"東風戦"_s, u"東南戦"_s);
    return lines;
}

// The bundled table definitions, a log, and settings for かもめ without a date
// range that calculate at start.
void prepare(const testutil::ProgramDir &dir, const QByteArray &log, const QStringList &extra = {})
{
    guiutil::copyTables(dir);
    QVERIFY(testutil::writeAll(dir.file(u"MjScore.txt"_s), log));
    guiutil::writeSettings(dir, QStringList{u"UserName=かもめ"_s, u"SpecifyDate=False"_s,
                                            u"AutoCalc=True"_s, u"VisibleWindow=0"_s}
                                    + extra);
}

// A column of the rows as shown.
QStringList column(QTableView *table, int c)
{
    QStringList out;
    for (int r = 0; r < table->model()->rowCount(); ++r)
        out << table->model()->index(r, c).data().toString();
    return out;
}

} // namespace

class TestGamesWindow : public QObject
{
    Q_OBJECT

    QPointer<MainWindow> m_main;
    QString m_answer;      // the file the save dialogs choose, empty: Cancel
    int m_filter = 0;      // the filter they choose
    QStringList m_answers; // files chosen before m_answer, one per dialog

    GamesWindow &games() { return m_main->gamesWindow(); }

private slots:
    void initTestCase()
    {
        guiutil::dialogs().file = [this](QFileDialog &dialog) {
            dialog.selectNameFilter(dialog.nameFilters().value(m_filter));
            return m_answers.isEmpty() ? m_answer : m_answers.takeFirst();
        };
    }
    void init()
    {
        guiutil::answerWithDefaults();
        msgbox::clearShownBoxes();
        m_filter = 0;
        m_answers.clear();
    }
    void cleanup() { QVERIFY(guiutil::finish(m_main)); }

    void listFollowsTheResults()
    {
        // Opened at start as the last run left it; one row per game with the
        // series' values; cells named with their column; the line under the
        // table totals them.
        testutil::ProgramDir dir;
        prepare(dir, testutil::readAll(Sample), {u"GamesWindow=True"_s});
        m_main = guiutil::start();
        QVERIFY(m_main && games().isOpen());
        const CalcResults &r = guiutil::results();
        QTableView *table = games().table();
        QCOMPARE(table->model()->rowCount(), r.gameCount());
        QVERIFY(r.gameCount() > 100);
        for (int row = 0; row < r.gameCount(); ++row) {
            auto cell = [&](int c) {
                return table->model()->index(row, c).data().toInt();
            };
            QCOMPARE(cell(GamesModel::Rank), r.value(calc::RankSeries, row).toInt());
            QCOMPARE(cell(GamesModel::Score), r.value(calc::ScoreSeries, row).toInt());
            QCOMPARE(cell(GamesModel::Rating), r.value(calc::RatingSeries, row).toInt());
        }
        QCOMPARE(games().totalsLabel()->text(),
                 u"表示 %1 / %1 試合　平均順位 %2　得点合計 %3"_s.arg(r.gameCount())
                     .arg(formatAverage(double(r.value(calc::RankTotal).toInt()) / r.gameCount()))
                     .arg(r.value(calc::ScoreTotal).toInt()));
        QAccessibleInterface *view = QAccessible::queryAccessibleInterface(table);
        QVERIFY(view && view->tableInterface());
        QAccessibleInterface *cell = view->tableInterface()->cellAt(0, GamesModel::Score);
        QVERIFY(cell);
        QCOMPARE(cell->text(QAccessible::Name),
                 u"得点 "_s + QString::number(r.value(calc::ScoreSeries, 0).toInt()));

        // Remembered at exit in a setting of its own.
        QVERIFY(guiutil::finish(m_main));
        QVERIFY(testutil::readAll(dir.file(u"norva.ini"_s)).contains("GamesWindow=True"));
    }

    void sortAndFilter_data()
    {
        QTest::addColumn<int>("sortColumn"); // -1: as the log has them
        QTest::addColumn<bool>("descending");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("period"); // first|last day, empty: none
        QTest::addColumn<QStringList>("scores");
        QTest::addColumn<QString>("totals");
        const QString all = u"表示 5 / 5 試合　平均順位 2.200　得点合計 32"_s;
        QTest::newRow("log order")
            << -1 << false << QString() << QString()
            << QStringList{u"30"_s, u"-5"_s, u"-40"_s, u"2"_s, u"45"_s} << all;
        QTest::newRow("by score") << int(GamesModel::Score) << false << QString() << QString()
                                  << QStringList{u"-40"_s, u"-5"_s, u"2"_s, u"30"_s, u"45"_s}
                                  << all;
        QTest::newRow("by start, latest first")
            << int(GamesModel::Start) << true << QString() << QString()
            << QStringList{u"45"_s, u"2"_s, u"-40"_s, u"-5"_s, u"30"_s} << all;
        QTest::newRow("by rank, ties in log order")
            << int(GamesModel::Rank) << false << QString() << QString()
            << QStringList{u"-5"_s, u"45"_s, u"30"_s, u"2"_s, u"-40"_s} << all;
        QTest::newRow("by table") << int(GamesModel::Table) << false << QString() << QString()
                                  << QStringList{u"-5"_s, u"2"_s, u"30"_s, u"-40"_s, u"45"_s}
                                  << all;
        QTest::newRow("table text")
            << -1 << false << u"東南"_s << QString() << QStringList{u"-5"_s, u"2"_s}
            << u"表示 2 / 5 試合　平均順位 2.000　得点合計 -3"_s;
        QTest::newRow("days") << -1 << false << QString() << u"2009/04/03|2009/04/04"_s
                              << QStringList{u"-5"_s, u"-40"_s}
                              << u"表示 2 / 5 試合　平均順位 2.500　得点合計 -45"_s;
        QTest::newRow("both, none left") << -1 << false << u"東南"_s << u"2009/04/04|2009/04/04"_s
                                         << QStringList{} << u"表示 0 / 5 試合"_s;
    }
    void sortAndFilter()
    {
        QFETCH(int, sortColumn);
        QFETCH(bool, descending);
        QFETCH(QString, text);
        QFETCH(QString, period);
        testutil::ProgramDir dir;
        prepare(dir, testutil::cp932Lines(fiveGames()));
        m_main = guiutil::start();
        QVERIFY(m_main);
        m_main->run(Command::ShowGamesWindow);
        QTableView *table = games().table();
        QVERIFY(table);
        if (sortColumn >= 0)
            table->sortByColumn(sortColumn, descending ? Qt::DescendingOrder : Qt::AscendingOrder);
        QWidget *c = games().client();
        c->findChild<QLineEdit *>(u"txtGamesTable"_s)->setText(text);
        if (!period.isEmpty()) {
            const QStringList days = period.split(u'|');
            c->findChild<QDateEdit *>(u"dtpGamesFirst"_s)
                ->setDate(QDate::fromString(days[0], u"yyyy/MM/dd"_s));
            c->findChild<QDateEdit *>(u"dtpGamesLast"_s)
                ->setDate(QDate::fromString(days[1], u"yyyy/MM/dd"_s));
            c->findChild<QCheckBox *>(u"chkGamesPeriod"_s)->setChecked(true);
        }
        QTEST(column(table, GamesModel::Score), "scores");
        QTEST(games().totalsLabel()->text(), "totals");

        // A calculation again keeps the order and the filter.
        m_main->calculation().calculate();
        QTEST(column(table, GamesModel::Score), "scores");
    }

    void viewerShowsTheGameAndNoticesAChange()
    {
        testutil::ProgramDir dir;
        const QStringList log = fiveGames();
        prepare(dir, testutil::cp932Lines(log));
        m_main = guiutil::start();
        QVERIFY(m_main);
        m_main->run(Command::ShowGamesWindow);
        QTableView *table = games().table();
        // A double-click on the second row.
        const QPoint second = table->visualRect(table->model()->index(1, 1)).center();
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, second);
        QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, second);
        QVERIFY(games().gameWindow());
        const qsizetype from = log.indexOf(log.filter(u"2卓 開始"_s).value(0));
        const qsizetype to = log.indexOf(log.filter(u"2卓 終了"_s).value(0));
        QCOMPARE(games().gameWindow()->textView()->toPlainText(),
                 log.mid(from, to - from + 1).join(u'\n'));
        QVERIFY(games().gameWindow()->textView()->isReadOnly());
        QVERIFY(msgbox::shownBoxes().isEmpty());

        // The log rewritten in place since: said, not shown.
        QByteArray bytes = testutil::readAll(dir.file(u"MjScore.txt"_s));
        bytes.replace("21:00", "21:01");
        QFile f(dir.file(u"MjScore.txt"_s));
        QVERIFY(f.open(QIODevice::ReadWrite));
        f.write(bytes);
        f.close();
        delete games().gameWindow();
        table->setFocus();
        table->setCurrentIndex(table->model()->index(1, 0));
        QTest::keyClick(table, Qt::Key_Return);
        QVERIFY(!games().gameWindow());
        QCOMPARE(msgbox::shownBoxes().size(), 1);
        QVERIFY(msgbox::shownBoxes()[0].text.contains(u"スコアファイルが計算のあとで変わった"_s));
    }

    void exportsAsTheCommandLineWritesThem()
    {
        testutil::ProgramDir dir;
        prepare(dir, testutil::readAll(Sample));
        m_main = guiutil::start();
        QVERIFY(m_main);
        const QString log = dir.file(u"MjScore.txt"_s);
        const QByteArray before = testutil::readAll(log);

        // The game list, byte for byte what norva-calc --games-csv - writes.
        QByteArray cli;
        {
            Session session(dir.locations());
            QTextStream out(&cli), err(stderr);
            QCOMPARE(cli::runCalc({u"--games-csv"_s, u"-"_s}, out, err, session), 0);
            out.flush();
        }
        m_answer = dir.file(u"games.csv"_s);
        m_main->run(Command::ExportGames);
        QCOMPARE(testutil::readAll(m_answer), cli);

        // Shift_JIS on request.
        m_filter = 1;
        m_answer = dir.file(u"games-sjis.csv"_s);
        m_main->run(Command::ExportGames);
        QCOMPARE(cp932::decode(testutil::readAll(m_answer)), QString::fromUtf8(cli.mid(3)));

        // The totals, and the report for editors that take UTF-8 and LF.
        m_filter = 0;
        m_answer = dir.file(u"totals.csv"_s);
        m_main->run(Command::ExportTotals);
        bool ok = false;
        const QList<QStringList> totals =
            csvparse::parse(QString::fromUtf8(testutil::readAll(m_answer).mid(3)), &ok);
        QVERIFY(ok);
        QVERIFY(totals.contains(
            QStringList{u"GameCount"_s, QString::number(guiutil::results().gameCount())}));
        m_filter = 1;
        m_answer = dir.file(u"report.txt"_s);
        m_main->run(Command::SaveReport);
        QCOMPARE(testutil::readAll(m_answer),
                 (guiutil::session().report().lines().join(u'\n') + u'\n').toUtf8());
        QVERIFY(msgbox::shownBoxes().isEmpty());

        // Never onto the log: the dialog comes back until another file or
        // Cancel.
        m_filter = 0;
        m_answers = {log};
        m_answer.clear();
        m_main->run(Command::ExportGames);
        QCOMPARE(msgbox::shownBoxes().size(), 1);
        QVERIFY(msgbox::shownBoxes()[0].text.startsWith(log + u"\r\n"_s));
        QCOMPARE(testutil::readAll(log), before);
    }
};

QTEST_MAIN(TestGamesWindow)
#include "tst_gameswindow.moc"

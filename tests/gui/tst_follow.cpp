#include "guiutil.h"
#include "scorelog.h"

#include "core/calc/calcresults.h"
#include "core/settings/settings.h"
#include "gui/windows/graphwindow.h"
#include "gui/windows/statuswindow.h"

#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QMdiArea>
#include <QStatusBar>

using namespace norva;
using namespace Qt::StringLiterals;

// The results follow the score log while the program is open.
class TestFollow : public QObject
{
    Q_OBJECT

    static constexpr int Wait = 5000; // the poll stands in for missed events within this

    static QString logPath(const testutil::ProgramDir &dir) { return dir.file(u"MjScore.txt"_s); }
    static QByteArray log(const QString &games)
    {
        return testutil::cp932Lines(scorelog::games(games));
    }
    // Game number of the log's: the user's rank and score.
    static QByteArray game(int number, int rank, int score)
    {
        return testutil::cp932Lines(scorelog::game(number, rank, score));
    }
    static bool append(const QString &path, const QByteArray &bytes)
    {
        QFile f(path);
        return f.open(QIODevice::Append) && f.write(bytes) == bytes.size();
    }

    // A program folder whose log holds two games of かもめ (2nd and 1st), the
    // rank and graph windows open, calculated once.
    static QPointer<MainWindow> startCalculated(const testutil::ProgramDir &dir,
                                                const QStringList &extra = {})
    {
        guiutil::copyTables(dir);
        testutil::writeAll(logPath(dir), log(u"2:+30 1:-5"_s));
        guiutil::writeSettings(
            dir, QStringList{u"UserName=かもめ"_s, u"SpecifyDate=False"_s, u"VisibleWindow=18"_s}
                     + extra);
        QPointer<MainWindow> m = guiutil::start();
        if (m)
            m->calculation().calculate();
        return m;
    }
    static qint32 games() { return guiutil::results().gameCount(); }
    static QString label(MainWindow *m, const QString &name)
    {
        auto *l = m->findChild<QLabel *>(name);
        return l ? l->text() : u"(none)"_s;
    }
    static QString notice(MainWindow *m)
    {
        auto *l = m->findChild<QLabel *>(u"lblLogNotice"_s);
        return l && m->statusBar()->isVisible() ? l->text() : QString();
    }

private slots:
    void initTestCase() { guiutil::answerWithDefaults(); }
    void init() { msgbox::clearShownBoxes(); }

    void appendedGameShowsInPlace()
    {
        testutil::ProgramDir dir;
        QPointer<MainWindow> m = startCalculated(dir);
        QVERIFY(m);
        QVERIFY(m->calculation().isFollowing());
        QCOMPARE(label(m, u"lblAllNum"_s), u"2"_s);
        QCOMPARE(label(m, u"lblRankNum(0)"_s), u"1"_s);
        QMdiSubWindow *active = m->mdiArea()->activeSubWindow();
        QWidget *focus = QApplication::focusWidget();
        const qint64 picture = m->graphWindow().picture().cacheKey();

        // Half a game is not read; the rest of it is.
        const QByteArray third = game(3, 1, 40);
        const qsizetype half = third.indexOf("  ---- ");
        QVERIFY(append(logPath(dir), third.left(half)));
        QTest::qWait(400);
        QCOMPARE(games(), 2);
        QVERIFY(append(logPath(dir), third.mid(half)));
        QTRY_COMPARE_WITH_TIMEOUT(games(), 3, Wait);

        QCOMPARE(label(m, u"lblAllNum"_s), u"3"_s);
        QCOMPARE(label(m, u"lblRankNum(0)"_s), u"2"_s);
        QCOMPARE(label(m, u"lblScore"_s), u"65"_s);
        QVERIFY(m->graphWindow().picture().cacheKey() != picture);
        QVERIFY(msgbox::shownBoxes().isEmpty());
        QVERIFY(!m->findChild<StatusWindow *>());
        QCOMPARE(m->mdiArea()->activeSubWindow(), active);
        QCOMPARE(QApplication::focusWidget(), focus);
        QVERIFY(m->menuAction(u"mnuFileSave"_s)->isEnabled());
        QCOMPARE(notice(m), QString());
        QVERIFY(guiutil::finish(m));
    }

    // Following ends when switched off or when a full calculation fails, and
    // comes back, the results brought up to the log at once.
    void stopsAndComesBack_data()
    {
        QTest::addColumn<bool>("byMenu");
        QTest::newRow("View > Follow the log") << true;
        QTest::newRow("failed calculation") << false;
    }
    void stopsAndComesBack()
    {
        QFETCH(bool, byMenu);
        testutil::ProgramDir dir;
        QPointer<MainWindow> m = startCalculated(dir);
        QAction *item = m->menuAction(u"mnuViewFollow"_s);
        QVERIFY(item->isCheckable() && item->isChecked());
        if (byMenu) {
            item->trigger();
            QVERIFY(!item->isChecked());
        } else {
            guiutil::settings().setValue(Settings::UserName, u"だれでもない"_s);
            m->calculation().calculate();
            QCOMPARE(msgbox::shownBoxes().size(), 1);
            QVERIFY(item->isChecked());
        }
        QVERIFY(!m->calculation().isFollowing());
        QVERIFY(append(logPath(dir), game(3, 1, 40)));
        QTest::qWait(500);
        QCOMPARE(games(), byMenu ? 2 : 0);

        if (byMenu) {
            item->trigger();
        } else {
            guiutil::settings().setValue(Settings::UserName, u"かもめ"_s);
            m->calculation().calculate();
        }
        QCOMPARE(games(), 3);
        QVERIFY(m->calculation().isFollowing());
        QVERIFY(append(logPath(dir), game(4, 4, -40)));
        QTRY_COMPARE_WITH_TIMEOUT(games(), 4, Wait);
        QCOMPARE(msgbox::shownBoxes().size(), byMenu ? 0 : 1);
        QVERIFY(guiutil::finish(m));
    }

    // The setting is written only when off, after the other keys: the file of
    // a user who never switched it off is as it always was.
    void settingStoredOnlyWhenOff()
    {
        testutil::ProgramDir dir;
        const QString ini = dir.file(u"norva.ini"_s);
        QPointer<MainWindow> m = startCalculated(dir);
        m->menuAction(u"mnuViewFollow"_s)->trigger();
        QVERIFY(guiutil::finish(m));
        QVERIFY(testutil::readAll(ini).endsWith("\r\nFollowLog=False\r\n"));

        m = guiutil::start();
        QVERIFY(!m->menuAction(u"mnuViewFollow"_s)->isChecked());
        m->calculation().calculate();
        QVERIFY(!m->calculation().isFollowing());
        m->menuAction(u"mnuViewFollow"_s)->trigger();
        QVERIFY(m->calculation().isFollowing());
        QVERIFY(guiutil::finish(m));
        QVERIFY(!testutil::readAll(ini).contains("FollowLog"));
    }

    // A log that is gone or cannot be read is said once in the status bar,
    // the results standing; once it is back, following goes on.
    void lostLogSaidOnceAndFollowedAgain_data()
    {
        QTest::addColumn<bool>("removed");
        QTest::addColumn<QString>("said");
        QTest::newRow("renamed away") << true << u"スコアファイルが見つかりません。"_s;
        QTest::newRow("unreadable") << false << u"スコアファイルを読み込めません。"_s;
    }
    void lostLogSaidOnceAndFollowedAgain()
    {
        QFETCH(bool, removed);
        QFETCH(QString, said);
        const testutil::HonourPermissions honour;
        testutil::ProgramDir dir;
        QPointer<MainWindow> m = startCalculated(dir);
        const QString path = logPath(dir), away = dir.file(u"away.txt"_s);
        const QFileDevice::Permissions permissions = QFile::permissions(path);
        QVERIFY(removed ? QFile::rename(path, away) : QFile::setPermissions(path, {}));
        QTRY_VERIFY_WITH_TIMEOUT(notice(m).contains(said), Wait);
        QVERIFY(notice(m).startsWith(u"自動更新："_s));
        // Other changes in the folder say nothing new.
        testutil::writeAll(dir.file(u"other.txt"_s), "x");
        QTest::qWait(400);
        QVERIFY(notice(m).contains(said));
        QVERIFY(msgbox::shownBoxes().isEmpty());
        QCOMPARE(games(), 2);
        QCOMPARE(label(m, u"lblAllNum"_s), u"2"_s);
        QVERIFY(m->menuAction(u"mnuFileSave"_s)->isEnabled());

        QVERIFY(removed ? QFile::rename(away, path) : QFile::setPermissions(path, permissions));
        QVERIFY(append(path, game(3, 1, 40)));
        QTRY_COMPARE_WITH_TIMEOUT(games(), 3, Wait);
        QCOMPARE(notice(m), QString());
        QVERIFY(msgbox::shownBoxes().isEmpty());
        QVERIFY(guiutil::finish(m));
    }

    // A log replaced by a rename (a copy written beside it) is read anew, and
    // followed as it grows.
    void replacedByRename()
    {
        testutil::ProgramDir dir;
        QPointer<MainWindow> m = startCalculated(dir);
        const QString fresh = dir.file(u"fresh.txt"_s);
        QVERIFY(testutil::writeAll(fresh, log(u"4:-30 4:-20 1:+50 4:-10"_s)));
        QVERIFY(QFile::remove(logPath(dir)) && QFile::rename(fresh, logPath(dir)));
        QTRY_COMPARE_WITH_TIMEOUT(games(), 4, Wait);
        QCOMPARE(label(m, u"lblRankNum(3)"_s), u"3"_s);
        QVERIFY(append(logPath(dir), game(5, 4, -5)));
        QTRY_COMPARE_WITH_TIMEOUT(games(), 5, Wait);
        QCOMPARE(label(m, u"lblRankNum(3)"_s), u"4"_s);
        QVERIFY(msgbox::shownBoxes().isEmpty());
        QVERIFY(guiutil::finish(m));
    }

    // While a box or dialog is up the results stay as they are; the change
    // is read once it has gone.
    void waitsForAModalDialog()
    {
        testutil::ProgramDir dir;
        QPointer<MainWindow> m = startCalculated(dir);
        qint32 during = -1;
        QVERIFY(guiutil::withModal(
            [&] {
                QDialog d(m);
                d.exec();
            },
            [&](QWidget *w) {
                append(logPath(dir), game(3, 1, 40));
                QTest::qWait(600);
                during = games();
                w->close();
            }));
        QCOMPARE(during, 2);
        QTRY_COMPARE_WITH_TIMEOUT(games(), 3, Wait);
        QVERIFY(guiutil::finish(m));
    }
};

QTEST_MAIN(TestFollow)
#include "tst_follow.moc"

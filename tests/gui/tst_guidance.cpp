// What the program says to a new user: a score log that is not there (at
// start-up and when calculating) with the offer to choose it, why nothing was
// found, the user name asked for from the names of a log that was given or
// dropped, and a log dropped anywhere on the main window.

#include "guiutil.h"

#include "core/calc/calcresults.h"
#include "core/settings/settings.h"
#include "gui/windows/rankwindow.h"
#include "gui/windows/userwindow.h"

#include <QAbstractItemModel>
#include <QCompleter>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMimeData>
#include <QUrl>

using namespace norva;
using namespace Qt::StringLiterals;

namespace {

// The names of calc-others.log, most frequent first.
const QStringList OthersNames{u"Rin"_s, u"しろくま"_s, u"ぽんた"_s, u"Kumo-7"_s, u"しろくま丸"_s};

QString missingLogText(const QString &path)
{
    return u"スコアファイルが見つかりません。\r\n"_s + path
           + u"\r\n\r\nスコアファイルは、麻雀サービスのクライアントが対局の経過と結果を書き込む"
             u"テキストファイル（mjscore.txt）か、そのコピーです。\r\n"
             u"スコアファイルを今すぐ選びますか？"_s;
}

// Answers Yes where a box offers it, else as the defaults do.
void answerYes()
{
    msgbox::setResponderForTests([](const ShownBox &box) {
        if (box.buttons.testFlag(QMessageBox::Yes))
            return QMessageBox::Yes;
        return box.defaultButton != QMessageBox::NoButton ? box.defaultButton : QMessageBox::Ok;
    });
}

// Drops the file at path on widget, as the file manager does.
void dropFile(QWidget *widget, const QString &path)
{
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    const QPoint at = widget->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &enter);
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &drop);
}

} // namespace

class TestGuidance : public QObject
{
    Q_OBJECT

    std::unique_ptr<testutil::ProgramDir> m_dir;
    QPointer<MainWindow> m_main;
    // The names the last user name question offered.
    QStringList m_offered;

    // A program folder with the small table definitions, the file log copied
    // as "logs/mjscore.txt" and these settings (every date); the settings name
    // that log unless named is false. Returns its path.
    QString prepare(const QStringList &settings, const QString &log = u"calc-others.log"_s,
                    bool named = true)
    {
        m_dir = std::make_unique<testutil::ProgramDir>();
        const QString path = m_dir->file(u"logs/mjscore.txt"_s);
        [&] {
            QVERIFY(QFile::copy(QStringLiteral(NORVA_TEST_DATA "/calc-small.dat"),
                                m_dir->file(u"norva.dat"_s)));
            QVERIFY(QDir(m_dir->path()).mkdir(u"logs"_s));
            QVERIFY(QFile::copy(QStringLiteral(NORVA_TEST_DATA "/") + log, path));
            guiutil::writeSettings(
                *m_dir, QStringList{u"SpecifyDate=False"_s} + settings
                            + (named ? QStringList{u"ScoreFile="_s + path} : QStringList{}));
        }();
        return path;
    }
    // The user name question answers name (Cancel when empty).
    void answerName(const QString &name)
    {
        guiutil::dialogs().input = [this, name](QInputDialog &d) {
            m_offered = d.comboBoxItems();
            d.setTextValue(name);
            return !name.isEmpty();
        };
    }
    static qint32 games() { return guiutil::results().gameCount(); }
    static QString storedLine(const testutil::ProgramDir &dir, const QString &key)
    {
        const QString text = cp932::decode(testutil::readAll(dir.file(u"norva.ini"_s)));
        for (const QString &line : text.split(u"\r\n"_s))
            if (line.startsWith(key + u'='))
                return line;
        return {};
    }

private slots:
    void init()
    {
        guiutil::answerWithDefaults();
        msgbox::clearShownBoxes();
        m_offered.clear();
    }
    void cleanup()
    {
        guiutil::dialogs().clear();
        QVERIFY(guiutil::finish(m_main));
        m_dir.reset();
    }

    // First start without the log: said once, over the main window, with
    // what the file is; Yes opens File > Score file's dialog, the chosen log
    // is calculated under a name chosen from its players.
    void missingLogAtStartUp()
    {
        const QString log = prepare({u"VisibleWindow=0"_s}, u"calc-others.log"_s, false);
        answerYes();
        guiutil::dialogs().file = [&](QFileDialog &d) {
            [&] {
                QCOMPARE(d.nameFilters().first(), u"スコアファイル(mjscore.txt)"_s);
            }();
            return log;
        };
        answerName(u"しろくま"_s);
        m_main = guiutil::start();
        QVERIFY(m_main);
        QCOMPARE(msgbox::shownBoxes().size(), 1);
        const ShownBox box = msgbox::shownBoxes()[0];
        QCOMPARE(box.text, missingLogText(m_dir->file(u"MjScore.txt"_s)));
        QCOMPARE(box.icon, QMessageBox::Question);
        QCOMPARE(box.title, u"norva"_s);
        QCOMPARE(box.buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(box.defaultButton, QMessageBox::No);
        QCOMPARE(m_offered, OthersNames);
        QCOMPARE(games(), 2); // the practice table's game is not counted
        UserWindow &user = m_main->userWindow();
        QCOMPARE(user.fileNameEdit()->text(), log);
        QCOMPARE(user.userNameEdit()->text(), u"しろくま"_s);
        // From now on the user name box offers the names of the log.
        QAbstractItemModel *names = user.userNameEdit()->completer()->model();
        QCOMPARE(names->rowCount(), 5);
        QCOMPARE(names->index(0, 0).data().toString(), u"Rin"_s);
        // The same words when the calculation meets a missing log.
        msgbox::clearShownBoxes();
        answerName({});
        guiutil::dialogs().file = [](QFileDialog &) {
            return QString();
        };
        user.fileNameEdit()->setText(m_dir->file(u"gone.txt"_s));
        m_main->calculation().calculate();
        QCOMPARE(msgbox::shownBoxes().size(), 1);
        QCOMPARE(msgbox::shownBoxes()[0].text, missingLogText(m_dir->file(u"gone.txt"_s)));
        QCOMPARE(msgbox::shownBoxes()[0].title, u"エラー"_s);
        QCOMPARE(games(), 0);
    }

    void noValidDataSaysWhy_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QStringList>("why");
        const QString others = u"よく出てくる名前： Rin、しろくま、ぽんた、Kumo-7、しろくま丸"_s;
        QTest::newRow("no user name")
            << QString()
            << QStringList{u"ユーザー名が指定されていません。計算情報の「ユーザー名」に、"
                           u"スコアファイルに記録されている名前を入れてください。"_s,
                           u"スコアファイルの試合数： 3"_s, others};
        QTest::newRow("a name the log lacks")
            << u"かもめ"_s
            << QStringList{u"ユーザー名「かもめ」の試合は、次の条件では見つかりませんでした。"_s,
                           u"計算日付： 指定なし"_s, u"卓情報： すべて，一般卓"_s,
                           u"スコアファイルの試合数： 3（「かもめ」のいる試合： 0）"_s, others};
        QTest::newRow("a name outside the table kinds")
            << u"Kumo-7"_s
            << QStringList{u"ユーザー名「Kumo-7」の試合は、次の条件では見つかりませんでした。"_s,
                           u"計算日付： 指定なし"_s, u"卓情報： すべて，一般卓"_s,
                           u"スコアファイルの試合数： 3（「Kumo-7」のいる試合： 2）"_s, others};
    }
    void noValidDataSaysWhy()
    {
        QFETCH(QString, user);
        QFETCH(QStringList, why);
        // Only 一般卓: one game of the three.
        prepare(
            {u"UserName="_s + user, u"VisibleWindow=0"_s, u"TableKind1=5"_s, u"TableKind2=1"_s});
        m_main = guiutil::start();
        QVERIFY(m_main);
        m_main->calculation().calculate();
        QCOMPARE(msgbox::shownBoxes().size(), 1);
        QCOMPARE(msgbox::shownBoxes()[0].text,
                 (QStringList{u"有効なデータがありませんでした。"_s} + why).join(u"\r\n"_s));
    }

    // norva FILE without a user name asks for one from the log's names, and
    // calculates under it; a cancel calculates nothing.
    void logGivenWithoutAUserName_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::newRow("chosen") << u"ぽんた"_s;
        QTest::newRow("cancelled") << QString();
    }
    void logGivenWithoutAUserName()
    {
        QFETCH(QString, answer);
        const QString log = prepare({u"VisibleWindow=1"_s});
        answerName(answer);
        m_main = guiutil::start({}, log);
        QVERIFY(m_main);
        QCOMPARE(m_offered, OthersNames);
        QCOMPARE(games(), answer.isEmpty() ? 0 : 2);
        QCOMPARE(m_main->userWindow().userNameEdit()->text(), answer);
        QVERIFY(msgbox::shownBoxes().isEmpty());
    }

    // A log dropped anywhere on the main window is this run's log and is
    // calculated; one dropped on the score file box likewise, or, when no
    // user name is chosen, the results of the old log are cleared.
    void droppedLog_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("user");
        QTest::newRow("on a value of the rank window") << u"lblAllNum"_s << u"Kumo-7"_s;
        QTest::newRow("on the client area") << u"mdiArea"_s << u"Kumo-7"_s;
        QTest::newRow("on the user name box") << u"txtUserName"_s << u"Kumo-7"_s;
        QTest::newRow("on the score file box") << u"txtFileName"_s << u"Kumo-7"_s;
        QTest::newRow("on the score file box, no name") << u"txtFileName"_s << QString();
    }
    void droppedLog()
    {
        QFETCH(QString, target);
        QFETCH(QString, user);
        // The window shows the results of the small log of かもめ, then the
        // other log is dropped.
        prepare({u"VisibleWindow=3"_s, u"UserName=かもめ"_s}, u"calc-small.log"_s);
        const QString other = m_dir->file(u"others.txt"_s);
        QVERIFY(QFile::copy(QStringLiteral(NORVA_TEST_DATA "/calc-others.log"), other));
        m_main = guiutil::start();
        m_main->calculation().calculate();
        QCOMPARE(games(), 2);
        QVERIFY(msgbox::shownBoxes().isEmpty());
        m_main->userWindow().userNameEdit()->setText(user);
        answerName({});

        QWidget *widget = target == u"mdiArea" ? m_main->mdiArea()->viewport()
                                               : m_main->findChild<QWidget *>(target);
        QVERIFY(widget);
        dropFile(widget, other);
        // The games of Kumo-7 in the other log, or none.
        const auto *games = m_main->rankWindow().client()->findChild<QLabel *>(u"lblAllNum"_s);
        QTRY_COMPARE(games->text(), user.isEmpty() ? QString() : u"1"_s);
        QCOMPARE(m_main->userWindow().fileNameEdit()->text(), other);
        QVERIFY(msgbox::shownBoxes().isEmpty());
        QCOMPARE(m_offered.isEmpty(), !user.isEmpty());
        // Dropped on the window, the log is this run's only; chosen in the
        // box, the settings keep it.
        QVERIFY(guiutil::finish(m_main));
        const bool onBox = target == u"txtFileName";
        QCOMPARE(storedLine(*m_dir, u"ScoreFile"_s),
                 u"ScoreFile="_s + (onBox ? other : m_dir->file(u"logs/mjscore.txt"_s)));
    }
};

QTEST_MAIN(TestGuidance)
#include "tst_guidance.moc"

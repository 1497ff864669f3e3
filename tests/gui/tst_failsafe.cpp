// The program under hostile conditions: calculations that hit their limits,
// a score log that must never be written, writes that fail, and signals that
// arrive in the middle of things.

#include "guiutil.h"

#include "fakegraphsource.h"

#include "core/calc/calcresults.h"
#include "core/common/messages.h"
#include "core/common/textfile.h"
#include "core/settings/settings.h"
#include "gui/windows/graphwindow.h"
#include "gui/windows/statuswindow.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QProgressBar>

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPrinterInfo>
#include <QPushButton>
#include <QTemporaryDir>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <optional>
#include <poll.h>
#include <spawn.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utime.h>

using namespace norva;
using namespace Qt::StringLiterals;

namespace {

// A program folder with the bundled table definitions, the given log and
// settings naming かもめ without a date range; no child window.
void prepare(const QString &dir, const QByteArray &log, const QStringList &extra = {})
{
    QVERIFY(QFile::copy(QStringLiteral(NORVA_SOURCE_DATA "/norva.dat"), dir + u"/norva.dat"_s));
    QVERIFY(testutil::writeAll(dir + u"/MjScore.txt"_s, log));
    QVERIFY(testutil::writeAll(
        dir + u"/norva.ini"_s,
        testutil::cp932Lines(QStringList{u"[norva]"_s, u"UserName=かもめ"_s, u"SpecifyDate=False"_s,
                                         u"VisibleWindow=0"_s}
                             + extra)));
}

QByteArray smallLog()
{
    return testutil::fixture(u"calc-small.log"_s);
}

QByteArray sampleLog()
{
    return testutil::readAll(QStringLiteral(NORVA_SOURCE_DATA "/MjScore.txt"));
}

QStringList boxTexts()
{
    QStringList texts;
    for (const ShownBox &b : msgbox::shownBoxes())
        texts << b.title + u'|' + b.text;
    return texts;
}

bool resultsEnabled(MainWindow *m)
{
    return m->menuAction(u"mnuFileSave"_s)->isEnabled()
           && m->toolbarButton(u"ResultsSave"_s)->isEnabled();
}

// A game of かもめ as the client writes it, with one hand.
QByteArray game(int rank, const QString &score)
{
    QString result = QStringLiteral("  %1位 かもめ").arg(rank);
    result += QString(qMax(1, 18 - int(result.size())), u' ') + score;
    return testutil::cp932Lines({
        u"===== 東風戦：一般卓 12卓 開始 2009/03/14 21:05 ====="_s,
        u"  持点25000 [1]かもめ R1612 [2]ぽんた R1498 [3]Kumo-7 R1733 [4]ねこまた R1550"_s,
        u"  東1局 0本場(リーチ0) かもめ 1000 ぽんた -1000 "_s,
        u"    30符 一飜ロン"_s,
        result,
        u"----- 12卓 終了 2009/03/14 21:31 -----"_s,
    });
}

struct FileState
{
    qint64 size;
    QDateTime modified;
    QByteArray bytes;
    friend bool operator==(const FileState &, const FileState &) = default;
};

FileState stateOf(const QString &path)
{
    const QFileInfo fi(path);
    return {fi.size(), fi.lastModified(), testutil::readAll(path)};
}

// Sets the file's times an hour back, so that any write would show.
bool ageFile(const QString &path)
{
    struct utimbuf times;
    times.actime = times.modtime = QFileInfo(path).lastModified().toSecsSinceEpoch() - 3600;
    return ::utime(QFile::encodeName(path).constData(), &times) == 0;
}

// The files of a folder, hidden ones too (a left-over temporary file shows).
QStringList filesIn(const QString &dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

// A small file system mounted for the life of the object: 64 KiB of tmpfs.
class SmallDisk
{
public:
    explicit SmallDisk(const QString &dir)
        : m_dir(dir)
    {
        QDir().mkpath(dir);
        m_mounted =
            ::mount("tmpfs", QFile::encodeName(dir).constData(), "tmpfs", 0, "size=64k,mode=0755")
            == 0;
    }
    ~SmallDisk()
    {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_dir).constData(), MNT_DETACH);
    }
    bool mounted() const { return m_mounted; }
    // Fills the disk up with one file; false when it could not.
    bool fill()
    {
        QFile f(m_dir + u"/filler"_s);
        if (!f.open(QIODevice::WriteOnly))
            return false;
        const QByteArray block(1024, 'f');
        while (f.write(block) == block.size() && f.flush()) {
        }
        f.close();
        // Whatever a last partial block left free goes too.
        QFile rest(m_dir + u"/filler2"_s);
        if (rest.open(QIODevice::WriteOnly)) {
            while (rest.write("x", 1) == 1 && rest.flush()) {
            }
        }
        return true;
    }
    void free()
    {
        QFile::remove(m_dir + u"/filler"_s);
        QFile::remove(m_dir + u"/filler2"_s);
    }

private:
    QString m_dir;
    bool m_mounted = false;
};

// Calls onBar with the status window's progress bar each time a calculation
// shows the window: the pass lets no events run, but showing a window sends
// its show event at once.
class StatusWatch : public QObject
{
public:
    explicit StatusWatch(std::function<void(QProgressBar *)> onBar)
        : m_onBar(std::move(onBar))
    {
        qApp->installEventFilter(this);
    }
    ~StatusWatch() override { qApp->removeEventFilter(this); }

    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (e->type() == QEvent::Show && o->objectName() == u"frmStatus"_s)
            if (auto *bar = o->findChild<QProgressBar *>(u"pbrStatus"_s))
                m_onBar(bar);
        return false;
    }

private:
    std::function<void(QProgressBar *)> m_onBar;
};

// Starts program (in its folder, with HOME and the XDG folders there too) and
// sends it SIGTERM after delay; its wait status, or -1 when it has not ended
// 30 s later.
int terminatedAfter(const QString &program, std::chrono::microseconds delay)
{
    const QByteArray exe = QFile::encodeName(program);
    const QByteArray dir = QFile::encodeName(QFileInfo(program).absolutePath());
    QList<QByteArray> env;
    for (char **e = environ; *e; ++e)
        if (!QByteArray(*e).startsWith("HOME=") && !QByteArray(*e).startsWith("XDG_"))
            env << QByteArray(*e);
    for (const char *name : {"HOME=", "XDG_CONFIG_HOME=", "XDG_CACHE_HOME=", "XDG_DATA_HOME="})
        env << name + dir;
    std::vector<char *> envp;
    for (QByteArray &e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    char *argv[] = {const_cast<char *>(exe.constData()), nullptr};
    pid_t pid = 0;
    if (::posix_spawn(&pid, exe.constData(), nullptr, nullptr, argv, envp.data()) != 0)
        return -1;
    std::this_thread::sleep_for(delay);
    ::kill(pid, SIGTERM);
    for (int i = 0; i < 3000; ++i) {
        int status = 0;
        if (::waitpid(pid, &status, WNOHANG) == pid)
            return status;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    return -1;
}

// The line edit of Qt's print dialog that takes the output file, and its OK
// button: the test works the dialog as a user would.
QLineEdit *printFileName(QWidget *dialog)
{
    return dialog->findChild<QLineEdit *>(u"filename"_s);
}
QPushButton *printButton(QWidget *dialog)
{
    auto *box = dialog->findChild<QDialogButtonBox *>(QString(), Qt::FindDirectChildrenOnly);
    return box ? box->button(QDialogButtonBox::Ok) : nullptr;
}

} // namespace

class TestFailsafe : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { guiutil::answerWithDefaults(); }
    void init() { msgbox::clearShownBoxes(); }
    void cleanup()
    {
        guiutil::answerWithDefaults();
        setWriteFailureForTests({});
        // A test that failed half-way leaves no window to the next one.
        QPointer<MainWindow> m = guiutil::mainWindow();
        if (m)
            guiutil::finish(m);
    }

    // ------------------------------------------------ calculations at their limits

    void game32701AndTheNextCalculation()
    {
        testutil::ProgramDir dir;
        const QByteArray pair = game(1, u"+1"_s) + game(3, u"-1"_s);
        prepare(dir.path(), pair.repeated(16350) + game(2, u"+5"_s), {u"CheckLine=100000"_s});
        QPointer<MainWindow> m = guiutil::start();
        m->calculate();
        QCOMPARE(boxTexts(), (QStringList{u"計算エラー|オーバーフローしました。"_s,
                                          u"確認|有効なデータがありませんでした。"_s}));
        QCOMPARE(msgbox::shownBoxes()[0].icon, QMessageBox::Critical);
        QVERIFY(!resultsEnabled(m));
        QCOMPARE(guiutil::session().results().value(calc::GameCount).toInt(), 0);
        QVERIFY(!QApplication::overrideCursor());

        // The next calculation, on a log within the limits, works as ever.
        msgbox::clearShownBoxes();
        QVERIFY(testutil::writeAll(dir.file(u"MjScore.txt"_s), smallLog()));
        m->calculate();
        QVERIFY(boxTexts().isEmpty());
        QVERIFY(resultsEnabled(m));
        QVERIFY(guiutil::session().results().value(calc::GameCount).toInt() > 0);
        QVERIFY(guiutil::finish(m));
    }

    void lineCountLimit()
    {
        // CheckLine x 32768 lines: the status window's steps no longer fit.
        testutil::ProgramDir dir;
        prepare(dir.path(), smallLog() + QByteArray(100 * 32768, '\n'));
        QPointer<MainWindow> m = guiutil::start();
        int maximum = -1;
        msgbox::setResponderForTests([&](const ShownBox &box) {
            if (StatusWindow *status = m->findChild<StatusWindow *>();
                box.title == msg::titleCalcError() && status)
                maximum = status->progressBar()->maximum();
            return QMessageBox::Ok;
        });
        m->calculate();
        QCOMPARE(maximum, 32767);
        QCOMPARE(boxTexts(), (QStringList{u"計算エラー|オーバーフローしました。"_s,
                                          u"確認|有効なデータがありませんでした。"_s}));
        QVERIFY(!m->findChild<StatusWindow *>());
        QVERIFY(!resultsEnabled(m));
        QVERIFY(guiutil::finish(m));
    }

    void directoryAsTheScoreLog()
    {
        testutil::ProgramDir dir;
        prepare(dir.path(), smallLog());
        const QString folder = dir.file(u"logs"_s);
        QVERIFY(QDir().mkpath(folder));
        QPointer<MainWindow> m = guiutil::start();
        guiutil::settings().setValue(Settings::ScoreFile, folder);
        m->calculate();
        // It passes the existence check; reading it fails.
        QCOMPARE(boxTexts(),
                 (QStringList{u"計算エラー|通常のファイルではありません。\r\n"_s + folder,
                              u"確認|有効なデータがありませんでした。"_s}));
        QVERIFY(!resultsEnabled(m));
        QVERIFY(guiutil::finish(m));
    }

    void binaryFileAsTheScoreLog()
    {
        testutil::ProgramDir dir;
        QByteArray binary;
        for (int i = 0; i < 1 << 16; ++i)
            binary += char((i * 7919) >> 3);
        prepare(dir.path(), binary);
        QPointer<MainWindow> m = guiutil::start();
        m->calculate();
        QCOMPARE(boxTexts(), QStringList{u"確認|有効なデータがありませんでした。"_s});
        QVERIFY(guiutil::finish(m));
    }

    // ------------------------------------------------ the score log is only read

    void calculationNeverWritesTheLog_data()
    {
        QTest::addColumn<bool>("readOnly");
        QTest::newRow("writable") << false;
        QTest::newRow("read-only file in a read-only folder") << true;
    }
    void calculationNeverWritesTheLog()
    {
        QFETCH(bool, readOnly);
        testutil::ProgramDir dir;
        const QString logs = dir.file(u"logs"_s);
        QVERIFY(QDir().mkpath(logs));
        const QString log = logs + u"/MjScore.txt"_s;
        prepare(dir.path(), smallLog(), {u"ScoreFile="_s + log});
        QVERIFY(testutil::writeAll(log, sampleLog()));
        QVERIFY(ageFile(log));
        const FileState before = stateOf(log);
        if (readOnly) {
            QVERIFY(QFile::setPermissions(log, QFile::ReadOwner));
            QVERIFY(QFile::setPermissions(logs, QFile::ReadOwner | QFile::ExeOwner));
        }
        {
            std::optional<testutil::HonourPermissions> honour;
            if (readOnly)
                honour.emplace();
            QPointer<MainWindow> m = guiutil::start();
            m->calculate();
            QVERIFY(boxTexts().isEmpty());
            QVERIFY(resultsEnabled(m));
            QVERIFY(guiutil::session().results().value(calc::GameCount).toInt() > 100);
            QVERIFY(guiutil::finish(m));
        }
        QVERIFY(
            QFile::setPermissions(logs, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QVERIFY(stateOf(log) == before);
        QCOMPARE(filesIn(logs), QStringList{u"MjScore.txt"_s});
    }

    // ------------------------------------------------ writes that fail

    void settingsIntoAFolderThatRefuses_data()
    {
        QTest::addColumn<bool>("retry");
        QTest::addColumn<bool>("damaged");
        QTest::newRow("Cancel") << false << false;
        QTest::newRow("Retry after the folder is writable") << true << false;
        // The backup kept before the write is what fails, and the box says so.
        QTest::newRow("a damaged file, Cancel") << false << true;
    }
    void settingsIntoAFolderThatRefuses()
    {
        QFETCH(bool, retry);
        QFETCH(bool, damaged);
        testutil::ProgramDir dir;
        prepare(dir.path(), smallLog());
        const QString ini = dir.file(u"norva.ini"_s);
        if (damaged)
            QVERIFY(testutil::writeAll(ini, testutil::readAll(ini) + "X=\xFF\r\n"));
        const QByteArray old = testutil::readAll(ini);
        QPointer<MainWindow> m = guiutil::start();
        msgbox::clearShownBoxes();
        guiutil::settings().setValue(Settings::UserName, u"ぽんた"_s);
        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
        int asked = 0;
        msgbox::setResponderForTests([&](const ShownBox &) {
            ++asked;
            if (retry && asked == 1) {
                QFile::setPermissions(dir.path(),
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
                return QMessageBox::Retry;
            }
            return QMessageBox::Cancel;
        });
        {
            testutil::HonourPermissions honour;
            QVERIFY(guiutil::finish(m));
        }
        QVERIFY(QFile::setPermissions(dir.path(),
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QCOMPARE(asked, 1);
        const ShownBox box = msgbox::shownBoxes().value(0);
        QCOMPARE(box.icon, QMessageBox::Critical);
        QCOMPARE(box.title, u"エラー"_s);
        QCOMPARE(box.text, u"設定ファイルの書き込みに失敗しました。\r\n"_s + ini
                               + (damaged ? u".bak"_s : QString()) + u"\r\n書き込みできません。"_s);
        QCOMPARE(box.buttons, QMessageBox::Retry | QMessageBox::Cancel);
        if (retry)
            QVERIFY(testutil::readAll(ini).contains(cp932::encodeLossy(u"UserName=ぽんた\r\n")));
        else
            QCOMPARE(testutil::readAll(ini), old);
        QCOMPARE(filesIn(dir.path()),
                 (QStringList{u"MjScore.txt"_s, u"norva.dat"_s, u"norva.ini"_s}));
    }

    void settingsOntoADirectory()
    {
        testutil::ProgramDir dir;
        prepare(dir.path(), smallLog());
        const QString ini = dir.file(u"norva.ini"_s);
        QPointer<MainWindow> m = guiutil::start();
        QVERIFY(QFile::remove(ini));
        QVERIFY(QDir().mkpath(ini + u"/inside"_s));
        QStringList answers{u"Retry"_s, u"Retry"_s, u"Cancel"_s};
        msgbox::setResponderForTests([&](const ShownBox &) {
            return answers.takeFirst() == u"Retry"_s ? QMessageBox::Retry : QMessageBox::Cancel;
        });
        QVERIFY(guiutil::finish(m));
        QVERIFY(answers.isEmpty()); // asked three times, the folder stood
        QCOMPARE(boxTexts().value(2), u"エラー|設定ファイルの書き込みに失敗しました。\r\n"_s + ini
                                          + u"\r\n通常のファイルではありません。"_s);
        QVERIFY(QFileInfo(ini + u"/inside"_s).isDir());
    }

    void reportIntoAFolderThatRefuses()
    {
        testutil::ProgramDir dir;
        prepare(dir.path(), smallLog());
        QPointer<MainWindow> m = guiutil::start();
        m->calculate();
        QVERIFY(resultsEnabled(m));
        const QString out = dir.file(u"out"_s);
        QVERIFY(QDir().mkpath(out));
        const QString report = out + u"/試合結果.txt"_s;
        QVERIFY(testutil::writeAll(report, "old report\r\n"));
        QVERIFY(QFile::setPermissions(out, QFile::ReadOwner | QFile::ExeOwner));
        int asked = 0;
        msgbox::setResponderForTests([&](const ShownBox &) {
            return ++asked < 3 ? QMessageBox::Retry : QMessageBox::Cancel;
        });
        bool written = true;
        {
            testutil::HonourPermissions honour;
            written = guiutil::session().report().save(
                report, retryCancelPrompt(m, msg::fileWriteFailed(), report));
        }
        QVERIFY(!written);
        QCOMPARE(asked, 3);
        QCOMPARE(boxTexts(), QStringList(3, u"エラー|ファイルの書き込みに失敗しました。\r\n"_s
                                                + report + u"\r\n書き込みできません。"_s));
        QCOMPARE(msgbox::shownBoxes()[0].buttons, QMessageBox::Retry | QMessageBox::Cancel);
        QCOMPARE(testutil::readAll(report), QByteArray("old report\r\n"));

        // Writable again, a Retry writes the whole report.
        msgbox::clearShownBoxes();
        asked = 0;
        msgbox::setResponderForTests([&](const ShownBox &) {
            ++asked;
            QFile::setPermissions(out, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            return QMessageBox::Retry;
        });
        {
            testutil::HonourPermissions honour;
            written = guiutil::session().report().save(
                report, retryCancelPrompt(m, msg::fileWriteFailed(), report));
        }
        QVERIFY(written);
        QCOMPARE(asked, 1);
        QCOMPARE(testutil::readAll(report), guiutil::session().report().bytes());
        QCOMPARE(filesIn(out), QStringList{u"試合結果.txt"_s});
        QVERIFY(guiutil::finish(m));
    }

    void reportOntoADirectory()
    {
        testutil::ProgramDir dir;
        prepare(dir.path(), smallLog());
        QPointer<MainWindow> m = guiutil::start();
        m->calculate();
        const QString report = dir.file(u"report"_s);
        QVERIFY(QDir().mkpath(report));
        msgbox::setResponderForTests([](const ShownBox &) { return QMessageBox::Cancel; });
        QVERIFY(!guiutil::session().report().save(
            report, retryCancelPrompt(m, msg::fileWriteFailed(), report)));
        QCOMPARE(boxTexts(), QStringList{u"エラー|ファイルの書き込みに失敗しました。\r\n"_s + report
                                         + u"\r\n通常のファイルではありません。"_s});
        QVERIFY(QFileInfo(report).isDir());
        QVERIFY(guiutil::finish(m));
    }

    void fullDisk_data()
    {
        QTest::addColumn<bool>("tmpfs");
        QTest::addColumn<bool>("retry");
        QTest::newRow("tmpfs, Cancel") << true << false;
        QTest::newRow("tmpfs, Retry after space is freed") << true << true;
        QTest::newRow("write hook, Cancel") << false << false;
        QTest::newRow("write hook, Retry") << false << true;
    }
    void fullDisk()
    {
        QFETCH(bool, tmpfs);
        QFETCH(bool, retry);
        testutil::ProgramDir dir;
        const QString disk = dir.file(u"disk"_s);
        std::optional<SmallDisk> small;
        if (tmpfs) {
            small.emplace(disk);
            if (!small->mounted())
                QSKIP("A tmpfs cannot be mounted here; the write hook rows stand in for a full "
                      "disk.");
        } else {
            QVERIFY(QDir().mkpath(disk));
        }
        prepare(disk, smallLog());
        const QString ini = disk + u"/norva.ini"_s;
        const QString report = disk + u"/report.txt"_s;

        QPointer<MainWindow> m = guiutil::start(disk);
        m->calculate();
        QVERIFY(resultsEnabled(m));
        QVERIFY(guiutil::session().report().save(report, {}));
        QVERIFY(testutil::writeAll(report, "old report\r\n"));
        const QByteArray oldIni = testutil::readAll(ini);
        guiutil::settings().setValue(Settings::UserName, u"ぽんた"_s);

        // The disk is full from here on, until a Retry frees it.
        bool full = true;
        if (tmpfs)
            QVERIFY(small->fill());
        else
            setWriteFailureForTests([&] { return full; });
        int asked = 0;
        msgbox::setResponderForTests([&](const ShownBox &) {
            ++asked;
            if (!retry)
                return QMessageBox::Cancel;
            full = false;
            if (tmpfs)
                small->free();
            return QMessageBox::Retry;
        });
        const bool written = guiutil::session().report().save(
            report, retryCancelPrompt(m, msg::fileWriteFailed(), report));
        QCOMPARE(written, retry);
        QCOMPARE(asked, 1);
        QCOMPARE(boxTexts(), QStringList{u"エラー|ファイルの書き込みに失敗しました。\r\n"_s + report
                                         + u"\r\nディスクの空き容量が不足しています。"_s});
        QCOMPARE(testutil::readAll(report),
                 retry ? guiutil::session().report().bytes() : QByteArray("old report\r\n"));

        // The settings at exit, the same way.
        if (retry) {
            full = true;
            if (tmpfs)
                QVERIFY(small->fill());
        }
        msgbox::clearShownBoxes();
        asked = 0;
        QVERIFY(guiutil::finish(m));
        QCOMPARE(asked, 1);
        QCOMPARE(boxTexts(), QStringList{u"エラー|設定ファイルの書き込みに失敗しました。\r\n"_s
                                         + ini + u"\r\nディスクの空き容量が不足しています。"_s});
        const QByteArray nowIni = testutil::readAll(ini);
        if (retry)
            QVERIFY(nowIni.contains(cp932::encodeLossy(u"UserName=ぽんた\r\n")));
        else
            QCOMPARE(nowIni, oldIni);
        if (tmpfs)
            small->free();
        // No temporary file is left behind.
        QCOMPARE(filesIn(disk),
                 (QStringList{u"MjScore.txt"_s, u"norva.dat"_s, u"norva.ini"_s, u"report.txt"_s}));
    }

    // ------------------------------------------------ what is not ours

    void reportAndPrintoutNeverReplaceTheLog_data()
    {
        QTest::addColumn<bool>("print");
        QTest::newRow("試合結果保存") << false;
        QTest::newRow("印刷 to a file") << true;
    }
    void reportAndPrintoutNeverReplaceTheLog()
    {
        // The log (through a link too) or a pipe is refused with a message,
        // and the dialog comes back for another file.
        QFETCH(bool, print);
        testutil::ProgramDir dir;
        prepare(dir.path(), smallLog());
        const QString log = dir.file(u"MjScore.txt"_s);
        QVERIFY(QFile::link(log, dir.file(u"link.txt"_s)));
        QCOMPARE(::mkfifo(QFile::encodeName(dir.file(u"pipe"_s)).constData(), 0644), 0);
        QStringList answers{dir.file(u"link.txt"_s), dir.file(u"pipe"_s), log,
                            dir.file(u"out.pdf"_s)};
        const QStringList tried = answers;
        QPointer<MainWindow> m = guiutil::start();
        m->calculate();
        if (print) {
            guiutil::dialogs().print = ([&](QPrintDialog &d) {
                d.printer()->setOutputFormat(QPrinter::PdfFormat);
                d.printer()->setOutputFileName(answers.takeFirst());
                return true;
            });
            m->print();
            guiutil::dialogs().print = nullptr;
        } else {
            guiutil::dialogs().file = ([&](QFileDialog &) { return answers.takeFirst(); });
            m->saveReport();
            guiutil::dialogs().file = nullptr;
        }
        QVERIFY(answers.isEmpty());
        const QString runFile =
            u"スコアファイル、設定ファイル、計算情報ファイルには書き込めません。\r\n"
            u"別のファイルを指定してください。"_s;
        const QString noFile =
            u"通常のファイルではないため、書き込めません。\r\n別のファイルを指定してください。"_s;
        QCOMPARE(boxTexts(), (QStringList{u"エラー|"_s + tried[0] + u"\r\n"_s + runFile,
                                          u"エラー|"_s + tried[1] + u"\r\n"_s + noFile,
                                          u"エラー|"_s + tried[2] + u"\r\n"_s + runFile}));
        QCOMPARE(testutil::readAll(log), smallLog());
        QVERIFY(QFileInfo(dir.file(u"link.txt"_s)).isSymLink());
        const QByteArray written = testutil::readAll(dir.file(u"out.pdf"_s));
        QVERIFY(print ? written.startsWith("%PDF")
                      : written == guiutil::session().report().bytes());
        QVERIFY(guiutil::finish(m));
    }

    void settingsNotReadCleanlyAreKept()
    {
        // A settings file in UTF-16: said once at start-up, kept as
        // norva.ini.bak before the exit writes over it.
        testutil::ProgramDir dir;
        prepare(dir.path(), smallLog());
        const QString ini = dir.file(u"norva.ini"_s);
        QByteArray utf16("\xFF\xFE");
        for (QChar c : u"[norva]\r\nUserName=かもめ\r\n"_s)
            utf16 += char(c.unicode() & 0xFF) + QByteArray(1, char(c.unicode() >> 8));
        QVERIFY(testutil::writeAll(ini, utf16));
        QPointer<MainWindow> m = guiutil::start();
        QVERIFY(m);
        QCOMPARE(boxTexts(),
                 QStringList{u"確認|設定ファイルを正しく読み込めませんでした。\r\n"_s + ini
                             + u"\r\n\r\n終了時に設定を書き込む前に、元のファイルを次の名前で"
                               u"残します。\r\n"_s
                             + ini + u".bak"_s});
        QVERIFY(guiutil::finish(m));
        QCOMPARE(testutil::readAll(ini + u".bak"_s), utf16);
        QVERIFY(testutil::readAll(ini).startsWith("[norva]\r\n"));
        // The file written then reads cleanly: no message, no second backup.
        msgbox::clearShownBoxes();
        m = guiutil::start();
        QVERIFY(boxTexts().isEmpty());
        QVERIFY(guiutil::finish(m));
        QCOMPARE(testutil::readAll(ini + u".bak"_s), utf16);
    }

    void settingsNeverReplaceTheFilesOfTheRun_data()
    {
        QTest::addColumn<QString>("target");
        QTest::newRow("a link to the score log") << u"MjScore.txt"_s;
        QTest::newRow("a link to the table definitions") << u"norva.dat"_s;
        QTest::newRow("a second name of the program") << QString();
    }
    void settingsNeverReplaceTheFilesOfTheRun()
    {
        // Whatever leads from norva.ini to the score log, the table
        // definitions or the program, the exit writes nothing there and says
        // so once.
        QFETCH(QString, target);
        // Beside the program, where a second name of it can be made.
        QTemporaryDir dir(QCoreApplication::applicationDirPath() + u"/failsafe-XXXXXX"_s);
        prepare(dir.path(), smallLog());
        const QString ini = dir.filePath(u"norva.ini"_s);
        QVERIFY(QFile::remove(ini));
        const QString file =
            target.isEmpty() ? QCoreApplication::applicationFilePath() : dir.filePath(target);
        if (target.isEmpty())
            QCOMPARE(
                ::link(QFile::encodeName(file).constData(), QFile::encodeName(ini).constData()), 0);
        else
            QVERIFY(QFile::link(file, ini));
        const FileState before = stateOf(file);
        QPointer<MainWindow> m = guiutil::start(dir.path());
        QVERIFY(m);
        msgbox::clearShownBoxes();
        QVERIFY(guiutil::finish(m));
        QCOMPARE(boxTexts(),
                 QStringList{u"エラー|設定ファイルの書き込みに失敗しました。\r\n"_s + ini
                             + u"\r\n設定ファイルがスコアファイル、計算情報ファイルまたはプログラム"
                               u"そのものを指しているため、書き込みませんでした。"_s});
        QVERIFY(stateOf(file) == before);
    }

    // ------------------------------------------------ the printout

    void printoutThatCannotBeWrittenKeepsTheOldFile_data()
    {
        QTest::addColumn<bool>("device");
        QTest::newRow("a full disk") << false;
        QTest::newRow("a device that refuses every write") << true;
    }
    void printoutThatCannotBeWrittenKeepsTheOldFile()
    {
        // A printout to a file is complete or not written; the user hears why.
        QFETCH(bool, device);
        testutil::ProgramDir dir;
        const QString disk = dir.file(u"disk"_s);
        std::optional<SmallDisk> small;
        QString pdf = u"/dev/full"_s;
        if (device) {
            if (fileops::status(pdf).type != fileops::FileType::CharDevice)
                QSKIP("no /dev/full here");
        } else {
            small.emplace(disk);
            if (!small->mounted())
                QSKIP("A tmpfs cannot be mounted here.");
            pdf = disk + u"/page.pdf"_s;
            QVERIFY(testutil::writeAll(pdf, "%PDF an old printout"));
        }
        prepare(dir.path(), smallLog());
        QPointer<MainWindow> m = guiutil::start();
        m->calculate();
        QVERIFY(resultsEnabled(m));
        if (small)
            QVERIFY(small->fill());
        guiutil::dialogs().print = ([&](QPrintDialog &d) {
            d.printer()->setOutputFormat(QPrinter::PdfFormat);
            d.printer()->setOutputFileName(pdf);
            return true;
        });
        msgbox::setResponderForTests([](const ShownBox &) { return QMessageBox::Cancel; });
        m->print();
        guiutil::dialogs().print = nullptr;
        if (small)
            small->free();
        QCOMPARE(boxTexts(), QStringList{u"エラー|ファイルの書き込みに失敗しました。\r\n"_s + pdf
                                         + u"\r\nディスクの空き容量が不足しています。"_s});
        if (!device) {
            QCOMPARE(testutil::readAll(pdf), QByteArray("%PDF an old printout"));
            QCOMPARE(filesIn(disk), QStringList{u"page.pdf"_s});
        }
        QVERIFY(guiutil::finish(m));
    }

    void printDialogOpensNothingBeforeTheCheck()
    {
        // Printing to a pipe from the printer dialog itself: the name is
        // refused before anything opens it (an opening would wait for ever),
        // and the dialog stays for another name.
        if (!QPrinterInfo::availablePrinterNames().isEmpty())
            QSKIP("printing to a file is offered only where no printer exists");
        testutil::ProgramDir dir;
        prepare(dir.path(), smallLog());
        const QString pipe = dir.file(u"pipe.pdf"_s);
        QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0644), 0);
        // Held open for reading, so that an opening for writing would not wait:
        // a writer that came and went shows as a hang-up.
        const int reader = ::open(QFile::encodeName(pipe).constData(), O_RDONLY | O_NONBLOCK);
        QVERIFY(reader >= 0);
        QPointer<MainWindow> m = guiutil::start();
        m->calculate();
        QStringList answers{pipe, dir.file(u"out.pdf"_s)};
        QTimer user;
        user.setInterval(20);
        QObject::connect(&user, &QTimer::timeout, &user, [&] {
            QWidget *w = QApplication::activeModalWidget();
            if (auto *box = qobject_cast<QMessageBox *>(w)) {
                // Qt's own question whether to overwrite: No.
                if (QAbstractButton *no = box->button(QMessageBox::No))
                    no->click();
                else
                    box->reject();
            } else if (!qobject_cast<QPrintDialog *>(w))
                return;
            else if (answers.isEmpty())
                w->close();
            else if (printFileName(w) && printButton(w)) {
                printFileName(w)->setText(answers.takeFirst());
                printButton(w)->click();
            }
        });
        user.start();
        m->print();
        user.stop();
        pollfd p{reader, POLLIN, 0};
        QCOMPARE(::poll(&p, 1, 0) > 0 && (p.revents & POLLHUP), false);
        ::close(reader);
        QVERIFY(answers.isEmpty());
        QCOMPARE(boxTexts(), QStringList{u"エラー|"_s + pipe
                                         + u"\r\n通常のファイルではないため、書き込めません。\r\n"
                                           u"別のファイルを指定してください。"_s});
        QVERIFY(testutil::readAll(dir.file(u"out.pdf"_s)).startsWith("%PDF"));
        QVERIFY(guiutil::finish(m));
    }

    // ------------------------------------------------ signals

    void signalWhileTheGraphIsDrawn_data()
    {
        QTest::addColumn<int>("kind"); // the raise comes as this series is read
        QTest::newRow("the han bars") << int(calc::WinByHan);
        QTest::newRow("the score graph") << int(calc::ScoreSeries);
        QTest::newRow("the rating graph") << int(calc::RatingSeries);
        QTest::newRow("the running total") << int(calc::ScoreSumSeries);
    }
    void signalWhileTheGraphIsDrawn()
    {
        // The drawing ends first, whole; the program then leaves through its
        // exit path, which writes the settings.
        QFETCH(int, kind);
        testutil::FakeGraphSource source;
        source.setGames({10, -20, 30, 0}, {2, 4, 1, 3}, {1500, 1510, 1490, 1520});
        source.setWins({u"1翻"_s, u"2翻"_s}, {2, 4});
        guiutil::setGraphSource(&source);
        testutil::ProgramDir dir;
        prepare(dir.path(), smallLog(), {u"VisibleWindow=16"_s});
        QPointer<MainWindow> m = guiutil::start();
        GraphWindow &g = m->graphWindow();
        // The running total, drawn last, in its colour.
        const auto drawnWhole = [&g] {
            const QImage &p = g.picture();
            for (int y = 0; y < p.height(); ++y)
                for (int x = 0; x < p.width(); ++x)
                    if (p.pixel(x, y) == qRgb(128, 0, 128))
                        return true;
            return false;
        };
        QTRY_VERIFY(drawnWhole());
        guiutil::settings().setValue(Settings::UserName, u"ぽんた"_s);
        bool raised = false;
        source.onRead = [&](qint16 k, qint32) {
            if (k == kind && !raised)
                raised = ::raise(SIGTERM) == 0;
        };
        g.redraw();
        source.onRead = nullptr;
        guiutil::setGraphSource(nullptr);
        QVERIFY(raised);
        QVERIFY(m && !m->hasExited());
        QVERIFY(drawnWhole());
        QTRY_VERIFY(m.isNull());
        QVERIFY(cp932::decode(testutil::readAll(dir.file(u"norva.ini"_s)))
                    .contains(u"UserName=ぽんた\r\n"_s));
        removeExitSignalHandlers();
    }

    void signalsEarlyInTheStart()
    {
        // Told to end at any moment of its first 0.2 s, again and again, with
        // the calculation at start-up on a year of games every other time:
        // the program never crashes, and once it can take the signal it
        // leaves through its exit path, settings written.
        testutil::ProgramDir dir;
        prepare(dir.path(), sampleLog());
        const QString exe = dir.file(u"norva"_s);
        QVERIFY(QFile::copy(QStringLiteral(NORVA_EXE), exe));
        const QString ini = dir.file(u"norva.ini"_s);
        // Every window open, the graph among them.
        const QByteArray plain =
            testutil::cp932Lines({u"[norva]"_s, u"UserName=かもめ"_s, u"SpecifyDate=False"_s});
        const QByteArray settings[2] = {plain, plain + "AutoCalc=True\r\n"};
        QStringList problems;
        int left = 0;
        for (int i = 0; i < 100; ++i) {
            QVERIFY(testutil::writeAll(ini, settings[i % 2]));
            const int status = terminatedAfter(exe, std::chrono::microseconds(i * 2000));
            if (WIFEXITED(status) && WEXITSTATUS(status) == 0
                && testutil::readAll(ini).startsWith("[norva]\r\n"))
                ++left;
            else if (!WIFSIGNALED(status) || WTERMSIG(status) != SIGTERM)
                problems << QStringLiteral("after %1 ms: wait status %2").arg(i * 2).arg(status);
        }
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u", ")));
        // Only a signal before the program has begun to run ends it unhandled
        // (in its first ten milliseconds or so, more under a sanitizer).
        QVERIFY2(left >= 50, qPrintable(QString::number(left)));
    }

    void signalDuringACalculation_data()
    {
        QTest::addColumn<bool>("atStartUp");
        QTest::newRow("the calculation command") << false;
        QTest::newRow("the calculation at start-up") << true;
    }
    void signalDuringACalculation()
    {
        // Raised from the progress of a calculation: the pass stops right
        // there, its results are neither shown nor kept, and the window then
        // closes through the exit path, which writes the settings.
        QFETCH(bool, atStartUp);
        testutil::ProgramDir dir;
        prepare(dir.path(), sampleLog(),
                atStartUp ? QStringList{u"AutoCalc=True"_s} : QStringList{});
        int valueAtSignal = -1;
        int lastValue = -1;
        StatusWatch watch([&](QProgressBar *bar) {
            QObject::connect(bar, &QProgressBar::valueChanged, bar, [&](int value) {
                lastValue = value;
                if (valueAtSignal < 0 && value >= 50) {
                    valueAtSignal = value;
                    QCOMPARE(::raise(SIGTERM), 0);
                }
            });
        });
        QPointer<MainWindow> m;
        if (atStartUp) {
            // startProgram() runs the calculation before the window shows; no events
            // may run before the checks below.
            QVERIFY(guiutil::startProgram());
            m = guiutil::mainWindow();
        } else {
            m = guiutil::start();
            m->calculate();
        }
        QVERIFY(m);
        QCOMPARE(lastValue, valueAtSignal);
        QVERIFY(!m->hasExited());
        QVERIFY(boxTexts().isEmpty());
        QVERIFY(!resultsEnabled(m));
        QCOMPARE(guiutil::session().results().value(calc::GameCount).toInt(), 0);
        guiutil::settings().setValue(Settings::UserName,
                                     u"ぽんた"_s); // written at the exit that follows
        QTRY_VERIFY(m.isNull());
        QVERIFY(cp932::decode(testutil::readAll(dir.file(u"norva.ini"_s)))
                    .contains(u"UserName=ぽんた\r\n"_s));
        removeExitSignalHandlers();
    }

    void signalWhileAReadWaits()
    {
        // A log whose reading waits in the system (a file of the kernel's that
        // only grows): the program still leaves at once, settings written.
        const QString waiting = u"/proc/kmsg"_s;
        if (::access("/proc/kmsg", R_OK) != 0)
            QSKIP("no file here whose reading waits");
        testutil::ProgramDir dir;
        prepare(dir.path(), QByteArray(),
                {u"AutoCalc=True"_s, u"ScoreFile="_s + waiting, u"MainWidth=9000"_s});
        QVERIFY(QFile::copy(QStringLiteral(NORVA_EXE), dir.file(u"norva"_s)));
        QProcess norva;
        norva.start(dir.file(u"norva"_s), {});
        QVERIFY(norva.waitForStarted());
        QVERIFY(!norva.waitForFinished(1500)); // reading, or waiting to read
        norva.terminate();
        QVERIFY(norva.waitForFinished(20000));
        QCOMPARE(norva.exitStatus(), QProcess::NormalExit);
        QCOMPARE(norva.exitCode(), 0);
        const QString ini = cp932::decode(testutil::readAll(dir.file(u"norva.ini"_s)));
        QVERIFY(ini.startsWith(u"[norva]\r\n\r\nMainWidth=9000\r\n"_s));
    }

    void signalWhileACalculationShowsItsBoxes()
    {
        // The signal arrives while the pass's error box runs its own loop. The
        // box is dismissed, and so is the box that follows; the calculation
        // ends, and only then does the window close.
        testutil::ProgramDir dir;
        prepare(dir.path(), testutil::fixture(u"calc-broken-rank.log"_s));
        QPointer<MainWindow> m = guiutil::start();
        msgbox::setResponderForTests({});
        int rescued = 0;
        QTimer rescue; // should the boxes not go away on their own
        rescue.setInterval(3000);
        QObject::connect(&rescue, &QTimer::timeout, &rescue, [&] {
            if (QWidget *w = QApplication::activeModalWidget()) {
                ++rescued;
                w->close();
            }
        });
        rescue.start();
        bool exitedDuringTheRun = true;
        QVERIFY(guiutil::withModal(
            [&] {
                m->calculate();
                exitedDuringTheRun = !m || m->hasExited();
            },
            [&](QWidget *box) {
                QVERIFY(qobject_cast<QMessageBox *>(box));
                QCOMPARE(::kill(::getpid(), SIGTERM), 0);
            }));
        QVERIFY(!exitedDuringTheRun);
        QCOMPARE(rescued, 0);
        QCOMPARE(boxTexts(), (QStringList{u"計算エラー|インデックスが有効範囲にありません。"_s,
                                          u"確認|有効なデータがありませんでした。"_s}));
        QTRY_VERIFY(m.isNull());
        QCOMPARE(rescued, 0);
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(testutil::readAll(dir.file(u"norva.ini"_s)).startsWith("[norva]\r\n"));
        removeExitSignalHandlers();
        guiutil::answerWithDefaults();
    }

    void signalWhileTheSettingsBoxIsUpAtExit()
    {
        // The exit's Retry/Cancel box, then a signal: the box goes as Cancel
        // would, and the program ends with the old file in place.
        testutil::ProgramDir dir;
        prepare(dir.path(), smallLog());
        const QByteArray old = testutil::readAll(dir.file(u"norva.ini"_s));
        QPointer<MainWindow> m = guiutil::start();
        msgbox::setResponderForTests({});
        guiutil::settings().setValue(Settings::UserName, u"ぽんた"_s);
        setWriteFailureForTests([] { return true; });
        QVERIFY(guiutil::withModal([&] { m->close(); },
                                   [&](QWidget *box) {
                                       QVERIFY(qobject_cast<QMessageBox *>(box));
                                       QCOMPARE(::kill(::getpid(), SIGTERM), 0);
                                   }));
        QTRY_VERIFY(m.isNull());
        QCOMPARE(boxTexts().size(), 1);
        QCOMPARE(testutil::readAll(dir.file(u"norva.ini"_s)), old);
        removeExitSignalHandlers();
    }
};

QTEST_MAIN(TestFailsafe)
#include "tst_failsafe.moc"

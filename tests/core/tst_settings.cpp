#include "core/common/cp932.h"
#include "core/common/datetime.h"
#include "core/common/error.h"
#include "core/common/locations.h"
#include "core/common/textfile.h"
#include "core/settings/settings.h"

#include "testutil.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

#include <memory>
#include <optional>

using namespace norva;
using namespace Qt::StringLiterals;

class TestSettings : public QObject
{
    Q_OBJECT

private:
    // The program's folder: the current stand-in, unless a test names another.
    QString m_folder;
    std::unique_ptr<Settings> m_settings;

    FileLocations files() const
    {
        return FileLocations::portable(m_folder.isEmpty() ? testutil::ProgramDir::current()->path()
                                                          : m_folder);
    }
    // The settings of the program in that folder, made anew for each folder.
    Settings &settings()
    {
        const FileLocations f = files();
        if (!m_settings || m_settings->defaultValue(Settings::ScoreFile) != f.defaultScoreFile)
            m_settings = std::make_unique<Settings>(f.defaultScoreFile);
        return *m_settings;
    }
    bool load() { return settings().load(files().settingsFile); }
    bool save(const RetryPrompt &prompt = {})
    {
        return settings().save(files().settingsFile, prompt);
    }
    QVariant valueNamed(const QString &key)
    {
        const std::optional<Settings::Key> k = Settings::keyNamed(key);
        return k ? settings().value(*k) : QVariant();
    }

    static QString iniPath(const testutil::ProgramDir &dir)
    {
        return dir.file(QStringLiteral("norva.ini"));
    }
    void loadLines(const testutil::ProgramDir &dir, const QStringList &lines)
    {
        testutil::writeAll(iniPath(dir), testutil::cp932Lines(lines));
        QVERIFY(load());
    }
    static QString today(int day = 0)
    {
        const QDate d = QDate::currentDate();
        return formatDateYmd(day ? QDate(d.year(), d.month(), day) : d);
    }

private slots:
    void defaultsWithoutAFile()
    {
        testutil::ProgramDir dir;
        QVERIFY(!load());
        QCOMPARE(settings().value(Settings::MainWidth), QVariant(7500));
        QCOMPARE(settings().value(Settings::VisibleWindow).toInt(), 31);
        QCOMPARE(settings().value(Settings::VisibleWindow).typeId(), int(QMetaType::Short));
        QCOMPARE(settings().value(Settings::MainToolbar), QVariant(true));
        QCOMPARE(settings().value(Settings::ScoreFile).toString(),
                 dir.path() + QStringLiteral("/MjScore.txt"));
        QCOMPARE(settings().value(Settings::UserName).toString(), QString());
        QCOMPARE(settings().value(Settings::StartDate).toDateTime().date(),
                 QDate(QDate::currentDate().year(), QDate::currentDate().month(), 1));
        QCOMPARE(settings().value(Settings::EndDate).toDateTime().date(), QDate::currentDate());
        // The range takes today's games up to the end of the day.
        QCOMPARE(settings().value(Settings::StartTime).toDateTime().time(), QTime(0, 0));
        QCOMPARE(settings().value(Settings::EndTime).toDateTime().time(), QTime(23, 59));
        QCOMPARE(settings().value(Settings::GraphFlowPnt).toString(), QStringLiteral("128000128"));
        QVERIFY(!Settings::keyNamed(u"mainwidth"));
        QCOMPARE(Settings::keyNamed(u"mainwidth", Qt::CaseInsensitive), Settings::MainWidth);
        QVERIFY(!Settings::keyNamed(u"NoSuchKey", Qt::CaseInsensitive));
    }

    void defaultLayoutIsWrittenExactly()
    {
        testutil::ProgramDir dir;
        load();
        QVERIFY(save());
        const QByteArray expected = testutil::cp932Lines({
            QStringLiteral("[norva]"),
            QString(),
            QStringLiteral("MainWidth=7500"),
            QStringLiteral("MainHeight=6500"),
            QStringLiteral("ScoreFile=") + dir.path() + QStringLiteral("/MjScore.txt"),
            QStringLiteral("UserName="),
            QStringLiteral("StartDate=") + today(1),
            QStringLiteral("StartTime=0:0"),
            QStringLiteral("EndDate=") + today(),
            QStringLiteral("EndTime=23:59"),
            QStringLiteral("GraphWidth=5205"),
            QStringLiteral("GraphHeight=3200"),
        });
        QCOMPARE(testutil::readAll(iniPath(dir)), expected);
    }

    void everyConditionalLineAfterChanges()
    {
        testutil::ProgramDir dir;
        load();
        settings().setValue(Settings::VisibleWindow, 18);
        settings().setValue(Settings::MainToolbar, false);
        settings().setValue(Settings::UserName, QStringLiteral("かもめ"));
        settings().setValue(Settings::SpecifyDate, false);
        settings().setValue(Settings::StartDate, QStringLiteral("2002/7/1"));
        settings().setValue(Settings::StartTime, QStringLiteral("9:05"));
        settings().setValue(Settings::EndDate, QStringLiteral("2002/7/5"));
        settings().setValue(Settings::EndTime, QStringLiteral("23:59:30"));
        settings().setValue(Settings::TableKind1, 0);
        settings().setValue(Settings::TableKind2, 2.5); // halves to even
        settings().setValue(Settings::AutoCalc, true);
        settings().setValue(Settings::CheckLine, 250);
        settings().setValue(Settings::GraphDisp, 1);
        settings().setValue(Settings::GraphFore, QStringLiteral("000000255"));
        settings().setValue(Settings::GraphFlowPnt, QStringLiteral("128000129"));
        settings().setValue(Settings::FollowLog, false);
        QVERIFY(save());
        const QByteArray expected = testutil::cp932Lines({
            QStringLiteral("[norva]"),
            QString(),
            QStringLiteral("MainWidth=7500"),
            QStringLiteral("MainHeight=6500"),
            QStringLiteral("VisibleWindow=18"),
            QStringLiteral("MainToolbar=False"),
            QStringLiteral("ScoreFile=") + dir.path() + QStringLiteral("/MjScore.txt"),
            QStringLiteral("UserName=かもめ"),
            QStringLiteral("SpecifyDate=False"),
            QStringLiteral("StartDate=2002/7/1"),
            QStringLiteral("StartTime=9:5"),
            QStringLiteral("EndDate=2002/7/5"),
            QStringLiteral("EndTime=23:59"),
            QStringLiteral("TableKind1=0"),
            QStringLiteral("TableKind2=2"),
            QStringLiteral("AutoCalc=True"),
            QStringLiteral("CheckLine=250"),
            QStringLiteral("GraphWidth=5205"),
            QStringLiteral("GraphHeight=3200"),
            QStringLiteral("GraphDisp=1"),
            QStringLiteral("GraphFore=000000255"),
            QStringLiteral("GraphFlowPnt=128000129"),
            QStringLiteral("FollowLog=False"),
        });
        QCOMPARE(testutil::readAll(iniPath(dir)), expected);

        // And it reads back as it was written.
        QVERIFY(load());
        QCOMPARE(settings().value(Settings::StartTime).toDateTime().time(), QTime(9, 5));
        QCOMPARE(settings().value(Settings::TableKind2).toInt(), 2);
        QCOMPARE(settings().value(Settings::UserName).toString(), QStringLiteral("かもめ"));
        QVERIFY(save());
        QCOMPARE(testutil::readAll(iniPath(dir)), expected);
    }

    void lenientReading_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("expected");
        const auto S = [](const char *s) {
            return QString::fromUtf8(s);
        };
        QTest::newRow("spaces, lower case, negative")
            << QStringList{S("   mainwidth  =  -8000")} << S("MainWidth") << QVariant(8000);
        QTest::newRow("fraction halves to even")
            << QStringList{S("MainHeight=6500.5")} << S("MainHeight") << QVariant(6500);
        QTest::newRow("VisibleWindow 40")
            << QStringList{S("VisibleWindow=40")} << S("VisibleWindow") << QVariant(31);
        QTest::newRow("VisibleWindow -1")
            << QStringList{S("VisibleWindow=-1")} << S("VisibleWindow") << QVariant(31);
        QTest::newRow("VisibleWindow not a number keeps earlier")
            << QStringList{S("VisibleWindow=5"), S("VisibleWindow=abc")} << S("VisibleWindow")
            << QVariant(5);
        QTest::newRow("VisibleWindow 70000 keeps earlier")
            << QStringList{S("VisibleWindow=6"), S("VisibleWindow=70000")} << S("VisibleWindow")
            << QVariant(6);
        QTest::newRow("CheckLine 50")
            << QStringList{S("CheckLine=50")} << S("CheckLine") << QVariant(100);
        QTest::newRow("CheckLine 250")
            << QStringList{S("CheckLine=250")} << S("CheckLine") << QVariant(250);
        QTest::newRow("colour with spaces") << QStringList{S("GraphFore=  000000255  ")}
                                            << S("GraphFore") << QVariant(S("000000255"));
        QTest::newRow("colour of eight characters ignored")
            << QStringList{S("GraphFore=00000025")} << S("GraphFore") << QVariant(S("000000000"));
        QTest::newRow("colour of nine letters")
            << QStringList{S("GraphBack=abcdefghi")} << S("GraphBack") << QVariant(S("abcdefghi"));
        QTest::newRow("user name with =")
            << QStringList{S("UserName= a=b ")} << S("UserName") << QVariant(S("a=b"));
        QTest::newRow("empty user name")
            << QStringList{S("UserName=x"), S("UserName=")} << S("UserName") << QVariant(QString());
        QTest::newRow("two AutoCalc lines") << QStringList{S("AutoCalc=True"), S("autocalc=FALSE")}
                                            << S("AutoCalc") << QVariant(false);
        QTest::newRow("bool as number")
            << QStringList{S("AutoCalc=2")} << S("AutoCalc") << QVariant(true);
        QTest::newRow("bool as nonsense keeps")
            << QStringList{S("MainToolbar=perhaps")} << S("MainToolbar") << QVariant(true);
        QTest::newRow("header, no =, leading =")
            << QStringList{S("[norva]"), S("MainWidth 9000"), S("=MainWidth=9000"), S(""),
                           S("; comment")}
            << S("MainWidth") << QVariant(7500);
        QTest::newRow("tab before key is no blank")
            << QStringList{S("\tMainWidth=9000")} << S("MainWidth") << QVariant(7500);
        QTest::newRow("unknown key") << QStringList{S("Foo=1")} << S("MainWidth") << QVariant(7500);
        QTest::newRow("abs of int32 minimum keeps")
            << QStringList{S("GraphWidth=-2147483648")} << S("GraphWidth") << QVariant(5205);
        QTest::newRow("TableKind no check")
            << QStringList{S("TableKind1=-5")} << S("TableKind1") << QVariant(-5);
        QTest::newRow("stored EndTime 0:0 stands")
            << QStringList{S("EndTime=0:0")} << S("EndTime")
            << QVariant(makeDateTime(zeroDate(), QTime(0, 0)));
        QTest::newRow("score file trimmed") << QStringList{S("ScoreFile=  /x/y z.txt  ")}
                                            << S("ScoreFile") << QVariant(S("/x/y z.txt"));
    }
    void lenientReading()
    {
        QFETCH(QStringList, lines);
        QFETCH(QString, key);
        QFETCH(QVariant, expected);
        testutil::ProgramDir dir;
        loadLines(dir, lines);
        const QVariant got = valueNamed(key);
        if (expected.typeId() == QMetaType::Int)
            QCOMPARE(got.toInt(), expected.toInt());
        else
            QCOMPARE(got, expected);
    }

    void datesAndTimesRoundTrip()
    {
        testutil::ProgramDir dir;
        loadLines(dir,
                  {QStringLiteral("StartTime= 9:05 "), QStringLiteral("EndTime=10:20:30"),
                   QStringLiteral("StartDate=2002/06/01"), QStringLiteral("EndDate=2002/13/1")});
        QCOMPARE(settings().value(Settings::StartTime).toDateTime().time(), QTime(9, 5));
        QCOMPARE(settings().value(Settings::EndTime).toDateTime().time(), QTime(10, 20, 30));
        QCOMPARE(settings().value(Settings::StartDate).toDateTime().date(), QDate(2002, 6, 1));
        QCOMPARE(settings().value(Settings::EndDate).toDateTime().date(),
                 QDate::currentDate()); // month 13 is no date: the default stands
        QVERIFY(save());
        const QByteArray text = testutil::readAll(iniPath(dir));
        QVERIFY(text.contains("StartTime=9:5\r\n"));
        QVERIFY(text.contains("EndTime=10:20\r\n")); // seconds dropped
        QVERIFY(text.contains("StartDate=2002/6/1\r\n"));
    }

    void setParamValueConversions()
    {
        testutil::ProgramDir dir;
        load();
        settings().setValue(Settings::UserName, 12);
        QCOMPARE(settings().value(Settings::UserName), QVariant(QStringLiteral("12")));
        settings().setValue(Settings::MainWidth, 100.5);
        QCOMPARE(settings().value(Settings::MainWidth), QVariant(100));
        settings().setValue(Settings::AutoCalc, QStringLiteral("true"));
        QCOMPARE(settings().value(Settings::AutoCalc), QVariant(true));

        const QVariant before = settings().value(Settings::EndDate);
        QVERIFY_THROWS_EXCEPTION(
            Error, settings().setValue(Settings::EndDate, QStringLiteral("2002/13/1")));
        QVERIFY_THROWS_EXCEPTION(Error, settings().setValue(Settings::EndDate, QString()));
        QCOMPARE(settings().value(Settings::EndDate), before);
        try {
            settings().setValue(Settings::TableKind1, 40000);
            QFAIL("no overflow");
        } catch (const Error &e) {
            QCOMPARE(e.kind(), ErrorKind::Overflow);
        }
        QCOMPARE(settings().value(Settings::TableKind1).toInt(), 773);
    }

    void failedWriteKeepsTheOldFile()
    {
        testutil::ProgramDir dir;
        load();
        settings().setValue(Settings::UserName, QStringLiteral("old"));
        QVERIFY(save());
        const QByteArray old = testutil::readAll(iniPath(dir));
        settings().setValue(Settings::UserName, QStringLiteral("new"));

        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
        {
            testutil::HonourPermissions honour;
            int asked = 0;
            QString message;
            const bool ok = save([&](const Error &e) {
                message = e.description();
                return ++asked < 2; // Retry once, then Cancel
            });
            QVERIFY(!ok);
            QCOMPARE(asked, 2);
            QVERIFY(message.contains(iniPath(dir)));
        }
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(testutil::readAll(iniPath(dir)), old);
        const QStringList left = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
        QCOMPARE(left, QStringList{QStringLiteral("norva.ini")});

        // Retry after the folder became writable again writes the new file.
        int asked = 0;
        setWriteFailureForTests([&] { return asked == 0; });
        QVERIFY(save([&](const Error &) { return ++asked > 0; }));
        setWriteFailureForTests({});
        QVERIFY(testutil::readAll(iniPath(dir)).contains("UserName=new\r\n"));
    }

    void textsThePlainFileCannotHold()
    {
        testutil::ProgramDir dir;
        load();
        const QString path = QStringLiteral("/home/José/log\nMainWidth=1\\x.txt");
        settings().setValue(Settings::ScoreFile, path);
        settings().setValue(Settings::UserName, QStringLiteral("かもめ"));
        QVERIFY(save());
        const QByteArray bytes = testutil::readAll(iniPath(dir));
        QVERIFY(bytes.startsWith("\xEF\xBB\xBF[norva]\r\n\r\nMainWidth=7500\r\n"));
        QCOMPARE(bytes.count("\nMainWidth="), 1);
        QVERIFY(load());
        QCOMPARE(settings().value(Settings::ScoreFile).toString(), path);
        QCOMPARE(settings().value(Settings::UserName).toString(), QStringLiteral("かもめ"));
        QCOMPARE(settings().value(Settings::MainWidth).toInt(), 7500);
    }

    void textsSurviveTheFile_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("wide");       // written as UTF-8 with a byte-order mark
        QTest::addColumn<QByteArray>("line"); // the line as it stands in the file
        QTest::newRow("line feed and a key behind it")
            << u"ScoreFile"_s << u"/logs/a.txt\nMainWidth=1"_s << true
            << QByteArray("ScoreFile=/logs/a.txt\\nMainWidth=1\r\n");
        QTest::newRow("carriage return") << u"UserName"_s << u"a\rVisibleWindow=0"_s << true
                                         << QByteArray("UserName=a\\rVisibleWindow=0\r\n");
        QTest::newRow("emoji in the user name") << u"UserName"_s << u"かもめ\U0001F985"_s << true
                                                << (u"UserName=かもめ\U0001F985\r\n"_s).toUtf8();
        QTest::newRow("backslashes, plain")
            << u"ScoreFile"_s << u"C:\\logs\\new\\MjScore.txt"_s << false
            << QByteArray("ScoreFile=C:\\logs\\new\\MjScore.txt\r\n");
        QTest::newRow("backslashes, plain, in a trail byte")
            << u"ScoreFile"_s << u"C:\\表\\ソ\\n.txt"_s << false
            << cp932::encodeLossy(u"ScoreFile=C:\\表\\ソ\\n.txt\r\n");
        QTest::newRow("backslashes, wide")
            << u"ScoreFile"_s << u"C:\\José\\new\\r.txt"_s << true
            << QByteArray("ScoreFile=C:\\\\Jos\xc3\xa9\\\\new\\\\r.txt\r\n");
        QTest::newRow("yen sign") << u"UserName"_s << u"¥100"_s << true
                                  << QByteArray("UserName=\xc2\xa5"
                                                "100\r\n");
        QTest::newRow("wave dash of the other code page") << u"UserName"_s << u"a\u301Cb"_s << true
                                                          << QByteArray("UserName=a\xe3\x80\x9c"
                                                                        "b\r\n");
        QTest::newRow("colour with a backslash")
            << u"GraphFore"_s << u"12345678\\"_s << false << QByteArray("GraphFore=12345678\\\r\n");
        QTest::newRow("colour with a line feed")
            << u"GraphBack"_s << u"1234567\n8"_s << true << QByteArray("GraphBack=1234567\\n8\r\n");
    }
    void textsSurviveTheFile()
    {
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(bool, wide);
        QFETCH(QByteArray, line);
        testutil::ProgramDir dir;
        load();
        settings().setValue(*Settings::keyNamed(key), value);
        settings().setValue(Settings::MainWidth, 9000);
        QVERIFY(save());
        const QByteArray bytes = testutil::readAll(iniPath(dir));
        QCOMPARE(bytes.startsWith("\xEF\xBB\xBF[norva]\r\n"), wide);
        QVERIFY2(bytes.contains(QByteArray(QByteArray("\n") + line)), bytes.constData());
        // One line per setting: nothing the value holds starts a line of its own.
        QCOMPARE(bytes.count("\nMainWidth="), 1);
        QCOMPARE(bytes.count("\nVisibleWindow="), 0);
        QVERIFY(load());
        QCOMPARE(valueNamed(key).toString(), value);
        QCOMPARE(settings().value(Settings::MainWidth).toInt(), 9000);
        QCOMPARE(settings().value(Settings::VisibleWindow).toInt(), 31);
        // And once more: the file written from what was read is the same.
        QVERIFY(save());
        QCOMPARE(testutil::readAll(iniPath(dir)), bytes);
    }

    void programFolderTheCodePageCannotName()
    {
        // The default score log lies in the program's folder, here "José".
        testutil::ProgramDir dir;
        const QString home = dir.file(u"José"_s);
        QVERIFY(QDir().mkpath(home));
        m_folder = home;
        load();
        const QString scoreFile = home + u"/MjScore.txt"_s;
        QCOMPARE(settings().value(Settings::ScoreFile).toString(), scoreFile);
        QVERIFY(save());
        const QString ini = home + u"/norva.ini"_s;
        QVERIFY(
            testutil::readAll(ini).contains((u"ScoreFile="_s + scoreFile + u"\r\n"_s).toUtf8()));
        settings().setValue(Settings::ScoreFile, u"elsewhere"_s);
        QVERIFY(load());
        QCOMPARE(settings().value(Settings::ScoreFile).toString(), scoreFile);
        m_folder.clear();
    }

    void fileThatWasNotReadCleanlyIsKept_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("clean");
        const QByteArray cp932 = testutil::cp932Lines({u"[norva]"_s, u"UserName=かもめ"_s});
        QByteArray utf16("\xFF\xFE");
        for (QChar c : u"[norva]\r\nUserName=かもめ\r\n"_s)
            utf16 += char(c.unicode() & 0xFF) + QByteArray(1, char(c.unicode() >> 8));
        QTest::newRow("UTF-16") << utf16 << false;
        QTest::newRow("a byte-order mark before CP932")
            << QByteArray("\xEF\xBB\xBF") + cp932 << false;
        QTest::newRow("a line beyond the limit")
            << cp932 + QByteArray(LineReader::DefaultMaxLineLength + 10, 'x') << false;
        QTest::newRow("CP932, as written") << cp932 << true;
        QTest::newRow("UTF-8 with its mark, as written")
            << QByteArray("\xEF\xBB\xBF[norva]\r\nUserName=José\r\n") << true;
    }
    void fileThatWasNotReadCleanlyIsKept()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, clean);
        testutil::ProgramDir dir;
        testutil::writeAll(iniPath(dir), bytes);
        load();
        QCOMPARE(settings().fileState(),
                 clean ? Settings::FileState::Clean : Settings::FileState::Unclean);
        // Kept once, before the first write over it; a clean file never.
        const QString bak = iniPath(dir) + u".bak"_s;
        QVERIFY(save());
        QCOMPARE(QFile::exists(bak), !clean);
        if (!clean) {
            QCOMPARE(settings().backupPath(), bak);
            QCOMPARE(testutil::readAll(bak), bytes);
            testutil::writeAll(iniPath(dir), "changed");
            QVERIFY(save());
            QCOMPARE(testutil::readAll(bak), bytes);
        }
        QCOMPARE(testutil::readAll(iniPath(dir)), settings().fileBytes());
        // Nothing to keep where there is no file.
        QFile::remove(iniPath(dir));
        QFile::remove(bak);
        load();
        QCOMPARE(settings().fileState(), Settings::FileState::Missing);
        QVERIFY(save());
        QVERIFY(!QFile::exists(bak));
    }

    // ------------------------------------------------ the backup

    void backupKeepsOnlyTheFileRead_data()
    {
        QTest::addColumn<QString>("before"); // what stands at norva.ini.bak
        QTest::addColumn<QString>("keptAs");
        QTest::newRow("a link to the score log") << u"link"_s << u"norva.ini.bak"_s;
        QTest::newRow("a folder") << u"folder"_s << u"norva.ini.bak.2"_s;
        QTest::newRow("the backup of an earlier damage") << u"earlier"_s << u"norva.ini.bak.2"_s;
        QTest::newRow("nothing; another copy of the program exits first")
            << u"other copy"_s << u"norva.ini.bak"_s;
    }
    void backupKeepsOnlyTheFileRead()
    {
        // A damaged settings file is kept, never written through a link, never
        // over an earlier backup, and never replaced by a file that is not the
        // one read (the clean file of another copy that exited first).
        QFETCH(QString, before);
        QFETCH(QString, keptAs);
        testutil::ProgramDir dir;
        const QString log = dir.file(u"MjScore.txt"_s);
        const QString bak = iniPath(dir) + u".bak"_s;
        testutil::writeAll(log, "the log\r\n");
        const QByteArray damaged("[norva]\r\nUserName=\x81\r\n");
        testutil::writeAll(iniPath(dir), damaged);
        if (before == u"link")
            QVERIFY(QFile::link(log, bak));
        else if (before == u"folder")
            QVERIFY(QDir().mkpath(bak + u"/inside"_s));
        else if (before == u"earlier")
            testutil::writeAll(bak, "earlier damage");
        load();
        QCOMPARE(settings().fileState(), Settings::FileState::Unclean);
        QCOMPARE(settings().backupPath(), dir.file(keptAs));
        if (before == u"other copy") {
            Settings first(files().defaultScoreFile);
            first.load(iniPath(dir));
            QVERIFY(first.save(iniPath(dir)));
        }
        int prompts = 0;
        QVERIFY(save([&](const Error &) { return ++prompts < 0; }));
        QCOMPARE(prompts, 0);
        QCOMPARE(testutil::readAll(dir.file(keptAs)), damaged);
        QCOMPARE(testutil::readAll(log), QByteArray("the log\r\n"));
        QCOMPARE(testutil::readAll(iniPath(dir)), settings().fileBytes());
        if (before == u"earlier")
            QCOMPARE(testutil::readAll(bak), QByteArray("earlier damage"));
        if (before == u"folder")
            QVERIFY(QFileInfo(bak + u"/inside"_s).isDir());
        QVERIFY(QDir(dir.path()).entryList(QDir::Hidden | QDir::Files).filter(u".tmp"_s).isEmpty());
    }

    // ------------------------------------------------ the environment

    void userFolders_data()
    {
        QTest::addColumn<QStringList>("variables"); // HOME, XDG_CONFIG_HOME, the account's home
        QTest::addColumn<QStringList>("folders");   // home, configuration, whether home was chosen
        const QString tmp = QDir::tempPath();
        QTest::newRow("both set") << QStringList{u"/home/u"_s, u"/cfg"_s, u"/home/acct"_s}
                                  << QStringList{u"/home/u"_s, u"/cfg"_s, u"no"_s};
        QTest::newRow("a relative XDG_CONFIG_HOME")
            << QStringList{u"/home/u"_s, u"cfg"_s, u"/home/acct"_s}
            << QStringList{u"/home/u"_s, u"/home/u/.config"_s, u"no"_s};
        QTest::newRow("HOME unset")
            << QStringList{QString(), QString(), u"/home/acct"_s}
            << QStringList{u"/home/acct"_s, u"/home/acct/.config"_s, u"chosen"_s};
        QTest::newRow("a relative HOME") << QStringList{u"u"_s, u"/cfg"_s, u"/home/acct"_s}
                                         << QStringList{u"/home/acct"_s, u"/cfg"_s, u"chosen"_s};
        QTest::newRow("HOME unset, the account's home the root folder")
            << QStringList{QString(), QString(), u"/"_s}
            << QStringList{tmp, tmp + u"/.config"_s, u"chosen"_s};
        QTest::newRow("HOME unset, no account")
            << QStringList{QString(), QString(), QString()}
            << QStringList{tmp, tmp + u"/.config"_s, u"chosen"_s};
    }
    void userFolders()
    {
        QFETCH(QStringList, variables);
        QFETCH(QStringList, folders);
        const UserFolders f = norva::userFolders(variables[0], variables[1], variables[2]);
        QCOMPARE((QStringList{f.home, f.configHome, f.homeChosen ? u"chosen"_s : u"no"_s}),
                 folders);
    }

    void fileAttributes()
    {
        testutil::ProgramDir dir;
        const QString file = dir.file(QStringLiteral("a.txt"));
        testutil::writeAll(file, "x");
        QVERIFY(fileops::hasAttributes(file, 0));
        QVERIFY(fileops::hasAttributes(file, 32));
        QVERIFY(!fileops::hasAttributes(file, 16));
        QVERIFY(fileops::hasAttributes(dir.path(), 0));
        QVERIFY(fileops::hasAttributes(dir.path(), 16));
        QVERIFY(!fileops::hasAttributes(dir.file(QStringLiteral("none")), 0));
        QVERIFY(!fileops::hasAttributes(QString(), 0));
        const QString hidden = dir.file(QStringLiteral(".h"));
        testutil::writeAll(hidden, "x");
        QVERIFY(fileops::hasAttributes(hidden, 2));
        QVERIFY(!fileops::hasAttributes(file, 2));
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"

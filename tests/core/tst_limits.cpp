// What the score log pass does with logs at and beyond its limits, and with
// files that are no score log at all: it ends with its error or reads on, on
// both comparison paths alike, and it never touches the log.

#include "calctestutil.h"

#include "core/common/cp932.h"
#include "core/common/textfile.h"

#include <QFileInfo>
#include <QRandomGenerator>
#include <QTest>

#include <sys/stat.h>
#include <utime.h>

using namespace norva;
using namespace calctest;

namespace {

QByteArray lines(const QStringList &l)
{
    return testutil::cp932Lines(l);
}

// A small counted game of かもめ with one own win.
QStringList oneGame(int rank = 2, const QString &score = QStringLiteral("+9"))
{
    return {header(),
            ratingLine(),
            QStringLiteral("  東1局 0本場(リーチ0) かもめ 1000 ぽんた -1000 "),
            QStringLiteral("    30符 一飜ロン"),
            result(rank, QStringLiteral("かもめ"), score),
            finish()};
}

struct Both
{
    bool ok;
    std::optional<ErrorKind> error;
    qint64 line;
    QList<qint32> values;
};

// Runs the log on the byte path and on the plain path; the two must agree.
Both runBoth(Pass &pass)
{
    const bool plainOk = pass.run(ScorePassMode::Plain);
    const auto plainError = pass.error();
    const qint64 plainLine = pass.errorLine();
    const QList<qint32> plain = snapshot();
    const bool fastOk = pass.run(ScorePassMode::Fast);
    [&] {
        if (pass.errorLine() != 0) // the log was opened
            QCOMPARE(pass.modeUsed(), ScorePassMode::Fast);
        QCOMPARE(fastOk, plainOk);
        QCOMPARE(pass.error(), plainError);
        QCOMPARE(pass.errorLine(), plainLine);
        QCOMPARE(snapshot(), plain);
    }();
    return {fastOk, pass.error(), pass.errorLine(), plain};
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
void ageFile(const QString &path)
{
    const QFileInfo fi(path);
    struct utimbuf times;
    times.actime = times.modtime = fi.lastModified().toSecsSinceEpoch() - 3600;
    QCOMPARE(::utime(QFile::encodeName(path).constData(), &times), 0);
}

} // namespace

class TestLimits : public QObject
{
    Q_OBJECT

private slots:
    // ------------------------------------------------ the record's widths

    void game32701EndsThePassAndTheNextOneWorks()
    {
        Pass pass;
        // Scores +1 and -1 by turns keep the running total within 16 bits.
        const QByteArray up = lines(oneGame(1, QStringLiteral("+1")));
        const QByteArray down = lines(oneGame(3, QStringLiteral("-1")));
        const QByteArray pair = up + down;
        QByteArray log;
        log.reserve(pair.size() * 16351);
        for (int i = 0; i < 16350; ++i)
            log += pair;
        const qint64 linesPerGame = oneGame().size();

        pass.writeBytes(log); // 32,700 games: the most the series hold
        Both r = runBoth(pass);
        QVERIFY(r.ok);
        QCOMPARE(value(calc::GameCount), 32700);
        QCOMPARE(value(calc::ScoreSumSeries, 32699), 0);

        pass.writeBytes(log + up);
        r = runBoth(pass);
        QVERIFY(!r.ok);
        QCOMPARE(r.error, std::optional(ErrorKind::Overflow));
        QCOMPARE(describe(*r.error), QStringLiteral("オーバーフローしました。"));
        QCOMPARE(r.line, 32700 * linesPerGame + 5); // the 32,701st result line

        // Nothing is left over for the next calculation.
        pass.writeLog(oneGame());
        r = runBoth(pass);
        QVERIFY(r.ok);
        QCOMPARE(value(calc::GameCount), 1);
        QCOMPARE(value(calc::ScoreSeries, 0), 9);
        QCOMPARE(value(calc::RankRunMax, 1), 1);
        QCOMPARE(value(calc::RankRunMax, 0), 0);
    }

    void progressLimitAtCheckLineTimes32768()
    {
        Pass pass;
        // One line short of the limit the pass reads to the end ...
        pass.writeBytes(QByteArray(100 * 32768 - 1, '\n'));
        QVERIFY(runBoth(pass).ok);
        QCOMPARE(pass.steps().size(), 32767);
        QCOMPARE(pass.steps().last(), 32767);
        // ... at the limit the step no longer fits and the pass ends there,
        // lines of games before it or not.
        pass.writeBytes(lines(oneGame()) + QByteArray(100 * 32768 - 6, '\r'));
        const Both r = runBoth(pass);
        QVERIFY(!r.ok);
        QCOMPARE(r.error, std::optional(ErrorKind::Overflow));
        QCOMPARE(r.line, 100 * 32768);
        // With a larger CheckLine the same log is no problem.
        Pass::set(QStringLiteral("CheckLine"), 1000);
        QVERIFY(runBoth(pass).ok);
        QCOMPARE(value(calc::GameCount), 1);
    }

    // ------------------------------------------------ shapes of the input

    void oddFiles_data()
    {
        QTest::addColumn<QByteArray>("log");
        QTest::addColumn<int>("games"); // counted games, on success
        QTest::addColumn<qint64>("lines");

        const QByteArray game = lines(oneGame());
        QTest::newRow("empty") << QByteArray() << 0 << qint64(0);
        QTest::newRow("only CR") << QByteArray(5000, '\r') << 0 << qint64(5000);
        QTest::newRow("only LF") << QByteArray(5000, '\n') << 0 << qint64(5000);
        QTest::newRow("only CR LF") << QByteArray("\r\n").repeated(3000) << 0 << qint64(3000);
        // LF, then CR LF over and over, then a lone CR.
        QTest::newRow("LF CR") << QByteArray("\n\r").repeated(3000) << 0 << qint64(3001);
        QTest::newRow("no line end at all") << QByteArray(300000, 'a') << 0 << qint64(1);
        QTest::newRow("a game with LF") << QByteArray(game).replace("\r\n", "\n") << 1 << qint64(6);
        QTest::newRow("a game with CR") << QByteArray(game).replace("\r\n", "\r") << 1 << qint64(6);
        QTest::newRow("a game without the last line end") << game.chopped(2) << 1 << qint64(6);
        QTest::newRow("only NUL bytes") << QByteArray(70000, '\0') << 0 << qint64(1);
        {
            // NUL bytes inside the lines of a game, none in the parts compared.
            QByteArray nul = game;
            nul.replace("30\x95\x84", QByteArray("30\0\0\x95\x84", 6)); // "30符"
            nul.replace(" -1000 ", QByteArray(" -1000\0 ", 8));
            nul.replace("+9\r\n", QByteArray("+9\r\n\0\0\0\r\n", 9));
            QTest::newRow("NUL bytes in a game") << nul << 1 << qint64(7);
        }
        {
            // A lead byte right before the line end takes neither the CR nor
            // the LF; the next line is read as it stands.
            QByteArray cut = game;
            cut.replace("-1000 \r\n", "-1000 \x81\r\n");
            cut.replace("\x83\x8d\x83\x93\r\n", "\x83\x8d\x83\x93\x9f\r\n"); // "ロン", then a lead
            QTest::newRow("lead bytes at line ends") << cut << 1 << qint64(6);
        }
        {
            // Bytes that are no character stand where the user's name is
            // looked for: U+FFFD in the text, no match, nothing else changes.
            QByteArray bad = game;
            bad.replace(cp932::encodeLossy(u"  持点25000 "), "  \x8e\x9d\x93_25000 \xff\xa0\xfd");
            QTest::newRow("undefined bytes") << bad << 1 << qint64(6);
            QByteArray broken = game;
            broken.replace(cp932::encodeLossy(u" かもめ 1000"),
                           "\x81 \x82\xa9\x82\xe0\x82\xdf 1000");
            QTest::newRow("a lead byte before the name") << broken << 1 << qint64(6);
        }
        {
            QByteArray binary(1 << 20, Qt::Uninitialized);
            QRandomGenerator rng(20090314);
            rng.fillRange(reinterpret_cast<quint32 *>(binary.data()), binary.size() / 4);
            binary.replace("=====", "=x===").replace("-----", "-x---");
            QTest::newRow("binary") << binary << 0 << countLinesOf(binary);
            QTest::newRow("binary around a game")
                << binary.left(5000) + "\r\n" + game + binary.mid(5000, 5000) << 1
                << countLinesOf(binary.left(5000) + "\r\n" + game + binary.mid(5000, 5000));
        }
    }
    void oddFiles()
    {
        QFETCH(QByteArray, log);
        QFETCH(int, games);
        QFETCH(qint64, lines);
        Pass pass;
        Pass::set(QStringLiteral("CheckLine"), 1000);
        pass.writeBytes(log);
        const Both r = runBoth(pass);
        QVERIFY(r.ok);
        QCOMPARE(value(calc::GameCount), games);
        QCOMPARE(calctest::countLines(), qint32(lines));
        QCOMPARE(pass.steps().size(), qsizetype(lines / 1000));
        if (games == 1) {
            QCOMPARE(value(calc::OwnRon), 1);
            QCOMPARE(value(calc::WinByHan, 0), 1);
        }
    }

    void tenMegabyteLines()
    {
        // A header and a hand result line of 10 MB each, inside one game.
        const QString filler(5 * 1024 * 1024, u'卓');
        QStringList log = oneGame();
        log[0] = QStringLiteral("===== 東風戦：一般卓") + filler
                 + QStringLiteral(" 12卓 開始 2009/03/14 21:05 =====");
        log[3] = QStringLiteral("    ") + filler + QStringLiteral("一飜ツモ");
        Pass pass;
        Pass::set(QStringLiteral("SpecifyDate"), true);
        Pass::set(QStringLiteral("StartDate"), QStringLiteral("2009/3/14"));
        Pass::set(QStringLiteral("EndDate"), QStringLiteral("2009/3/14"));
        Pass::set(QStringLiteral("EndTime"), QStringLiteral("23:59"));
        pass.writeLog(log);
        QVERIFY(QFileInfo(pass.logPath()).size() > 20 * 1024 * 1024);
        const Both r = runBoth(pass);
        QVERIFY(r.ok);
        QCOMPARE(value(calc::GameCount), 1);
        QCOMPARE(value(calc::OwnTsumo), 1);
        QCOMPARE(value(calc::WinByHan, 0), 1);
    }

    void aLineBeyondTheReadersLimit()
    {
        // No line end in more than 64 MiB (a disk image, a file of zeros):
        // the pass stops with its error instead of holding it all in memory.
        Pass pass;
        QByteArray log = lines(oneGame());
        log += QByteArray(LineReader::DefaultMaxLineLength + 1, '\0');
        pass.writeBytes(log);
        const Both r = runBoth(pass);
        QVERIFY(!r.ok);
        QCOMPARE(r.error, std::optional(ErrorKind::LineTooLong));
        QCOMPARE(describe(*r.error), QStringLiteral("1 行が長すぎるため読み込めません。"));
        QCOMPARE(r.line, 7);                 // the line that could not be read
        QCOMPARE(calctest::countLines(), 7); // counting needs no line in memory
    }

    void lineReaderLimit_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<bool>("fits");
        const QByteArray max(100, 'x');
        QTest::newRow("longest line, CR LF") << max + "\r\n" + max << true;
        QTest::newRow("longest line, lone CR") << max + "\r" + max + "\r" << true;
        QTest::newRow("longest line at the end") << "a\n" + max << true;
        QTest::newRow("one byte more, LF") << max + "x\n" << false;
        QTest::newRow("one byte more, CR LF") << "a\r\n" + max + "x\r\n" << false;
        QTest::newRow("one byte more at the end") << max + "x" << false;
        QTest::newRow("far more") << QByteArray(100000, 'x') << false;
    }
    void lineReaderLimit()
    {
        QFETCH(QByteArray, data);
        QFETCH(bool, fits);
        testutil::ProgramDir dir;
        const QString path = dir.file(QStringLiteral("f.txt"));
        QVERIFY(testutil::writeAll(path, data));
        for (qsizetype buffer : {16, 1 << 20}) {
            qsizetype longest = 0;
            const int kind = raisedKind([&] {
                LineReader reader(path, buffer, 100);
                QByteArrayView line;
                while (reader.next(line))
                    longest = qMax(longest, line.size());
            });
            QCOMPARE(kind, fits ? -1 : int(ErrorKind::LineTooLong));
            if (fits)
                QCOMPARE(longest, 100);
        }
    }

    // ------------------------------------------------ where the log lies

    void readOnlyLogIsStillRead()
    {
        Pass pass;
        pass.writeLog(oneGame());
        const QString folder = pass.path();
        QVERIFY(QFile::setPermissions(pass.logPath(), QFile::ReadOwner));
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        {
            testutil::HonourPermissions honour;
            QCOMPARE(calctest::countLines(), 6);
            QVERIFY(runBoth(pass).ok);
            QCOMPARE(value(calc::GameCount), 1);
        }
        QVERIFY(
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    }

    void unreadableLogIsAnError()
    {
        Pass pass;
        pass.writeLog(oneGame());
        QVERIFY(QFile::setPermissions(pass.logPath(), QFileDevice::Permissions()));
        {
            testutil::HonourPermissions honour;
            const Both r = runBoth(pass);
            QVERIFY(!r.ok);
            QCOMPARE(r.error, std::optional(ErrorKind::ReadDenied));
            QCOMPARE(r.line, 0);
            QCOMPARE(calctest::countLines(), 0);
        }
        QVERIFY(QFile::setPermissions(pass.logPath(), QFile::ReadOwner | QFile::WriteOwner));
    }

    void namedPipeAsTheScoreLog()
    {
        // Opening a pipe nobody writes to would wait for ever; it is refused
        // as no regular file, and counting its lines gives 0.
        Pass pass;
        QCOMPARE(::mkfifo(QFile::encodeName(pass.logPath()).constData(), 0644), 0);
        QCOMPARE(calctest::countLines(), 0);
        const Both r = runBoth(pass);
        QVERIFY(!r.ok);
        QCOMPARE(r.error, std::optional(ErrorKind::NotRegularFile));
        QCOMPARE(r.line, 0);
    }

    void pathWithANulCharacter()
    {
        // Not the file named by the part in front of the NUL.
        Pass pass;
        pass.writeLog(oneGame());
        Pass::set(QStringLiteral("ScoreFile"), QString(pass.logPath() + QChar(0) + u".x"));
        QVERIFY(!pass.run());
        QCOMPARE(pass.error(), std::optional(ErrorKind::FileAccess));
        QCOMPARE(calctest::countLines(), 0);
    }

    void passNeverWritesTheLog()
    {
        Pass pass;
        QByteArray log = lines(oneGame());
        log += "\x81"; // a last line without an end, ending in half a character
        pass.writeBytes(log);
        ageFile(pass.logPath());
        const FileState before = stateOf(pass.logPath());
        QVERIFY(runBoth(pass).ok);
        QCOMPARE(calctest::countLines(), 7);
        QVERIFY(stateOf(pass.logPath()) == before);
    }

private:
    static qint64 countLinesOf(const QByteArray &data)
    {
        testutil::ProgramDir dir;
        const QString path = dir.file(QStringLiteral("count.txt"));
        testutil::writeAll(path, data);
        return countLines(path);
    }
};

QTEST_GUILESS_MAIN(TestLimits)
#include "tst_limits.moc"

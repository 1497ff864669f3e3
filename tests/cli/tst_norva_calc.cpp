// norva-calc, run in-process and as a process on the fixture files.

#include "cli/calccommand.h"
#include "core/calc/calcresults.h"
#include "core/calc/gamescsv.h"
#include "core/calc/session.h"
#include "core/common/cp932.h"
#include "core/common/datetime.h"
#include "core/common/fileops.h"

#include "csvparse.h"
#include "scorelog.h"
#include "testutil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

using namespace norva;
using namespace Qt::StringLiterals;

namespace {

struct Run
{
    int code;
    QString out;
    QString err;
    QByteArray outBytes; // as written
};

// The session of the last in-process run: the program's folder, or the
// current stand-in for it.
norva::Session &lastSession()
{
    static std::unique_ptr<norva::Session> session;
    const testutil::ProgramDir *dir = testutil::ProgramDir::current();
    session = std::make_unique<norva::Session>(dir ? dir->locations()
                                                   : norva::FileLocations::ofProgram());
    return *session;
}

Run runNorvaCalc(const QStringList &args, bool terminal = false, norva::Session **used = nullptr)
{
    QByteArray out, err;
    {
        QTextStream o(&out), e(&err);
        norva::Session &session = lastSession();
        if (used)
            *used = &session;
        const int code = cli::runCalc(args, o, e, session, terminal);
        o.flush();
        e.flush();
        return {code, QString::fromUtf8(out), QString::fromUtf8(err), out};
    }
}

QString fixturePath(const QString &name)
{
    return QStringLiteral(NORVA_TEST_DATA "/") + name;
}

// The options that name the small fixture's settings, tables and log.
QStringList small(const QString &log = QStringLiteral("calc-small.log"))
{
    return {QStringLiteral("--ini"), fixturePath(QStringLiteral("calc-small.ini")),
            QStringLiteral("--dat"), fixturePath(QStringLiteral("calc-small.dat")),
            QStringLiteral("--log"), fixturePath(log)};
}

// A folder for the files a test makes: a pipe, an unreadable file, copies.
const QTemporaryDir &scratch()
{
    static QTemporaryDir dir;
    return dir;
}

QString scratchFile(const QString &name)
{
    return scratch().filePath(name);
}

// norva-calc as a process under the shell, for what QProcess cannot arrange:
// a closed or full output, names that are no UTF-8.
QProcess::ExitStatus shell(const QString &script, QProcess &p)
{
    p.setWorkingDirectory(scratch().path());
    p.start(QStringLiteral("/bin/sh"),
            {QStringLiteral("-c"), script, QStringLiteral(NORVA_CALC_EXE)}); // "$0" in the script
    p.waitForFinished(60000);
    return p.exitStatus();
}

// The expected report of the small fixture as the terminal shows it.
QString smallReportText()
{
    return cp932::decode(testutil::fixture(QStringLiteral("calc-small-report.txt")))
        .replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

} // namespace

class TestNorvaCalc : public QObject
{
    Q_OBJECT

private slots:
    void cleanupTestCase()
    {
        QFile::setPermissions(scratchFile(QStringLiteral("locked.ini")), QFile::ReadOwner);
    }

    void reportOnStdout()
    {
        const Run r = runNorvaCalc(small());
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out, smallReportText());
        QCOMPARE(r.err, QString());
    }

    void reportFileAsTheSaveCommandWritesIt()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("試合結果.txt"));
        const Run r = runNorvaCalc(small() << QStringLiteral("--report") << path);
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out, QString()); // the report went to the file only
        QCOMPARE(testutil::readAll(path),
                 testutil::fixture(QStringLiteral("calc-small-report.txt")));
    }

    void jsonOfTheSmallFixture()
    {
        const Run r = runNorvaCalc(small() << QStringLiteral("--json"));
        QCOMPARE(r.code, 0);
        const QString expected = QStringLiteral(R"({
  "GameCount": 2,
  "ScoreTotal": 13,
  "ScoreMax": 37,
  "ScoreMin": -24,
  "RankCount": [1, 0, 1, 0, 0],
  "RankRunMax": [1, 0, 1, 0, 0],
  "RankTotal": 4,
  "HandCount": 12,
  "OwnTsumo": 1,
  "OwnRon": 1,
  "OwnChombo": 1,
  "OtherTsumo": 1,
  "OtherRon": 3,
  "OtherChombo": 1,
  "DrawPlus": 1,
  "DrawMinus": 1,
  "OtherResult": 2,
  "WinHanCount": 2,
  "WinByHan": [1, 0, 0, 1, 0, 0, 0, 0, 0],
  "ScoreSeries": [37, -24],
  "RankSeries": [1, 3],
  "RatingSeries": [1620, 1634],
  "RatingMax": 1634,
  "RatingMin": 1620,
  "ScoreSumSeries": [37, 13],
  "ScoreSumMax": 37,
  "ScoreSumMin": 13
}
)");
        // The figures beside the record follow the others, which stay as they
        // were.
        const QString extra = QStringLiteral(R"(,
  "Extra": {
    "Wins": 2,
    "WinPoints": 14000,
    "DealIns": 3,
    "DealInPoints": 37900,
    "TsumoLosses": 1,
    "TsumoLossPoints": 2000,
    "RiichiHands": 1,
    "CallHands": 0,
    "RecordedHands": 2,
    "Opponents": [
      {"Name": "Rin", "Games": 2, "RankTotal": 4, "ScoreTotal": 13},
      {"Name": "ぽんた", "Games": 2, "RankTotal": 4, "ScoreTotal": 13},
      {"Name": "Kumo-7", "Games": 1, "RankTotal": 3, "ScoreTotal": -24},
      {"Name": "かもめ丸", "Games": 1, "RankTotal": 1, "ScoreTotal": 37}
    ],
    "TableKinds": [
      {"Group": 1, "Id": 1, "Games": 1, "RankTotal": 1, "ScoreTotal": 37},
      {"Group": 1, "Id": 4, "Games": 1, "RankTotal": 3, "ScoreTotal": -24},
      {"Group": 2, "Id": 1, "Games": 1, "RankTotal": 1, "ScoreTotal": 37},
      {"Group": 2, "Id": 4, "Games": 1, "RankTotal": 3, "ScoreTotal": -24},
      {"Group": 2, "Id": 2, "Games": 0, "RankTotal": 0, "ScoreTotal": 0}
    ]
  }
}
)");
        QCOMPARE(r.out, expected.chopped(3) + extra);
        QVERIFY(QJsonDocument::fromJson(r.out.toUtf8()).isObject());
    }

    void gamesOfTheSmallFixture()
    {
        // Standard output holds the CSV alone: a row per game as the series
        // have them; in JSON the same games, and only when asked for.
        norva::Session *used = nullptr;
        const Run r = runNorvaCalc(small() << u"--games-csv"_s << u"-"_s, false, &used);
        QCOMPARE(r.code, 0);
        QVERIFY(r.outBytes.startsWith("\xEF\xBB\xBF"));
        QCOMPARE(
            r.outBytes,
            csv::encode(csv::gamesText(used->results().games()), csv::Encoding::Utf8WithMark).data);
        bool ok = false;
        const QList<QStringList> rows = csvparse::parse(QString::fromUtf8(r.outBytes), &ok);
        QVERIFY(ok);
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows[1].mid(2, 3), (QStringList{u"1"_s, u"37"_s, u"1620"_s}));
        QCOMPARE(rows[2].mid(2, 3), (QStringList{u"3"_s, u"-24"_s, u"1634"_s}));

        const Run sjis = runNorvaCalc(small() << u"--games-csv"_s << u"-"_s << u"--shift-jis"_s);
        QCOMPARE(cp932::decode(sjis.outBytes), QString::fromUtf8(r.outBytes));

        const Run json = runNorvaCalc(small() << u"--json"_s << u"--games"_s);
        const QJsonArray games =
            QJsonDocument::fromJson(json.out.toUtf8()).object().value(u"Games"_s).toArray();
        QCOMPARE(games.size(), 2);
        QCOMPARE(games[1].toObject().value(u"Score"_s).toInt(), -24);
        QCOMPARE(games[1].toObject().value(u"Table"_s).toString(), rows[2][1]);
        QCOMPARE(games[1].toObject().value(u"Start"_s).toString(), rows[2][0]);
        QVERIFY(!QJsonDocument::fromJson(runNorvaCalc(small() << u"--json"_s).out.toUtf8())
                     .object()
                     .contains(u"Games"_s));
    }

    void gamesCsvNeverOntoTheLog()
    {
        QTemporaryDir dir;
        const QString log = dir.filePath(u"MjScore.txt"_s);
        QVERIFY(QFile::copy(fixturePath(u"calc-small.log"_s), log));
        const QByteArray before = testutil::readAll(log);
        const Run r = runNorvaCalc(small() << u"--log"_s << log << u"--games-csv"_s << log);
        QCOMPARE(r.code, 2);
        QCOMPARE(testutil::readAll(log), before);
        const QString csvPath = dir.filePath(u"games.csv"_s);
        QCOMPARE(runNorvaCalc(small() << u"--log"_s << log << u"--games-csv"_s << csvPath).code, 0);
        QVERIFY(testutil::readAll(csvPath).startsWith("\xEF\xBB\xBF"));
    }

    void jsonOfTheBundledSample()
    {
        const Run r = runNorvaCalc(
            {QStringLiteral("--ini"), QStringLiteral(NORVA_SOURCE_DATA "/sample-settings.ini"),
             QStringLiteral("--dat"), QStringLiteral(NORVA_SOURCE_DATA "/norva.dat"),
             QStringLiteral("--log"), QStringLiteral(NORVA_SOURCE_DATA "/MjScore.txt"),
             QStringLiteral("--json")});
        QCOMPARE(r.code, 0);
        const QJsonObject o = QJsonDocument::fromJson(r.out.toUtf8()).object();
        QCOMPARE(o.size(), 28); // the figures of the record and "Extra"
        auto n = [&](const char *key) {
            return o.value(QString::fromLatin1(key)).toInt();
        };
        auto list = [&](const char *key) {
            QList<int> l;
            for (const QJsonValue &v : o.value(QString::fromLatin1(key)).toArray())
                l << v.toInt();
            return l;
        };
        // The record of かもめ in the bundled sample, worked out separately.
        QCOMPARE(n("GameCount"), 288);
        QCOMPARE(n("ScoreTotal"), 290);
        QCOMPARE(n("ScoreMax"), 97);
        QCOMPARE(n("ScoreMin"), -75);
        QCOMPARE(list("RankCount"), (QList<int>{75, 71, 76, 66, 0}));
        QCOMPARE(list("RankRunMax"), (QList<int>{3, 4, 5, 4, 0}));
        QCOMPARE(n("RankTotal"), 709);
        QCOMPARE(n("HandCount"), 1986);
        const QList<int> outcomes{n("OwnTsumo"),   n("OwnRon"),    n("OwnChombo"),
                                  n("OtherTsumo"), n("OtherRon"),  n("OtherChombo"),
                                  n("DrawPlus"),   n("DrawMinus"), n("OtherResult")};
        QCOMPARE(outcomes, (QList<int>{166, 274, 7, 416, 847, 18, 88, 122, 48}));
        QCOMPARE(n("WinHanCount"), 440);
        QCOMPARE(list("WinByHan"), (QList<int>{108, 106, 73, 26, 62, 42, 14, 4, 5}));
        QCOMPARE(n("RatingMax"), 1975);
        QCOMPARE(n("RatingMin"), 1561);
        QCOMPARE(n("ScoreSumMax"), 435);
        QCOMPARE(n("ScoreSumMin"), -399);
        QCOMPARE(list("ScoreSeries").mid(0, 5), (QList<int>{-23, -17, 41, 36, 7}));
        QCOMPARE(list("RatingSeries").mid(0, 5), (QList<int>{1686, 1683, 1680, 1699, 1720}));
        QCOMPARE(list("ScoreSumSeries").mid(0, 5), (QList<int>{-23, -40, 1, 37, 44}));
        for (const char *series : {"ScoreSeries", "RankSeries", "RatingSeries", "ScoreSumSeries"})
            QCOMPARE(list(series).size(), 288);
        QCOMPARE(list("ScoreSumSeries").last(), 290);
        const QJsonObject extra = o.value(u"Extra"_s).toObject();
        QCOMPARE(extra.value(u"Wins"_s).toInt(), n("OwnTsumo") + n("OwnRon"));
        QVERIFY(extra.value(u"DealIns"_s).toInt() <= n("OtherRon"));
        QVERIFY(extra.value(u"TsumoLosses"_s).toInt() <= n("OtherTsumo"));
    }

    void anyEncodingOfTheLog_data()
    {
        QTest::addColumn<QByteArray>("log");
        const QByteArray cp932 =
            testutil::readAll(QStringLiteral(NORVA_SOURCE_DATA "/MjScore.txt"));
        const QString text = cp932::decode(cp932);
        auto utf16 = [&](QStringConverter::Encoding e) {
            QStringEncoder encoder(e, QStringConverter::Flag::WriteBom);
            return QByteArray(encoder(text));
        };
        QTest::newRow("UTF-8") << text.toUtf8();
        QTest::newRow("UTF-8 with a byte-order mark") << "\xEF\xBB\xBF" + text.toUtf8();
        QTest::newRow("UTF-16 LE") << utf16(QStringConverter::Utf16LE);
        QTest::newRow("UTF-16 BE") << utf16(QStringConverter::Utf16BE);
        QTest::newRow("CP932 with a stray byte-order mark") << "\xEF\xBB\xBF" + cp932;
    }
    void anyEncodingOfTheLog()
    {
        // The sample converted gives exactly the record of its CP932 original.
        QFETCH(QByteArray, log);
        const QString path = scratchFile(QStringLiteral("converted.txt"));
        QVERIFY(testutil::writeAll(path, log));
        QStringList args{QStringLiteral("--ini"),
                         QStringLiteral(NORVA_SOURCE_DATA "/sample-settings.ini"),
                         QStringLiteral("--dat"), QStringLiteral(NORVA_SOURCE_DATA "/norva.dat"),
                         QStringLiteral("--json")};
        const Run original =
            runNorvaCalc(args
                         + QStringList{QStringLiteral("--log"),
                                       QStringLiteral(NORVA_SOURCE_DATA "/MjScore.txt")});
        QCOMPARE(original.code, 0);
        const Run converted = runNorvaCalc(args + QStringList{QStringLiteral("--log"), path});
        QCOMPARE(converted.err, QString());
        QCOMPARE(converted.out, original.out);
    }

    void failures_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        const QString noData = QStringLiteral("有効なデータがありませんでした。\n");
        QTest::newRow("rank outside 1 to 5")
            << small(QStringLiteral("calc-broken-rank.log")) << 1
            << QStringLiteral("計算エラー: インデックスが有効範囲にありません。 (5 行目)\n")
                   + noData;
        QTest::newRow("header too short")
            << small(QStringLiteral("calc-short-header.log")) << 1
            << QStringLiteral(
                   "計算エラー: プロシージャの呼び出し、または引数が不正です。 (3 行目)\n")
                   + noData;
        // Nothing found says why: no name, or none of that name under the
        // filters, with the games of the log and its most frequent names.
        const QString others =
            QStringLiteral("スコアファイルの試合数： 3%1\n"
                           "よく出てくる名前： Rin、しろくま、ぽんた、Kumo-7、しろくま丸\n");
        QTest::newRow("no game of the user")
            << small(QStringLiteral("calc-others.log")) << 1
            << noData
                   + QStringLiteral(
                       "ユーザー名「かもめ」の試合は、次の条件では見つかりませんでした。\n"
                       "計算日付： 指定なし\n卓情報： すべて，すべて\n")
                   + others.arg(QStringLiteral("（「かもめ」のいる試合： 0）"));
        QTest::newRow("no user name")
            << (small(QStringLiteral("calc-others.log")) << QStringLiteral("--user") << u" "_s) << 1
            << noData
                   + QStringLiteral("ユーザー名が指定されていません。計算情報の「ユーザー名」に、"
                                    "スコアファイルに記録されている名前を入れてください。\n")
                   + others.arg(QString());
        QTest::newRow("no game in the log")
            << small(QStringLiteral("calc-small.dat")) << 1
            << noData
                   + QStringLiteral(
                       "ユーザー名「かもめ」の試合は、次の条件では見つかりませんでした。\n"
                       "計算日付： 指定なし\n卓情報： すべて，すべて\n"
                       "スコアファイルの試合数： 0（「かもめ」のいる試合： 0）\n"
                       "スコアファイルではないか、計算情報ファイルの行の目印"
                       "（StartLine）が合っていない可能性があります。\n");
        QTest::newRow("log is a folder")
            << (small() << QStringLiteral("--log") << QStringLiteral(NORVA_TEST_DATA)) << 1
            << QStringLiteral("計算エラー: 通常のファイルではありません。\n")
                   + QStringLiteral(NORVA_TEST_DATA "\n") + noData;
        QTest::newRow("no log") << (small() << QStringLiteral("--log")
                                            << fixturePath(QStringLiteral("none.log")))
                                << 2
                                << QStringLiteral("スコアファイルが見つかりません。\n")
                                       + fixturePath(QStringLiteral("none.log")) + u'\n';
        QTest::newRow("no table definitions")
            << (small() << QStringLiteral("--dat") << fixturePath(QStringLiteral("none.dat"))) << 2
            << QStringLiteral("計算情報ファイルの読み込みに失敗しました。\n")
                   + fixturePath(QStringLiteral("none.dat")) + u'\n';
        QTest::newRow("no recognition texts of group 2")
            << (small() << QStringLiteral("--dat")
                        << fixturePath(QStringLiteral("calc-no-group2.dat")))
            << 2 << QStringLiteral("計算する卓情報を選択してください。\n");
        QTest::newRow("no settings file")
            << (small() << QStringLiteral("--ini") << fixturePath(QStringLiteral("none.ini"))) << 2
            << QStringLiteral("ファイルが見つかりません。\n")
                   + fixturePath(QStringLiteral("none.ini")) + u'\n';
        QTest::newRow("unknown option")
            << QStringList{QStringLiteral("--bogus"), QStringLiteral("-x")} << 2
            << QStringLiteral("不明なオプションです: --bogus -x\n"
                              "詳しくは norva-calc --help を見てください。\n");
        QTest::newRow("an argument too many")
            << (small() << QStringLiteral("extra")) << 2
            << QStringLiteral("余分な引数があります: extra\n"
                              "詳しくは norva-calc --help を見てください。\n");
        const QString seeHelp = QStringLiteral("\n詳しくは norva-calc --help を見てください。\n");
        QTest::newRow("value missing")
            << QStringList{QStringLiteral("--log")} << 2
            << QStringLiteral("オプション --log に値がありません。") + seeHelp;
        QTest::newRow("--games without --json")
            << QStringList{u"--games"_s} << 2
            << u"--games は --json と一緒に指定します。"_s + seeHelp;
        QTest::newRow("--shift-jis without a CSV")
            << QStringList{u"--shift-jis"_s} << 2
            << u"--shift-jis は --games-csv と一緒に指定します。"_s + seeHelp;
        QTest::newRow("the CSV and JSON both on the output")
            << QStringList{u"--games-csv"_s, u"-"_s, u"--json"_s} << 2
            << u"--games-csv - は --json、--report と一緒に指定できません。"_s + seeHelp;
        QTest::newRow("value where none is taken")
            << QStringList{QStringLiteral("--json=1")} << 2
            << QStringLiteral("オプション --json は値を取りません。") + seeHelp;
        // Settings that are there but cannot be read say what is wrong with them.
        const QString pipe = scratchFile(QStringLiteral("pipe.ini"));
        QFile::remove(pipe);
        ::mkfifo(QFile::encodeName(pipe).constData(), 0644);
        const QString locked = scratchFile(QStringLiteral("locked.ini"));
        testutil::writeAll(locked, testutil::fixture(QStringLiteral("calc-small.ini")));
        QFile::setPermissions(locked, QFileDevice::Permissions());
        const QStringList cases[] = {
            {u"settings file is a pipe"_s, pipe, u"通常のファイルではありません。"_s},
            {u"settings file is a folder"_s, scratch().path(), u"通常のファイルではありません。"_s},
            {u"settings file may not be read"_s, locked, u"読み込みできません。"_s}};
        for (const QStringList &c : cases)
            QTest::newRow(qPrintable(c[0]))
                << (small() << QStringLiteral("--ini") << c[1]) << 2 << c[2] + u'\n' + c[1] + u'\n';
        QTest::newRow("table definitions are a pipe")
            << (small() << QStringLiteral("--dat") << pipe) << 2
            << QStringLiteral("計算情報ファイルの読み込みに失敗しました。\n") + pipe
                   + QStringLiteral("\n通常のファイルではありません。\n");
        QTest::newRow("log is a pipe")
            << (small() << QStringLiteral("--log") << pipe) << 1
            << QStringLiteral("計算エラー: 通常のファイルではありません。\n") + pipe
                   + QStringLiteral("\n有効なデータがありませんでした。\n");
        // 3 GB without a line end (a file with holes: no disk space taken).
        const QString huge = scratchFile(QStringLiteral("huge.dat"));
        QFile hugeFile(huge);
        if (hugeFile.open(QIODevice::WriteOnly))
            hugeFile.resize(qint64(3) << 30);
        QTest::newRow("table definitions of 3 GB in one line")
            << (small() << QStringLiteral("--dat") << huge) << 2
            << QStringLiteral("計算情報ファイルの読み込みに失敗しました。\n") + huge
                   + QStringLiteral("\n1 行が長すぎるため読み込めません。\n");
        QTest::newRow("report into a missing folder")
            << (small() << QStringLiteral("--report") << QStringLiteral("/nonexistent-norva/r.txt"))
            << 1
            << QStringLiteral("ファイルの書き込みに失敗しました。\n/nonexistent-norva/r.txt\n"
                              "パス名またはファイル名が無効です。\n");
    }
    void failures()
    {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QString, message);
        testutil::HonourPermissions honour;
        norva::Session *session = nullptr;
        const Run r = runNorvaCalc(args, false, &session);
        QCOMPARE(r.code, code);
        QCOMPARE(r.out, QString());
        if (!message.isEmpty())
            QCOMPARE(r.err, message);
        else
            QVERIFY(!r.err.isEmpty());
        // A run that found nothing leaves no results behind.
        if (message.endsWith(QStringLiteral("有効なデータがありませんでした。\n")))
            QCOMPARE(session->results().gameCount(), 0);
    }

    void userOption()
    {
        Run r = runNorvaCalc(small(QStringLiteral("calc-others.log"))
                             << QStringLiteral("--user") << QStringLiteral("  しろくま "));
        QCOMPARE(r.code, 0);
        QVERIFY(r.out.startsWith(QStringLiteral("ユーザー名： しろくま\n")));
        r = runNorvaCalc(small() << QStringLiteral("--user") << QStringLiteral("かもめ丸")
                                 << QStringLiteral("--json"));
        QCOMPARE(r.code, 0);
        QCOMPARE(QJsonDocument::fromJson(r.out.toUtf8())[u"RankSeries"].toArray(), (QJsonArray{4}));
    }

    void filesBesideTheExecutable()
    {
        testutil::ProgramDir dir;
        QVERIFY(QFile::copy(fixturePath(QStringLiteral("calc-small.dat")),
                            dir.file(QStringLiteral("norva.dat"))));
        QVERIFY(QFile::copy(fixturePath(QStringLiteral("calc-small.log")),
                            dir.file(QStringLiteral("MjScore.txt"))));
        const QByteArray ini = testutil::fixture(QStringLiteral("calc-small.ini"));
        testutil::writeAll(dir.file(QStringLiteral("norva.ini")), ini);
        // ScoreFile is not in the settings: the default, MjScore.txt beside
        // the executable, is read.
        const Run r = runNorvaCalc({});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out, smallReportText());
        // The settings file is read, never written.
        QCOMPARE(testutil::readAll(dir.file(QStringLiteral("norva.ini"))), ini);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 3);
    }

    void withoutSettingsTheDefaultsStand()
    {
        testutil::ProgramDir dir;
        QVERIFY(QFile::copy(fixturePath(QStringLiteral("calc-small.dat")),
                            dir.file(QStringLiteral("norva.dat"))));
        // Without settings the date range is the current month: nothing in
        // the 2009 log falls into it.
        const Run r =
            runNorvaCalc({QStringLiteral("--log"), fixturePath(QStringLiteral("calc-small.log")),
                          QStringLiteral("--user"), QStringLiteral("かもめ")});
        QCOMPARE(r.code, 1);
        QVERIFY(r.err.startsWith(QStringLiteral("有効なデータがありませんでした。\n")));
        // The range named in why: up to the end of today.
        QVERIFY(r.err.contains(u" ～ "_s + formatDateYmd(QDate::currentDate()) + u" 23:59\n"_s));
        QVERIFY(!QFile::exists(dir.file(QStringLiteral("norva.ini"))));
    }

    void homeChosenIsSaid()
    {
        // An installed program's user without a usable HOME hears where its
        // files are looked for instead.
        testutil::ProgramDir dir;
        FileLocations files = dir.locations();
        files.chosenHome = u"/var/tmp"_s;
        norva::Session session(files);
        QByteArray out, err;
        QTextStream o(&out), e(&err);
        QCOMPARE(cli::runCalc(small(), o, e, session), 0);
        e.flush();
        QCOMPARE(QString::fromUtf8(err),
                 u"環境変数 HOME にフォルダーが設定されていないため、次のフォルダーを"
                 u"ホームフォルダーとして使います。\n/var/tmp\n"_s);
    }

    void help()
    {
        const Run r = runNorvaCalc({QStringLiteral("--help")});
        QCOMPARE(r.code, 0);
        for (const char *option : {"--ini FILE", "--dat FILE", "--log FILE", "--user NAME",
                                   "--report FILE", "--json", "--help", "--version"})
            QVERIFY2(r.out.contains(QString::fromLatin1(option)), option);
        QVERIFY(r.out.contains(QStringLiteral("終了コード")));
    }

    void progressBarOnATerminal()
    {
        QTemporaryDir dir;
        const QString ini = dir.filePath(QStringLiteral("norva.ini"));
        testutil::writeAll(ini, testutil::fixture(QStringLiteral("calc-small.ini"))
                                    + "CheckLine=100\r\n");
        const QStringList args{
            QStringLiteral("--ini"), ini,
            QStringLiteral("--dat"), QStringLiteral(NORVA_SOURCE_DATA "/norva.dat"),
            QStringLiteral("--log"), QStringLiteral(NORVA_SOURCE_DATA "/MjScore.txt"),
            QStringLiteral("--json")};
        Run r = runNorvaCalc(args, true);
        QCOMPARE(r.code, 0);
        QVERIFY(r.err.contains(QStringLiteral("結果計算中 [")));
        QVERIFY(r.err.contains(QStringLiteral("100%")));
        QVERIFY(r.err.endsWith(QStringLiteral("\r\x1b[K"))); // the bar is cleared at the end
        // Not on a terminal, and not for a log of no more than CheckLine lines.
        QCOMPARE(runNorvaCalc(args, false).err, QString());
        QCOMPARE(runNorvaCalc(small(), true).err, QString());
    }

    void neverWritesTheLog()
    {
        // In-process and as a process, with a report beside the log: the log
        // keeps its bytes, its size and its time.
        QTemporaryDir dir;
        const QString log = dir.filePath(QStringLiteral("MjScore.txt"));
        QVERIFY(QFile::copy(fixturePath(QStringLiteral("calc-small.log")), log));
        QFileInfo info(log);
        const QDateTime past = info.lastModified().addSecs(-3600);
        {
            QFile f(log);
            QVERIFY(f.open(QIODevice::ReadWrite));
            QVERIFY(f.setFileTime(past, QFileDevice::FileModificationTime));
        }
        const QByteArray bytes = testutil::readAll(log);
        QStringList args = small();
        args[5] = log;
        args << QStringLiteral("--report") << dir.filePath(QStringLiteral("report.txt"));
        QCOMPARE(runNorvaCalc(args).code, 0);
        QProcess p;
        p.start(QStringLiteral(NORVA_CALC_EXE), args);
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 0);
        info.refresh();
        QCOMPARE(info.lastModified(), past);
        QCOMPARE(info.size(), bytes.size());
        QCOMPARE(testutil::readAll(log), bytes);
    }

    void reportNeverReplacesTheFilesOfTheRun_data()
    {
        QTest::addColumn<QString>("target");
        // The files themselves count, whatever name reaches them.
        QTest::newRow("the log") << QStringLiteral("MjScore.txt");
        QTest::newRow("a link to the log") << QStringLiteral("link.txt");
        QTest::newRow("a second name of the log") << QStringLiteral("hard.txt");
        QTest::newRow("the settings") << QStringLiteral("norva.ini");
        QTest::newRow("the table definitions") << QStringLiteral("norva.dat");
    }
    void reportNeverReplacesTheFilesOfTheRun()
    {
        QFETCH(QString, target);
        QTemporaryDir dir;
        const QStringList names{QStringLiteral("norva.ini"), QStringLiteral("norva.dat"),
                                QStringLiteral("MjScore.txt")};
        const QStringList fixtures{QStringLiteral("calc-small.ini"),
                                   QStringLiteral("calc-small.dat"),
                                   QStringLiteral("calc-small.log")};
        QStringList args;
        for (int i = 0; i < 3; ++i) {
            QVERIFY(QFile::copy(fixturePath(fixtures[i]), dir.filePath(names[i])));
            args << QStringLiteral("--") + names[i].section(u'.', 1) << dir.filePath(names[i]);
        }
        args.replace(4, QStringLiteral("--log"));
        QVERIFY(QFile::link(dir.filePath(names[2]), dir.filePath(QStringLiteral("link.txt"))));
        QCOMPARE(::link(QFile::encodeName(dir.filePath(names[2])).constData(),
                        QFile::encodeName(dir.filePath(QStringLiteral("hard.txt"))).constData()),
                 0);
        const Run r = runNorvaCalc(args << QStringLiteral("--report") << dir.filePath(target));
        QCOMPARE(r.code, 2);
        QCOMPARE(r.err, QStringLiteral("ファイルの書き込みに失敗しました。\n")
                            + dir.filePath(target)
                            + QStringLiteral("\nスコアファイル、設定ファイル、計算情報ファイルには"
                                             "書き込めません。\n"));
        for (int i = 0; i < 3; ++i)
            QCOMPARE(testutil::readAll(dir.filePath(names[i])), testutil::fixture(fixtures[i]));
        QVERIFY(QFileInfo(dir.filePath(QStringLiteral("link.txt"))).isSymLink());
    }

    void reportOntoWhatIsNoRegularFile()
    {
        // A device is written in place, never replaced by a file.
        Run r = runNorvaCalc(small() << QStringLiteral("--report") << QStringLiteral("/dev/null"));
        QCOMPARE(r.code, 0);
        QVERIFY(QFileInfo(QStringLiteral("/dev/null")).exists());
        QCOMPARE(fileops::status(QStringLiteral("/dev/null")).type, fileops::FileType::CharDevice);
        // A pipe nobody reads and a folder are refused, without waiting.
        const QString pipe = scratchFile(QStringLiteral("report.pipe"));
        QFile::remove(pipe);
        QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0644), 0);
        for (const QString &target : {pipe, scratch().path()}) {
            r = runNorvaCalc(small() << QStringLiteral("--report") << target);
            QCOMPARE(r.code, 1);
            QCOMPARE(r.err, QStringLiteral("ファイルの書き込みに失敗しました。\n") + target
                                + QStringLiteral("\n通常のファイルではありません。\n"));
        }
        QCOMPARE(fileops::status(pipe).type, fileops::FileType::Other);
    }

    void standardOutput()
    {
        QProcess p;
        const QString run = QStringLiteral("\"$0\" --ini '%1' --dat '%2' --log '%3' ")
                                .arg(fixturePath(QStringLiteral("calc-small.ini")),
                                     fixturePath(QStringLiteral("calc-small.dat")),
                                     fixturePath(QStringLiteral("calc-small.log")));
        // A full disk or a closed output is a failure, never a success; for
        // the help and the version too.
        for (const QString &command :
             {QString(run + QStringLiteral("--json ")), QStringLiteral("\"$0\" --help "),
              QStringLiteral("\"$0\" --version ")}) {
            for (const QString &redirect : {QStringLiteral(">/dev/full"), QStringLiteral(">&-")}) {
                QCOMPARE(shell(command + redirect, p), QProcess::NormalExit);
                QCOMPARE(p.exitCode(), 1);
                QCOMPARE(QString::fromUtf8(p.readAllStandardError()),
                         QStringLiteral("標準出力に書き込めませんでした。\n"));
            }
        }
        // The report named as this program's own output goes there, into a
        // pipe as into a file.
        QCOMPARE(shell(run + QStringLiteral("--report /dev/stdout | cat"), p),
                 QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 0);
        QCOMPARE(p.readAllStandardOutput(),
                 testutil::fixture(QStringLiteral("calc-small-report.txt")));
        QCOMPARE(shell(run + QStringLiteral("--report /dev/stdout >out.txt; cat out.txt"), p),
                 QProcess::NormalExit);
        QCOMPARE(p.readAllStandardOutput(),
                 testutil::fixture(QStringLiteral("calc-small-report.txt")));
    }

    void namesThatAreNoUtf8()
    {
        QProcess p;
        QVERIFY(QFile::copy(fixturePath(QStringLiteral("calc-small.log")),
                            scratchFile(QStringLiteral("log.txt"))));
        const QString script =
            QStringLiteral("log=$(printf 'l\\377.txt'); report=$(printf 'r\\376.txt'); "
                           "cp log.txt \"$log\" && \"$0\" --ini '%1' --dat '%2' --log \"$log\" "
                           "--report \"$report\"; rc=$?; cat \"$report\"; "
                           "rm -f \"$log\" \"$report\"; exit $rc")
                .arg(fixturePath(QStringLiteral("calc-small.ini")),
                     fixturePath(QStringLiteral("calc-small.dat")));
        QCOMPARE(shell(script, p), QProcess::NormalExit);
        QCOMPARE(QString::fromUtf8(p.readAllStandardError()), QString());
        QCOMPARE(p.exitCode(), 0);
        QCOMPARE(p.readAllStandardOutput(),
                 testutil::fixture(QStringLiteral("calc-small-report.txt")));
    }

    void followPrintsALinePerChange()
    {
        // A line of JSON at once, another each time a game is added, and
        // exit code 0 on SIGTERM.
        const QString log = scratchFile(u"followed.txt"_s);
        const QStringList games = scorelog::games(u"2:+30 1:-5 4:+1"_s);
        const qsizetype gameLines = games.size() / 3;
        auto game = [&](int n) {
            return scorelog::encoded(games.mid(gameLines * (n - 1), gameLines),
                                     scorelog::Form::Cp932);
        };
        QVERIFY(testutil::writeAll(log, game(1)));
        QStringList args = small();
        args[args.indexOf(u"--log"_s) + 1] = log;
        QProcess p;
        p.start(QStringLiteral(NORVA_CALC_EXE), args << u"--follow"_s);
        // The games of the lines up to the one that counts count games (a
        // game read while it is written may come first).
        auto reaches = [&p](int count) {
            for (int games = -1; games < count;) {
                if (!p.canReadLine() && !p.waitForReadyRead(10000))
                    return false;
                games =
                    QJsonDocument::fromJson(p.readLine()).object().value(u"GameCount"_s).toInt(-1);
                if (games > count)
                    return false;
            }
            return true;
        };
        QVERIFY(reaches(1));
        for (int n = 2; n <= 3; ++n) {
            QFile f(log);
            QVERIFY(f.open(QIODevice::Append));
            QCOMPARE(f.write(game(n)), game(n).size());
            f.close();
            QVERIFY(reaches(n));
        }
        ::kill(pid_t(p.processId()), SIGTERM);
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 0);
        QCOMPARE(p.readAllStandardError(), QByteArray());

        // It ends too when nobody reads its output any more.
        QProcess closed;
        QCOMPARE(shell(u"\"$0\" --ini '%1' --dat '%2' --log '%3' --follow | head -c 1; "_s
                       u"echo; echo \"exit $?\""_s.arg(fixturePath(u"calc-small.ini"_s),
                                                       fixturePath(u"calc-small.dat"_s), log),
                       closed),
                 QProcess::NormalExit);
        QCOMPARE(closed.readAllStandardOutput(), QByteArray("{\nexit 0\n"));
        QCOMPARE(runNorvaCalc(small() << u"--follow"_s << u"--report"_s << log).code,
                 int(cli::UsageError));
    }

    void asAProcess()
    {
        QProcess p;
        p.start(QStringLiteral(NORVA_CALC_EXE), small());
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 0);
        QCOMPARE(QString::fromUtf8(p.readAllStandardOutput()), smallReportText());
        p.start(QStringLiteral(NORVA_CALC_EXE), small(QStringLiteral("calc-broken-rank.log")));
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 1);
        QVERIFY(QString::fromUtf8(p.readAllStandardError()).contains(QStringLiteral("(5 行目)")));
        p.start(QStringLiteral(NORVA_CALC_EXE), {QStringLiteral("--nope")});
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 2);
        p.start(QStringLiteral(NORVA_CALC_EXE), {QStringLiteral("--version")});
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 0);
        QVERIFY(p.readAllStandardOutput().startsWith("norva-calc "));
    }
};

QTEST_GUILESS_MAIN(TestNorvaCalc)
#include "tst_norva_calc.moc"

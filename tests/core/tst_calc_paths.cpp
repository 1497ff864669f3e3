// The pass compares either CP932 bytes or decoded text. Both must give the
// same record, on the bundled sample and on lines made to trip a byte search.

#include "calctestutil.h"

#include "core/common/cp932.h"

#include <QFile>
#include <QTest>

using namespace norva;
using namespace calctest;

namespace {

QStringList trickyTables()
{
    return defaultTables() << QStringLiteral("YakuString=ハネ満");
}

QStringList sampleTables()
{
    return testutil::readAll(QStringLiteral(NORVA_SOURCE_DATA "/norva.dat")).isEmpty()
               ? QStringList()
               : readTextLines(QStringLiteral(NORVA_SOURCE_DATA "/norva.dat"));
}

// A counted game around body, with the user's result line.
QStringList game(const QStringList &body, const QString &user = QStringLiteral("かもめ"))
{
    return QStringList{header(), ratingLine(user)} + body
           + QStringList{result(2, user, QStringLiteral("+9")), finish()};
}

// Lines whose bytes hold a text searched for, though not on a character
// boundary, so that the decoded line does not hold it.
QStringList trickyLines()
{
    const QString me = QStringLiteral("かもめ");
    QStringList log;
    // "ャcモ" is 83 83 63 83 82 and holds the bytes of "ツモ" (83 63 83 82).
    log += game({QStringLiteral("  東1局 0本場 かもめ 1000 "), QStringLiteral("    ャcモ")});
    // "ャnネ満貫" holds the bytes of the han class "ハネ満".
    log +=
        game({QStringLiteral("  東1局 0本場 かもめ 1000 "), QStringLiteral("    ャnネ満貫ロン")});
    // "∴ﾊ" is 81 88 CA: after the first character there is no "位".
    log += game({QStringLiteral("  ∴ﾊ かもめ        +10")});
    // "奄ｩもめ R" holds the bytes of "かもめ R".
    log += QStringList{header(), QStringLiteral("  持点25000 [1]奄ｩもめ R1700 [2]ぽんた R1500"),
                       result(1, me, QStringLiteral("+5")), finish()};
    // Real hits near the ends of a line and across sixteen-byte blocks.
    QStringList shifted;
    for (int i = 0; i < 40; ++i) {
        shifted << QStringLiteral("  東1局 ") + QString(i, u'x') + QStringLiteral(" かもめ 1 ");
        shifted << QString(i % 3, u'ャ') + QString(i, u'y')
                       + (i % 2 ? QStringLiteral("ツモ") : QStringLiteral("ロン"));
    }
    log += game(shifted);
    // Texts cut short at the line end, lone lead bytes, undefined bytes.
    log += game({QStringLiteral("  東1局 かもめ "), QStringLiteral("ツ"),
                 QStringLiteral("  南1局 かもめ"), QStringLiteral("チョン"),
                 QStringLiteral("  西1局 かもめ -"), QStringLiteral("流局")});
    // Users that are parts of others.
    log += game({QStringLiteral("  東1局 かもめ丸 -100 かもめ 100 "), QStringLiteral("ツモ")},
                QStringLiteral("かもめ丸"));
    log += game({QStringLiteral("  東1局 Kumo-7 100 "), QStringLiteral("ロン")},
                QStringLiteral("Kumo-7"));
    return log;
}

QByteArray trickyBytes()
{
    QByteArray bytes = testutil::cp932Lines(trickyLines());
    // Bytes that are no character: a lead byte at the end of a line and an
    // undefined byte, inside a counted game.
    bytes += testutil::cp932Lines({header(), ratingLine()});
    bytes += "  \x93\x8c"
             "1\x8b\xc7 \x82\xa9\x82\xe0\x82\xdf 100 \x81\r\n"; // 東1局 かもめ 100 <lead>
    bytes += "    \xff\x83\x63\x83\x82\x81\r\n";                // <undefined>ツモ<lead>
    bytes +=
        testutil::cp932Lines({result(1, QStringLiteral("かもめ"), QStringLiteral("+1")), finish()});
    return bytes;
}

} // namespace

class TestCalcPaths : public QObject
{
    Q_OBJECT

private:
    // Runs the log both ways for the user and compares every result.
    static void compareBoth(Pass &pass, const QString &user, ScorePassMode expected)
    {
        Pass::set(QStringLiteral("UserName"), user);
        const bool plainOk = pass.run(ScorePassMode::Plain);
        QCOMPARE(pass.modeUsed(), ScorePassMode::Plain);
        const QList<qint32> plain = snapshot();
        const bool autoOk = pass.run(ScorePassMode::Auto);
        QCOMPARE(pass.modeUsed(), expected);
        QCOMPARE(autoOk, plainOk);
        QCOMPARE(snapshot(), plain);
    }

private slots:
    void bundledSample_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<bool>("dates");
        QTest::newRow("かもめ") << QStringLiteral("かもめ") << false;
        QTest::newRow("かもめ, spring") << QStringLiteral("かもめ") << true;
        QTest::newRow("かもめ丸") << QStringLiteral("かもめ丸") << false;
        QTest::newRow("Kumo-7") << QStringLiteral("Kumo-7") << false;
        QTest::newRow("ねこまた") << QStringLiteral("ねこまた") << true;
        QTest::newRow("empty name") << QString() << false;
        QTest::newRow("part of a name") << QStringLiteral("もめ") << false;
    }
    void bundledSample()
    {
        QFETCH(QString, user);
        QFETCH(bool, dates);
        Pass pass(sampleTables());
        QVERIFY(QFile::copy(QStringLiteral(NORVA_SOURCE_DATA "/MjScore.txt"), pass.logPath()));
        Pass::set(QStringLiteral("TableKind1"), 773);
        Pass::set(QStringLiteral("TableKind2"), 773);
        Pass::set(QStringLiteral("SpecifyDate"), dates);
        Pass::set(QStringLiteral("StartDate"), QStringLiteral("2009/3/1"));
        Pass::set(QStringLiteral("StartTime"), QStringLiteral("12:00"));
        Pass::set(QStringLiteral("EndDate"), QStringLiteral("2009/5/31"));
        Pass::set(QStringLiteral("EndTime"), QStringLiteral("20:00"));
        compareBoth(pass, user, ScorePassMode::Fast);
        if (user == u"かもめ")
            QVERIFY(value(calc::GameCount) > (dates ? 50 : 250));
    }

    void trickyLines_data()
    {
        QTest::addColumn<QString>("user");
        QTest::newRow("かもめ") << QStringLiteral("かもめ");
        QTest::newRow("かもめ丸") << QStringLiteral("かもめ丸");
        QTest::newRow("Kumo-7") << QStringLiteral("Kumo-7");
        QTest::newRow("empty name") << QString();
        QTest::newRow("もめ") << QStringLiteral("もめ");
    }
    void trickyLines()
    {
        QFETCH(QString, user);
        Pass pass(trickyTables());
        pass.writeBytes(trickyBytes());
        compareBoth(pass, user, ScorePassMode::Fast);
    }

    void trickyLinesCountRight()
    {
        Pass pass(trickyTables());
        pass.writeBytes(trickyBytes());
        QVERIFY(pass.run());
        QCOMPARE(pass.modeUsed(), ScorePassMode::Fast);
        // "ャcモ" is no tsumo; "ャnネ満貫ロン" is a ron with no han class.
        QCOMPARE(value(calc::OwnTsumo), 20 + 1);
        QCOMPARE(value(calc::OwnRon), 1 + 20);
        QCOMPARE(value(calc::OtherResult), 1 + 2);
        QCOMPARE(value(calc::DrawMinus), 1);
        QCOMPARE(value(calc::WinHanCount), 0);
        // "∴ﾊ かもめ" is no result line; the rating line of "奄ｩもめ" does
        // not hold her, so that game is not counted, and neither are the
        // games of かもめ丸 and Kumo-7.
        QCOMPARE(value(calc::GameCount), 6);
        QCOMPARE(value(calc::HandCount), 1 + 1 + 40 + 3 + 1);
    }

    void textsWithoutASingleCodeFallBack_data()
    {
        QTest::addColumn<QByteArray>("extraDat"); // appended to the table definitions
        QTest::addColumn<QString>("user");
        QTest::addColumn<QByteArray>("log");
        QTest::addColumn<int>("games");
        auto enc = [](const QString &text) {
            return cp932::encode(text).value();
        };
        // "∵" is 81 E6 in the rating line and 87 9A in the result line.
        const QByteArray twoCodes = enc(header()) + "\r\n" + enc(QStringLiteral("  持点25000 [1]"))
                                    + "\x81\xe6 R1500\r\n" + enc(QStringLiteral("  1位 "))
                                    + "\x87\x9a      +7\r\n";
        QTest::newRow("∵ has two codes") << QByteArray() << QStringLiteral("∵") << twoCodes << 1;
        // A name without any code cannot be in a CP932 log at all.
        QTest::newRow("no code for é")
            << QByteArray() << QStringLiteral("José")
            << testutil::cp932Lines(game({}, QStringLiteral("José"))) << 0;
        QTest::newRow("han class with ∵")
            << QByteArray("YakuString=\x87\x9a\r\n") << QStringLiteral("かもめ")
            << testutil::cp932Lines(
                   game({QStringLiteral("  東1局 かもめ 1 "), QStringLiteral("    \u2235ロン")}))
            << 1;
        QTest::newRow("undefined byte in the marker")
            << QByteArray("StartLine=\xff\r\n") << QStringLiteral("かもめ")
            << QByteArray("\xff" + enc(QStringLiteral("東風戦：一般卓 開始 2009/1/1 0:00"))
                          + "\xff\r\n" + enc(QStringLiteral("  1位 かもめ  +1")) + "\r\n")
            << 1;
    }
    void textsWithoutASingleCodeFallBack()
    {
        QFETCH(QByteArray, extraDat);
        QFETCH(QString, user);
        QFETCH(QByteArray, log);
        QFETCH(int, games);
        Pass pass;
        testutil::writeAll(pass.path() + QStringLiteral("/norva.dat"),
                           testutil::cp932Lines(defaultTables()) + extraDat);
        QVERIFY(pass.session().loadTables());
        pass.writeBytes(log);
        compareBoth(pass, user, ScorePassMode::Plain);
        QCOMPARE(value(calc::GameCount), games);
        if (extraDat.startsWith("Yaku"))
            QCOMPARE(value(calc::WinByHan, 4), 1);
    }
};

QTEST_GUILESS_MAIN(TestCalcPaths)
#include "tst_calc_paths.moc"

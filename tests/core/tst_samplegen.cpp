// The sample log generator: the shapes the pass reads, and a fixed seed.

#include "core/common/cp932.h"
#include "samplegen.h"

#include "testutil.h"

#include <QRegularExpression>
#include <QTest>

using namespace norva;

class TestSampleGen : public QObject
{
    Q_OBJECT

private:
    static QStringList lines(const QByteArray &log)
    {
        QStringList out = cp932::decode(log).split(QStringLiteral("\r\n"));
        if (!out.isEmpty() && out.last().isEmpty())
            out.removeLast();
        return out;
    }

private slots:
    void bundledSampleIsTheDefaultLog()
    {
        // data/MjScore.txt is what the generator writes with its defaults.
        const QByteArray bundled =
            testutil::readAll(QStringLiteral(NORVA_SOURCE_DATA "/MjScore.txt"));
        QVERIFY(!bundled.isEmpty());
        QCOMPARE(samplegen::makeLog({}), bundled);
    }

    void shapes()
    {
        samplegen::Options o;
        o.games = 40;
        const QByteArray log = samplegen::makeLog(o);
        QVERIFY(!log.contains("\n\n") && !log.contains("\r\r"));
        QVERIFY(log.endsWith("\r\n"));
        QCOMPARE(cp932::encode(cp932::decode(log)).value(), log); // every character has a code
        const QStringList all = lines(log);
        const QRegularExpression header(QStringLiteral(
            "^===== (東風戦|東南戦|東風速|東南速)：(一般卓|上級卓|技能卓|ランキング卓|練習卓)"
            "( \\S+)* \\d+卓 開始 2009/\\d\\d/\\d\\d \\d\\d:\\d\\d =====$"));
        const QRegularExpression rating(
            QStringLiteral("^  持点25000( \\[[1-4]\\]\\S+ R\\d{4}){4}$"));
        const QRegularExpression handLine(
            QStringLiteral("^  [東南][1-4]局 \\d+本場\\(リーチ\\d+\\) (\\S+ -?\\d+ )*$"));
        const QRegularExpression resultLine(QStringLiteral("^  [1-4]位 \\S+ +[+-]?\\d+$"));
        const QRegularExpression finish(
            QStringLiteral("^----- \\d+卓 終了 2009/\\d\\d/\\d\\d \\d\\d:\\d\\d -----$"));
        int headers = 0, ratings = 0, hands = 0, results = 0, finishes = 0, tiles = 0, owner = 0;
        for (qsizetype i = 0; i < all.size(); ++i) {
            const QString &l = all[i];
            if (l.startsWith(QStringLiteral("===== "))) {
                QVERIFY2(header.match(l).hasMatch(), qPrintable(l));
                ++headers;
            } else if (l.startsWith(QStringLiteral("  持点"))) {
                QVERIFY2(rating.match(l).hasMatch(), qPrintable(l));
                ++ratings;
                owner += l.contains(QStringLiteral("]かもめ R")) ? 1 : 0;
            } else if (l.startsWith(QStringLiteral("  東"))
                       || l.startsWith(QStringLiteral("  南"))) {
                QVERIFY2(handLine.match(l).hasMatch(), qPrintable(l));
                QVERIFY(all[i + 1].startsWith(QStringLiteral("    ")));
                ++hands;
            } else if (l.contains(QStringLiteral("位 "))) {
                QVERIFY2(resultLine.match(l).hasMatch(), qPrintable(l));
                QVERIFY(l.right(4).trimmed().toInt() != 0 || l.endsWith(u'0'));
                ++results;
            } else if (l.startsWith(QStringLiteral("----- "))) {
                QVERIFY2(finish.match(l).hasMatch(), qPrintable(l));
                ++finishes;
            } else if (l.startsWith(QStringLiteral("    ["))) {
                ++tiles;
            }
        }
        QCOMPARE(headers, 40);
        QCOMPARE(ratings, 40);
        QCOMPARE(finishes, 40);
        QCOMPARE(results, 160);
        QCOMPARE(owner, 40);
        QVERIFY(hands >= 40 * 4);
        QVERIFY(tiles >= hands * 5);
        // About a hundred lines and five kilobytes a game.
        QVERIFY(all.size() > 40 * 70 && all.size() < 40 * 140);
        QVERIFY(log.size() > 40 * 3500 && log.size() < 40 * 7500);
    }

    void options()
    {
        samplegen::Options o;
        o.games = 200;
        o.seed = 7;
        o.tileRecords = false;
        o.ownerShare = 0.5;
        o.startDate = QDate(2011, 5, 1);
        o.days = 30;
        o.players = {QStringLiteral("Alice"), QStringLiteral("ぼぶ"), QStringLiteral("Carol"),
                     QStringLiteral("でいぶ"), QStringLiteral("Eve")};
        const QByteArray log = samplegen::makeLog(o);
        QCOMPARE(samplegen::makeLog(o), log); // the same seed, the same log
        const QStringList all = lines(log);
        QVERIFY(all.filter(QStringLiteral("    [")).isEmpty());
        const int withAlice = int(all.filter(QStringLiteral("]Alice R")).size());
        QVERIFY(withAlice > 60 && withAlice < 140);
        const QStringList headers = all.filter(QRegularExpression(QStringLiteral("^===== ")));
        QCOMPARE(headers.size(), 200);
        QVERIFY(headers.first().contains(QStringLiteral("開始 2011/05/01")));
        QVERIFY(headers.last().contains(QStringLiteral("開始 2011/05/")));
        o.seed = 8;
        QVERIFY(samplegen::makeLog(o) != log);
    }

    void limitHandsAndPenalties()
    {
        samplegen::Options o;
        o.games = 300;
        const QString log = cp932::decode(samplegen::makeLog(o));
        for (const char16_t *s :
             {u"    満貫", u"    ハネ満貫", u"    倍満貫", u"    三倍満貫", u"    役満",
              u"    流局", u"    チョンボ", u"一飜ロン", u"四飜ツモ"})
            QVERIFY2(log.contains(QStringView(s)), qPrintable(QString::fromUtf16(s)));
        QVERIFY(log.contains(QStringLiteral("]かもめ丸 R"))); // a name holding another
    }
};

QTEST_GUILESS_MAIN(TestSampleGen)
#include "tst_samplegen.moc"

#include "core/common/convert.h"
#include "core/common/datetime.h"
#include "core/common/error.h"

#include <QTest>

using namespace norva;

class TestConvert : public QObject
{
    Q_OBJECT

private slots:
    void fixedFormatting_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QString>("expected");
        QTest::newRow("57 of 200 as a user sees it") << 57.0 / 200.0 * 100.0 << 0 << "29";
        QTest::newRow("12.5 away from zero") << 12.5 << 0 << "13";
        QTest::newRow("-12.5 away from zero") << -12.5 << 0 << "-13";
        QTest::newRow("66.67") << 2.0 / 3.0 * 100.0 << 0 << "67";
        QTest::newRow("81/80") << 81.0 / 80.0 << 3 << "1.013";
        QTest::newRow("2.5 with three decimals") << 2.5 << 3 << "2.500";
        QTest::newRow("1.333") << 4.0 / 3.0 << 3 << "1.333";
        QTest::newRow("negative average") << -1200.0 / 7.0 << 3 << "-171.429";
        QTest::newRow("negative rounding to zero keeps sign") << -0.0004 << 3 << "-0.000";
        QTest::newRow("negative share rounding to zero") << -0.4 << 0 << "-0";
        QTest::newRow("zero") << 0.0 << 0 << "0";
        QTest::newRow("100") << 100.0 << 0 << "100";
        QTest::newRow("carry into a new digit") << 99.9996 << 3 << "100.000";
        QTest::newRow("large") << 123456789.0 << 0 << "123456789";
        QTest::newRow("tiny") << 1e-20 << 3 << "0.000";
    }
    void fixedFormatting()
    {
        QFETCH(double, value);
        QFETCH(int, decimals);
        QFETCH(QString, expected);
        QCOMPARE(formatFixed(value, decimals), expected);
    }

    void integerConversionRoundsHalvesToEven()
    {
        QCOMPARE(toInt16(2.5), qint16(2));
        QCOMPARE(toInt16(3.5), qint16(4));
        QCOMPARE(toInt16(-2.5), qint16(-2));
        QCOMPARE(toInt32(32767.5), qint32(32768));
        QCOMPARE(toInt16(32767.4), qint16(32767));
        QCOMPARE(toInt16(-32768.0), qint16(-32768));
        QCOMPARE(variantToInt16(QStringLiteral(" 12.5 ")), qint16(12));
        QCOMPARE(variantToInt32(QStringLiteral("-8000")), qint32(-8000));
        QCOMPARE(variantToInt16(true), qint16(-1));
    }

    void overflowRaisesNeverWraps()
    {
        auto overflows = [](auto f) {
            try {
                f();
            } catch (const Error &e) {
                return e.kind() == ErrorKind::Overflow;
            }
            return false;
        };
        QVERIFY(overflows([] { toInt16(32767.5); }));
        QVERIFY(overflows([] { toInt16(-32769.0); }));
        QVERIFY(overflows([] { toInt32(2147483648.0); }));
        QVERIFY(overflows([] { add16(32000, 768); }));
        QVERIFY(overflows([] { add32(2147483647, 1); }));
        QVERIFY(overflows([] { variantToInt16(QStringLiteral("70000")); }));
        QCOMPARE(add16(32000, 767), qint16(32767));
        QCOMPARE(add32(-2147483647, -1), qint32(-2147483647 - 1));
    }

    void textThatIsNoNumberIsATypeMismatch()
    {
        for (const char *text : {"", "abc", "12abc", "1.2.3", "--1", " ", "1e"}) {
            try {
                variantToInt32(QString::fromLatin1(text));
                QFAIL(text);
            } catch (const Error &e) {
                QCOMPARE(e.kind(), ErrorKind::TypeMismatch);
                QCOMPARE(e.description(), QStringLiteral("型が一致しません。"));
            }
        }
        QCOMPARE(variantToInt32(QStringLiteral("1e3")), 1000);
    }

    void lenientNumberReading_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected");
        QTest::newRow("plain") << "1612" << 1612.0;
        QTest::newRow("rank stops at 位") << "1位 かもめ" << 1.0;
        QTest::newRow("score with plus") << " +38" << 38.0;
        QTest::newRow("score with minus") << " -14" << -14.0;
        QTest::newRow("blanks between digits") << "1 2\t3" << 123.0;
        QTest::newRow("sign after blanks") << "  - 5" << -5.0;
        QTest::newRow("nothing in front") << "位" << 0.0;
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("one point") << "2.5.1" << 2.5;
        QTest::newRow("second sign ends it") << "-3-4" << -3.0;
        QTest::newRow("rating with space") << "1498 " << 1498.0;
        QTest::newRow("full-width digits are not numbers") << "１２" << 0.0;
    }
    void lenientNumberReading()
    {
        QFETCH(QString, text);
        QFETCH(double, expected);
        QCOMPARE(readNumber(text), expected);
    }

    void lenientNumberReadingOfVeryLongDigitRuns()
    {
        const QString digits(1000, u'9');
        QVERIFY(readNumber(digits) > 1e300);
        QVERIFY_THROWS_EXCEPTION(Error, toInt32(readNumber(digits)));
    }

    void dateAndTimeForms()
    {
        QCOMPARE(formatDateYmd(QDate(2002, 6, 1)), QStringLiteral("2002/6/1"));
        QCOMPARE(formatTimeHn(QTime(9, 5)), QStringLiteral("9:5"));
        QCOMPARE(formatTimeHn(QTime(0, 0)), QStringLiteral("0:0"));
        QCOMPARE(formatDateTimeYmdHn(makeDateTime(QDate(2002, 7, 5), QTime(23, 59))),
                 QStringLiteral("2002/7/5 23:59"));
    }

    void dateParsing_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDateTime>("expected");
        const QDateTime none;
        QTest::newRow("y/m/d") << "2002/6/1" << makeDateTime(QDate(2002, 6, 1));
        QTest::newRow("log form") << "2009/03/14 21:05"
                                  << makeDateTime(QDate(2009, 3, 14), QTime(21, 5));
        QTest::newRow("spaces around") << "  2002/6/1 " << makeDateTime(QDate(2002, 6, 1));
        QTest::newRow("dashes") << "2002-06-01" << makeDateTime(QDate(2002, 6, 1));
        QTest::newRow("kanji") << "2002年6月1日" << makeDateTime(QDate(2002, 6, 1));
        QTest::newRow("two-digit 29") << "29/1/1" << makeDateTime(QDate(2029, 1, 1));
        QTest::newRow("two-digit 30") << "30/1/1" << makeDateTime(QDate(1930, 1, 1));
        QTest::newRow("two-digit 00") << "00/2/29" << makeDateTime(QDate(2000, 2, 29));
        QTest::newRow("two-digit 99") << "99/12/31" << makeDateTime(QDate(1999, 12, 31));
        QTest::newRow("time alone") << "9:5" << makeDateTime(zeroDate(), QTime(9, 5));
        QTest::newRow("time with seconds")
            << "9:05:30" << makeDateTime(zeroDate(), QTime(9, 5, 30));
        QTest::newRow("month 13") << "2002/13/1" << none;
        QTest::newRow("day 32") << "2002/1/32" << none;
        QTest::newRow("29 Feb of a common year") << "2003/2/29" << none;
        QTest::newRow("empty") << "" << none;
        QTest::newRow("empty parts") << "//" << none;
        QTest::newRow("hour 24") << "24:00" << none;
        QTest::newRow("minute 60") << "9:60" << none;
        QTest::newRow("trailing words") << "2002/6/1 abc" << none;
        QTest::newRow("mixed separators") << "2002/6-1" << none;
    }
    void dateParsing()
    {
        QFETCH(QString, text);
        QFETCH(QDateTime, expected);
        const auto got = parseDateTime(text);
        if (!expected.isValid()) {
            QVERIFY2(!got, qPrintable(text));
            QVERIFY_THROWS_EXCEPTION(Error, variantToDateTime(text));
        } else {
            QVERIFY2(got.has_value(), qPrintable(text));
            QCOMPARE(*got, expected);
        }
    }

    void twoDigitYearRule()
    {
        QCOMPARE(expandTwoDigitYear(0), 2000);
        QCOMPARE(expandTwoDigitYear(29), 2029);
        QCOMPARE(expandTwoDigitYear(30), 1930);
        QCOMPARE(expandTwoDigitYear(99), 1999);
    }

    void spacesOnlyTrimming()
    {
        QCOMPARE(trimSpaces(u"  a b \t "), QStringView(u"a b \t"));
        QCOMPARE(trimLeadingSpaces(u"\t a"), QStringView(u"\t a"));
        QCOMPARE(padLeft(QStringLiteral("123"), 8), QStringLiteral("     123"));
        QCOMPARE(padLeft(QStringLiteral("123456789"), 8), QStringLiteral("123456789"));
    }
};

QTEST_GUILESS_MAIN(TestConvert)
#include "tst_convert.moc"

#include "core/graph/colorstring.h"

#include <QTest>

using namespace norva;
using namespace Qt::StringLiterals;

class TestColorString : public QObject
{
    Q_OBJECT

private slots:
    void strToColor_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("red");
        QTest::addColumn<int>("green");
        QTest::addColumn<int>("blue");
        QTest::newRow("orange") << "255128064" << 255 << 128 << 64;
        QTest::newRow("blue of the rating graph") << "000128255" << 0 << 128 << 255;
        QTest::newRow("black") << "000000000" << 0 << 0 << 0;
        QTest::newRow("above 255 held at 255") << "999300256" << 255 << 255 << 255;
        QTest::newRow("negative held at 0") << "-12 50-99" << 0 << 50 << 0;
        QTest::newRow("blanks ignored") << " 1 2  3 4" << 1 << 2 << 34;
        QTest::newRow("reading stops at a letter") << "12x4y56z7" << 12 << 4 << 6;
        QTest::newRow("group without a number") << "abc100def" << 0 << 100 << 0;
        QTest::newRow("short text") << "2551" << 255 << 1 << 0;
        QTest::newRow("empty") << "" << 0 << 0 << 0;
        QTest::newRow("fraction halves to even") << "2.50.51.5" << 2 << 0 << 2;
        QTest::newRow("characters after the ninth ignored") << "001002003999" << 1 << 2 << 3;
        QTest::newRow("full-width digits are not digits") << u"１２３045067"_s << 0 << 45 << 67;
    }
    void strToColor()
    {
        QFETCH(QString, text);
        QFETCH(int, red);
        QFETCH(int, green);
        QFETCH(int, blue);
        QCOMPARE(colorFromString(text), red + 256 * green + 65536 * blue);
    }

    void knownValue() { QCOMPARE(colorFromString(u"000128255"), 16744448); }

    void toStringIsTheInverse_data()
    {
        QTest::addColumn<int>("red");
        QTest::addColumn<int>("green");
        QTest::addColumn<int>("blue");
        QTest::addColumn<QString>("text");
        QTest::newRow("orange") << 255 << 128 << 64 << "255128064";
        QTest::newRow("pure blue") << 0 << 0 << 255 << "000000255";
        QTest::newRow("white") << 255 << 255 << 255 << "255255255";
        QTest::newRow("single digits") << 1 << 2 << 3 << "001002003";
    }
    void toStringIsTheInverse()
    {
        QFETCH(int, red);
        QFETCH(int, green);
        QFETCH(int, blue);
        QFETCH(QString, text);
        const Color c = makeColor(red, green, blue);
        QCOMPARE(colorToString(c), text);
        QCOMPARE(colorFromString(text), c);
    }
};

QTEST_GUILESS_MAIN(TestColorString)
#include "tst_colorstring.moc"

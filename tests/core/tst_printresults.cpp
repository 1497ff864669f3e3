#include "core/calc/printresults.h"
#include "core/common/error.h"

#include <QTest>

using namespace norva;

namespace {

// A page that records what is printed where. Every text is lineHeight high.
class RecordingSurface final : public PrintSurface
{
public:
    struct Printed
    {
        QString text;
        double x, y;
        QString font;
        double size;
    };

    QStringList fontCalls;
    QList<Printed> printed;
    double lineHeight = 180;
    int failAtLine = -1; // the printLine call (0-based) that fails
    bool failHeight = false;

    void setFontName(const QString &name) override
    {
        m_font = name;
        fontCalls.append(QStringLiteral("name ") + name);
    }
    void setFontSize(double points) override
    {
        m_size = points;
        fontCalls.append(QStringLiteral("size ") + QString::number(points));
    }
    double textHeight(const QString &) override
    {
        if (failHeight)
            raise(ErrorKind::InvalidArgument);
        return lineHeight;
    }
    double currentX() const override { return m_x; }
    double currentY() const override { return m_y; }
    void setCurrentX(double x) override { m_x = x; }
    void setCurrentY(double y) override { m_y = y; }
    void printLine(const QString &text) override
    {
        if (printed.size() == failAtLine)
            raise(ErrorKind::IoError);
        printed.append({text, m_x, m_y, m_font, m_size});
        m_x = 0;
        m_y += lineHeight;
    }

private:
    QString m_font;
    double m_size = 0;
    double m_x = 0;
    double m_y = 0;
};

PrintLine text(const QString &t)
{
    return {t, false};
}
const PrintLine gap{QString(), true};

} // namespace

class TestPrintResults : public QObject
{
    Q_OBJECT

private slots:
    void column()
    {
        RecordingSurface s;
        s.lineHeight = 180.5; // the gap is the height of "0" rounded: 180
        const QList<PrintLine> lines = {
            text(QStringLiteral("ユーザー名： 東一")),
            text(QStringLiteral("計算日付： 2002/7/1 0:0")),
            gap,
            text(QStringLiteral("試合数：        4 回")),
            gap,
            gap,
            text(QStringLiteral("  ２翻　　( 50%)    1回")),
        };
        QVERIFY(printResults(s, lines, 1024 * 15));
        QCOMPARE(s.fontCalls,
                 (QStringList{QStringLiteral("size 8"), QStringLiteral("name ＭＳ ゴシック"),
                              QStringLiteral("size 9")}));
        QCOMPARE(s.printed.size(), 4);
        const QList<double> ys = {10, 190.5, 551, 1091.5};
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(s.printed[i].x, 11520.0);
            QCOMPARE(s.printed[i].y, ys[i]);
            QCOMPARE(s.printed[i].font, QStringLiteral("ＭＳ ゴシック"));
            QCOMPARE(s.printed[i].size, 9.0);
        }
        QCOMPARE(s.printed[3].text, lines[6].text);
    }

    void columnStart_data()
    {
        QTest::addColumn<double>("screenWidth");
        QTest::addColumn<double>("x0");
        QTest::newRow("1024 pixels") << 15360.0 << 11520.0;
        QTest::newRow("half rounds up to even") << 15010.0 << 11258.0;
        QTest::newRow("half rounds down to even") << 15030.0 << 11272.0;
    }
    void columnStart()
    {
        QFETCH(double, screenWidth);
        QFETCH(double, x0);
        RecordingSurface s;
        QVERIFY(printResults(s, {text(QStringLiteral("a"))}, screenWidth));
        QCOMPARE(s.printed.at(0).x, x0);
    }

    void failureStopsQuietly()
    {
        RecordingSurface s;
        s.failAtLine = 2;
        const QList<PrintLine> lines = {text(QStringLiteral("1")), gap, text(QStringLiteral("2")),
                                        text(QStringLiteral("3")), text(QStringLiteral("4"))};
        QVERIFY(!printResults(s, lines, 15360));
        QCOMPARE(s.printed.size(), 2); // what was printed stays

        RecordingSurface noMetrics;
        noMetrics.failHeight = true;
        QVERIFY(!printResults(noMetrics, lines, 15360));
        QVERIFY(noMetrics.printed.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestPrintResults)
#include "tst_printresults.moc"

#include "core/graph/drawgraph.h"
#include "gui/print/paintertarget.h"
#include "gui/print/printpage.h"

#include "fakegraphsource.h"

#include <QFont>
#include <QImage>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace norva;

namespace {

const GraphState defaults;

QColor qcolor(Color c)
{
    return PainterTarget::toQColor(c);
}

QImage whiteImage(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

// The printed column of a small calculation, as the calculation module gives it.
QList<PrintLine> sampleLines()
{
    const auto t = [](const QString &s) {
        return PrintLine{s, false};
    };
    const PrintLine gap{QString(), true};
    return {
        t(QStringLiteral("ユーザー名： 東一")),
        t(QStringLiteral("計算日付： 2002/7/1 0:0")),
        t(QStringLiteral("　　　　　 ～ 2002/7/5 23:59")),
        t(QStringLiteral("卓情報： 東風戦")),
        gap,
        t(QStringLiteral("試合数：        4 回")),
        t(QStringLiteral("　総合得点：       20 点")),
        t(QStringLiteral("　平均順位：    2.500 位")),
        t(QStringLiteral("　１位( 25%)：     1 回, 連続     1 回")),
        gap,
        t(QStringLiteral("総局数： 32")),
        t(QStringLiteral("　本人： ツモ　　(  9%)    3回")),
        gap,
        t(QStringLiteral("総あがり数： 6")),
        t(QStringLiteral("  １翻　　( 33%)    2回")),
        t(QStringLiteral("  ２翻　　( 67%)    4回")),
    };
}

QString normalised(const QString &line)
{
    // pdftotext finds blanks by the distance between words, and gives the wave
    // dash for the full-width tilde (the font draws both alike).
    QString out;
    for (QChar c : line) {
        if (!c.isSpace() && c != u'\f')
            out.append(c == u'\u301C' ? QChar(u'\uFF5E') : c);
    }
    return out;
}

QString run(const QStringList &arguments, const char *program = "pdftotext")
{
    QProcess p;
    p.start(QString::fromLatin1(program), arguments);
    if (!p.waitForFinished() || p.exitCode() != 0)
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

struct Word
{
    QString text;
    double left = -1, top = -1, right = -1;
};

QList<Word> bboxWords(const QString &html)
{
    static const QRegularExpression re(QStringLiteral(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="[\d.]+">([^<]*)</word>)re"));
    QList<Word> out;
    for (const QRegularExpressionMatch &m : re.globalMatch(html))
        out.append({m.captured(4), m.captured(1).toDouble(), m.captured(2).toDouble(),
                    m.captured(3).toDouble()});
    return out;
}

int imageCount(const QString &pdf)
{
    // A header of two lines, then one line per image (and per soft mask).
    const QStringList lines =
        run({QStringLiteral("-list"), pdf}, "pdfimages").split(u'\n', Qt::SkipEmptyParts);
    int n = 0;
    for (const QString &l : lines.mid(2))
        n += l.split(u' ', Qt::SkipEmptyParts).value(2) == QStringLiteral("image");
    return lines.size() < 2 ? -1 : n;
}

void pdfPrinter(QPrinter &printer, const QString &path)
{
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setPageSize(QPageSize(QPageSize::A4));
    // The page is laid out like the (landscape) screen; on a portrait page the
    // longest lines run past the right edge.
    printer.setPageOrientation(QPageLayout::Landscape);
}

} // namespace

class TestGraphPrint : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QFont::insertSubstitutions(QStringLiteral("ＭＳ ゴシック"), {QStringLiteral("IPAGothic")});
    }

    // Where two graphs' lines cross, the pixel is the AND of their colours.
    void andModeAtCrossing()
    {
        QImage image = whiteImage(200, 200);
        {
            PainterTarget t(image);
            t.setDrawMode(DrawMode::MaskPen);
            t.line(0, 1500, 3000, 1500, defaults.scoreColor);
            t.line(1500, 0, 1500, 3000, defaults.totalColor);
        }
        QCOMPARE(image.pixelColor(100, 100), QColor(128, 0, 0));
        QCOMPARE(image.pixelColor(50, 100), QColor(255, 0, 0));
        QCOMPARE(image.pixelColor(100, 50), QColor(128, 0, 128));
        QCOMPARE(image.pixelColor(50, 50), QColor(Qt::white));

        QImage copied = whiteImage(200, 200);
        {
            PainterTarget t(copied);
            t.line(0, 1500, 3000, 1500, defaults.scoreColor);
            t.line(1500, 0, 1500, 3000, defaults.totalColor);
        }
        QCOMPARE(copied.pixelColor(100, 100), QColor(128, 0, 128));
    }

    // The score graph and the running total of 10, -20, 30, 0 share the points
    // (3000, 2850) and (4325, 150), and the line between them.
    void graphsMixOnScreen()
    {
        testutil::FakeGraphSource src;
        src.setGames({10, -20, 30, 0});
        GraphState state;
        state.drawReady = true;
        state.shownGraphs = GraphState::ScoreGraph | GraphState::TotalGraph;
        QImage image = whiteImage(400, 200);
        {
            PainterTarget t(image);
            drawGraph(state, t, 6000, 3000, true, src);
        }
        QCOMPARE(image.pixelColor(200, 190), QColor(128, 0, 0));
        // Halfway along the shared line, whichever pixel of the row it took.
        QList<QColor> row;
        for (int x = 230; x < 260; ++x) {
            if (image.pixelColor(x, 100) != QColor(Qt::white))
                row.append(image.pixelColor(x, 100));
        }
        QCOMPARE(row, QList<QColor>{QColor(128, 0, 0)});
        // The axis at x = 350 twips from y = 150 to 2850.
        QCOMPARE(image.pixelColor(23, 100), QColor(Qt::black));
        QCOMPARE(image.pixelColor(23, 5), QColor(Qt::white));
        // The dotted zero line of the scores at y = 1770 twips: dots and gaps.
        int dots = 0;
        for (int x = 30; x < 370; ++x)
            dots += image.pixelColor(x, 118) == qcolor(defaults.scoreColor);
        QVERIFY2(dots > 50 && dots < 300, qPrintable(QString::number(dots)));
    }

    void textInPoints()
    {
        QImage image = whiteImage(100, 100);
        PainterTarget t(image);
        t.setFontSize(9);
        const double h9 = t.textHeight(QStringLiteral("0"));
        const double w9 = t.textWidth(QStringLiteral("0"));
        // 9 points at 96 dots per inch: 12 pixels of 15 twips, plus the line gap.
        QVERIFY2(h9 >= 180 && h9 <= 240, qPrintable(QString::number(h9)));
        QCOMPARE(t.textWidth(QStringLiteral("0000")), 4 * w9);
        t.setFontSize(8);
        QVERIFY(t.textHeight(QStringLiteral("0")) < h9);
    }

    void printedPage()
    {
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("page.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        pdfPrinter(printer, pdf);

        testutil::FakeGraphSource src;
        src.setGames({10, -20, 30, 0}, {2, 4, 1, 3}, {1500, 1510, 1490, 1520});
        src.setWins({QStringLiteral("1翻"), QStringLiteral("2翻")}, {2, 4});
        GraphState state;
        state.drawReady = true;
        const QList<PrintLine> lines = sampleLines();
        QVERIFY(printResultsAndGraph(printer, state, lines, src, QSize(1024, 768)));
        QVERIFY(state.drawReady);

        QCOMPARE(imageCount(pdf), 1); // the graph, lossless
        QVERIFY(!run({QStringLiteral("-list"), pdf}, "pdfimages").contains(QStringLiteral("jpeg")));

        const QString layout = run({QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        if (qEnvironmentVariableIsSet("NORVA_KEEP_PDF"))
            QFile::copy(pdf, qEnvironmentVariable("NORVA_KEEP_PDF"));

        // The column's lines in order, a blank line for each gap. (The graph is
        // an image and brings no text.)
        QStringList expected;
        for (const PrintLine &l : lines)
            expected.append(l.gap ? QString() : normalised(l.text));
        QStringList printed;
        for (const QString &l : layout.split(u'\n'))
            printed.append(normalised(l));
        while (!printed.isEmpty() && printed.first().isEmpty())
            printed.removeFirst();
        while (!printed.isEmpty() && printed.last().isEmpty())
            printed.removeLast();
        QCOMPARE(printed, expected);

        // Where the words stand: the column starts at three quarters of the
        // page's printable width, the end of the range stands under its start,
        // and each han class line is indented by two ASCII spaces.
        const QList<Word> words =
            bboxWords(run({QStringLiteral("-bbox"), pdf, QStringLiteral("-")}));
        const auto word = [&](const QString &text) {
            for (const Word &w : words) {
                if (w.text == text)
                    return w;
            }
            qWarning() << "missing" << text;
            return Word{};
        };
        const QRectF paint = printer.pageLayout().paintRectPoints();
        const double x0 = word(QStringLiteral("ユーザー名：")).left;
        QVERIFY2(qAbs(x0 - (paint.left() + paint.width() * 3 / 4)) < 0.5,
                 qPrintable(QString::number(x0)));
        const double space =
            word(QStringLiteral("東一")).left - word(QStringLiteral("ユーザー名：")).right;
        QVERIFY(space > 3 && space < 6); // 9 points, half width
        QCOMPARE(word(QStringLiteral("総あがり数：")).left, x0);
        QCOMPARE(word(QStringLiteral("試合数：")).left, x0);
        QVERIFY(qAbs(word(QStringLiteral("１翻")).left - (x0 + 2 * space)) < 0.01);
        QVERIFY(qAbs(word(QStringLiteral("２翻")).left - (x0 + 2 * space)) < 0.01);
        QVERIFY(qAbs(word(QStringLiteral("〜")).left - word(QStringLiteral("2002/7/1")).left)
                < 0.01);
        // Each line one text line below the one before, gaps as high as a line.
        const double step =
            word(QStringLiteral("計算日付：")).top - word(QStringLiteral("ユーザー名：")).top;
        QVERIFY(qAbs(word(QStringLiteral("試合数：")).top - word(QStringLiteral("卓情報：")).top
                     - 2 * step)
                < 0.01);
    }

    // While a drawing is under way (drawing not ready): the results without a
    // graph.
    void printedPageWithoutGraph()
    {
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("page.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        pdfPrinter(printer, pdf);
        testutil::FakeGraphSource src;
        src.setGames({10, 20});
        GraphState state;
        QVERIFY(printResultsAndGraph(printer, state, sampleLines(), src, QSize(1024, 768)));
        QCOMPARE(imageCount(pdf), 0);
        QVERIFY(run({pdf, QStringLiteral("-")}).contains(QStringLiteral("総あがり数")));
    }

    // A graph that fails part-way: the page still carries the results and the
    // next drawing may start.
    void printedPageWithFailingGraph()
    {
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("page.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        pdfPrinter(printer, pdf);
        testutil::FakeGraphSource src;
        src.setGames({10, 20});
        src.values[19] = {10}; // the second score is missing
        GraphState state;
        state.drawReady = true;
        QVERIFY(!printResultsAndGraph(printer, state, sampleLines(), src, QSize(1024, 768)));
        QVERIFY(state.drawReady);
        QVERIFY(run({pdf, QStringLiteral("-")}).contains(QStringLiteral("総あがり数")));
    }
};

QTEST_MAIN(TestGraphPrint)
#include "tst_graphprint.moc"

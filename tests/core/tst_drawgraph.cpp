#include "core/common/error.h"
#include "core/graph/drawgraph.h"
#include "recordingtarget.h"

#include "fakegraphsource.h"

#include <QLineF>
#include <QTest>

using namespace norva;
using testutil::FakeGraphSource;
using Kind = RecordingTarget::Kind;
using Call = RecordingTarget::Call;

namespace {

const GraphState defaults;
const Color Black = defaults.foreColor;
const Color Red = defaults.scoreColor;
const Color Orange = defaults.rankColor;
const Color Green = defaults.hanColor;
const Color Blue = defaults.ratingColor;
const Color Purple = defaults.totalColor;

GraphState readyState(qint16 disp = GraphState::AllGraphs)
{
    GraphState s;
    s.shownGraphs = disp;
    s.drawReady = true;
    return s;
}

// The points of the polyline drawn in color: its first point and the end of
// each solid line in that colour.
QList<QPointF> polyline(const RecordingTarget &t, Color color)
{
    QList<QPointF> out;
    for (const Call &c : t.calls) {
        if (c.kind == Kind::Point && c.color == color) {
            out.append({c.x1, c.y1});
        } else if (c.kind == Kind::Line && c.color == color && c.shape == LineShape::Line
                   && c.style == DrawStyle::Solid) {
            if (!out.isEmpty() && out.last() != QPointF(c.x1, c.y1))
                out.append({-1, -1}); // not continuing the polyline
            out.append({c.x2, c.y2});
        }
    }
    return out;
}

struct Text
{
    QString text;
    double x, y;
    friend bool operator==(const Text &, const Text &) = default;
};
char *toString(const Text &t)
{
    return QTest::toString(QStringLiteral("\"%1\" at (%2, %3)").arg(t.text).arg(t.x).arg(t.y));
}

QList<Text> texts(const RecordingTarget &t, Color color)
{
    QList<Text> out;
    for (const Call &c : t.of(Kind::Print)) {
        if (c.color == color)
            out.append({c.text, c.x1, c.y1});
    }
    return out;
}

QList<Call> linesOf(const RecordingTarget &t, Color color, LineShape shape, DrawStyle style)
{
    QList<Call> out;
    for (const Call &c : t.of(Kind::Line)) {
        if (c.color == color && c.shape == shape && c.style == style)
            out.append(c);
    }
    return out;
}

} // namespace

class TestDrawGraph : public QObject
{
    Q_OBJECT

private:
    // The worked example: W 6000, H 3000, four games.
    static void example(FakeGraphSource &src)
    {
        src.setGames({10, -20, 30, 0}, {2, 4, 1, 3}, {1500, 1510, 1490, 1520});
    }

private slots:
    void workedExampleScoreGraph()
    {
        FakeGraphSource src;
        example(src);
        GraphState state = readyState();
        RecordingTarget t;
        drawGraph(state, t, 6000, 3000, true, src);

        QCOMPARE(polyline(t, Red),
                 (QList<QPointF>{{1675, 1230}, {3000, 2850}, {4325, 150}, {5650, 1770}}));
        const QList<Call> zero = linesOf(t, Red, LineShape::Line, DrawStyle::Dotted);
        QCOMPARE(zero.size(), 1);
        QCOMPARE(QLineF(zero[0].x1, zero[0].y1, zero[0].x2, zero[0].y2),
                 QLineF(350, 1770, 5650, 1770));
        // " 0" centred on the zero line: 1770 - 180 / 2.
        QCOMPARE(texts(t, Red), (QList<Text>{{QStringLiteral(" 30 "), 30, 150},
                                             {QStringLiteral(" 0"), 30, 1680},
                                             {QStringLiteral("-20 "), 30, 2670}}));
        // The rating graph stands one step to the left.
        QList<double> xs;
        for (const QPointF &p : polyline(t, Blue))
            xs.append(p.x());
        QCOMPARE(xs, (QList<double>{350, 1675, 3000, 4325}));
    }

    void workedExampleOtherGraphs()
    {
        FakeGraphSource src;
        example(src);
        GraphState state = readyState();
        RecordingTarget t;
        drawGraph(state, t, 6000, 3000, true, src);

        // Set-up, then the axis.
        QList<Kind> kinds;
        for (int i = 0; i < 6; ++i)
            kinds.append(t.calls[i].kind);
        QCOMPARE(kinds, (QList<Kind>{Kind::FontSize, Kind::DrawMode, Kind::FontSize,
                                     Kind::DrawWidth, Kind::ForeColor, Kind::Line}));
        QCOMPARE(t.calls[0].value, 8.0);
        QCOMPARE(t.calls[1].value, 9.0);
        QCOMPARE(t.calls[2].value, 9.0);
        QCOMPARE(QLineF(t.calls[5].x1, t.calls[5].y1, t.calls[5].x2, t.calls[5].y2),
                 QLineF(350, 150, 350, 2850));
        QCOMPARE(t.calls[5].color, Black);

        // Ranks: fifths of the plot height, labels centred on them.
        QCOMPARE(polyline(t, Orange),
                 (QList<QPointF>{{1675, 1230}, {3000, 2310}, {4325, 690}, {5650, 1770}}));
        QCOMPARE(texts(t, Orange), (QList<Text>{{QStringLiteral(" 1 "), 30, 600},
                                                {QStringLiteral(" 2 "), 30, 1140},
                                                {QStringLiteral(" 3 "), 30, 1680},
                                                {QStringLiteral(" 4 "), 30, 2220}}));

        // Ratings 1500, 1510, 1490, 1520: scale 90, labels 200 before the right edge.
        QCOMPARE(polyline(t, Blue),
                 (QList<QPointF>{{350, 1950}, {1675, 1050}, {3000, 2850}, {4325, 150}}));
        QCOMPARE(texts(t, Blue), (QList<Text>{{QStringLiteral(" 1490 "), 5400, 2670},
                                              {QStringLiteral(" 1520 "), 5400, 150}}));

        // Running totals 10, -10, 20, 20: labels over the axis, zero line at 20 * 90 + 150.
        QCOMPARE(polyline(t, Purple),
                 (QList<QPointF>{{1675, 1050}, {3000, 2850}, {4325, 150}, {5650, 150}}));
        QCOMPARE(texts(t, Purple), (QList<Text>{{QStringLiteral(" 20 "), 350, 150},
                                                {QStringLiteral(" 0"), 350, 1860},
                                                {QStringLiteral("-10 "), 350, 2670}}));
        const QList<Call> zero = linesOf(t, Purple, LineShape::Line, DrawStyle::Dotted);
        QCOMPARE(zero.size(), 1);
        QCOMPARE(zero[0].y1, 1950.0);

        // Everything is drawn in the AND mode, one pixel wide, in order.
        QList<Color> order;
        for (const Call &c : t.calls) {
            if (c.kind == Kind::Line || c.kind == Kind::Point) {
                QCOMPARE(c.mode, DrawMode::MaskPen);
                QCOMPARE(c.width, 1);
                if (!order.contains(c.color))
                    order.append(c.color);
            }
        }
        QCOMPARE(order, (QList<Color>{Black, Red, Orange, Blue, Purple}));
        QVERIFY(t.of(Kind::Line).last().style == DrawStyle::Solid);
        QVERIFY(state.drawReady);
    }

    void zeroLine_data()
    {
        QTest::addColumn<QList<qint32>>("scores");
        QTest::addColumn<bool>("zeroLine");
        QTest::newRow("spanning zero") << QList<qint32>{-5, 5} << true;
        QTest::newRow("all positive") << QList<qint32>{10, 20} << false;
        QTest::newRow("all negative") << QList<qint32>{-10, -20} << false;
        QTest::newRow("highest zero") << QList<qint32>{0, -10} << false;
        QTest::newRow("lowest zero") << QList<qint32>{0, 10} << false;
    }
    void zeroLine()
    {
        QFETCH(QList<qint32>, scores);
        QFETCH(bool, zeroLine);
        FakeGraphSource src;
        src.setGames(scores);
        GraphState state = readyState(GraphState::ScoreGraph);
        RecordingTarget t;
        drawGraph(state, t, 6000, 3000, true, src);
        QCOMPARE(linesOf(t, Red, LineShape::Line, DrawStyle::Dotted).size(), zeroLine ? 1 : 0);
        QCOMPARE(texts(t, Red).size(), zeroLine ? 3 : 2);
        QCOMPARE(polyline(t, Red).size(), 2);
    }

    // A series without a range is one line at mid-height with its value
    // written once at the left, centred on it.
    void flatSeries_data()
    {
        QTest::addColumn<QList<qint32>>("scores");
        QTest::addColumn<qint16>("graph");
        QTest::addColumn<qint32>("height");
        QTest::addColumn<QString>("label");
        QTest::addColumn<double>("lineY");

        QTest::newRow("scores") << QList<qint32>{25, 25, 25} << qint16(GraphState::ScoreGraph)
                                << 3000 << QStringLiteral(" 25 ") << 1500.0;
        QTest::newRow("negative scores") << QList<qint32>{-7, -7} << qint16(GraphState::ScoreGraph)
                                         << 3000 << QStringLiteral("-7 ") << 1500.0;
        // Half of an odd height rounds to the even neighbour.
        QTest::newRow("height 3001") << QList<qint32>{25, 25} << qint16(GraphState::ScoreGraph)
                                     << 3001 << QStringLiteral(" 25 ") << 1500.0;
        QTest::newRow("height 3003") << QList<qint32>{25, 25} << qint16(GraphState::ScoreGraph)
                                     << 3003 << QStringLiteral(" 25 ") << 1502.0;
        // Running totals 0, 0: the label stands at 30, not over the axis.
        QTest::newRow("running total") << QList<qint32>{0, 0} << qint16(GraphState::TotalGraph)
                                       << 3000 << QStringLiteral(" 0 ") << 1500.0;
    }
    void flatSeries()
    {
        QFETCH(QList<qint32>, scores);
        QFETCH(qint16, graph);
        QFETCH(qint32, height);
        QFETCH(QString, label);
        QFETCH(double, lineY);
        FakeGraphSource src;
        src.setGames(scores);
        GraphState state = readyState(graph);
        RecordingTarget t;
        drawGraph(state, t, 6000, height, true, src);
        const Color color = graph == GraphState::ScoreGraph ? Red : Purple;
        QCOMPARE(texts(t, color), (QList<Text>{{label, 30, lineY - 90}}));
        const QList<Call> lines = linesOf(t, color, LineShape::Line, DrawStyle::Solid);
        QCOMPARE(lines.size(), 1);
        QCOMPARE(QLineF(lines[0].x1, lines[0].y1, lines[0].x2, lines[0].y2),
                 QLineF(350, lineY, 5650, lineY));
        QVERIFY(t.of(Kind::Point).isEmpty());
    }

    void flatRatings()
    {
        FakeGraphSource src;
        src.setGames({10, 20, 30}, {}, {1500, 1500, 1500});
        GraphState state = readyState(GraphState::RatingGraph);
        RecordingTarget t;
        drawGraph(state, t, 6000, 3000, true, src);
        // Along the top of the plot, only the maximum labelled.
        QCOMPARE(polyline(t, Blue), (QList<QPointF>{{350, 150}, {2117, 150}, {3883, 150}}));
        QCOMPARE(texts(t, Blue), (QList<Text>{{QStringLiteral(" 1500 "), 5400, 150}}));
    }

    void hanBars()
    {
        FakeGraphSource src;
        src.setGames({10});
        src.setWins({QStringLiteral("1翻"), QStringLiteral("  2翻 "), QStringLiteral("3翻以上")},
                    {2, 4, 1});
        GraphState state = readyState();
        RecordingTarget t;
        drawGraph(state, t, 6000, 3000, true, src);

        // step 5300 / 3, scale 2700 / 4; the bar's left x is not rounded.
        const double step = 5300.0 / 3;
        const QList<Call> points = t.of(Kind::Point);
        const QList<Call> boxes = linesOf(t, Green, LineShape::Box, DrawStyle::Solid);
        QCOMPARE(points.size(), 3);
        QCOMPARE(boxes.size(), 3);
        const QList<QLineF> expected = {QLineF(350, 2850, 2117, 1500),
                                        QLineF(step + 350, 2850, 3883, 150),
                                        QLineF(2 * step + 350, 2850, 5650, 2175)};
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(QPointF(points[i].x1, points[i].y1), expected[i].p1());
            QCOMPARE(points[i].color, Green);
            QCOMPARE(QLineF(boxes[i].x1, boxes[i].y1, boxes[i].x2, boxes[i].y2), expected[i]);
        }
        // Labels in 8 points (text 160 high), centred on their bars just above the base.
        const QList<Call> labels = t.of(Kind::Print);
        QCOMPARE(labels.size(), 3);
        const QStringList firsts = {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")};
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(labels[i].text, firsts[i]);
            QCOMPARE(labels[i].fontSize, 8.0);
            QCOMPARE(labels[i].x1, 350 + ((2 * i + 1) * step - 100) / 2);
            QCOMPARE(labels[i].y1, 2690.0);
        }
        QCOMPARE(t.of(Kind::FontSize).last().value, 9.0);
        // One game: no per-game graph.
        QCOMPARE(t.of(Kind::Line).size(), 1 + 3);
    }

    void hanGraphSkipped_data()
    {
        QTest::addColumn<QStringList>("classes");
        QTest::addColumn<QList<qint32>>("wins");
        QTest::newRow("one class") << QStringList{QStringLiteral("1翻")} << QList<qint32>{5};
        QTest::newRow("no classes") << QStringList{} << QList<qint32>{};
        QTest::newRow("no wins") << QStringList{QStringLiteral("1翻"), QStringLiteral("2翻"),
                                                QStringLiteral("3翻")}
                                 << QList<qint32>{0, 0, 0};
    }
    void hanGraphSkipped()
    {
        QFETCH(QStringList, classes);
        QFETCH(QList<qint32>, wins);
        FakeGraphSource src;
        src.setGames({10, 20});
        src.setWins(classes, wins);
        GraphState state = readyState(GraphState::HanGraph);
        RecordingTarget t;
        drawGraph(state, t, 6000, 3000, true, src);
        QCOMPARE(t.of(Kind::Line).size(), 1); // the axis alone
        QVERIFY(t.of(Kind::Point).isEmpty());
        QVERIFY(t.of(Kind::Print).isEmpty());
    }

    // Each bit of the selection draws its own graph only.
    void selection_data()
    {
        QTest::addColumn<qint16>("mask");
        QTest::addColumn<QList<Color>>("colors");
        QTest::newRow("none") << qint16(0) << QList<Color>{};
        QTest::newRow("score") << qint16(1) << QList<Color>{Red};
        QTest::newRow("rank") << qint16(2) << QList<Color>{Orange};
        QTest::newRow("han") << qint16(4) << QList<Color>{Green};
        QTest::newRow("rating") << qint16(8) << QList<Color>{Blue};
        QTest::newRow("running total") << qint16(16) << QList<Color>{Purple};
        QTest::newRow("score and rating") << qint16(9) << QList<Color>{Red, Blue};
    }
    void selection()
    {
        QFETCH(qint16, mask);
        QFETCH(QList<Color>, colors);
        FakeGraphSource src;
        src.setGames({10, -20, 30}, {2, 4, 1}, {1500, 1510, 1490});
        src.setWins({QStringLiteral("1翻"), QStringLiteral("2翻")}, {1, 2});
        GraphState state = readyState(mask);
        RecordingTarget t;
        drawGraph(state, t, 6000, 3000, true, src);
        QList<Color> drawn;
        for (const Call &c : t.calls.mid(6)) {
            if ((c.kind == Kind::Line || c.kind == Kind::Point || c.kind == Kind::Print)
                && !drawn.contains(c.color))
                drawn.append(c.color);
        }
        QCOMPARE(drawn, colors);
    }

    void legendOnlyWhenPrinting()
    {
        FakeGraphSource src;
        src.setGames({10, 20});
        GraphState state = readyState(0); // the legend lists all graphs whatever is selected
        RecordingTarget screen;
        drawGraph(state, screen, 6000, 3000, true, src);
        QCOMPARE(screen.calls.size(), 6);

        RecordingTarget page;
        drawGraph(state, page, 6000, 3000, false, src);
        const QList<Call> boxes = page.of(Kind::Line).mid(1);
        const QList<Call> names = page.of(Kind::Print);
        QCOMPARE(boxes.size(), 5);
        QCOMPARE(names.size(), 5);
        const QList<double> a = {3900, 3200, 2500, 1800, 1100};
        const QList<Color> colors = {Red, Orange, Green, Blue, Purple};
        const QStringList texts = {QStringLiteral("得点"), QStringLiteral("順位"),
                                   QStringLiteral("翻別"), QStringLiteral("Ｒ値"),
                                   QStringLiteral("合計得点")};
        for (int i = 0; i < 5; ++i) {
            // Bottom at H + 150, top one text height (180) above it, 200 wide.
            QCOMPARE(boxes[i].shape, LineShape::FilledBox);
            QCOMPARE(boxes[i].color, colors[i]);
            QCOMPARE(QLineF(boxes[i].x1, boxes[i].y1, boxes[i].x2, boxes[i].y2),
                     QLineF(5650 - a[i], 3150, 5650 - a[i] + 200, 2970));
            QCOMPARE(names[i].text, texts[i]);
            QCOMPARE(names[i].color, colors[i]);
            QCOMPARE(QPointF(names[i].x1, names[i].y1), QPointF(5650 - a[i] + 250, 2970));
        }
    }

    void notReadyDrawsNothing()
    {
        FakeGraphSource src;
        src.setGames({10, 20});
        GraphState state; // the window has not been loaded
        RecordingTarget t;
        drawGraph(state, t, 6000, 3000, true, src);
        QVERIFY(t.calls.isEmpty());
        QVERIFY(!state.drawReady);
    }

    void noDrawingInsideADrawing()
    {
        FakeGraphSource src;
        src.setGames({10, -20, 30}, {2, 4, 1}, {1500, 1510, 1490});
        GraphState state = readyState();
        RecordingTarget t;
        bool nestedDrew = false;
        t.afterCall = [&](const Call &) {
            RecordingTarget nested;
            drawGraph(state, nested, 6000, 3000, true, src);
            nestedDrew = nestedDrew || !nested.calls.isEmpty();
        };
        drawGraph(state, t, 6000, 3000, true, src);
        QVERIFY(!nestedDrew);
        QVERIFY(state.drawReady);
        t.afterCall = nullptr;
        RecordingTarget again;
        drawGraph(state, again, 6000, 3000, true, src);
        QCOMPARE(again.calls.size(), t.calls.size());
    }

    void readyAgainAfterFailure()
    {
        FakeGraphSource src;
        src.setGames({10, -20, 30});
        GraphState state = readyState();
        RecordingTarget failing;
        failing.afterCall = [](const Call &c) {
            if (c.kind == Kind::Line && c.color == Red)
                raise(ErrorKind::Overflow);
        };
        QVERIFY_THROWS_EXCEPTION(Error, drawGraph(state, failing, 6000, 3000, true, src));
        QVERIFY(state.drawReady);

        RecordingTarget next;
        drawGraph(state, next, 6000, 3000, true, src);
        QCOMPARE(polyline(next, Red).size(), 3);
    }
};

QTEST_GUILESS_MAIN(TestDrawGraph)
#include "tst_drawgraph.moc"

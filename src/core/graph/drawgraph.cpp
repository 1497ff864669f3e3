#include "core/graph/drawgraph.h"

#include "core/calc/calcresults.h"
#include "core/common/convert.h"

namespace norva {

namespace {

// Margins: the plot runs from (L, T) to (W - L, H - T); the axis stands at x = L.
constexpr qint16 L = 350;
constexpr qint16 T = 150;
// x of the score and rank labels (and of the running total's label when flat).
constexpr double LeftLabelX = 30;
// Rating labels end this far before the right edge.
constexpr double RightLabelGap = 200;
// Gap between a legend box and its text.
constexpr double LegendGap = 50;
// The plot height is divided into fifths for the ranks 1 to 4.
constexpr double RankDivisions = 5;

using namespace calc; // the result kinds

// Lets the next drawing start however this one ends.
class ReadyAgain
{
public:
    explicit ReadyAgain(GraphState &state)
        : m_state(state)
    {}
    ~ReadyAgain() { m_state.drawReady = true; }
    ReadyAgain(const ReadyAgain &) = delete;
    ReadyAgain &operator=(const ReadyAgain &) = delete;

private:
    GraphState &m_state;
};

class Drawer
{
public:
    Drawer(const GraphState &state, DrawTarget &target, qint32 width, qint32 height,
           const GraphSource &source)
        : s(state)
        , t(target)
        , W(width)
        , H(height)
        , src(source)
    {}

    void setUp()
    {
        t.setFontSize(8);
        t.setDrawMode(DrawMode::MaskPen);
        t.setFontSize(9);
        midY = toInt16(H / 2.0);
        t.setDrawWidth(1);
        t.setForeColor(s.foreColor);
        t.line(L, T, L, H - T, s.foreColor);
    }

    // One line below the plot, towards the right: a filled box and the name of
    // each graph, whatever is selected.
    void legend()
    {
        struct Row
        {
            double a, b;
            Color color;
            QString text;
        };
        const Row rows[] = {
            {3900, 3700, s.scoreColor, QStringLiteral("得点")},
            {3200, 3000, s.rankColor, QStringLiteral("順位")},
            {2500, 2300, s.hanColor, QStringLiteral("翻別")},
            {1800, 1600, s.ratingColor, QStringLiteral("Ｒ値")},
            {1100, 900, s.totalColor, QStringLiteral("合計得点")},
        };
        for (const Row &row : rows) {
            t.setForeColor(row.color);
            const double top = T + (H - t.textHeight(QStringLiteral("0")));
            t.line(W - L - row.a, H + T, W - L - row.b, top, row.color, LineShape::FilledBox);
            t.setCurrentX(t.currentX() + LegendGap);
            t.print(row.text);
        }
    }

    // One bar per han class, touching, the tallest reaching the top of the plot,
    // each labelled with the first character of its class just above the base.
    void hanGraph()
    {
        const qint16 n = variantToInt16(src.tableInfoValue(0));
        if (n <= 0)
            return;
        const double step = (W - 2.0 * L) / (n + 1);
        qint16 max = 0;
        for (qint16 i = 0; i <= n; ++i) {
            const qint32 v = value(WinByHan, i);
            if (v > max)
                max = toInt16(v);
        }
        if (max < 1)
            return;
        const double scale = (H - 2.0 * T) / max;
        t.setDrawWidth(1);
        t.setForeColor(s.hanColor);
        for (qint16 i = 0; i <= n; ++i) {
            t.point(i * step + L, H - T);
            t.lineTo(toInt32((i + 1) * step + L), toInt32((max - value(WinByHan, i)) * scale + T),
                     s.hanColor, LineShape::Box);
            t.setFontSize(8);
            t.setCurrentPosition(L + ((2 * i + 1) * step - t.textWidth(QStringLiteral("1"))) / 2,
                                 (H - T) - t.textHeight(QStringLiteral("1")));
            const QString name = src.tableInfoValue(1, i).toString();
            t.print(trimSpaces(name).left(1).toString());
            t.setFontSize(9);
        }
    }

    // The score graph and the running total graph: labels of the maximum, of
    // zero (with a dotted zero line) when the range spans it, and of the
    // minimum, then the polyline; a flat series is one line at mid-height.
    void seriesGraph(Kind series, Kind maxKind, Kind minKind, Color color, double labelX)
    {
        const qint32 games = value(GameCount);
        t.setForeColor(color);
        const qint32 max = value(maxKind);
        const qint32 min = value(minKind);
        if (double(max) - min != 0) {
            const double xstep = (W - 2.0 * L) / games;
            const double scale = (H - 2.0 * T) / (double(max) - min);
            t.setCurrentPosition(labelX, T);
            t.printNumber(max);
            if (max > 0 && min < 0) {
                t.setCurrentPosition(labelX,
                                     (max * scale + T) - t.textHeight(QStringLiteral("0")) / 2);
                t.print(QStringLiteral(" 0"));
                t.setCurrentY(max * scale + T);
                t.setDrawStyle(DrawStyle::Dotted);
                t.line(L, t.currentY(), W - L, t.currentY(), color);
                t.setDrawStyle(DrawStyle::Solid);
            }
            t.setCurrentPosition(labelX, (H - t.textHeight(QStringLiteral("(-)"))) - T);
            t.printNumber(min);
            t.setDrawWidth(1);
            for (qint32 i = 0; i < games; ++i)
                polylineTo(i, toInt32((i + 1) * xstep + L),
                           toInt32((max - value(series, i)) * scale + T), color);
        } else {
            t.setCurrentPosition(LeftLabelX, midY - t.textHeight(QStringLiteral("0")) / 2);
            t.printNumber(max);
            t.line(L, midY, W - L, midY, color);
        }
    }

    void rankGraph()
    {
        const qint32 games = value(GameCount);
        const double xstep = (W - 2.0 * L) / games;
        const double scale = (H - 2.0 * T) / RankDivisions;
        t.setForeColor(s.rankColor);
        for (int r = 1; r <= 4; ++r) {
            t.setCurrentPosition(LeftLabelX,
                                 (r * scale + T) - t.textHeight(QStringLiteral("0")) / 2);
            t.printNumber(r);
        }
        t.setDrawWidth(1);
        for (qint32 i = 0; i < games; ++i)
            polylineTo(i, toInt32((i + 1) * xstep + L), toInt32(value(RankSeries, i) * scale + T),
                       s.rankColor);
    }

    // The rating of each game, labelled at the right. Its points stand one step
    // to the left of the other graphs': the first on the axis.
    void ratingGraph()
    {
        const qint32 games = value(GameCount);
        const qint32 rmax = value(RatingMax);
        const qint32 rmin = value(RatingMin);
        const double xstep = (W - 2.0 * L) / games;
        t.setForeColor(s.ratingColor);
        double scale;
        if (double(rmax) - rmin != 0) {
            scale = (H - 2.0 * T) / (double(rmax) - rmin);
            t.setCurrentPosition(W - t.textWidth(QString::number(rmin)) - RightLabelGap,
                                 (H - t.textHeight(QStringLiteral("(-)"))) - T);
            t.printNumber(rmin);
        } else {
            scale = (H - 2.0 * T) / 2;
        }
        t.setCurrentPosition(W - t.textWidth(QString::number(rmax)) - RightLabelGap, T);
        t.printNumber(rmax);
        t.setDrawWidth(1);
        for (qint32 i = 0; i < games; ++i)
            polylineTo(i, toInt32(i * xstep + L),
                       toInt32((rmax - value(RatingSeries, i)) * scale + T), s.ratingColor);
    }

private:
    qint32 value(Kind kind, qint32 index = 0) const { return src.calcValue(kind, index).toInt(); }

    // The first point of a polyline is a point, each later one a line from the
    // one before.
    void polylineTo(qint32 i, qint32 x, qint32 y, Color color)
    {
        if (i == 0)
            t.point(x, y);
        else
            t.lineTo(x, y, color);
    }

    const GraphState &s;
    DrawTarget &t;
    const qint32 W;
    const qint32 H;
    const GraphSource &src;
    qint16 midY = 0;
};

} // namespace

void drawGraph(GraphState &state, DrawTarget &target, qint32 width, qint32 height, bool screen,
               const GraphSource &source)
{
    if (!state.drawReady)
        return;
    state.drawReady = false;
    const ReadyAgain ready(state);

    const auto selected = [&](qint16 bit) {
        return (state.shownGraphs & bit) != 0;
    };

    Drawer d(state, target, width, height, source);
    d.setUp();
    if (!screen)
        d.legend();

    if (selected(GraphState::HanGraph))
        d.hanGraph();

    // The per-game graphs need two games at least.
    const auto perGame = [&](qint16 bit) {
        return source.calcValue(GameCount).toInt() > 1 && selected(bit);
    };
    if (perGame(GraphState::ScoreGraph))
        d.seriesGraph(ScoreSeries, ScoreMax, ScoreMin, state.scoreColor, LeftLabelX);
    if (perGame(GraphState::RankGraph))
        d.rankGraph();
    if (perGame(GraphState::RatingGraph))
        d.ratingGraph();
    if (perGame(GraphState::TotalGraph))
        d.seriesGraph(ScoreSumSeries, ScoreSumMax, ScoreSumMin, state.totalColor, L);
}

} // namespace norva

#include "gui/windows/stagewindow.h"

#include "gui/widgets/resulttext.h"

#include "core/calc/calcresults.h"
#include "gui/widgets/fixedlayout.h"

#include <QLabel>

namespace norva {

namespace {

struct Cell
{
    const char16_t *value;
    const char16_t *title;
    const char16_t *caption; // the plain title
    const char16_t *row;     // the caption of its row, for screen readers
    int left;
    int top; // of the title; the value lies 240 twips below
    calc::Kind kind;
};

const Cell cells[9] = {
    {u"lblMyTumo", u"lblMyTumoTitle", u"ツモ", u"本人", 960, 720, calc::OwnTsumo},
    {u"lblMyRon", u"lblMyRonTitle", u"ロン", u"本人", 2280, 720, calc::OwnRon},
    {u"lblMyTyonbo", u"lblMyTyonboTitle", u"チョンボ", u"本人", 3600, 720, calc::OwnChombo},
    {u"lblOtherTumo", u"lblOtherTumoTitle", u"ツモ", u"他人", 960, 1320, calc::OtherTsumo},
    {u"lblOtherRon", u"lblOtherRonTitle", u"ロン", u"他人", 2280, 1320, calc::OtherRon},
    {u"lblOtherTyonbo", u"lblOtherTyonboTitle", u"チョンボ", u"他人", 3600, 1320,
     calc::OtherChombo},
    {u"lblFlowTen", u"lblFlowTenpaiTitle", u"プラス", u"流局時", 960, 1920, calc::DrawPlus},
    {u"lblFlowNo", u"lblFlowNotenTitle", u"マイナス", u"流局時", 2280, 1920, calc::DrawMinus},
    {u"lblFlowOther", u"lblFlowOtherTitle", u"その他", u"流局時", 3600, 1920, calc::OtherResult},
};

QString str(const char16_t *s)
{
    return QString::fromUtf16(s);
}

} // namespace

StageWindow::StageWindow(QMdiArea *area, const CalcResults &results)
    : ChildWindow(area, QStringLiteral("frmStage"), QStringLiteral("局"))
    , m_results(results)
{}

void StageWindow::onLoad()
{
    QWidget *f = client();
    f->setFont(formFont());
    using enum LabelStyle;
    addLabel(f, QStringLiteral("lblStageNumTitle"), -1, Title, QStringLiteral("総局数"), 240, 120,
             615);
    m_hands = addLabel(f, QStringLiteral("lblStageNum"), -1, Value, {}, 240, 360, 1095);
    setValueCaption(m_hands, QStringLiteral("総局数"));
    addLabel(f, QStringLiteral("lblMyUser"), -1, Title, QStringLiteral("本人"), 240, 720, 375);
    addLabel(f, QStringLiteral("lblOtherUser"), -1, Title, QStringLiteral("他人"), 240, 1320, 375);
    addLabel(f, QStringLiteral("lblFlow"), -1, Title, QStringLiteral("流局時"), 240, 1920, 615);
    for (size_t i = 0; i < std::size(cells); ++i) {
        const Cell &c = cells[i];
        m_titles[i] = addLabel(f, str(c.title), -1, Title, str(c.caption), c.left, c.top, 1095);
        m_values[i] = addLabel(f, str(c.value), -1, Value, {}, c.left, c.top + 240, 1095);
        setValueCaption(m_values[i], str(c.row) + u' ' + str(c.caption));
    }

    setOuterSize(5025, 3030);
    refresh();
}

void StageWindow::refresh()
{
    if (!client())
        return;
    const qint32 hands = m_results.counter(calc::HandCount);
    if (hands > 0) {
        setValueText(m_hands, QString::number(hands));
        for (size_t i = 0; i < std::size(cells); ++i) {
            const qint32 count = m_results.counter(cells[i].kind);
            setTitleText(m_titles[i],
                         str(cells[i].caption) + u'(' + sharePercent(count, hands) + u"%)");
        }
        for (size_t i = 0; i < std::size(cells); ++i)
            setValueText(m_values[i], QString::number(m_results.counter(cells[i].kind)));
    } else {
        setValueText(m_hands, {});
        for (size_t i = 0; i < std::size(cells); ++i)
            setTitleText(m_titles[i], str(cells[i].caption));
        for (size_t i = 0; i < std::size(cells); ++i)
            setValueText(m_values[i], {});
    }
}

} // namespace norva

#include "gui/windows/winwindow.h"

#include "gui/widgets/resulttext.h"

#include "core/calc/calcresults.h"
#include "core/common/convert.h"
#include "core/tables/tableinfo.h"
#include "gui/widgets/fixedlayout.h"

#include <QLabel>

namespace norva {

WinWindow::WinWindow(QMdiArea *area, const CalcResults &results, const TableInfo &tables)
    : ChildWindow(area, QStringLiteral("frmWin"), QStringLiteral("役"))
    , m_results(results)
    , m_tables(tables)
{}

void WinWindow::onLoad()
{
    QWidget *f = client();
    f->setFont(formFont());
    using enum LabelStyle;
    addLabel(f, QStringLiteral("lblWinNumTitle"), -1, Title, QStringLiteral("総あがり数"), 240, 120,
             975);
    m_wins = addLabel(f, QStringLiteral("lblWinAllNum"), -1, Value, {}, 240, 360, 1215);
    setValueCaption(m_wins, QStringLiteral("総あがり数"));
    // Three classes to a row, left to right, top to bottom.
    for (int i = 0; i < 9; ++i) {
        const int left = 240 + 1440 * (i % 3);
        const int top = 720 + 600 * (i / 3);
        m_classTitles[i] =
            addLabel(f, QStringLiteral("lblWinValueTitle"), i, Title, {}, left, top, 1215);
        m_classCounts[i] =
            addLabel(f, QStringLiteral("lblWinValue"), i, Value, {}, left, top + 240, 1215);
        // A cell without a han class of the table definitions keeps this.
        setValueCaption(m_classCounts[i], QStringLiteral("翻の分類 %1").arg(i + 1));
    }

    setOuterSize(4665, 3045);
    refresh();
}

void WinWindow::refresh()
{
    if (!client())
        return;
    const qint32 wins = m_results.counter(calc::WinHanCount);
    setValueText(m_wins, wins > 0 ? QString::number(wins) : QString());

    // The table definitions never name more than the nine cells.
    const qint16 last = m_tables.yakuLast();
    for (qint16 i = 0; i <= last; ++i) {
        const QString name = trimSpaces(m_tables.yakuString(i)).toString();
        const qint32 classified = m_results.counter(calc::WinHanCount);
        setValueCaption(m_classCounts[i], name);
        if (classified > 0) {
            const qint32 count = m_results.winByHan(i);
            setTitleText(m_classTitles[i], name + u'(' + sharePercent(count, classified) + u"%)");
            setValueText(m_classCounts[i], QString::number(count));
        } else {
            setTitleText(m_classTitles[i], name);
            setValueText(m_classCounts[i], {});
        }
    }
}

} // namespace norva

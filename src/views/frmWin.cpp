#include "frmWin.h"

#include "viewtext.h"

#include "app/formcontrols.h"
#include "calc/basCalc.h"
#include "common/convert.h"
#include "tables/basTableInfo.h"

#include <QLabel>

namespace norva {

frmWin &frmWin::instance()
{
    static frmWin form;
    return form;
}

frmWin::frmWin()
    : ChildForm(QStringLiteral("frmWin"), QStringLiteral("役"))
{}

void frmWin::Form_Load()
{
    QWidget *f = form();
    f->setFont(formFont());
    using enum LabelStyle;
    addLabel(f, QStringLiteral("lblWinNumTitle"), -1, Title, QStringLiteral("総あがり数"), 240, 120,
             975);
    lblWinAllNum = addLabel(f, QStringLiteral("lblWinAllNum"), -1, Value, {}, 240, 360, 1215);
    // Three classes to a row, left to right, top to bottom.
    for (int i = 0; i < 9; ++i) {
        const int left = 240 + 1440 * (i % 3);
        const int top = 720 + 600 * (i / 3);
        lblWinValueTitle[i] =
            addLabel(f, QStringLiteral("lblWinValueTitle"), i, Title, {}, left, top, 1215);
        lblWinValue[i] =
            addLabel(f, QStringLiteral("lblWinValue"), i, Value, {}, left, top + 240, 1215);
    }

    setOuterSize(4665, 3045);
    trSetWinValues();
}

void frmWin::trSetWinValues()
{
    if (!form())
        return;
    const qint32 wins = GetCalcValue(calc::WinHanCount).toInt();
    if (wins > 0)
        lblWinAllNum->setText(QString::number(wins));
    else
        lblWinAllNum->clear();

    // The table definitions never name more than the nine cells.
    const qint16 last = variantToInt16(GetTableInfoValue(0));
    for (qint16 i = 0; i <= last; ++i) {
        const QString name = trimSpaces(GetTableInfoValue(1, i).toString()).toString();
        const qint32 classified = GetCalcValue(calc::WinHanCount).toInt();
        if (classified > 0) {
            const qint32 count = GetCalcValue(calc::WinByHan, i).toInt();
            setTitleText(lblWinValueTitle[i],
                         name + u'(' + sharePercent(count, classified) + u"%)");
            lblWinValue[i]->setText(QString::number(count));
        } else {
            setTitleText(lblWinValueTitle[i], name);
            lblWinValue[i]->clear();
        }
    }
}

} // namespace norva

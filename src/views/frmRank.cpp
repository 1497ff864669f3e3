#include "frmRank.h"

#include "viewtext.h"

#include "app/formcontrols.h"
#include "calc/basCalc.h"

#include <QLabel>

namespace norva {

frmRank &frmRank::instance()
{
    static frmRank form;
    return form;
}

frmRank::frmRank()
    : ChildForm(QStringLiteral("frmRank"), QStringLiteral("順位"))
{}

void frmRank::Form_Load()
{
    QWidget *f = form();
    f->setFont(formFont());
    using enum LabelStyle;
    addLabel(f, QStringLiteral("lblAllNumTitle"), -1, Title, QStringLiteral("試合数"), 240, 120,
             615);
    addLabel(f, QStringLiteral("lblScoreTitle"), -1, Title, QStringLiteral("総合得点"), 1440, 120,
             735);
    addLabel(f, QStringLiteral("lblAveTitle"), -1, Title, QStringLiteral("平均順位"), 2520, 120,
             735);
    lblAllNum = addLabel(f, QStringLiteral("lblAllNum"), -1, Value, {}, 240, 360, 975);
    lblScore = addLabel(f, QStringLiteral("lblScore"), -1, Value, {}, 1440, 360, 975);
    lblRankAve = addLabel(f, QStringLiteral("lblRankAve"), -1, Value, {}, 2520, 360, 975);
    addLabel(f, QStringLiteral("lblHighScoreTitle"), -1, Title, QStringLiteral("最高得点"), 1440,
             720, 735);
    addLabel(f, QStringLiteral("lblLowScoreTitle"), -1, Title, QStringLiteral("最低得点"), 2520,
             720, 735);
    addLabel(f, QStringLiteral("lblScoreAveTitle"), -1, Title, QStringLiteral("平均得点"), 3600,
             720, 735);
    lblHighScore = addLabel(f, QStringLiteral("lblHighScore"), -1, Value, {}, 1440, 960, 975);
    lblLowScore = addLabel(f, QStringLiteral("lblLowScore"), -1, Value, {}, 2520, 960, 975);
    lblScoreAve = addLabel(f, QStringLiteral("lblScoreAve"), -1, Value, {}, 3600, 960, 975);

    addLabel(f, QStringLiteral("lblRankNumTitle"), -1, Title, QStringLiteral("回　数"), 240, 1800,
             615);
    addLabel(f, QStringLiteral("lblRankContTitle"), -1, Title, QStringLiteral("連続数"), 240, 2160,
             615);
    for (int i = 0; i < 4; ++i) {
        const int left = 840 + 960 * i;
        lblRankTitle[i] = addLabel(f, QStringLiteral("lblRankTitle"), i, Title,
                                   fullWidthDigit(i + 1) + u'位', left, 1560, 975);
        lblRankNum[i] = addLabel(f, QStringLiteral("lblRankNum"), i, Value, {}, left, 1800, 855);
        lblRankCont[i] = addLabel(f, QStringLiteral("lblRankCont"), i, Value, {}, left, 2160, 855);
    }

    setOuterSize(4950, 3060);
    trSetRankValues();
}

void frmRank::trSetRankValues()
{
    if (!form())
        return;
    const qint32 games = GetCalcValue(calc::GameCount).toInt();
    if (games > 0) {
        const double n = games;
        const qint32 total = GetCalcValue(calc::ScoreTotal).toInt();
        lblAllNum->setText(QString::number(games));
        lblScore->setText(QString::number(total));
        lblHighScore->setText(QString::number(GetCalcValue(calc::ScoreMax).toInt()));
        lblLowScore->setText(QString::number(GetCalcValue(calc::ScoreMin).toInt()));
        lblRankAve->setText(formatAverage(GetCalcValue(calc::RankTotal).toInt() / n));
        lblScoreAve->setText(formatAverage(total / n));
    } else {
        for (QLabel *l : {lblAllNum.data(), lblScore.data(), lblHighScore.data(),
                          lblLowScore.data(), lblRankAve.data(), lblScoreAve.data()})
            l->clear();
    }

    for (int i = 0; i < 4; ++i) {
        const QString rank = fullWidthDigit(i + 1) + u'位';
        const qint32 n = GetCalcValue(calc::GameCount).toInt();
        if (n > 0) {
            const qint32 count = GetCalcValue(calc::RankCount, i).toInt();
            setTitleText(lblRankTitle[i], rank + u'(' + sharePercent(count, n) + u"%)");
            lblRankNum[i]->setText(QString::number(count));
            lblRankCont[i]->setText(QString::number(GetCalcValue(calc::RankRunMax, i).toInt()));
        } else {
            setTitleText(lblRankTitle[i], rank);
            lblRankNum[i]->clear();
            lblRankCont[i]->clear();
        }
    }
}

} // namespace norva

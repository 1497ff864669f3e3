#pragma once

#include "core/common/convert.h"
#include "core/common/cp932.h"

#include <QString>
#include <QStringEncoder>
#include <QStringList>

// Small score logs written the way the service's client writes them. The user
// is かもめ; the other players are ぽんた, Rin and Kumo-7.
namespace scorelog {

using namespace Qt::StringLiterals;

// One hand: the players whose points changed, and the line that says how it
// ended.
struct Hand
{
    QString changes;
    QString result;
    QString records = {}; // the words of a tile record line, when it has one
};

// A hand of the given kind, seen from the user:
//   t own self-draw   r own ron     c own chombo
//   T other self-draw R other ron   C other chombo
//   + draw, no loss   - draw, loss  o anything else
//   d the user deals in, with tile records (riichi, a call)
// An own win ends with result when one is given.
inline Hand hand(QChar kind, const QString &result = {})
{
    switch (kind.unicode()) {
    case u't':
        return {u"かもめ 3000 ぽんた -1000 Rin -1000 Kumo-7 -1000"_s,
                result.isEmpty() ? u"30符 一飜ツモ 門前清模和"_s : result};
    case u'r':
        return {u"かもめ 2000 ぽんた -2000"_s,
                result.isEmpty() ? u"30符 二飜ロン 断ヤオ ドラ1"_s : result};
    case u'c':
        return {u"かもめ -8000 ぽんた 2000 Rin 2000 Kumo-7 4000"_s, u"チョンボ"_s};
    case u'T':
        return {u"Rin 4000 かもめ -2000 ぽんた -1000 Kumo-7 -1000"_s, u"40符 二飜ツモ"_s};
    case u'R':
        return {u"ぽんた 3900 Rin -3900"_s, u"30符 三飜ロン 一盃口 ドラ1"_s};
    case u'C':
        return {u"かもめ 4000 ぽんた -8000 Rin 2000 Kumo-7 2000"_s, u"チョンボ"_s};
    case u'd':
        return {u"Rin 3900 かもめ -3900"_s, u"30符 三飜ロン"_s, u"1G5m 1R 3N4p5p6p 1d6s"_s};
    case u'+':
        return {u"かもめ 1500 ぽんた 1500 Rin -1500 Kumo-7 -1500"_s, u"流局"_s};
    case u'-':
        return {u"かもめ -1500 ぽんた 1500 Rin 1500 Kumo-7 -1500"_s, u"流局"_s};
    default:
        return {u"Kumo-7 1000"_s, u"九種九牌"_s};
    }
}

// Hands from a short description: "t25 R175" is 25 own self-draws and then
// 175 wins of others on discard.
inline QList<Hand> hands(const QString &pattern)
{
    QList<Hand> out;
    for (const QString &part : pattern.split(u' ', Qt::SkipEmptyParts)) {
        const int n = part.size() > 1 ? part.mid(1).toInt() : 1;
        for (int i = 0; i < n; ++i)
            out << hand(part[0]);
    }
    return out;
}

// One game of the user with its final rank and score (in thousands).
inline QStringList game(int number, int rank, int score, const QList<Hand> &played = {})
{
    const QString day = QString::number(1 + number % 28).rightJustified(2, u'0');
    QStringList lines{
        u"===== 東風戦：一般卓 %1卓 開始 2009/04/%2 21:00 ====="_s.arg(number).arg(day),
        u"  持点25000 [1]かもめ R1620 [2]ぽんた R1500 [3]Rin R1555 [4]Kumo-7 R1700"_s,
    };
    const QString winds = u"東南西北"_s;
    for (qsizetype i = 0; i < played.size(); ++i) {
        lines << u"  %1%2局 0本場(リーチ0) %3 "_s.arg(winds[(i / 4) % 4])
                     .arg(i % 4 + 1)
                     .arg(played[i].changes)
              << u"    "_s + played[i].result << u"    [1東]1m2m3m4p5p6p7s8s9s東東白白"_s;
        if (!played[i].records.isEmpty())
            lines << u"    * "_s + played[i].records;
        lines << QString();
    }
    lines << u"  ---- 試合結果 ----"_s;
    const QString others[3] = {u"ぽんた"_s, u"Rin"_s, u"Kumo-7"_s};
    int other = 0;
    for (int r = 1; r <= 4; ++r) {
        const QString name = r == rank ? u"かもめ"_s : others[other++];
        const int points = r == rank ? score : 10 - 10 * r;
        const QString signedPoints = (points >= 0 ? u"+"_s : QString()) + QString::number(points);
        lines << u"  %1位 %2 "_s.arg(r).arg(name) + norva::padLeft(signedPoints, 4);
    }
    lines << u"----- %1卓 終了 2009/04/%2 21:30 -----"_s.arg(number).arg(day) << QString();
    return lines;
}

// Games from "rank:score" pairs: "2:+30 1:-5".
inline QStringList games(const QString &pattern)
{
    QStringList lines;
    int number = 0;
    for (const QString &g : pattern.split(u' ', Qt::SkipEmptyParts)) {
        const QStringList parts = g.split(u':');
        lines += game(++number, parts[0].toInt(), parts[1].toInt());
    }
    return lines;
}

// A game of others only: nothing of the user is counted.
inline QStringList othersOnly()
{
    QStringList lines = game(1, 1, 10);
    lines.replaceInStrings(u"かもめ"_s, u"ねこまた"_s);
    return lines;
}

// The forms a copy of the log may come in.
enum class Form { Cp932, Utf8, Utf8Mark, Utf16LE, Utf16BE, Utf16LENoMark, Utf16BENoMark };

// lines, each ended by CR LF, in form.
inline QByteArray encoded(const QStringList &lines, Form form)
{
    const QString text = lines.join(u"\r\n"_s) + u"\r\n"_s;
    switch (form) {
    case Form::Cp932:
        return norva::cp932::encodeLossy(text);
    case Form::Utf8:
        return text.toUtf8();
    case Form::Utf8Mark:
        return "\xEF\xBB\xBF" + text.toUtf8();
    default:
        break;
    }
    const bool little = form == Form::Utf16LE || form == Form::Utf16LENoMark;
    const bool mark = form == Form::Utf16LE || form == Form::Utf16BE;
    QStringEncoder encoder(little ? QStringConverter::Utf16LE : QStringConverter::Utf16BE,
                           mark ? QStringConverter::Flag::WriteBom
                                : QStringConverter::Flag::Default);
    return encoder(text);
}

} // namespace scorelog

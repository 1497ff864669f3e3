#pragma once

#include "core/calc/calcresults.h"
#include "core/common/error.h"
#include "core/settings/settings.h"
#include "core/tables/tableinfo.h"

#include "testutil.h"

#include <QTest>

#include <limits>
#include <optional>

// A score log pass in a temporary program folder: its own table definitions,
// default settings, and the log written in CP932 with CR LF.
namespace calctest {

// Table definitions of the pass tests: two kinds per group (ids 1 and 4) and a
// third one (id 2) outside the mask 5; four han classes.
inline QStringList defaultTables()
{
    return {
        QStringLiteral("TableString1=1,東風戦"), QStringLiteral("TableString1=4,東南戦"),
        QStringLiteral("TableString2=1,一般卓"), QStringLiteral("TableString2=4,上級卓"),
        QStringLiteral("TableString2=2,練習卓"), QStringLiteral("TableInfo1=5,すべて"),
        QStringLiteral("TableInfo1=1,東風戦"),   QStringLiteral("TableInfo2=5,すべて"),
        QStringLiteral("TableInfo2=1,一般卓"),   QStringLiteral("YakuString=一飜"),
        QStringLiteral("YakuString=二飜"),       QStringLiteral("YakuString= 満貫"),
        QStringLiteral("YakuString=役満"),
    };
}

// "===== 東風戦：一般卓 12卓 開始 <start> ====="
inline QString header(const QString &table = QStringLiteral("東風戦：一般卓"),
                      const QString &start = QStringLiteral("2009/03/14 21:05"))
{
    return QStringLiteral("===== ") + table + QStringLiteral(" 12卓 開始 ") + start
           + QStringLiteral(" =====");
}

inline QString ratingLine(const QString &user = QStringLiteral("かもめ"), int rating = 1600)
{
    return QStringLiteral("  持点25000 [1]ぽんた R1498 [2]%1 R%2 [3]Kumo-7 R1733 [4]ねこまた R1550")
        .arg(user)
        .arg(rating);
}

// "  N位 name" padded so that the score ends the line.
inline QString result(int rank, const QString &user, const QString &score)
{
    QString l = QStringLiteral("  %1位 %2").arg(rank).arg(user);
    return l + QString(qMax(1, 20 - int(l.size())), u' ') + score;
}

inline QString finish()
{
    return QStringLiteral("----- 12卓 終了 2009/03/14 21:31 -----");
}

class Pass
{
public:
    explicit Pass(const QStringList &tables = defaultTables())
    {
        testutil::writeAll(m_dir.file(QStringLiteral("norva.dat")), testutil::cp932Lines(tables));
        norva::LoadTableInfo();
        norva::setParamDefaults();
        set(QStringLiteral("UserName"), QStringLiteral("かもめ"));
        set(QStringLiteral("SpecifyDate"), false);
        set(QStringLiteral("TableKind1"), 5);
        set(QStringLiteral("TableKind2"), 5);
        set(QStringLiteral("ScoreFile"), logPath());
        norva::ClearCalcValues();
    }
    ~Pass() { norva::setScorePassModeForTests(norva::ScorePassMode::Auto); }

    static void set(const QString &key, const QVariant &value) { norva::SetParamValue(key, value); }
    QString logPath() const { return m_dir.file(QStringLiteral("MjScore.txt")); }
    QString path() const { return m_dir.path(); }

    void writeLog(const QStringList &lines) const { writeBytes(testutil::cp932Lines(lines)); }
    void writeBytes(const QByteArray &data) const { testutil::writeAll(logPath(), data); }

    // Runs the pass; false when it failed (error() and errorLine() tell why).
    bool run(norva::ScorePassMode mode = norva::ScorePassMode::Auto)
    {
        norva::setScorePassModeForTests(mode);
        m_error.reset();
        m_errorLine = -1;
        m_steps.clear();
        norva::PassHooks hooks;
        hooks.statusChange = [this](qint16 v) {
            m_steps.append(v);
        };
        hooks.reportError = [this](const norva::Error &e, qint64 line) {
            m_error = e.kind();
            m_errorLine = line;
        };
        const bool ok = norva::CalcScoreFile(hooks);
        norva::setScorePassModeForTests(norva::ScorePassMode::Auto);
        return ok;
    }
    bool run(const QStringList &lines, norva::ScorePassMode mode = norva::ScorePassMode::Auto)
    {
        writeLog(lines);
        return run(mode);
    }

    std::optional<norva::ErrorKind> error() const { return m_error; }
    qint64 errorLine() const { return m_errorLine; }
    const QList<qint16> &steps() const { return m_steps; }

private:
    testutil::ProgramDir m_dir;
    std::optional<norva::ErrorKind> m_error;
    qint64 m_errorLine = -1;
    QList<qint16> m_steps;
};

inline qint32 value(qint16 kind, qint32 index = 0)
{
    return norva::GetCalcValue(kind, index).toInt();
}

// Every result the accessor gives, series included, as one list to compare.
inline QList<qint32> snapshot()
{
    QList<qint32> all;
    const qint32 games = value(norva::calc::GameCount);
    for (qint16 kind = 0; kind <= 26; ++kind) {
        switch (kind) {
        case 4:
        case 5:
            for (int i = 0; i < 5; ++i)
                all << value(kind, i);
            break;
        case 18:
            for (int i = 0; i < 9; ++i)
                all << value(kind, i);
            break;
        case 19:
        case 20:
        case 21:
        case 24:
            // After a failed pass GameCount may be ahead of the series.
            for (int i = 0; i < games; ++i) {
                try {
                    all << value(kind, i);
                } catch (const norva::Error &) {
                    all << std::numeric_limits<qint32>::min();
                }
            }
            break;
        default:
            all << value(kind);
        }
    }
    return all;
}

// The error kind a call raises, or -1.
template<typename F>
int raisedKind(F &&f)
{
    try {
        f();
        return -1;
    } catch (const norva::Error &e) {
        return int(e.kind());
    }
}

} // namespace calctest

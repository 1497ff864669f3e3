#pragma once

#include "core/calc/calcresults.h"
#include "core/calc/scorepass.h"
#include "core/calc/session.h"
#include "core/common/error.h"
#include "core/settings/settings.h"
#include "core/tables/tableinfo.h"

#include "testutil.h"

#include <QTest>

#include <limits>
#include <memory>
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
    explicit Pass(const QStringList &tables = defaultTables());
    ~Pass();
    Pass(const Pass &) = delete;
    Pass &operator=(const Pass &) = delete;

    norva::Session &session() { return *m_session; }
    norva::Settings &settings() { return m_session->settings(); }
    norva::CalcResults &results() { return m_session->results(); }
    norva::TableInfo &tables() { return m_session->tables(); }
    // Sets the setting of that name of the pass being set up last.
    static void set(const QString &key, const QVariant &value);
    QString logPath() const { return m_dir.file(QStringLiteral("MjScore.txt")); }
    QString path() const { return m_dir.path(); }

    void writeLog(const QStringList &lines) const { writeBytes(testutil::cp932Lines(lines)); }
    void writeBytes(const QByteArray &data) const { testutil::writeAll(logPath(), data); }

    // Runs the pass; false when it failed (error() and errorLine() tell why).
    bool run(norva::ScorePassMode mode = norva::ScorePassMode::Auto);
    bool run(const QStringList &lines, norva::ScorePassMode mode = norva::ScorePassMode::Auto)
    {
        writeLog(lines);
        return run(mode);
    }
    // The way the last run compared its lines.
    norva::ScorePassMode modeUsed() const { return m_modeUsed; }
    // What the last run saw of the whole log.
    const norva::LogSummary &summary() const { return m_summary; }

    std::optional<norva::ErrorKind> error() const { return m_error; }
    qint64 errorLine() const { return m_errorLine; }
    const QList<qint16> &steps() const { return m_steps; }

private:
    testutil::ProgramDir m_dir;
    std::unique_ptr<norva::Session> m_session;
    Pass *m_previous;
    std::optional<norva::ErrorKind> m_error;
    qint64 m_errorLine = -1;
    QList<qint16> m_steps;
    norva::ScorePassMode m_modeUsed = norva::ScorePassMode::Plain;
    norva::LogSummary m_summary;
};

// The results, settings and table definitions of the pass being set up last
// (objects of the tests' own when there is none), and its report.
norva::CalcResults &results();
norva::Settings &settings();
norva::TableInfo &tables();
norva::ResultsReport report();

// The lines of the score log the settings name, as the calculation counts them.
inline qint32 countLines()
{
    return norva::countScoreFileLines(settings().scoreFile());
}

inline qint32 value(qint16 kind, qint32 index = 0)
{
    return results().value(kind, index).toInt();
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

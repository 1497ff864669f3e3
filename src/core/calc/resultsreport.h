#pragma once

#include "core/common/textfile.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace norva {

class CalcResults;
class Settings;
class TableInfo;

// One line of the printed results column; a gap stands where the report has an
// empty line and leaves the height of one line free.
struct PrintLine
{
    QString text;
    bool gap = false;
};

// The results report: the record of a calculation as text, for the report
// file, the terminal and the printed column. It reads the results, the
// settings they were calculated with and the table definitions.
class ResultsReport
{
public:
    ResultsReport(const CalcResults &results, const Settings &settings, const TableInfo &tables);

    // The lines of the report, without line ends. Raises DivisionByZero when
    // no game was counted.
    QStringList lines() const;
    // The report file's bytes: the lines in CP932, each ended by CR LF.
    QByteArray bytes() const;
    // The lines of the printed results column: the report's lines with both
    // ends of the date range on lines of their own when the range is used,
    // gaps for the empty lines, and the han class lines indented by two ASCII
    // spaces.
    QList<PrintLine> printLines() const;

    // Writes the report to path (CP932, CR LF after every line). The old file
    // is replaced only by a completely written report, and never when it is
    // one of the files of protect, a pipe or a folder. On a failure prompt
    // chooses between Retry (true) and Cancel (false, the result).
    bool save(const QString &path, const RetryPrompt &prompt = {},
              const QStringList &protect = {}) const;

    // The report's lines of the filters of settings: the date range
    // ("計算日付： 指定なし" when it is off) and the chosen table kinds.
    static QString dateRangeLine(const Settings &settings);
    static QString tableLine(const Settings &settings, const TableInfo &tables);

private:
    enum class LineKind { Text, Dates, Empty, HanClass };
    struct Line
    {
        LineKind kind;
        QString text; // a han class line without its indent
    };
    QList<Line> build() const;

    const CalcResults &m_results;
    const Settings &m_settings;
    const TableInfo &m_tables;
};

} // namespace norva

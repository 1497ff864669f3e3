#pragma once

#include "core/calc/calcresults.h"
#include "core/calc/resultsreport.h"
#include "core/common/locations.h"
#include "core/settings/settings.h"
#include "core/tables/tableinfo.h"

namespace norva {

// What one run of the program works on: where its files live, its settings,
// the table definitions and the results of the last calculation. The
// program's start builds one and hands it to the main window; the
// command-line program builds its own.
class Session
{
public:
    explicit Session(FileLocations files);
    Session(const Session &) = delete;
    Session &operator=(const Session &) = delete;

    const FileLocations &files() const { return m_files; }
    Settings &settings() { return m_settings; }
    const Settings &settings() const { return m_settings; }
    TableInfo &tables() { return m_tables; }
    const TableInfo &tables() const { return m_tables; }
    CalcResults &results() { return m_results; }
    const CalcResults &results() const { return m_results; }

    // Reads the settings file over the defaults; false when it could not be
    // read to its end.
    bool loadSettings() { return m_settings.load(m_files.settingsFile); }
    // Writes the settings file (Settings::save), making its folder first
    // where there is none yet (an installed program's first exit). A settings
    // file that leads to the score log, the table definitions or the program
    // is not written: prompt hears of it as ProtectedFile.
    bool saveSettings(const RetryPrompt &prompt = {});
    // Reads the table definitions; false when they could not be read.
    bool loadTables() { return m_tables.load(m_files.tablesFile); }

    // The report of the current results.
    ResultsReport report() const { return ResultsReport(m_results, m_settings, m_tables); }

    // The files of this run that no report or printout may replace: the score
    // log, the settings, the table definitions and the program itself.
    QStringList runFiles() const;

    // Calculates path for this run only (a file the program was started
    // with): the settings file keeps the score log it named before, unless
    // the user chooses another one during the run.
    void useScoreFileForThisRun(const QString &path);

private:
    FileLocations m_files;
    Settings m_settings;
    TableInfo m_tables;
    CalcResults m_results;
    QString m_runScoreFile;
    QString m_storedScoreFile;
};

} // namespace norva

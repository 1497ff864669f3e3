#pragma once

#include "core/common/error.h"
#include "core/common/fileops.h"
#include "core/common/textfile.h"

#include <QDate>
#include <QString>
#include <QTime>
#include <QVariant>

#include <array>
#include <optional>

namespace norva {

// The program's settings (the 25 of its first form, then its own), their defaults and the settings
// file "norva.ini". Every key is described once, in a table in settings.cpp: its name in the file,
// its type, its default, its limits and how it is written.
class Settings
{
public:
    // In the order of the file.
    enum Key {
        MainWidth,
        MainHeight,
        VisibleWindow,
        MainToolbar,
        ScoreFile,
        UserName,
        SpecifyDate,
        StartDate,
        StartTime,
        EndDate,
        EndTime,
        TableKind1,
        TableKind2,
        AutoCalc,
        CheckLine,
        GraphWidth,
        GraphHeight,
        GraphDisp,
        GraphFore,
        GraphBack,
        GraphPoint,
        GraphRank,
        GraphPart,
        GraphFlowR,
        GraphFlowPnt,
        // Added later, after the others, so that a file of the older keys
        // reads and writes as before.
        FollowLog,
        // The program's own windows beyond VisibleWindow: open at exit.
        GamesWindow,
        StatsWindow,
    };
    static constexpr int KeyCount = StatsWindow + 1;

    // The bits of VisibleWindow: which child windows were open at exit.
    enum WindowBit : qint16 {
        UserWindowBit = 1,
        RankWindowBit = 2,
        StageWindowBit = 4,
        WinWindowBit = 8,
        GraphWindowBit = 16,
    };

    // How the settings file was last read: Missing (nothing there to read, or
    // something that is never written over), Clean, or Unclean: a file that
    // could not be read to its end or holds bytes that are no text of its form
    // (another encoding, NUL). The first save over an unclean file keeps it as
    // backupPath() first, as long as it is still the very file that was read.
    enum class FileState { Missing, Clean, Unclean };

    // defaultScoreFile is the default of ScoreFile.
    explicit Settings(QString defaultScoreFile = {});

    // Every setting back to its default.
    void setDefaults();

    // The name of key in the settings file.
    static QString keyName(Key key);
    // The key of that name (in any letter case when cs says so).
    static std::optional<Key> keyNamed(QStringView name,
                                       Qt::CaseSensitivity cs = Qt::CaseSensitive);
    // The default of key, as value() gives it.
    QVariant defaultValue(Key key) const;

    // The value of key: QString, bool, qint16 (QMetaType::Short), qint32
    // (QMetaType::Int) or QDateTime.
    QVariant value(Key key) const { return m_values[size_t(key)]; }
    // Stores value into key, converted to the key's type (fractions rounded
    // halves to even). A value that cannot be converted raises TypeMismatch or
    // Overflow and leaves the setting unchanged.
    void setValue(Key key, const QVariant &value);

    qint32 mainWidth() const { return value(MainWidth).toInt(); }
    qint32 mainHeight() const { return value(MainHeight).toInt(); }
    qint16 visibleWindow() const { return value(VisibleWindow).value<qint16>(); }
    bool mainToolbar() const { return value(MainToolbar).toBool(); }
    QString scoreFile() const { return value(ScoreFile).toString(); }
    QString userName() const { return value(UserName).toString(); }
    bool specifyDate() const { return value(SpecifyDate).toBool(); }
    QDate startDate() const { return value(StartDate).toDateTime().date(); }
    QTime startTime() const { return value(StartTime).toDateTime().time(); }
    QDate endDate() const { return value(EndDate).toDateTime().date(); }
    QTime endTime() const { return value(EndTime).toDateTime().time(); }
    // The chosen table kinds of group 1 or 2 (TableKind1, TableKind2).
    qint16 tableKind(int group) const { return value(tableKindKey(group)).value<qint16>(); }
    static Key tableKindKey(int group) { return group == 1 ? TableKind1 : TableKind2; }
    bool autoCalc() const { return value(AutoCalc).toBool(); }
    bool gamesWindow() const { return value(GamesWindow).toBool(); }
    bool statsWindow() const { return value(StatsWindow).toBool(); }
    qint32 checkLine() const { return value(CheckLine).toInt(); }
    qint32 graphWidth() const { return value(GraphWidth).toInt(); }
    qint32 graphHeight() const { return value(GraphHeight).toInt(); }
    qint16 graphDisp() const { return value(GraphDisp).value<qint16>(); }
    // A graph colour as the file holds it ("255000000"); key is one of
    // GraphFore .. GraphFlowPnt.
    QString graphColor(Key key) const { return value(key).toString(); }
    // Whether the results follow the score log as it grows (View menu).
    bool followLog() const { return value(FollowLog).toBool(); }

    // Sets every default, then reads the file at path over them. False when
    // the file could not be read to its end (why, if given, says why); what
    // was read stands. Never raises.
    bool load(const QString &path, std::optional<ErrorKind> *why = nullptr);
    // The same for the bytes of a settings file held in memory.
    bool loadBytes(const QByteArray &bytes);
    FileState fileState() const { return m_fileState; }
    // Where a file read uncleanly is kept: "norva.ini.bak" beside it, or, where
    // an earlier backup of another file holds that name, the first free one of
    // "norva.ini.bak.2" and so on.
    QString backupPath() const { return m_backupPath; }

    // Writes the settings file at path anew: the old file is replaced only by
    // a completely written new one (an unclean one is kept first, see
    // FileState), and never when path leads to one of the files of protect
    // (the score log, the table definitions, the program). On a failure
    // prompt chooses between Retry (true) and Cancel (false); Cancel keeps the
    // old file and returns false. Never raises.
    bool save(const QString &path, const RetryPrompt &prompt = {}, const QStringList &protect = {});
    // The text save() writes.
    QByteArray fileBytes() const;

private:
    void readLines(LineReader &reader);
    void readLine(QStringView line, bool wide);

    QString m_defaultScoreFile;
    std::array<QVariant, KeyCount> m_values;
    QString m_loadedPath;
    // The file as it was when it was read.
    fileops::FileStatus m_loaded;
    QString m_backupPath;
    FileState m_fileState = FileState::Missing;
    bool m_backedUp = false;
};

} // namespace norva

#pragma once

#include "core/calc/session.h"
#include "core/common/exitsignals.h"
#include "gui/app/startup.h"
#include "gui/widgets/messagebox.h"
#include "gui/windows/calculationcommand.h"
#include "gui/windows/mainwindow.h"
#include "gui/windows/resultcommands.h"
#include "gui/windows/windowarrangement.h"

#include "scripteddialogs.h"
#include "testutil.h"

#include <QApplication>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <functional>

namespace guiutil {

// Answers every message box with its default button (Cancel for a
// Retry/Cancel box, so an exit never loops), recording it as usual.
inline void answerWithDefaults()
{
    norva::msgbox::setResponderForTests([](const norva::ShownBox &box) {
        if (box.buttons.testFlag(QMessageBox::Cancel))
            return QMessageBox::Cancel;
        if (box.defaultButton != QMessageBox::NoButton)
            return box.defaultButton;
        return QMessageBox::Ok;
    });
}

// Writes a settings file (CP932 lines) beside the stand-in executable.
inline void writeSettings(const testutil::ProgramDir &dir, const QStringList &lines)
{
    QVERIFY(
        testutil::writeAll(dir.file(QStringLiteral("norva.ini")),
                           testutil::cp932Lines(QStringList{QStringLiteral("[norva]")} + lines)));
}

inline void copyTables(const testutil::ProgramDir &dir)
{
    QVERIFY(QFile::copy(QStringLiteral(NORVA_SOURCE_DATA "/norva.dat"),
                        dir.file(QStringLiteral("norva.dat"))));
}

// The bundled sample in dir: its log, table definitions and settings (かもめ,
// calculated at start-up).
inline void copySample(const testutil::ProgramDir &dir)
{
    copyTables(dir);
    QVERIFY(QFile::copy(QStringLiteral(NORVA_SOURCE_DATA "/MjScore.txt"),
                        dir.file(QStringLiteral("MjScore.txt"))));
    QVERIFY(QFile::copy(QStringLiteral(NORVA_SOURCE_DATA "/sample-settings.ini"),
                        dir.file(QStringLiteral("norva.ini"))));
}

// Starts the program as its executable does, on a new session over folder
// (the current program folder when none is given), opened with scoreFile
// when one is given, and waits for the main window. The window's dialogs go
// to dialogs(). False only when the program ended during start-up.
bool startProgram(const QString &folder = {}, const QString &scoreFile = {});
// The same, giving the main window.
QPointer<norva::MainWindow> start(const QString &folder = {}, const QString &scoreFile = {});

// The figures the graph window of the programs started from now on draws;
// null: their results.
void setGraphSource(const norva::GraphSource *source);

// The session and the main window of the program started last.
norva::Session &session();
inline norva::Settings &settings()
{
    return session().settings();
}
inline const norva::CalcResults &results()
{
    return session().results();
}
norva::MainWindow *mainWindow();
// The answers to the dialogs of the programs a test starts; they stay until the
// test changes them.
ScriptedDialogs &dialogs();

// Closes the main window through its exit path and waits until it is gone.
inline bool finish(QPointer<norva::MainWindow> &m)
{
    if (m)
        m->close();
    return QTest::qWaitFor([&] { return m.isNull(); }, 5000);
}

// Runs action, which opens a modal window; check then sees that window (the
// active modal widget) and must close it.
inline bool withModal(const std::function<void()> &action,
                      const std::function<void(QWidget *)> &check)
{
    bool seen = false;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, &poll, [&] {
        if (QWidget *w = QApplication::activeModalWidget(); w && !seen) {
            seen = true;
            poll.stop();
            check(w);
        }
    });
    poll.start();
    action();
    poll.stop();
    return seen;
}

} // namespace guiutil

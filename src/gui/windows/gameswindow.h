#pragma once

#include "gui/widgets/childwindow.h"

#include <QDate>
#include <QPointer>
#include <QWidget>

class QCheckBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QTableView;

namespace norva {

class CalcResults;
class GamesFilter;
class GamesModel;

// The lines of one game from the score log, read-only, in a window of their
// own that closes with its window.
class GameLinesWindow final : public QWidget
{
    Q_OBJECT

public:
    GameLinesWindow(const QString &title, const QStringList &lines, QWidget *parent);
    QPlainTextEdit *textView() const { return m_text; }

private:
    QPlainTextEdit *m_text;
};

// Every counted game of the last calculation in a table: sortable by each
// column, filtered by the table's text and a range of days, with a line that
// totals the games shown. Enter or a double-click shows a game's lines.
class GamesWindow final : public ChildWindow
{
public:
    // The window opens in area and shows results; they outlive it.
    GamesWindow(QMdiArea *area, const CalcResults &results);
    ~GamesWindow() override;

    // Shows the games as the results now stand; nothing while closed.
    void refresh() override;

    // The game of row (as shown) in a window of its own, read from the log;
    // a log that changed since the calculation is said, not read.
    void showGame(int row);

    // The controls while the window is open, else null.
    QTableView *table() const;
    GamesFilter *filter() const;
    QLabel *totalsLabel() const;
    // The window of the game shown last, while it is open.
    GameLinesWindow *gameWindow() const { return m_gameWindow; }

protected:
    void onLoad() override;
    void onUnload() override;

private:
    void applyFilter();
    void updateTotals();

    const CalcResults &m_results;
    // The filter as the user left it, kept while the window is closed.
    QString m_text;
    bool m_period = false;
    QDate m_first, m_last;

    QPointer<GamesModel> m_model;
    QPointer<GamesFilter> m_filter;
    QPointer<QTableView> m_table;
    QPointer<QLineEdit> m_textEdit;
    QPointer<QCheckBox> m_periodBox;
    QPointer<QDateEdit> m_firstEdit, m_lastEdit;
    QPointer<QLabel> m_totals;
    QPointer<GameLinesWindow> m_gameWindow;
};

} // namespace norva

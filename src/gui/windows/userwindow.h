#pragma once

#include "gui/widgets/childwindow.h"

#include <QPointer>
#include <QStringList>

#include <array>
#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace norva {

class Settings;
class TableInfo;

// The calculation settings window: whose record to compute and from which data.
class UserWindow final : public ChildWindow
{
public:
    // The window opens in area; it shows and stores settings and offers the
    // table kinds of tables. Both outlive it.
    UserWindow(QMdiArea *area, Settings &settings, const TableInfo &tables);

    // Writes the window's fields to the settings store, each one that the
    // store accepts: a date or time that is none keeps its old value, without
    // a message. Does nothing while the window is closed.
    void storeFields();

    // The calculation run takes the window's fields over as settings: the
    // score log as typed, the user name without surrounding blanks, the date
    // range unless it is switched off, the chosen table kinds. A date or time
    // that is not one raises norva::Error; the settings stored before it keep
    // their new values.
    void takeOver();
    // Moves the input focus to the score file box.
    void focusFileName();
    // Puts a path into the score file box, opening the window first when it is
    // closed. Nothing is stored.
    void setFileName(const QString &path);
    // The user name as it stands: the box's text without surrounding blanks
    // while the window is open, else the stored setting.
    QString currentUserName() const;
    // Puts name into the user name box, when the window is open.
    void setUserName(const QString &name);
    // The names the user name box offers as the user types (the names found
    // in the log last read), kept while the window is closed.
    void setNameChoices(const QStringList &names);
    // Called when a file is dropped on the score file box (which then shows
    // its path).
    void setLogDropHandler(std::function<void(const QString &path)> onDropped)
    {
        m_onLogDropped = std::move(onDropped);
    }

    // The controls while the window is open, else null.
    QLineEdit *fileNameEdit() const;
    QLineEdit *userNameEdit() const;
    QCheckBox *allDatesCheck() const;
    // i = 1 or 2.
    QComboBox *tableKindBox(int i) const;

protected:
    void onLoad() override;
    void onUnload() override;

private:
    // The check box's rule: a checked box switches the date and time boxes off.
    void updateDateBoxes();
    // The joined texts of the date and time boxes, as the settings store takes
    // them ("yyyy/m/d", "h:n").
    QString startDateText() const;
    QString startTimeText() const;
    QString endDateText() const;
    QString endTimeText() const;
    // The TableId chosen in the enabled box of group i.
    qint32 chosenTableId(int i) const;

    Settings &m_settings;
    const TableInfo &m_tables;
    QPointer<QLineEdit> m_fileNameEdit;
    QPointer<QLineEdit> m_userNameEdit;
    QPointer<QCheckBox> m_allDatesCheck;
    std::array<QPointer<QLineEdit>, 3> m_startDate, m_endDate;
    std::array<QPointer<QLineEdit>, 2> m_startTime, m_endTime;
    std::array<QPointer<QComboBox>, 2> m_tableKindBoxes;
    QStringList m_nameChoices;
    std::function<void(const QString &)> m_onLogDropped;
};

} // namespace norva

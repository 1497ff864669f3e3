#include "gui/windows/userwindow.h"

#include "core/common/convert.h"
#include "core/common/error.h"
#include "core/settings/settings.h"
#include "core/tables/tableinfo.h"
#include "gui/widgets/fixedlayout.h"
#include "gui/widgets/textboxes.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QDateTime>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QRegularExpressionValidator>
#include <QStringListModel>
#include <QUrl>

#include <functional>
#include <optional>

namespace norva {

using namespace Qt::StringLiterals;

namespace {

QString number4(int year)
{
    return QStringLiteral("%1").arg(year, 4, 10, QChar(u'0'));
}

// Runs one step of storing the fields; a value the store refuses is skipped.
void attempt(const std::function<void()> &step)
{
    try {
        step();
    } catch (const Error &) {
    }
}

} // namespace

UserWindow::UserWindow(QMdiArea *area, Settings &settings, const TableInfo &tables)
    : ChildWindow(area, QStringLiteral("frmUser"), QStringLiteral("計算情報"))
    , m_settings(settings)
    , m_tables(tables)
{}

QLineEdit *UserWindow::fileNameEdit() const
{
    return m_fileNameEdit;
}

QLineEdit *UserWindow::userNameEdit() const
{
    return m_userNameEdit;
}

QCheckBox *UserWindow::allDatesCheck() const
{
    return m_allDatesCheck;
}

QComboBox *UserWindow::tableKindBox(int i) const
{
    return m_tableKindBoxes.at(size_t(i - 1));
}

void UserWindow::onLoad()
{
    QWidget *f = client();
    f->setFont(formFont());
    using enum LabelStyle;
    QList<QWidget *> tabOrder;

    // Each text box is named by its label (its buddy), for screen readers.
    QLabel *fileLabel = addLabel(f, QStringLiteral("lblFileName"), -1, Title,
                                 QStringLiteral("スコアファイル名"), 240, 120, 4575);
    auto *fileBox = new FileNameBox(f);
    fileBox->setDropHandler([this](const QString &path) {
        if (m_onLogDropped)
            m_onLogDropped(path);
    });
    m_fileNameEdit = fileBox;
    setControlName(m_fileNameEdit, QStringLiteral("txtFileName"));
    m_fileNameEdit->setGeometry(twipsRect(240, 360, 4695, 270));
    fileLabel->setBuddy(m_fileNameEdit);
    tabOrder << m_fileNameEdit;

    QLabel *userLabel = addLabel(f, QStringLiteral("lblUserName"), -1, Title,
                                 QStringLiteral("ユーザー名"), 240, 720, 975);
    m_userNameEdit = new FormTextBox(f);
    setControlName(m_userNameEdit, QStringLiteral("txtUserName"));
    m_userNameEdit->setGeometry(twipsRect(240, 960, 4695, 255));
    userLabel->setBuddy(m_userNameEdit);
    // The names of the log last read, offered as the user types.
    auto *completer =
        new QCompleter(new QStringListModel(m_nameChoices, m_userNameEdit), m_userNameEdit);
    completer->setCaseSensitivity(Qt::CaseInsensitive);
    completer->setFilterMode(Qt::MatchContains);
    m_userNameEdit->setCompleter(completer);
    tabOrder << m_userNameEdit;

    m_allDatesCheck = new QCheckBox(QStringLiteral("計算日付を指定しない。"), f);
    setControlName(m_allDatesCheck, QStringLiteral("chkSpecifyDate"));
    // Designed 180 twips high, less than the box itself needs: it keeps its
    // row and grows evenly up and down until the box fits.
    QRect checkRect = twipsRect(240, 1440, 2175, 180);
    if (const int need = m_allDatesCheck->sizeHint().height(); need > checkRect.height())
        checkRect.adjust(0, -(need - checkRect.height()) / 2, 0,
                         need - checkRect.height() - (need - checkRect.height()) / 2);
    m_allDatesCheck->setGeometry(checkRect);
    tabOrder << m_allDatesCheck;

    // The start row, then the end row: year, month, day, hour, minute.
    const QString units[5] = {QStringLiteral("年"), QStringLiteral("月"), QStringLiteral("日"),
                              QStringLiteral("時"), QStringLiteral("分")};
    const QString unitNames[5] = {QStringLiteral("Year"), QStringLiteral("Month"),
                                  QStringLiteral("Day"), QStringLiteral("Hour"),
                                  QStringLiteral("Minute")};
    const int boxLefts[5] = {1080, 2040, 2760, 3600, 4320};
    const int unitLefts[5] = {1800, 2520, 3240, 4080, 4800};
    struct Row
    {
        QString prefix; // "Start" or "End"
        QString caption;
        int labelTop, boxTop, unitTop;
        std::array<QPointer<QLineEdit>, 3> *date;
        std::array<QPointer<QLineEdit>, 2> *time;
    };
    const Row rows[2] = {
        {QStringLiteral("Start"), QStringLiteral("開始日付"), 1740, 1680, 1800, &m_startDate,
         &m_startTime},
        {QStringLiteral("End"), QStringLiteral("終了日付"), 2115, 2040, 2160, &m_endDate,
         &m_endTime},
    };
    for (const Row &row : rows) {
        QLabel *rowLabel = addLabel(f, u"lbl"_s + row.prefix + u"Date"_s, -1, Title, row.caption,
                                    240, row.labelTop, 735);
        for (int k = 0; k < 5; ++k) {
            const bool isDate = k < 3;
            const int index = isDate ? k : k - 3;
            auto *box = new DigitBox(k == 0 ? 4 : 2, f);
            setControlName(box, u"txt"_s + row.prefix + (isDate ? u"Date"_s : u"Time"_s), index);
            box->setGeometry(twipsRect(boxLefts[k], row.boxTop, k == 0 ? 735 : 495, 270));
            if (isDate)
                (*row.date)[index] = box;
            else
                (*row.time)[index] = box;
            tabOrder << box;
            // The unit stands after its box; the name says the row too.
            addLabel(f, u"lbl"_s + row.prefix + unitNames[k], -1, Title, units[k], unitLefts[k],
                     row.unitTop, 255)
                ->setBuddy(box);
            box->setAccessibleName(row.caption + u' ' + units[k]);
            if (k == 0)
                rowLabel->setBuddy(box);
        }
    }

    for (int i = 1; i <= 2; ++i) {
        auto *box = new LongListBox(f);
        setControlName(box, QStringLiteral("cmbTableInfo"), i);
        // Screen readers name a choice box by its choice; this says what it is.
        box->setAccessibleDescription(QStringLiteral("計算する卓の種類（%1）").arg(i));
        box->setGeometry(twipsRect(i == 1 ? 240 : 2640, 2520, 2175, 300));
        m_tableKindBoxes[i - 1] = box;
        tabOrder << box;
    }
    for (qsizetype k = 1; k < tabOrder.size(); ++k)
        QWidget::setTabOrder(tabOrder[k - 1], tabOrder[k]);

    QObject::connect(m_allDatesCheck, &QCheckBox::toggled, m_allDatesCheck,
                     [this] { updateDateBoxes(); });

    setOuterSize(5295, 3390);

    m_fileNameEdit->setText(m_settings.scoreFile());
    m_userNameEdit->setText(m_settings.userName());
    if (!m_settings.specifyDate())
        m_allDatesCheck->setChecked(true);

    const QDate startDate = m_settings.startDate();
    const QTime startTime = m_settings.startTime();
    const QDate endDate = m_settings.endDate();
    const QTime endTime = m_settings.endTime();
    m_startDate[0]->setText(number4(startDate.year()));
    m_startDate[1]->setText(QString::number(startDate.month()));
    m_startDate[2]->setText(QString::number(startDate.day()));
    m_startTime[0]->setText(QString::number(startTime.hour()));
    m_startTime[1]->setText(QString::number(startTime.minute()));
    m_endDate[0]->setText(number4(endDate.year()));
    m_endDate[1]->setText(QString::number(endDate.month()));
    m_endDate[2]->setText(QString::number(endDate.day()));
    m_endTime[0]->setText(QString::number(endTime.hour()));
    m_endTime[1]->setText(QString::number(endTime.minute()));

    for (int i = 1; i <= 2; ++i) {
        QComboBox *box = m_tableKindBoxes[i - 1];
        const TableList &list = m_tables.choices(i);
        if (list.isEmpty()) {
            box->addItem(QStringLiteral("情報がありません"));
            box->setCurrentIndex(0);
            box->setEnabled(false);
            continue;
        }
        const qint32 stored = m_settings.tableKind(i);
        int selected = 0;
        for (qsizetype k = 0; k < list.size(); ++k) {
            box->addItem(list[k].tableString(), list[k].tableId());
            if (list[k].tableId() == stored)
                selected = int(k);
        }
        box->setCurrentIndex(selected);
    }

    // The window opens with the focus in the score file box.
    m_fileNameEdit->setFocus(Qt::OtherFocusReason);
}

void UserWindow::onUnload()
{
    storeFields();
}

void UserWindow::updateDateBoxes()
{
    const bool enabled = !m_allDatesCheck->isChecked();
    for (QLineEdit *box : m_startDate)
        box->setEnabled(enabled);
    for (QLineEdit *box : m_endDate)
        box->setEnabled(enabled);
    for (QLineEdit *box : m_startTime)
        box->setEnabled(enabled);
    for (QLineEdit *box : m_endTime)
        box->setEnabled(enabled);
}

QString UserWindow::startDateText() const
{
    return m_startDate[0]->text() + u'/' + m_startDate[1]->text() + u'/' + m_startDate[2]->text();
}

QString UserWindow::startTimeText() const
{
    return m_startTime[0]->text() + u':' + m_startTime[1]->text();
}

QString UserWindow::endDateText() const
{
    return m_endDate[0]->text() + u'/' + m_endDate[1]->text() + u'/' + m_endDate[2]->text();
}

QString UserWindow::endTimeText() const
{
    return m_endTime[0]->text() + u':' + m_endTime[1]->text();
}

qint32 UserWindow::chosenTableId(int i) const
{
    const TableList &list = m_tables.choices(i);
    const int index = m_tableKindBoxes[i - 1]->currentIndex();
    if (index < 0 || index >= list.size())
        raise(ErrorKind::SubscriptOutOfRange);
    return list[index].tableId();
}

void UserWindow::storeFields()
{
    if (!client())
        return;
    attempt([&] { m_settings.setValue(Settings::ScoreFile, m_fileNameEdit->text()); });
    attempt([&] { m_settings.setValue(Settings::UserName, m_userNameEdit->text()); });
    attempt([&] { m_settings.setValue(Settings::SpecifyDate, !m_allDatesCheck->isChecked()); });
    attempt([&] { m_settings.setValue(Settings::StartDate, startDateText()); });
    attempt([&] { m_settings.setValue(Settings::StartTime, startTimeText()); });
    attempt([&] { m_settings.setValue(Settings::EndDate, endDateText()); });
    attempt([&] { m_settings.setValue(Settings::EndTime, endTimeText()); });
    for (int i = 1; i <= 2; ++i) {
        if (m_tableKindBoxes[i - 1]->isEnabled())
            attempt([&] { m_settings.setValue(Settings::tableKindKey(i), chosenTableId(i)); });
    }
}

void UserWindow::takeOver()
{
    if (!client())
        return;
    m_settings.setValue(Settings::ScoreFile, m_fileNameEdit->text());
    m_settings.setValue(Settings::UserName, trimSpaces(m_userNameEdit->text()).toString());
    if (m_allDatesCheck->isChecked()) {
        m_settings.setValue(Settings::SpecifyDate, false);
    } else {
        m_settings.setValue(Settings::SpecifyDate, true);
        m_settings.setValue(Settings::StartDate, startDateText());
        m_settings.setValue(Settings::StartTime, startTimeText());
        m_settings.setValue(Settings::EndDate, endDateText());
        m_settings.setValue(Settings::EndTime, endTimeText());
    }
    for (int i = 1; i <= 2; ++i) {
        if (m_tableKindBoxes[i - 1]->isEnabled())
            m_settings.setValue(Settings::tableKindKey(i), chosenTableId(i));
    }
}

void UserWindow::focusFileName()
{
    if (!m_fileNameEdit)
        return;
    show(); // brings the open window to the front
    m_fileNameEdit->setFocus(Qt::OtherFocusReason);
}

QString UserWindow::currentUserName() const
{
    if (m_userNameEdit)
        return trimSpaces(m_userNameEdit->text()).toString();
    return m_settings.userName();
}

void UserWindow::setUserName(const QString &name)
{
    if (m_userNameEdit)
        m_userNameEdit->setText(name);
}

void UserWindow::setNameChoices(const QStringList &names)
{
    m_nameChoices = names;
    if (!m_userNameEdit || !m_userNameEdit->completer())
        return;
    if (auto *model = qobject_cast<QStringListModel *>(m_userNameEdit->completer()->model()))
        model->setStringList(names);
}

void UserWindow::setFileName(const QString &path)
{
    show();
    if (!m_fileNameEdit)
        return;
    m_fileNameEdit->setText(path);
    m_fileNameEdit->setFocus(Qt::OtherFocusReason);
}

} // namespace norva

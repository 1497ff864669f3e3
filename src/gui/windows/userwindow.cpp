#include "gui/windows/userwindow.h"

#include "core/common/convert.h"
#include "core/common/error.h"
#include "core/settings/settings.h"
#include "core/tables/tableinfo.h"
#include "gui/widgets/fixedlayout.h"
#include "gui/windows/mainwindow.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
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
#include <QUrl>

#include <functional>
#include <optional>

namespace norva {

using namespace Qt::StringLiterals;

namespace {

// How high a table kind box reaches with its list open, in pixels.
constexpr int DropDownHeight = 1000;

// True when key is the shortcut of an enabled command of the main window.
bool isMainWindowShortcut(const QKeyEvent *key)
{
    MainWindow *main = MainWindow::instance();
    if (!main)
        return false;
    const QKeySequence pressed(key->keyCombination());
    for (const QAction *a : main->findChildren<QAction *>())
        if (a->isEnabled() && a->shortcutContext() == Qt::WindowShortcut
            && a->shortcuts().contains(pressed))
            return true;
    return false;
}

// A text box whose whole text is selected whenever it gets the focus. The main
// window's shortcuts come before the box's own editing keys, so that Ctrl+A and
// Ctrl+U run their commands here as anywhere else.
class FormTextBox : public QLineEdit
{
public:
    using QLineEdit::QLineEdit;

protected:
    bool event(QEvent *event) override
    {
        if (event->type() == QEvent::ShortcutOverride
            && isMainWindowShortcut(static_cast<QKeyEvent *>(event))) {
            event->ignore();
            return true;
        }
        return QLineEdit::event(event);
    }
    void focusInEvent(QFocusEvent *event) override
    {
        QLineEdit::focusInEvent(event);
        selectAll();
    }
};

// A date or time box: digits only, typed or pasted; editing keys still work.
class DigitBox final : public FormTextBox
{
public:
    DigitBox(int maxLength, QWidget *parent)
        : FormTextBox(parent)
    {
        setMaxLength(maxLength);
        setValidator(
            new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this));
    }
};

// The first local file of a dropped file list, if there is one.
std::optional<QString> droppedFile(const QMimeData *data)
{
    if (!data || !data->hasUrls())
        return std::nullopt;
    for (const QUrl &url : data->urls())
        if (url.isLocalFile())
            return QDir::toNativeSeparators(url.toLocalFile());
    return std::nullopt;
}

// The score file box: takes the path of a file dropped on it from the file
// manager. Other dragged data is refused.
class FileNameBox final : public FormTextBox
{
public:
    explicit FileNameBox(QWidget *parent)
        : FormTextBox(parent)
    {
        setAcceptDrops(true);
    }

protected:
    void dragEnterEvent(QDragEnterEvent *event) override
    {
        if (droppedFile(event->mimeData()))
            event->acceptProposedAction();
        else
            event->ignore();
    }
    void dragMoveEvent(QDragMoveEvent *event) override
    {
        if (droppedFile(event->mimeData()))
            event->acceptProposedAction();
        else
            event->ignore();
    }
    void dropEvent(QDropEvent *event) override
    {
        if (const std::optional<QString> path = droppedFile(event->mimeData())) {
            setText(*path);
            event->acceptProposedAction();
        } else {
            event->ignore();
        }
    }
};

// A table kind box whose open list reaches down to DropDownHeight pixels from
// the top of the box, so that long lists need no scrolling.
class TableInfoBox final : public QComboBox
{
public:
    using QComboBox::QComboBox;

    void showPopup() override
    {
        const int row = count() > 0 ? view()->sizeHintForRow(0) : 0;
        if (row > 0)
            setMaxVisibleItems(qMax(1, (DropDownHeight - height()) / row));
        QComboBox::showPopup();
        QWidget *popup = view()->window();
        if (popup != window() && popup->height() > DropDownHeight - height())
            popup->resize(popup->width(), DropDownHeight - height());
    }
};

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

UserWindow &UserWindow::instance()
{
    static UserWindow form;
    return form;
}

UserWindow::UserWindow()
    : ChildWindow(QStringLiteral("frmUser"), QStringLiteral("計算情報"))
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
    QWidget *f = form();
    f->setFont(formFont());
    using enum LabelStyle;
    QList<QWidget *> tabOrder;

    addLabel(f, QStringLiteral("lblFileName"), -1, Title, QStringLiteral("スコアファイル名"), 240,
             120, 4575);
    m_fileNameEdit = new FileNameBox(f);
    setControlName(m_fileNameEdit, QStringLiteral("txtFileName"));
    m_fileNameEdit->setGeometry(twipsRect(240, 360, 4695, 270));
    tabOrder << m_fileNameEdit;

    addLabel(f, QStringLiteral("lblUserName"), -1, Title, QStringLiteral("ユーザー名"), 240, 720,
             975);
    m_userNameEdit = new FormTextBox(f);
    setControlName(m_userNameEdit, QStringLiteral("txtUserName"));
    m_userNameEdit->setGeometry(twipsRect(240, 960, 4695, 255));
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
        addLabel(f, u"lbl"_s + row.prefix + u"Date"_s, -1, Title, row.caption, 240, row.labelTop,
                 735);
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
            addLabel(f, u"lbl"_s + row.prefix + unitNames[k], -1, Title, units[k], unitLefts[k],
                     row.unitTop, 255);
        }
    }

    for (int i = 1; i <= 2; ++i) {
        auto *box = new TableInfoBox(f);
        setControlName(box, QStringLiteral("cmbTableInfo"), i);
        box->setGeometry(twipsRect(i == 1 ? 240 : 2640, 2520, 2175, 300));
        m_tableKindBoxes[i - 1] = box;
        tabOrder << box;
    }
    for (qsizetype k = 1; k < tabOrder.size(); ++k)
        QWidget::setTabOrder(tabOrder[k - 1], tabOrder[k]);

    QObject::connect(m_allDatesCheck, &QCheckBox::toggled, m_allDatesCheck,
                     [this] { updateDateBoxes(); });

    setOuterSize(5295, 3390);

    m_fileNameEdit->setText(GetParamValue(QStringLiteral("ScoreFile")).toString());
    m_userNameEdit->setText(GetParamValue(QStringLiteral("UserName")).toString());
    if (!GetParamValue(QStringLiteral("SpecifyDate")).toBool())
        m_allDatesCheck->setChecked(true);

    const QDate startDate = GetParamValue(QStringLiteral("StartDate")).toDateTime().date();
    const QTime startTime = GetParamValue(QStringLiteral("StartTime")).toDateTime().time();
    const QDate endDate = GetParamValue(QStringLiteral("EndDate")).toDateTime().date();
    const QTime endTime = GetParamValue(QStringLiteral("EndTime")).toDateTime().time();
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
        const TableList &list = TableInfoList(i);
        if (list.isEmpty()) {
            box->addItem(QStringLiteral("情報がありません"));
            box->setCurrentIndex(0);
            box->setEnabled(false);
            continue;
        }
        const qint32 stored =
            GetParamValue(QStringLiteral("TableKind") + QString::number(i)).toInt();
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
    const TableList &list = TableInfoList(i);
    const int index = m_tableKindBoxes[i - 1]->currentIndex();
    if (index < 0 || index >= list.size())
        raise(ErrorKind::SubscriptOutOfRange);
    return list[index].tableId();
}

void UserWindow::storeFields()
{
    if (!form())
        return;
    attempt([&] { SetParamValue(QStringLiteral("ScoreFile"), m_fileNameEdit->text()); });
    attempt([&] { SetParamValue(QStringLiteral("UserName"), m_userNameEdit->text()); });
    attempt([&] { SetParamValue(QStringLiteral("SpecifyDate"), !m_allDatesCheck->isChecked()); });
    attempt([&] { SetParamValue(QStringLiteral("StartDate"), startDateText()); });
    attempt([&] { SetParamValue(QStringLiteral("StartTime"), startTimeText()); });
    attempt([&] { SetParamValue(QStringLiteral("EndDate"), endDateText()); });
    attempt([&] { SetParamValue(QStringLiteral("EndTime"), endTimeText()); });
    for (int i = 1; i <= 2; ++i) {
        if (m_tableKindBoxes[i - 1]->isEnabled())
            attempt([&] {
                SetParamValue(QStringLiteral("TableKind") + QString::number(i), chosenTableId(i));
            });
    }
}

void UserWindow::takeOver()
{
    if (!form())
        return;
    SetParamValue(QStringLiteral("ScoreFile"), m_fileNameEdit->text());
    SetParamValue(QStringLiteral("UserName"), trimSpaces(m_userNameEdit->text()).toString());
    if (m_allDatesCheck->isChecked()) {
        SetParamValue(QStringLiteral("SpecifyDate"), false);
    } else {
        SetParamValue(QStringLiteral("SpecifyDate"), true);
        SetParamValue(QStringLiteral("StartDate"), startDateText());
        SetParamValue(QStringLiteral("StartTime"), startTimeText());
        SetParamValue(QStringLiteral("EndDate"), endDateText());
        SetParamValue(QStringLiteral("EndTime"), endTimeText());
    }
    for (int i = 1; i <= 2; ++i) {
        if (m_tableKindBoxes[i - 1]->isEnabled())
            SetParamValue(QStringLiteral("TableKind") + QString::number(i), chosenTableId(i));
    }
}

void UserWindow::focusFileName()
{
    if (!m_fileNameEdit)
        return;
    show(); // brings the open window to the front
    m_fileNameEdit->setFocus(Qt::OtherFocusReason);
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

#include "gui/windows/optionsdialog.h"

#include "core/graph/colorstring.h"
#include "gui/print/paintertarget.h"
#include "gui/windows/graphwindow.h"

#include "core/common/error.h"
#include "core/settings/settings.h"
#include "gui/widgets/childwindow.h"
#include "gui/widgets/dialogrunner.h"
#include "gui/widgets/fixedlayout.h"
#include "gui/windows/commandtable.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMdiSubWindow>
#include <QPainter>
#include <QPointer>
#include <QStyle>
#include <QStyleOptionFocusRect>

#include <exception>

namespace norva {

namespace {

// The setting and the label of each colour button.
struct ColorDef
{
    Settings::Key key;
    const char16_t *label;
};
constexpr ColorDef Colors[7] = {
    {Settings::GraphFore, u"前景"},    {Settings::GraphBack, u"背景"},
    {Settings::GraphPoint, u"得点"},   {Settings::GraphRank, u"順位"},
    {Settings::GraphPart, u"翻別"},    {Settings::GraphFlowR, u"Ｒ値"},
    {Settings::GraphFlowPnt, u"合計"},
};

} // namespace

// ------------------------------------------------------------ colour button

ColorButton::ColorButton(QWidget *parent)
    : QPushButton(parent)
{}

void ColorButton::setColor(Color color)
{
    m_color = color;
    update();
}

void ColorButton::paintEvent(QPaintEvent *event)
{
    QPushButton::paintEvent(event);
    QPainter p(this);
    // The face inside the button's bevel, with a thin outline so that a colour
    // close to the dialog's own still shows its extent.
    const int inset = isDown() ? 4 : 3;
    const QRect face = rect().adjusted(inset, inset, -inset, -inset);
    p.fillRect(face, PainterTarget::toQColor(m_color));
    p.setPen(palette().color(QPalette::Mid));
    p.drawRect(face.adjusted(0, 0, -1, -1));
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = face.adjusted(-2, -2, 2, 2);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &p, this);
    }
}

// ------------------------------------------------------------------ dialog

OptionsDialog::OptionsDialog(Settings &settings, GraphWindow *graph, DialogRunner &dialogs,
                             QWidget *parent)
    : QDialog(parent)
    , m_settings(settings)
    , m_graph(graph)
    , m_dialogs(dialogs)
    , m_saveButton(new QPushButton(QStringLiteral("設定(&S)"), this))
    , m_closeButton(new QPushButton(QStringLiteral("中止(&C)"), this))
    , m_autoCalcCheck(new QCheckBox(QStringLiteral("起動時に計算"), this))
    , m_colorFrame(new QGroupBox(QStringLiteral("グラフ表示色"), this))
{
    setObjectName(QStringLiteral("frmCustom"));
    setWindowTitle(QStringLiteral("オプション設定"));
    setWindowIcon(toolbarIcon(QStringLiteral("Customize")));
    // A fixed dialog: title bar and close box only.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    QFont font(QStringLiteral("ＭＳ ゴシック"));
    font.setPointSizeF(9);
    setFont(font);

    m_saveButton->setObjectName(QStringLiteral("cmdSaveClose"));
    m_saveButton->setToolTip(QStringLiteral("設定を保存してウィンドウを閉じます。"));
    m_saveButton->setGeometry(twipsRect(1680, 1920, 1095, 375));
    m_saveButton->setDefault(true);
    connect(m_saveButton, &QPushButton::clicked, this, &OptionsDialog::saveAndClose);

    m_closeButton->setObjectName(QStringLiteral("cmdClose"));
    m_closeButton->setToolTip(QStringLiteral("変更内容を破棄してウィンドウを閉じます。"));
    m_closeButton->setGeometry(twipsRect(3000, 1920, 1095, 375));
    connect(m_closeButton, &QPushButton::clicked, this, &OptionsDialog::closeWithoutSaving);

    m_autoCalcCheck->setObjectName(QStringLiteral("chkAutoCalc"));
    // As high as the font needs, centred on the designed line.
    {
        const QRect r = twipsRect(240, 240, 1455, 180);
        const int h = std::max(r.height(), m_autoCalcCheck->sizeHint().height());
        m_autoCalcCheck->setGeometry(r.left(), r.center().y() - h / 2, r.width(), h);
    }

    m_colorFrame->setObjectName(QStringLiteral("fraGraphColor"));
    m_colorFrame->setGeometry(twipsRect(240, 720, 3855, 975));
    // The caption stands on the frame's top line, so that the labels inside
    // stand clear below it.
    m_colorFrame->setStyleSheet(QStringLiteral(
        "QGroupBox#fraGraphColor { border: 1px solid palette(mid); border-radius: 2px;"
        " margin-top: 0.6em; }"
        "QGroupBox#fraGraphColor::title { subcontrol-origin: margin; subcontrol-position: top left;"
        " left: 6px; padding: 0 2px; }"));

    QWidget *previous = m_autoCalcCheck;
    QWidget::setTabOrder(m_saveButton, m_closeButton);
    QWidget::setTabOrder(m_closeButton, m_autoCalcCheck);
    QWidget::setTabOrder(m_autoCalcCheck, m_colorFrame);
    previous = m_colorFrame;
    for (int i = 0; i < 7; ++i) {
        auto *button = new ColorButton(m_colorFrame);
        button->setObjectName(QStringLiteral("cmdGraphColor(%1)").arg(i));
        button->setProperty("index", i);
        button->setGeometry(twipsRect(240 + 480 * i, 480, 495, 375));
        button->setAccessibleName(QString::fromUtf16(Colors[i].label));
        connect(button, &QPushButton::clicked, this, [this, i] { chooseColor(i); });
        QWidget::setTabOrder(previous, button);
        previous = button;
        m_colorButtons[size_t(i)] = button;

        auto *label = new QLabel(QString::fromUtf16(Colors[i].label), m_colorFrame);
        label->setObjectName(QStringLiteral("lblGraphColor(%1)").arg(i));
        label->setProperty("index", i);
        label->setGeometry(twipsRect(240 + 480 * i, 240, 375, 255));
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        m_colorLabels[size_t(i)] = label;
    }

    setFixedSize(twipsToPixels(4320), twipsToPixels(2490));
    onLoad();
    m_saveButton->setFocus();
}

void OptionsDialog::onLoad()
{
    for (int i = 0; i < 7; ++i) {
        try {
            m_colorButtons[size_t(i)]->setColor(
                colorFromString(m_settings.graphColor(Colors[i].key)));
        } catch (const std::exception &) {
        }
    }
    try {
        m_autoCalcCheck->setChecked(m_settings.autoCalc());
    } catch (const std::exception &) {
    }
}

void OptionsDialog::chooseColor(int index)
{
    // On the heap, as the dialog's owner may go while it is up.
    QPointer<QColorDialog> dialog = new QColorDialog(this);
    dialog->setObjectName(QStringLiteral("dlgCommonDialog"));
    const bool chosen = m_dialogs.run(*dialog);
    if (dialog && chosen) {
        const QColor c = dialog->currentColor();
        if (c.isValid())
            m_colorButtons[size_t(index)]->setColor(makeColor(c.red(), c.green(), c.blue()));
    }
    delete dialog.data();
}

QString OptionsDialog::colorString(int index) const
{
    return colorToString(m_colorButtons[size_t(index)]->color());
}

void OptionsDialog::saveOptions()
{
    for (int i = 0; i < 7; ++i) {
        try {
            m_settings.setValue(Colors[i].key, colorString(i));
        } catch (const std::exception &) {
        }
    }
    try {
        m_settings.setValue(Settings::AutoCalc, m_autoCalcCheck->isChecked());
    } catch (const std::exception &) {
    }
    try {
        if (m_graph && m_graph->isShown()) {
            GraphWindow &graph = *m_graph;
            // Colours are read when the window loads: close it (its size and
            // selection are stored) and open it again where it stood.
            QMdiSubWindow *sub = graph.subWindow();
            const QPoint pos = sub ? sub->pos() : QPoint();
            const bool maximized = graph.isMaximized();
            graph.unload();
            graph.show();
            if (QMdiSubWindow *again = graph.subWindow()) {
                again->move(pos);
                if (maximized)
                    again->showMaximized();
            }
        }
    } catch (const std::exception &) {
    }
}

void OptionsDialog::saveAndClose()
{
    saveOptions();
    accept();
}

void OptionsDialog::closeWithoutSaving()
{
    reject();
}

void OptionsDialog::showModal(Settings &settings, GraphWindow *graph, DialogRunner &dialogs,
                              QWidget *parent)
{
    QPointer<OptionsDialog> dialog = new OptionsDialog(settings, graph, dialogs, parent);
    dialog->exec();
    delete dialog.data();
}

} // namespace norva

#include "frmCustom.h"

#include "colorstring.h"
#include "frmGraph.h"
#include "paintertarget.h"

#include "app/childform.h"
#include "app/icons.h"
#include "common/error.h"
#include "settings/basParam.h"

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
    const char16_t *key;
    const char16_t *label;
};
constexpr ColorDef Colors[7] = {
    {u"GraphFore", u"前景"},    {u"GraphBack", u"背景"}, {u"GraphPoint", u"得点"},
    {u"GraphRank", u"順位"},    {u"GraphPart", u"翻別"}, {u"GraphFlowR", u"Ｒ値"},
    {u"GraphFlowPnt", u"合計"},
};

frmCustom::ColorDialogHook &colorDialogHook()
{
    static frmCustom::ColorDialogHook hook;
    return hook;
}

QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width),
                 twipsToPixels(height));
}

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

frmCustom::frmCustom(QWidget *parent)
    : QDialog(parent)
    , m_cmdSaveClose(new QPushButton(QStringLiteral("設定(&S)"), this))
    , m_cmdClose(new QPushButton(QStringLiteral("中止(&C)"), this))
    , m_chkAutoCalc(new QCheckBox(QStringLiteral("起動時に計算"), this))
    , m_fraGraphColor(new QGroupBox(QStringLiteral("グラフ表示色"), this))
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

    m_cmdSaveClose->setObjectName(QStringLiteral("cmdSaveClose"));
    m_cmdSaveClose->setToolTip(QStringLiteral("設定を保存してウィンドウを閉じます。"));
    m_cmdSaveClose->setGeometry(twipsRect(1680, 1920, 1095, 375));
    m_cmdSaveClose->setDefault(true);
    connect(m_cmdSaveClose, &QPushButton::clicked, this, &frmCustom::cmdSaveClose_Click);

    m_cmdClose->setObjectName(QStringLiteral("cmdClose"));
    m_cmdClose->setToolTip(QStringLiteral("変更内容を破棄してウィンドウを閉じます。"));
    m_cmdClose->setGeometry(twipsRect(3000, 1920, 1095, 375));
    connect(m_cmdClose, &QPushButton::clicked, this, &frmCustom::cmdClose_Click);

    m_chkAutoCalc->setObjectName(QStringLiteral("chkAutoCalc"));
    // As high as the font needs, centred on the designed line.
    {
        const QRect r = twipsRect(240, 240, 1455, 180);
        const int h = std::max(r.height(), m_chkAutoCalc->sizeHint().height());
        m_chkAutoCalc->setGeometry(r.left(), r.center().y() - h / 2, r.width(), h);
    }

    m_fraGraphColor->setObjectName(QStringLiteral("fraGraphColor"));
    m_fraGraphColor->setGeometry(twipsRect(240, 720, 3855, 975));
    // The caption stands on the frame's top line, so that the labels inside
    // stand clear below it.
    m_fraGraphColor->setStyleSheet(QStringLiteral(
        "QGroupBox#fraGraphColor { border: 1px solid palette(mid); border-radius: 2px;"
        " margin-top: 0.6em; }"
        "QGroupBox#fraGraphColor::title { subcontrol-origin: margin; subcontrol-position: top left;"
        " left: 6px; padding: 0 2px; }"));

    QWidget *previous = m_chkAutoCalc;
    QWidget::setTabOrder(m_cmdSaveClose, m_cmdClose);
    QWidget::setTabOrder(m_cmdClose, m_chkAutoCalc);
    QWidget::setTabOrder(m_chkAutoCalc, m_fraGraphColor);
    previous = m_fraGraphColor;
    for (int i = 0; i < 7; ++i) {
        auto *button = new ColorButton(m_fraGraphColor);
        button->setObjectName(QStringLiteral("cmdGraphColor(%1)").arg(i));
        button->setProperty("index", i);
        button->setGeometry(twipsRect(240 + 480 * i, 480, 495, 375));
        button->setAccessibleName(QString::fromUtf16(Colors[i].label));
        connect(button, &QPushButton::clicked, this, [this, i] { cmdGraphColor_Click(i); });
        QWidget::setTabOrder(previous, button);
        previous = button;
        m_cmdGraphColor[size_t(i)] = button;

        auto *label = new QLabel(QString::fromUtf16(Colors[i].label), m_fraGraphColor);
        label->setObjectName(QStringLiteral("lblGraphColor(%1)").arg(i));
        label->setProperty("index", i);
        label->setGeometry(twipsRect(240 + 480 * i, 240, 375, 255));
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        m_lblGraphColor[size_t(i)] = label;
    }

    setFixedSize(twipsToPixels(4320), twipsToPixels(2490));
    Form_Load();
    m_cmdSaveClose->setFocus();
}

void frmCustom::Form_Load()
{
    for (int i = 0; i < 7; ++i) {
        try {
            m_cmdGraphColor[size_t(i)]->setColor(
                StrToColor(GetParamValue(QString::fromUtf16(Colors[i].key)).toString()));
        } catch (const std::exception &) {
        }
    }
    try {
        m_chkAutoCalc->setChecked(GetParamValue(QStringLiteral("AutoCalc")).toBool());
    } catch (const std::exception &) {
    }
}

void frmCustom::setColorDialogForTests(ColorDialogHook hook)
{
    colorDialogHook() = std::move(hook);
}

void frmCustom::cmdGraphColor_Click(int index)
{
    // On the heap, as the dialog's owner may go while it is up.
    QPointer<QColorDialog> dialog = new QColorDialog(this);
    dialog->setObjectName(QStringLiteral("dlgCommonDialog"));
    const bool chosen =
        colorDialogHook() ? colorDialogHook()(*dialog) : dialog->exec() == QDialog::Accepted;
    if (dialog && chosen) {
        const QColor c = colorDialogHook() ? dialog->currentColor() : dialog->selectedColor();
        if (c.isValid())
            m_cmdGraphColor[size_t(index)]->setColor(makeColor(c.red(), c.green(), c.blue()));
    }
    delete dialog.data();
}

QString frmCustom::ColorToStr(int index) const
{
    return colorToString(m_cmdGraphColor[size_t(index)]->color());
}

void frmCustom::SaveOptions()
{
    for (int i = 0; i < 7; ++i) {
        try {
            SetParamValue(QString::fromUtf16(Colors[i].key), ColorToStr(i));
        } catch (const std::exception &) {
        }
    }
    try {
        SetParamValue(QStringLiteral("AutoCalc"), m_chkAutoCalc->isChecked());
    } catch (const std::exception &) {
    }
    try {
        frmGraph &graph = frmGraph::instance();
        if (graph.trgShowMe()) {
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

void frmCustom::cmdSaveClose_Click()
{
    SaveOptions();
    accept();
}

void frmCustom::cmdClose_Click()
{
    reject();
}

void frmCustom::showModal(QWidget *parent)
{
    QPointer<frmCustom> dialog = new frmCustom(parent);
    dialog->exec();
    delete dialog.data();
}

} // namespace norva

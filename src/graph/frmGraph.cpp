#include "frmGraph.h"

#include "colorstring.h"
#include "drawgraph.h"
#include "paintertarget.h"
#include "printpage.h"

#include "app/icons.h"
#include "common/convert.h"
#include "common/error.h"
#include "settings/basParam.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFont>
#include <QMdiSubWindow>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>

#include <algorithm>
#include <limits>

namespace norva {

namespace {

// The bit of each toggle's graph in the selection mask.
constexpr qint16 GraphBits[5] = {1, 2, 4, 8, 16};

// Picture area: its top-left corner, and what the window's client area keeps
// free to its right and below it (in twips).
constexpr int PictureLeft = 120;
constexpr int PictureTop = 480;
constexpr int PictureWidthMargin = 250;
constexpr int PictureHeightMargin = 580;
// A window no taller than this keeps its picture height.
constexpr int MinResizeHeight = 1000;

const GraphSource *&sourceForTests()
{
    static const GraphSource *s = nullptr;
    return s;
}

const GraphSource &graphSource()
{
    return sourceForTests() ? *sourceForTests() : calcGraphSource();
}

// A size in twips as a 16-bit value: the remembered window size cannot hold
// more, so a larger size is held at the largest one.
qint16 size16(qint64 twips)
{
    return qint16(std::clamp<qint64>(twips, std::numeric_limits<qint16>::min(),
                                     std::numeric_limits<qint16>::max()));
}

QColor qcolor(Color c)
{
    return PainterTarget::toQColor(c);
}

} // namespace

// ------------------------------------------------------------ picture area

GraphPicture::GraphPicture(const QImage &image, QWidget *parent)
    : QWidget(parent)
    , m_image(image)
    , m_back(Qt::white)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void GraphPicture::setBackColor(const QColor &color)
{
    m_back = color;
}

void GraphPicture::paintEvent(QPaintEvent *event)
{
    QPainter p(this);
    const QRect r = event->rect();
    p.fillRect(r, m_back);
    p.drawImage(r.topLeft(), m_image, r);
}

// ------------------------------------------------------------------ window

frmGraph &frmGraph::instance()
{
    static frmGraph form;
    return form;
}

frmGraph::frmGraph()
    : ChildForm(QStringLiteral("frmGraph"), QStringLiteral("グラフ表示"))
{}

void frmGraph::setGraphSourceForTests(const GraphSource *source)
{
    sourceForTests() = source;
}

QCheckBox *frmGraph::chkSelectGraph(int index) const
{
    return index >= 0 && index < 5 ? m_chkSelectGraph[size_t(index)].data() : nullptr;
}

void frmGraph::Form_Load()
{
    QWidget *client = form();
    m_state.mbDrawReady = false;
    m_drawQueued = false;
    if (QMdiSubWindow *sub = subWindow())
        sub->setWindowIcon(toolbarIcon(QStringLiteral("GraphWindow")));

    // The controls as designed, each toggle ticked (its graph hidden).
    static const char16_t *const captions[5] = {u"得点(&P)", u"順位(&K)", u"翻別(&V)", u"Ｒ値(&E)",
                                                u"合計(&T)"};
    QFont toggleFont(QStringLiteral("ＭＳ ゴシック"));
    toggleFont.setPointSizeF(9);
    toggleFont.setBold(true);
    m_picGameRpt = new GraphPicture(m_image, client);
    m_picGameRpt->setObjectName(QStringLiteral("picGameRpt"));
    m_picGameRpt->setGeometry(twipsToPixels(PictureLeft), twipsToPixels(PictureTop),
                              twipsToPixels(1935), twipsToPixels(1095));
    QWidget *previous = m_picGameRpt;
    for (int i = 0; i < 5; ++i) {
        auto *chk = new QCheckBox(QString::fromUtf16(captions[i]), client);
        chk->setObjectName(QStringLiteral("chkSelectGraph(%1)").arg(i));
        chk->setProperty("index", i);
        chk->setFont(toggleFont);
        // Painted in its graph's colour: the row of toggles is the legend.
        chk->setBackgroundRole(QPalette::Window);
        chk->setAutoFillBackground(true);
        chk->setGeometry(twipsToPixels(120 + 960 * i), twipsToPixels(120), twipsToPixels(975),
                         twipsToPixels(255));
        chk->setChecked(true);
        QObject::connect(chk, &QCheckBox::toggled, chk, [this, i] { chkSelectGraph_Click(i); });
        QWidget::setTabOrder(previous, chk);
        previous = chk;
        m_chkSelectGraph[size_t(i)] = chk;
    }

    m_miGraphWidth = size16(GetParamValue(QStringLiteral("GraphWidth")).toLongLong());
    m_miGraphHeight = size16(GetParamValue(QStringLiteral("GraphHeight")).toLongLong());
    setOuterSize(m_miGraphWidth, m_miGraphHeight);

    // Clearing a toggle adds its bit through the click handler; taking the
    // bit off again keeps the mask as stored.
    m_state.miGraphDisp = variantToInt16(GetParamValue(QStringLiteral("GraphDisp")));
    for (int i = 0; i < 5; ++i) {
        if (m_state.miGraphDisp & GraphBits[i]) {
            m_chkSelectGraph[size_t(i)]->setChecked(false);
            m_state.miGraphDisp = toInt16(m_state.miGraphDisp - GraphBits[i]);
        }
    }

    const auto color = [](const char16_t *key) {
        return StrToColor(GetParamValue(QString::fromUtf16(key)).toString());
    };
    const auto paint = [this](int i, Color c) {
        QCheckBox *chk = m_chkSelectGraph[size_t(i)];
        QPalette pal = chk->palette();
        pal.setColor(QPalette::Window, qcolor(c));
        chk->setPalette(pal);
    };
    m_state.mlForeColor = color(u"GraphFore");
    m_state.mlBackColor = color(u"GraphBack");
    m_state.mlPointColor = color(u"GraphPoint");
    paint(0, m_state.mlPointColor);
    m_state.mlRankColor = color(u"GraphRank");
    paint(1, m_state.mlRankColor);
    m_state.mlPartColor = color(u"GraphPart");
    paint(2, m_state.mlPartColor);
    m_state.mlFlowRColor = color(u"GraphFlowR");
    paint(3, m_state.mlFlowRColor);
    m_state.mlFlowPntColor = color(u"GraphFlowPnt");
    paint(4, m_state.mlFlowPntColor);
    for (int i = 0; i < 5; ++i)
        SetCaptionColor(i);

    m_picGameRpt->setBackColor(qcolor(m_state.mlBackColor));
    m_state.mbDrawReady = true;
    mbShowMe = true;
    // The first drawing comes with the resize of the window's first display.
}

void frmGraph::Form_Resize()
{
    QWidget *client = form();
    if (!client || !m_picGameRpt)
        return;
    const qint64 cw = pixelsToTwips(client->width());
    const qint64 ch = pixelsToTwips(client->height());
    if (!isMinimized()) {
        QRect r = m_picGameRpt->geometry();
        if (outerHeight() > MinResizeHeight)
            r.setHeight(twipsToPixels(std::max<qint64>(ch - PictureHeightMargin, 0)));
        r.setWidth(twipsToPixels(std::max<qint64>(cw - PictureWidthMargin, 0)));
        m_picGameRpt->setGeometry(r);
        // Only a normal window's size is remembered.
        if (!isMaximized()) {
            m_miGraphWidth = size16(outerWidth());
            m_miGraphHeight = size16(outerHeight());
        }
    }
    // Drawn once the resize is over: a drawing lets window events run between
    // its graphs, which must not happen in the middle of showing or laying
    // out the window. A burst of resizes draws once.
    if (!m_drawQueued) {
        m_drawQueued = true;
        QTimer::singleShot(0, m_picGameRpt, [this] {
            m_drawQueued = false;
            trGraphDraw();
        });
    }
}

void frmGraph::Form_Unload()
{
    trRegSave();
    mbShowMe = false;
}

void frmGraph::chkSelectGraph_Click(int index)
{
    const qint16 bit = GraphBits[index];
    try {
        if (!m_chkSelectGraph[size_t(index)]->isChecked())
            m_state.miGraphDisp = add16(m_state.miGraphDisp, bit);
        else
            m_state.miGraphDisp = toInt16(m_state.miGraphDisp - bit);
    } catch (const Error &) {
        // Beyond 16 bits the selection stays as it was.
    }
    trGraphDraw();
}

void frmGraph::SetCaptionColor(int index)
{
    QCheckBox *chk = m_chkSelectGraph[size_t(index)];
    const QColor back = chk->palette().color(QPalette::Window);
    QPalette pal = chk->palette();
    const QColor caption(255 - back.red(), 255 - back.green(), 255 - back.blue());
    pal.setColor(QPalette::WindowText, caption);
    pal.setColor(QPalette::ButtonText, caption);
    chk->setPalette(pal);
}

void frmGraph::trGraphDraw()
{
    // The picture is in use by the drawing under way: draw again once it ends.
    if (m_drawing) {
        m_redrawRequested = true;
        return;
    }
    do {
        m_redrawRequested = false;
        drawOnce();
    } while (m_redrawRequested && m_picGameRpt);
}

void frmGraph::drawOnce()
{
    if (!m_picGameRpt)
        return;
    const QSize size = m_picGameRpt->size().expandedTo(QSize(1, 1));
    QImage fresh(size, QImage::Format_RGB32);
    fresh.fill(qcolor(m_state.mlBackColor));
    m_image = std::move(fresh);
    m_picGameRpt->setBackColor(qcolor(m_state.mlBackColor));
    m_picGameRpt->update();
    if (!m_state.mbDrawReady)
        return;

    m_drawing = true;
    const QPointer<GraphPicture> picture = m_picGameRpt;
    try {
        PainterTarget target(m_image);
        DrawGraph(
            m_state, target, qint32(pixelsToTwips(size.width())),
            qint32(pixelsToTwips(size.height())), true,
            [picture] {
                // Show what is drawn so far, and let the user go on meanwhile.
                if (picture)
                    picture->update();
                QCoreApplication::processEvents();
            },
            graphSource());
    } catch (const std::exception &) {
        // What was drawn before the failure stays; the next request draws anew.
    }
    m_drawing = false;
    if (picture)
        picture->update();
}

bool frmGraph::trGraphPrint(QPrinter &printer)
{
    return PrintResultsAndGraph(printer, m_state, graphSource());
}

void frmGraph::trRegSave()
{
    if (m_miGraphWidth == 0)
        return;
    SetParamValue(QStringLiteral("GraphWidth"), QVariant::fromValue<qint16>(m_miGraphWidth));
    SetParamValue(QStringLiteral("GraphHeight"), QVariant::fromValue<qint16>(m_miGraphHeight));
    SetParamValue(QStringLiteral("GraphDisp"), QVariant::fromValue<qint16>(m_state.miGraphDisp));
}

} // namespace norva

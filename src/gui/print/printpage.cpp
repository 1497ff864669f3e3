#include "gui/print/printpage.h"

#include "core/calc/printresults.h"
#include "core/common/convert.h"
#include "core/graph/drawgraph.h"
#include "gui/print/painterprintsurface.h"
#include "gui/print/paintertarget.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QScreen>
#include <cmath>
#include <exception>

namespace norva {

namespace {

// The graph's image is drawn at no more than this resolution (dots per inch):
// enough for print, and a page-sized image stays a few megabytes.
constexpr double MaxGraphDpi = 300;

// A pixel of draw width on paper is about as wide as this fraction of an inch,
// so that thin lines stay visible when printed.
constexpr double PrintedPixelDpi = 150;

// The graph's labels and legend stand up to one bottom margin below its area.
constexpr int GraphBelow = 150 + 15;

} // namespace

void printGraph(QPainter &painter, GraphState &state, qint32 width, qint32 height,
                const GraphSource &source)
{
    if (!state.drawReady)
        return; // the graph window has not been loaded: no graph
    const QRect area(0, 0, width, height + GraphBelow);
    const QRectF onDevice = painter.combinedTransform().mapRect(QRectF(area));
    const double deviceDpi = painter.device()->logicalDpiY();
    const double factor = deviceDpi > MaxGraphDpi ? MaxGraphDpi / deviceDpi : 1.0;
    const QSize size(qMax(1, int(std::ceil(onDevice.width() * factor))),
                     qMax(1, int(std::ceil(onDevice.height() * factor))));

    QImage image(size, QImage::Format_RGB32);
    const int dotsPerMeter = qRound(deviceDpi * factor / 0.0254);
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    image.fill(Qt::white);
    {
        QPainter imagePainter(&image);
        imagePainter.setWindow(area);
        PainterTarget target(imagePainter);
        target.setPixelScale(qRound(deviceDpi * factor / PrintedPixelDpi));
        drawGraph(state, target, width, height, false, source);
    }

    // The paper shows through where nothing was drawn.
    QImage overlay = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < overlay.height(); ++y) {
        auto *row = reinterpret_cast<QRgb *>(overlay.scanLine(y));
        for (int x = 0; x < overlay.width(); ++x) {
            if (row[x] == 0xFFFFFFFFu)
                row[x] = qRgba(255, 255, 255, 0);
        }
    }
    // Kept lossless: thin lines in a JPEG would blur.
    painter.save();
    painter.setRenderHint(QPainter::LosslessImageRendering);
    painter.drawImage(QRectF(area), overlay);
    painter.restore();
}

bool printResultsAndGraph(QPagedPaintDevice &device, GraphState &state,
                          const QList<PrintLine> &lines, const GraphSource &source,
                          QSize screenPixels)
{
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    const double screenWidth = screenPixels.width() * 15.0;
    const double screenHeight = screenPixels.height() * 15.0;
    painter.setWindow(
        QRect(0, -toInt32(screenHeight / 8), toInt32(screenWidth), toInt32(screenHeight)));

    {
        PainterPrintSurface surface(painter);
        printResults(surface, lines, screenWidth); // a failure leaves the lines printed so far
    }

    bool ok = true;
    try {
        printGraph(painter, state, toInt32(screenWidth * 3 / 4), toInt32(screenHeight * 3 / 4),
                   source);
    } catch (const std::exception &) {
        ok = false;
    }
    return painter.end() && ok;
}

bool printResultsAndGraph(QPagedPaintDevice &device, GraphState &state,
                          const QList<PrintLine> &lines, const GraphSource &source)
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QSize screenPixels = screen ? screen->size() : QSize(1024, 768);
    return printResultsAndGraph(device, state, lines, source, screenPixels);
}

QByteArray pdfLike(const QPrinter &printer,
                   const std::function<bool(QPagedPaintDevice &page)> &paint)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&buffer);
        pdf.setPageLayout(printer.pageLayout());
        pdf.setResolution(printer.resolution());
        pdf.setPdfVersion(printer.pdfVersion());
        pdf.setTitle(printer.docName());
        pdf.setCreator(printer.creator());
        if (!paint(pdf))
            return {};
    }
    return buffer.data();
}

} // namespace norva

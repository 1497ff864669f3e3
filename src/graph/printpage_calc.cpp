#include "printpage.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>

#include <exception>

namespace norva {

bool PrintResultsAndGraph(QPrinter &printer, GraphState &state, const GraphSource &source)
{
    QList<PrintLine> lines;
    try {
        lines = ResultsPrintLines();
    } catch (const std::exception &) {
        // The column stays empty; the graph is still printed.
    }
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QSize screenPixels = screen ? screen->size() : QSize(1024, 768);
    return PrintResultsAndGraph(printer, state, lines, source, screenPixels,
                                [] { QCoreApplication::processEvents(); });
}

} // namespace norva

#pragma once

#include "core/calc/resultsreport.h"
#include "core/graph/graphsource.h"
#include "core/graph/graphstate.h"

#include <QPrinter>
#include <QSize>

#include <functional>

namespace norva {

// Prints one page: the page's coordinate system spans the screen (in twips)
// with its origin one eighth of the page height below the top edge; the
// results column stands from three quarters of the width rightwards and the
// graph (with its legend) in the left three quarters. The document is ended
// afterwards. The device (a printer, a PDF file) has been set up (format,
// output, copies) by the caller. The page is drawn in one go: no window event
// runs meanwhile, so nothing can close what the drawing works on.
//
// A results column that fails part-way keeps its printed lines and the graph
// is still drawn. False when the printer could not be started, the graph
// failed (the page still carries what was printed) or the document could not
// be ended.
bool printResultsAndGraph(QPagedPaintDevice &device, GraphState &state,
                          const QList<PrintLine> &lines, const GraphSource &source,
                          QSize screenPixels);

// The same on the primary screen's size.
bool printResultsAndGraph(QPagedPaintDevice &device, GraphState &state,
                          const QList<PrintLine> &lines, const GraphSource &source);

// Draws the graph into the area (0, 0)-(width, height) of the painter's units,
// plus the legend below it when printing. The graph is drawn into an image
// that goes onto the page, so that overlapping graphs combine by AND as they
// do on screen (a printer ignores that draw mode). Errors of drawGraph reach
// the caller.
void printGraph(QPainter &painter, GraphState &state, qint32 width, qint32 height,
                const GraphSource &source);

// A PDF file made in memory, its page laid out as printer's (size,
// orientation, margins, resolution, title), its content drawn by paint: the
// bytes of the file, or empty when paint returns false. A file on the disk is
// then written as a whole, where every write is checked.
QByteArray pdfLike(const QPrinter &printer,
                   const std::function<bool(QPagedPaintDevice &page)> &paint);

} // namespace norva

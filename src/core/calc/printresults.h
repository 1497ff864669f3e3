#pragma once

#include "core/calc/resultsreport.h"

#include <QList>
#include <QString>

namespace norva {

// A page that takes lines of text: the printer, or a recording in tests.
// Positions are in the page's own units.
class PrintSurface
{
public:
    virtual ~PrintSurface() = default;
    virtual void setFontName(const QString &name) = 0;
    virtual void setFontSize(double points) = 0;
    // The height of text in the current font.
    virtual double textHeight(const QString &text) = 0;
    virtual double currentX() const = 0;
    virtual double currentY() const = 0;
    virtual void setCurrentX(double x) = 0;
    virtual void setCurrentY(double y) = 0;
    // Writes text with its top-left corner at the current position, then moves
    // to the start of the next line: x to the page's left edge, y down by the
    // height of one line of text.
    virtual void printLine(const QString &text) = 0;
};

// Prints the results column in 9-point "ＭＳ ゴシック" from x = three quarters of
// the screen width (the graph's right edge on the page) and y = 10: each line at
// that x, each gap as the height of "0". Neither starts nor ends a page.
// False, without any message, when a step fails; the lines printed up to there
// stay on the page.
bool printResults(PrintSurface &surface, const QList<PrintLine> &lines, double screenWidthTwips);

} // namespace norva

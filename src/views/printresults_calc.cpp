#include "printresults.h"

#include <exception>

namespace norva {

bool PrintResults(PrintSurface &surface, double screenWidthTwips)
{
    QList<PrintLine> lines;
    try {
        lines = ResultsPrintLines();
    } catch (const std::exception &) {
        return false;
    }
    return PrintResults(surface, lines, screenWidthTwips);
}

} // namespace norva

#include "core/calc/printresults.h"

#include "core/common/convert.h"

namespace norva {

bool printResults(PrintSurface &surface, const QList<PrintLine> &lines, double screenWidthTwips)
{
    try {
        // Setting another size first makes the printer take up the new face.
        surface.setFontSize(8);
        surface.setFontName(QStringLiteral("ＭＳ ゴシック"));
        surface.setFontSize(9);
        const qint32 h = toInt32(surface.textHeight(QStringLiteral("0")));
        const qint32 x0 = toInt32(screenWidthTwips * 3 / 4);
        surface.setCurrentX(x0);
        surface.setCurrentY(10);
        for (const PrintLine &line : lines) {
            if (line.gap) {
                surface.setCurrentY(surface.currentY() + h);
                continue;
            }
            surface.setCurrentX(x0);
            surface.printLine(line.text);
        }
        return true;
    } catch (const std::exception &) {
        return false;
    }
}

} // namespace norva

#include "core/graph/graphstate.h"

#include "core/graph/colorstring.h"

namespace norva {

GraphState::GraphState()
{
    readColors(Settings());
}

void GraphState::readColors(const Settings &settings)
{
    foreColor = colorFromString(settings.graphColor(Settings::GraphFore));
    backColor = colorFromString(settings.graphColor(Settings::GraphBack));
    scoreColor = colorFromString(settings.graphColor(Settings::GraphPoint));
    rankColor = colorFromString(settings.graphColor(Settings::GraphRank));
    hanColor = colorFromString(settings.graphColor(Settings::GraphPart));
    ratingColor = colorFromString(settings.graphColor(Settings::GraphFlowR));
    totalColor = colorFromString(settings.graphColor(Settings::GraphFlowPnt));
}

} // namespace norva

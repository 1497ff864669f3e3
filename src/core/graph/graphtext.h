#pragma once

#include "core/graph/graphsource.h"
#include "core/graph/graphstate.h"

#include <QString>

namespace norva {

// What the graph shows, in words, for screen readers: each selected graph
// with its highest and lowest value ("得点 最高 30 最低 -20", the han classes
// with the most and the fewest wins), as drawGraph draws them (the per-game
// graphs from two games on). Errors of the source reach the caller.
QString describeGraph(const GraphState &state, const GraphSource &source);

} // namespace norva

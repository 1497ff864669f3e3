#pragma once

#include "core/graph/drawtarget.h"
#include "core/graph/graphsource.h"
#include "core/graph/graphstate.h"

namespace norva {

// Draws the selected graphs of source's figures over whatever the target
// already shows (the caller clears the picture or starts the page): the axis,
// when printing (screen false) the legend below the plot, then the han bars and
// the score, rank, rating and running total graphs in that order. width and
// height give the drawing area in the target's units.
//
// Nothing is drawn unless state.drawReady is true; it is false while the
// drawing runs and true again afterwards, also when the drawing fails. The
// drawing runs in one go (milliseconds, also for years of games): no window
// event runs in between, so none can close or change what it draws on.
//
// Errors raised by the target or the source end the drawing and reach the
// caller (an Error of kind Overflow when a count or coordinate leaves its width).
void drawGraph(GraphState &state, DrawTarget &target, qint32 width, qint32 height, bool screen,
               const GraphSource &source);

} // namespace norva

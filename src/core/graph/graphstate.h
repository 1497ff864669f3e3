#pragma once

#include "core/graph/drawtarget.h"
#include "core/settings/settings.h"

namespace norva {

// The graph window's drawing state. One object lives as long as the program:
// closing the window keeps the colours and the selection for the next drawing
// and for printing.
struct GraphState
{
    // Bits of shownGraphs, one per graph.
    enum Graph : qint16 {
        ScoreGraph = 1,
        RankGraph = 2,
        HanGraph = 4,
        RatingGraph = 8,
        TotalGraph = 16,
        AllGraphs = 31,
    };

    // The colours start as the settings' defaults; the window reads the
    // settings over them when it is loaded.
    GraphState();
    // The seven colours as settings holds them.
    void readColors(const Settings &settings);

    Color foreColor;
    Color backColor;
    Color scoreColor;
    Color rankColor;
    Color hanColor;
    Color ratingColor;
    Color totalColor;

    // The graphs drawn.
    qint16 shownGraphs = AllGraphs;
    // Drawing is permitted only while this is true: it is false until the
    // window has been loaded, and during a drawing.
    bool drawReady = false;
};

} // namespace norva

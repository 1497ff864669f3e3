#pragma once

#include "drawtarget.h"

namespace norva {

// The graph window's drawing state. One object lives as long as the program:
// closing the window keeps the colours and the selection for the next drawing
// and for printing.
struct GraphState
{
    // Bits of miGraphDisp, one per graph.
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
    Color mlForeColor = makeColor(0, 0, 0);
    Color mlBackColor = makeColor(255, 255, 255);
    Color mlPointColor = makeColor(255, 0, 0);
    Color mlRankColor = makeColor(255, 128, 64);
    Color mlPartColor = makeColor(0, 128, 0);
    Color mlFlowRColor = makeColor(0, 128, 255);
    Color mlFlowPntColor = makeColor(128, 0, 128);

    // The graphs drawn.
    qint16 miGraphDisp = AllGraphs;
    // Drawing is permitted only while this is true: it is false until the
    // window has been loaded, and during a drawing.
    bool mbDrawReady = false;
};

} // namespace norva

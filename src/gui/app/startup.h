#pragma once

namespace norva {

// Requests for the Japanese fonts of the design find the IPA fonts.
void installFontSubstitutions();

// The start procedure: creates the main window, reads the settings and the
// table definitions, sizes, loads and shows the main window, and lets the
// termination signals close it through its exit path. False when the
// program was told to end before its main window came up.
bool startProgram();

} // namespace norva

#pragma once

#include "core/common/fileops.h"

#include <functional>

namespace norva {

// From here on SIGTERM, SIGINT and SIGHUP are held (the flag below set, a
// byte written to a socket pair) until installExitSignalHandlers hands them to
// the event loop: a signal that arrives while the program starts is handled as
// soon as the loop runs. Needs no application object: the program's first step.
void holdExitSignals();
// Turns the three signals into a call of onSignal on the user-interface thread
// (a logout or a kill then leaves through the normal exit path, which writes
// the settings). The handler itself only writes a byte to a socket pair; the
// event loop reads it. Installing again replaces onSignal.
void installExitSignalHandlers(std::function<void()> onSignal);
// Set once a signal has arrived (the program is then on its way out): a
// calculation under way stops on it. Installing the handlers clears it, unless
// a signal held since the start still waits.
const CancelFlag *exitRequestedFlag();
// Restores the default handling of the three signals.
void removeExitSignalHandlers();

// A write to a pipe that nobody reads any more fails (EPIPE) instead of
// ending the process: a program that streams its output ends on its own terms.
void ignoreBrokenPipe();

} // namespace norva

#pragma once

#include "core/common/fileops.h"

#include <functional>

namespace norva {

// Turns SIGTERM, SIGINT and SIGHUP into a call of onSignal on the user-interface
// thread (a logout or a kill then leaves through the normal exit path, which
// writes the settings). The handler itself only writes a byte to a socket pair;
// the event loop reads it. Installing again replaces onSignal.
void installExitSignalHandlers(std::function<void()> onSignal);
// Set once a signal has arrived (the program is then on its way out): a
// calculation under way stops on it. Installing the handlers clears it.
const CancelFlag *exitRequestedFlag();
// Restores the default handling of the three signals.
void removeExitSignalHandlers();

// A write to a pipe that nobody reads any more fails (EPIPE) instead of
// ending the process: a program that streams its output ends on its own terms.
void ignoreBrokenPipe();

// While an instance lives, a signal's call waits: long work that lets pending
// events run (graph drawing) must not have its windows closed under it.
class ExitSignalDeferral
{
public:
    ExitSignalDeferral();
    ~ExitSignalDeferral();
    ExitSignalDeferral(const ExitSignalDeferral &) = delete;
    ExitSignalDeferral &operator=(const ExitSignalDeferral &) = delete;

    static bool active();
};

} // namespace norva

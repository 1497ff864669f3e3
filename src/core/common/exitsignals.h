#pragma once

#include "core/common/fileops.h"

#include <functional>

namespace norva {

// Catches SIGTERM, SIGINT and SIGHUP from now on, on the calling thread (the
// user-interface thread): the program's main() calls it first, before the
// application object exists (a slow first start builds the font cache for
// seconds). A signal caught sets exitRequestedFlag() and waits until
// installExitSignalHandlers gives it somewhere to go.
void catchExitSignals();
// Turns the three signals into a call of onSignal on the user-interface thread
// (a logout or a kill then leaves through the normal exit path, which writes
// the settings); one caught before is delivered once the event loop runs. The
// handler itself only writes a byte to a socket pair; the event loop reads it.
// Installing again replaces onSignal.
void installExitSignalHandlers(std::function<void()> onSignal);
// Set once a signal has arrived (the program is then on its way out): a
// calculation under way stops on it. Installing the handlers clears it, unless
// a signal caught before still waits.
const CancelFlag *exitRequestedFlag();
// Restores the default handling of the three signals.
void removeExitSignalHandlers();

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

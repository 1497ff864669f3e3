#include "core/common/exitsignals.h"

#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <pthread.h>
#include <sys/socket.h>
#include <unistd.h>

namespace norva {

namespace {

int g_fds[2] = {-1, -1};
int g_deferrals = 0;
// The thread that runs the event loop and every calculation.
pthread_t g_mainThread;
CancelFlag g_exitRequested{false};

constexpr int Signals[] = {SIGTERM, SIGINT, SIGHUP};

struct State
{
    std::function<void()> onSignal;
    QSocketNotifier *notifier = nullptr;
    bool pending = false;
};

State &state()
{
    static State s;
    return s;
}

extern "C" void onExitSignal(int sig)
{
    const int saved = errno;
    // A long calculation looks at the flag while it reads; a read that waits
    // in the system returns once the signal has interrupted it, which needs
    // the signal on the thread that reads: another thread passes it on.
    g_exitRequested.store(true, std::memory_order_relaxed);
    if (!pthread_equal(pthread_self(), g_mainThread)) {
        ::pthread_kill(g_mainThread, sig);
    } else {
        const char byte = 1;
        // A full socket already holds a wake-up; losing this byte loses nothing.
        [[maybe_unused]] const ssize_t n = ::write(g_fds[0], &byte, 1);
    }
    errno = saved;
}

void deliver()
{
    State &s = state();
    if (!s.pending)
        return;
    if (ExitSignalDeferral::active()) {
        QTimer::singleShot(100, s.notifier, [] { deliver(); });
        return;
    }
    s.pending = false;
    if (s.onSignal)
        s.onSignal();
}

void drain()
{
    char buf[64];
    while (::read(g_fds[1], buf, sizeof buf) > 0) {
    }
    state().pending = true;
    deliver();
}

} // namespace

void installExitSignalHandlers(std::function<void()> onSignal)
{
    State &s = state();
    s.onSignal = std::move(onSignal);
    g_exitRequested.store(false, std::memory_order_relaxed);
    if (g_fds[0] < 0) {
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, g_fds) != 0)
            return;
    }
    if (!s.notifier) {
        s.notifier = new QSocketNotifier(g_fds[1], QSocketNotifier::Read);
        QObject::connect(s.notifier, &QSocketNotifier::activated, s.notifier, [] { drain(); });
    }
    g_mainThread = pthread_self();
    struct sigaction sa = {};
    sa.sa_handler = onExitSignal;
    sigemptyset(&sa.sa_mask);
    // No SA_RESTART: a read of the score log that waits returns, so that the
    // calculation can give up.
    sa.sa_flags = 0;
    for (int sig : Signals)
        ::sigaction(sig, &sa, nullptr);
}

const CancelFlag *exitRequestedFlag()
{
    return &g_exitRequested;
}

void removeExitSignalHandlers()
{
    struct sigaction sa = {};
    sa.sa_handler = SIG_DFL;
    sigemptyset(&sa.sa_mask);
    for (int sig : Signals)
        ::sigaction(sig, &sa, nullptr);
    State &s = state();
    s.onSignal = nullptr;
    s.pending = false;
    g_exitRequested.store(false, std::memory_order_relaxed);
    delete s.notifier;
    s.notifier = nullptr;
}

void ignoreBrokenPipe()
{
    ::signal(SIGPIPE, SIG_IGN);
}

ExitSignalDeferral::ExitSignalDeferral()
{
    ++g_deferrals;
}

ExitSignalDeferral::~ExitSignalDeferral()
{
    --g_deferrals;
}

bool ExitSignalDeferral::active()
{
    return g_deferrals > 0;
}

} // namespace norva

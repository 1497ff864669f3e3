#include "core/common/exitsignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <pthread.h>
#include <sys/socket.h>
#include <unistd.h>

namespace norva {

namespace {

int g_fds[2] = {-1, -1};
// The thread that runs the event loop and every calculation.
pthread_t g_mainThread;
CancelFlag g_exitRequested{false};

constexpr int Signals[] = {SIGTERM, SIGINT, SIGHUP};

struct State
{
    std::function<void()> onSignal;
    QSocketNotifier *notifier = nullptr;
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

void drain()
{
    char buf[64];
    while (::read(g_fds[1], buf, sizeof buf) > 0) {
    }
    State &s = state();
    if (s.onSignal)
        s.onSignal();
}

} // namespace

void holdExitSignals()
{
    if (g_fds[0] < 0
        && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, g_fds) != 0)
        return;
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

void installExitSignalHandlers(std::function<void()> onSignal)
{
    State &s = state();
    s.onSignal = std::move(onSignal);
    holdExitSignals();
    if (g_fds[1] < 0)
        return;
    // A flag left from an earlier run of the handlers goes; a signal that
    // still waits in the socket stays.
    char byte;
    if (::recv(g_fds[1], &byte, 1, MSG_PEEK | MSG_DONTWAIT) != 1)
        g_exitRequested.store(false, std::memory_order_relaxed);
    if (!s.notifier) {
        s.notifier = new QSocketNotifier(g_fds[1], QSocketNotifier::Read);
        QObject::connect(s.notifier, &QSocketNotifier::activated, s.notifier, [] { drain(); });
    }
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
    g_exitRequested.store(false, std::memory_order_relaxed);
    delete s.notifier;
    s.notifier = nullptr;
}

void ignoreBrokenPipe()
{
    ::signal(SIGPIPE, SIG_IGN);
}

} // namespace norva

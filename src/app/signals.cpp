#include "signals.h"

#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace norva {

namespace {

int g_fds[2] = {-1, -1};
int g_deferrals = 0;

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

extern "C" void onExitSignal(int)
{
    const int saved = errno;
    const char byte = 1;
    // A full socket already holds a wake-up; losing this byte loses nothing.
    [[maybe_unused]] const ssize_t n = ::write(g_fds[0], &byte, 1);
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
    if (g_fds[0] < 0) {
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, g_fds) != 0)
            return;
    }
    if (!s.notifier) {
        s.notifier = new QSocketNotifier(g_fds[1], QSocketNotifier::Read);
        QObject::connect(s.notifier, &QSocketNotifier::activated, s.notifier, [] { drain(); });
    }
    struct sigaction sa = {};
    sa.sa_handler = onExitSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int sig : Signals)
        ::sigaction(sig, &sa, nullptr);
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
    delete s.notifier;
    s.notifier = nullptr;
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

// Turns termination signals into an orderly exit on the user-interface thread.
#include "app/TerminationSignals.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace TerminationSignals {

#ifdef Q_OS_UNIX
namespace {
int g_pipe[2] = {-1, -1};

// Only async-signal-safe work here: one byte into the pipe wakes the event loop.
void onSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
}
} // namespace

void install(std::function<void()> leave) {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_pipe) != 0)
        return;
    auto* notifier =
        new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [leave] {
        char byte = 0;
        [[maybe_unused]] const ssize_t read = ::read(g_pipe[0], &byte, 1);
        leave();
    });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signal, &action, nullptr);
}
#else
void install(std::function<void()>) {
}
#endif

} // namespace TerminationSignals

#include "app/termination_signal_watcher.hpp"

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>

namespace clicktrove {

namespace {
int pipeFds[2] = {-1, -1};

void onSignal(int) {
    // The interrupted code may be about to read errno; the write must not change it under that code.
    const int savedErrno = errno;
    const char byte = 1;
    // Nothing to do on failure: the pipe is full only when a request is already pending.
    [[maybe_unused]] const ssize_t n = ::write(pipeFds[1], &byte, 1);
    errno = savedErrno;
}
}  // namespace

TerminationSignalWatcher::TerminationSignalWatcher(QObject* parent) : QObject(parent) {
    if (pipeFds[0] < 0 && ::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) return;
    notifier_ = std::make_unique<QSocketNotifier>(pipeFds[0], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [this] {
        char buffer[16];
        while (::read(pipeFds[0], buffer, sizeof buffer) > 0) {
        }
        emit terminationRequested();
    });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int sig : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(sig, &action, nullptr);
}

TerminationSignalWatcher::~TerminationSignalWatcher() {
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    for (const int sig : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(sig, &action, nullptr);
}

}  // namespace clicktrove

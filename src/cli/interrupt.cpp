#include "cli/interrupt.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <csignal>
#include <cstdio>
#include <cstdlib>

namespace nesmo::cli {

namespace {

int pipeFds[2] = {-1, -1};
volatile std::sig_atomic_t signalled = 0;  // the signal's number
std::function<void()> action;

void onSignal(int signo)
{
    signalled = signo;
    // The next one is not caught: a second Ctrl-C ends the process.
    std::signal(signo, SIG_DFL);
    const char byte = 1;
    [[maybe_unused]] const auto n = ::write(pipeFds[1], &byte, 1);
}

}  // namespace

void InterruptWatch::install()
{
    if (pipeFds[0] >= 0 || ::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) return;
    auto* notifier = new QSocketNotifier(pipeFds[0], QSocketNotifier::Read);
    QObject::connect(notifier, &QSocketNotifier::activated, [notifier] {
        char buf[16];
        while (::read(pipeFds[0], buf, sizeof buf) > 0) {
        }
        notifier->setEnabled(false);
        if (!action) InterruptWatch::endBySignal();  // nothing running keeps what arrived
        action();
    });
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &sa, nullptr);
    ::sigaction(SIGTERM, &sa, nullptr);
}

void InterruptWatch::onInterrupt(std::function<void()> f)
{
    action = std::move(f);
}

bool InterruptWatch::interrupted()
{
    return signalled != 0;
}

void InterruptWatch::endBySignal()
{
    const int signo = signalled;
    if (signo == 0) return;
    std::fflush(stdout);
    std::fflush(stderr);
    std::signal(signo, SIG_DFL);
    std::raise(signo);
    std::_Exit(128 + signo);  // only if the signal is blocked
}

}  // namespace nesmo::cli

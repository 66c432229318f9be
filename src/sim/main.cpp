// nesmo7-sim: a simulated Nesmo-7 on a pseudo-terminal and/or a TCP port.
#include <QCoreApplication>
#include <QSocketNotifier>

#include <sys/socket.h>
#include <unistd.h>
#include <csignal>
#include <cstdio>

#include "sim/sim_options.h"
#include "sim/simulator.h"

namespace {

int g_signalPipe[2] = {-1, -1};

void onSignal(int number)
{
    const char byte = char(number);
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &byte, 1);
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("nesmo7-sim");

    nesmo::sim::SimOptions options;
    QString message;
    switch (nesmo::sim::parseOptions(QCoreApplication::arguments(), options, message)) {
        case nesmo::sim::ParseOutcome::Help:
            std::fputs(message.toLocal8Bit().constData(), stdout);
            return 0;
        case nesmo::sim::ParseOutcome::Error:
            std::fprintf(stderr, "nesmo7-sim: %s\nTry --help.\n",
                         message.toLocal8Bit().constData());
            return 2;
        case nesmo::sim::ParseOutcome::Run: break;
    }

    // Signals reach the event loop through a socket pair, so that the
    // simulator ends cleanly (the link to the pseudo-terminal is removed).
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPipe) != 0) {
        std::perror("nesmo7-sim: socketpair");
        return 1;
    }
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int s : {SIGTERM, SIGINT, SIGHUP, SIGUSR1})
        ::sigaction(s, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    nesmo::sim::Simulator simulator(options);
    QSocketNotifier signalNotifier(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app, [&simulator] {
        char byte = 0;
        if (::read(g_signalPipe[0], &byte, 1) != 1) return;
        if (byte == SIGUSR1) {
            simulator.noiseBurst();
        } else {
            QCoreApplication::quit();
        }
    });

    QString error;
    if (!simulator.start(error)) {
        std::fprintf(stderr, "nesmo7-sim: %s\n", error.toLocal8Bit().constData());
        return 1;
    }
    return app.exec();
}

#include <QCoreApplication>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "cli/commands.h"
#include "cli/interrupt.h"

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("nesmo7-cli"));
    using namespace nesmo::cli;

    Options options;
    QString out, error;
    const int parsed = parseArguments(app.arguments().mid(1), options, out, error);
    if (!out.isEmpty()) {
        std::fputs(out.toUtf8().constData(), stdout);
        if (std::fflush(stdout) != 0) {
            std::fprintf(stderr, "nesmo7-cli: cannot write to standard output: %s\n",
                         std::strerror(errno));
            return kNotWritable;
        }
        return kDone;
    }
    if (parsed != kDone) {
        std::fprintf(stderr, "nesmo7-cli: %s\nTry 'nesmo7-cli --help'.\n",
                     error.toUtf8().constData());
        return parsed;
    }
    InterruptWatch::install();
    int code = kDone;
    if (options.command == QLatin1String("ports"))
        code = runPorts(options);
    else if (options.command == QLatin1String("info"))
        code = runInfo(options);
    else if (options.command == QLatin1String("tags"))
        code = runTags(options);
    else if (options.command == QLatin1String("config"))
        code = runConfig(options);
    else
        code = runDownload(options);
    // What was kept is on disk: end as the signal would have, so that a shell
    // loop around the tool stops as well.
    InterruptWatch::endBySignal();
    // Results that did not reach standard output (a full disk, /dev/full) are
    // no success.
    int failed = standardOutputError();
    if (failed == 0 && std::fflush(stdout) != 0) failed = errno;
    if (failed != 0) {
        std::fprintf(stderr, "nesmo7-cli: cannot write to standard output: %s\n",
                     std::strerror(failed));
        return code == kDone ? kNotWritable : code;
    }
    return code;
}

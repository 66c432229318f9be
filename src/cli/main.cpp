#include <QCoreApplication>
#include <cstdio>

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
        return kDone;
    }
    if (parsed != kDone) {
        std::fprintf(stderr, "nesmo7-cli: %s\nTry 'nesmo7-cli --help'.\n",
                     error.toUtf8().constData());
        return parsed;
    }
    InterruptWatch::install();
    if (options.command == QLatin1String("ports")) return runPorts(options);
    if (options.command == QLatin1String("info")) return runInfo(options);
    if (options.command == QLatin1String("tags")) return runTags(options);
    if (options.command == QLatin1String("config")) return runConfig(options);
    return runDownload(options);
}

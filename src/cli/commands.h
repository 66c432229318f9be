#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "cli/session.h"

namespace nesmo::cli {

// A command line once read.
struct Options {
    QString command;  // ports, info, tags, download
    Target target;
    bool json = false;
    bool quiet = false;
    bool progress = false;  // progress on standard error (a terminal, not --quiet)
    QString output;         // -o: a folder, or for one tag a file name
    bool all = false;
    bool skipExisting = false;
    bool force = false;  // a download replaces an existing file
    bool csv = false;    // each downloaded tag also as CSV
    QList<int> tags;
};

// The errno of the first write to standard output that failed; 0 when all went out.
int standardOutputError();

// The help text, with the exit codes; and one command's, with its options.
QString helpText();
QString commandHelpText(const QString& command);

// Reads the arguments (without the program name); a usage error gives kUsage and
// says why in `error`; --help and --version give kDone with their text in `out`.
int parseArguments(const QStringList& arguments, Options& options, QString& out, QString& error);

// Each command writes its results to standard output and what went wrong to
// standard error, and returns the exit code.
int runPorts(const Options& o);
int runInfo(const Options& o);
int runTags(const Options& o);
int runConfig(const Options& o);
int runDownload(const Options& o);

}  // namespace nesmo::cli

#pragma once

#include <QString>
#include <QStringList>

#include "sim/endpoint.h"
#include "sim/instrument.h"

namespace nesmo::sim {

// Everything the command line of nesmo7-sim sets.
struct SimOptions {
    QString ptyPath;   // --pty: where the link to the slave device goes
    int tcpPort = -1;  // --tcp: port on 127.0.0.1, 0 = any, -1 = no TCP
    InstrumentSetup instrument;
    OutputShape shape;
    bool silent = false;         // never answer
    bool promptOnBlank = false;  // answer a bare CR with the prompt
    bool noise = false;          // send random bytes now and then between replies
    int noiseIntervalMs = 4000;
    quint64 seed = 7;     // of the noise
    int dropAfter = 0;    // close the link after this many commands, 0 = never
    int cutTransfer = 0;  // cut the line once this many firmware records came, 0 = never
    QString logPath;      // append every received byte here
};

enum class ParseOutcome { Run, Help, Error };

// Reads the arguments (the program name first). On Error, message says what
// is wrong; on Help, message holds the usage text.
ParseOutcome parseOptions(const QStringList& arguments, SimOptions& options, QString& message);

}  // namespace nesmo::sim

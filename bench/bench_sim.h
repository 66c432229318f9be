#pragma once

// nesmo7-sim as a child process for the benchmark programs (NESMO_SIM_PATH is set
// by the build), running until the object goes.

#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <cstdio>
#include <cstdlib>

namespace nesmo::bench {

class Simulator {
public:
    explicit Simulator(const QStringList& args)
    {
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        // A benchmark that gives up (exit) takes its simulator with it.
        process_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
        process_.start(QStringLiteral(NESMO_SIM_PATH), args);
        if (!process_.waitForStarted(5000)) fail("nesmo7-sim did not start");
        QByteArray line;
        while (!line.startsWith("ready")) {
            if (!process_.canReadLine() && !process_.waitForReadyRead(10000))
                fail("nesmo7-sim did not report ready");
            line = process_.readLine().trimmed();
        }
        const QList<QByteArray> words = line.split(' ');
        const qsizetype tcp = words.indexOf("tcp");
        if (tcp >= 0 && tcp + 1 < words.size()) tcpPort_ = words[tcp + 1].toUShort();
    }
    ~Simulator()
    {
        process_.terminate();
        if (!process_.waitForFinished(3000)) process_.kill();
        process_.waitForFinished(3000);
    }

    // The TCP port from "ready ... tcp <port>"; 0 without one.
    quint16 tcpPort() const { return tcpPort_; }

    // The simulator's processor time so far, in milliseconds (the scheduler's
    // nanosecond count where the system keeps one, else clock ticks).
    double cpuMs() const
    {
        QFile schedstat(QStringLiteral("/proc/%1/schedstat").arg(process_.processId()));
        if (schedstat.open(QIODevice::ReadOnly)) {
            bool ok = false;
            const double ns = schedstat.readAll().split(' ').value(0).toDouble(&ok);
            if (ok) return ns / 1e6;
        }
        QFile stat(QStringLiteral("/proc/%1/stat").arg(process_.processId()));
        if (!stat.open(QIODevice::ReadOnly)) return 0.0;
        const QByteArray text = stat.readAll();
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        if (fields.size() < 13) return 0.0;
        const double ticks = fields[11].toDouble() + fields[12].toDouble();  // utime, stime
        return ticks * 1000.0 / double(sysconf(_SC_CLK_TCK));
    }

private:
    [[noreturn]] static void fail(const char* what)
    {
        std::fprintf(stderr, "%s\n", what);
        std::exit(1);
    }

    QProcess process_;
    quint16 tcpPort_ = 0;
};

}  // namespace nesmo::bench

#pragma once

// Small helpers shared by the benchmark programs: a window interface that does
// nothing, order statistics and the summary lines every program prints.

#include <sys/resource.h>

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "core/instrument_view.h"

namespace nesmo::bench {

// The windows, reduced to nothing: what is measured is the link and the reply
// interpreter, not a recording of their effects.
class NullView final : public InstrumentView {
public:
    void setText(Control, const QString&) override {}
    QString text(Control) const override { return {}; }
    void setVisible(Control, bool) override {}
    void setEnabled(Control, bool) override {}
    void clearDataText() override {}
    void showDataTextPage() override {}
    void setDataText(const QByteArray&) override {}
    void setDataStatus(int, const QString&) override {}
    void startDownloadProgress(int) override {}
    void stepDownloadProgress(QByteArrayView) override {}
    void hideDownloadProgress() override {}
    void endReformatAnimation() override {}
    void postMessage(const QString& t) override { lastMessage = t; }

    QString lastMessage;
};

// The q-quantile (0..1) of the values, nearest rank; 0 when there are none.
inline double quantile(std::vector<double> v, double q)
{
    if (v.empty()) return 0.0;
    std::sort(v.begin(), v.end());
    const auto rank = static_cast<size_t>(std::ceil(q * static_cast<double>(v.size())));
    return v[std::clamp<size_t>(rank, 1, v.size()) - 1];
}

inline double median(const std::vector<double>& v)
{
    return quantile(v, 0.5);
}

// "name: value unit (goal >= x unit: ok)". Returns whether the goal is met.
inline bool summaryAtLeast(const char* name, double value, const char* unit, double goal)
{
    const bool ok = value >= goal;
    std::printf("%-44s %14.1f %-10s goal >= %.0f %s: %s\n", name, value, unit, goal, unit,
                ok ? "met" : "NOT MET");
    return ok;
}

inline bool summaryAtMost(const char* name, double value, const char* unit, double goal)
{
    const bool ok = value <= goal;
    std::printf("%-44s %14.3f %-10s goal <= %.0f %s: %s\n", name, value, unit, goal, unit,
                ok ? "met" : "NOT MET");
    return ok;
}

// The process's peak resident memory (VmHWM) in kB; 0 when it cannot be read.
inline long peakRssKb()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& l : f.readAll().split('\n'))
        if (l.startsWith("VmHWM:")) return l.mid(6).trimmed().split(' ').value(0).toLong();
    return 0;
}

// The commands of a simulator's log, one per CR (a bare CR is a command of its own).
inline QList<QByteArray> commandsOf(const QByteArray& log)
{
    QList<QByteArray> out;
    qsizetype start = 0;
    for (qsizetype i = 0; i < log.size(); ++i)
        if (log[i] == '\r') {
            out << log.mid(start, i - start + 1);
            start = i + 1;
        }
    return out;
}

// This process's processor time so far, user and system, in milliseconds.
inline double ownCpuMs()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1000.0 +
           (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1000.0;
}

inline void summary(const char* name, double value, const char* unit)
{
    std::printf("%-44s %14.3f %s\n", name, value, unit);
}

}  // namespace nesmo::bench

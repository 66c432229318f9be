#pragma once

#include <QDateTime>
#include <QtGlobal>

namespace nesmo::sim {

// Pseudo-random numbers (splitmix64): the same sequence for a seed on every
// platform, so generated tags read the same in every run.
class Random {
public:
    explicit Random(quint64 seed) : m_state(seed) {}
    quint64 next();
    double uniform();  // [0, 1)
    double gauss();    // about N(0, 1)
    int below(int n);  // 0 .. n-1
    quint8 byte() { return quint8(next() >> 56); }

private:
    quint64 m_state;
};

// One measurement: what the instrument shows and logs.
struct Sample {
    double dust = 0.0;  // mg/m3
    double celsius = 20.0;
    double humidity = 50.0;   // %
    double pressure = 755.0;  // mmHg
};

// The air around the simulated instrument: temperature and humidity follow the
// time of day, pressure drifts over days, dust has a working-hours level, noise
// and now and then a peak that decays over a few minutes.
class Atmosphere {
public:
    explicit Atmosphere(quint64 seed) : m_random(seed) {}
    // The sample at time t; stepSeconds is the time since the previous sample
    // (it sets how likely a new peak is and how far the last one has decayed).
    Sample sample(const QDateTime& t, double stepSeconds);

private:
    Random m_random;
    double m_peak = 0.0;
};

// Units codes of the instrument: 0 mass ug/m3, 1 scattering /Mm, 2 mass mg/m3,
// 3 visibility km.
const char* unitName(int units);
// A dust value in mg/m3 expressed in the given units.
double dustInUnits(double mgPerM3, int units);

}  // namespace nesmo::sim

#include "sim/atmosphere.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace nesmo::sim {

quint64 Random::next()
{
    quint64 z = (m_state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

double Random::uniform()
{
    return double(next() >> 11) * (1.0 / 9007199254740992.0);
}

double Random::gauss()
{
    // Irwin-Hall: close enough to normal for sensor noise, and portable.
    double sum = 0.0;
    for (int i = 0; i < 12; ++i)
        sum += uniform();
    return sum - 6.0;
}

int Random::below(int n)
{
    return n <= 1 ? 0 : int(next() % quint64(n));
}

Sample Atmosphere::sample(const QDateTime& t, double stepSeconds)
{
    constexpr double kTwoPi = 2.0 * std::numbers::pi;
    const double hour = t.time().msecsSinceStartOfDay() / 3600000.0;
    const double days = double(t.toSecsSinceEpoch()) / 86400.0;
    // Warmest and driest at about three in the afternoon.
    const double diurnal = std::sin(kTwoPi * (hour - 9.0) / 24.0);

    Sample s;
    s.celsius = 19.5 + 4.5 * diurnal + 0.15 * m_random.gauss();
    s.humidity = std::clamp(52.0 - 14.0 * diurnal + 1.5 * m_random.gauss(), 5.0, 99.0);
    s.pressure = std::clamp(755.0 + 3.5 * std::sin(kTwoPi * days / 3.3) + 0.4 * m_random.gauss(),
                            700.0, 800.0);

    // Peaks: about one and a half an hour, decaying with a two-minute time constant.
    m_peak *= std::exp(-std::max(stepSeconds, 0.0) / 120.0);
    const double peakChance = std::min(0.5, std::max(stepSeconds, 1.0) / 3600.0 * 1.5);
    if (m_random.uniform() < peakChance) m_peak += 0.3 + 3.7 * std::pow(m_random.uniform(), 2.0);

    const bool working = hour >= 7.0 && hour < 18.0;
    const double base = 0.035 + (working ? 0.02 : 0.0);
    s.dust = std::max(0.002, base + 0.006 * m_random.gauss()) + m_peak;
    return s;
}

const char* unitName(int units)
{
    switch (units) {
        case 0: return "ug/m3";
        case 1: return "/Mm";
        case 3: return "km";
        default: return "mg/m3";
    }
}

double dustInUnits(double mgPerM3, int units)
{
    switch (units) {
        case 0: return mgPerM3 * 1000.0;
        case 1: return mgPerM3 * 400.0;
        case 3: return std::min(999.9, 3912.0 / std::max(mgPerM3 * 400.0, 1.0));
        default: return mgPerM3;
    }
}

}  // namespace nesmo::sim

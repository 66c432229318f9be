#include "config/cut_point.h"

#include "core/number_pattern.h"

namespace nesmo::config {

namespace {

// Cut point d from flow rate Q.
constexpr double kRedCutFromFlow[7] = {0.108314,  -1.676031,  10.816728, -37.635137,
                                       75.938158, -88.143841, 52.7745};
constexpr double kBlueCutFromFlow[7] = {0.034,     -0.5264,    3.39994,  -11.843636,
                                        23.944866, -27.902118, 16.888103};
// Flow rate Q from cut point d.
constexpr double kRedFlowFromCut[7] = {1.593e-05, -0.000816836, 0.017381562, -0.198612,
                                       1.315747,  -5.077424,    10.940255};
constexpr double kBlueFlowFromCut[7] = {0.01262049, -0.21375806,   1.504024, -5.688847,
                                        12.486521,  -15.963192623, 11.319776};

}  // namespace

bool isCyclone(int inlet)
{
    return inlet == InletRedCyclone || inlet == InletBlueCyclone;
}

double horner(const double (&coefficients)[7], double x)
{
    double v = 0.0;
    for (double c : coefficients)
        v = v * x + c;
    return v;
}

std::optional<double> cutPointFromFlow(int inlet, double q)
{
    if (!isCyclone(inlet) || q < kFlowMin || q > kFlowMax) return std::nullopt;
    return horner(inlet == InletRedCyclone ? kRedCutFromFlow : kBlueCutFromFlow, q);
}

std::optional<double> flowFromCutPoint(int inlet, double d)
{
    if (!isCyclone(inlet) || d < kCutPointMin || d > kCutPointMax) return std::nullopt;
    return horner(inlet == InletRedCyclone ? kRedFlowFromCut : kBlueFlowFromCut, d);
}

std::optional<QString> flowRateReplacement(double q)
{
    // Written with the locale's separator like every other field text.
    if (q > kFlowMax) return pattern::formatNumber(QStringLiteral("0.00"), kFlowMax);
    if (q < kFlowMin) return pattern::formatNumber(QStringLiteral("0.00"), kFlowMin);
    return std::nullopt;
}

std::optional<double> cutPointReplacement(int inlet, double d)
{
    if (inlet == InletRedCyclone && (d > kRedCutMax || d < kRedCutMin)) return kRedCutDefault;
    if (inlet == InletBlueCyclone && (d > kBlueCutMax || d < kBlueCutMin)) return kBlueCutDefault;
    return std::nullopt;
}

QString cutPointNotAvailableMessage(int inlet, double d)
{
    return QStringLiteral("Cut Point ") + pattern::formatNumber(QStringLiteral("##0.00"), d) +
           (inlet == InletRedCyclone
                ? QStringLiteral(" um is not available with the RED CYCLONE")
                : QStringLiteral(" um is not available with the BLUE CYCLONE"));
}

QString flowRateOutOfRangeMessage(const QString& enteredText, const QString& replacement)
{
    return QStringLiteral("Flow rate ") + enteredText +
           QStringLiteral(" is out of range \r\r Automatically entering ") + replacement +
           QStringLiteral(" LPM");
}

}  // namespace nesmo::config

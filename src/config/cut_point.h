#pragma once

#include <QString>
#include <optional>

namespace nesmo::config {

// Flow rate and cut point of the cyclone inlets. Widget-free: the page's
// handlers call these with the values of its fields.

enum Inlet { InletTotal = 0, InletRedCyclone = 1, InletBlueCyclone = 2 };

// Flow rate accepted on leaving its field, in L/min (inclusive).
inline constexpr double kFlowMin = 1.0;
inline constexpr double kFlowMax = 3.5;
// Cut points (um) for which a flow rate is computed.
inline constexpr double kCutPointMin = 0.98;
inline constexpr double kCutPointMax = 12.1;
// Cut points the cyclones can reach, and what replaces one they cannot.
inline constexpr double kRedCutMin = 2.91;
inline constexpr double kRedCutMax = 12.19;
inline constexpr double kRedCutDefault = 10.0;
inline constexpr double kBlueCutMin = 0.99;
inline constexpr double kBlueCutMax = 4.0;
inline constexpr double kBlueCutDefault = 2.5;

bool isCyclone(int inlet);

// A sixth-degree polynomial, coefficients from x^6 down to the constant, in
// Horner order.
double horner(const double (&coefficients)[7], double x);

// The cut point of a cyclone at flow rate q; nothing for other inlets or a flow
// rate outside 1.0 to 3.5.
std::optional<double> cutPointFromFlow(int inlet, double q);
// The flow rate that gives cut point d; nothing for other inlets or a cut point
// outside 0.98 to 12.1.
std::optional<double> flowFromCutPoint(int inlet, double d);

// What replaces a flow rate outside 1.0 to 3.5 ("3.50" or "1.00"); nothing when
// it is in range.
std::optional<QString> flowRateReplacement(double q);

// The cut point that replaces one the inlet cannot reach; nothing when the inlet
// reaches it (or has no cut point).
std::optional<double> cutPointReplacement(int inlet, double d);
// "Cut Point 12.50 um is not available with the RED CYCLONE".
QString cutPointNotAvailableMessage(int inlet, double d);
// "Flow rate 4 is out of range \r\r Automatically entering 3.50 LPM".
QString flowRateOutOfRangeMessage(const QString& enteredText, const QString& replacement);

}  // namespace nesmo::config

#pragma once

#include <QObject>
#include <QString>
#include <optional>

namespace nesmo {

// The instrument's settings as it reported them, as typed values: numbers at
// the precision of the reply, in no locale. The reply handlers write them as
// the replies come; whoever reports them (the command-line tool) reads them
// here rather than from the texts the page shows. A value the instrument has
// not reported since the model was made is empty.
struct InstrumentSettings {
    struct AutoStart {
        std::optional<int> year, month, day, hour, minute;
        std::optional<bool> enabled;
    };
    struct Site {
        std::optional<int> number;
        std::optional<QString> name;
    };
    enum class Alarm { Off, Instant, Stel };

    std::optional<qint64> logPeriodSeconds;
    std::optional<int> tag;
    std::optional<bool> logging;
    AutoStart autoStart;
    std::optional<int> displayAveragingSeconds;
    std::optional<int> units;  // 0 MASS [ug/m3], 1 SCAT [ /Mm ], 2 MASS [mg/m3]
    std::optional<int> analogRange;
    std::optional<double> flowRateLpm;
    std::optional<bool> rhCorrection;
    std::optional<bool> backlight;
    std::optional<Alarm> alarm;
    std::optional<double> alarmLevel;  // of the alarm mode reported with it
    std::optional<int> inlet;          // 0 TOTAL, 1 RED CYCLONE, 2 BLUE CYCLONE
    Site site;
    std::optional<double> calibrationFactor;
};

class InstrumentModel : public QObject {
    Q_OBJECT
public:
    explicit InstrumentModel(QObject* parent = nullptr) : QObject(parent) {}

    const InstrumentSettings& settings() const { return settings_; }
    // Changes the settings and tells so.
    template <typename Change>
    void updateSettings(Change&& change)
    {
        change(settings_);
        emit settingsChanged();
    }

signals:
    void settingsChanged();

private:
    InstrumentSettings settings_;
};

}  // namespace nesmo

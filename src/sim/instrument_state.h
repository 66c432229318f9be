#pragma once

#include <QByteArray>

#include <array>

namespace nesmo::sim {

// One of the instrument's 50 measurement sites.
struct Site {
    QByteArray name;
    double factor = 1.0;
};

// Alarm modes, as the "alarm N" command numbers them.
enum AlarmMode { AlarmOff = 0, AlarmInstant = 1, AlarmStel = 2 };

struct AutoStartSetting {
    int minute = 0;
    int hour = 8;
    int day = 1;
    int month = 1;
    int year = 2025;
    bool enabled = false;
};

// Everything the instrument keeps in its settings memory (and backs up with
// variable 245). The clock and the data memory are not part of it.
struct Settings {
    static constexpr int kSites = 50;

    int logPeriod = 60;  // seconds, 1 to 3600
    int tag = 3;         // the tag the next run logs into
    bool logging = true;
    int displayAvg = 10;  // seconds
    int units = 2;        // 0 ug/m3, 1 /Mm, 2 mg/m3, 3 km
    int analogOut = 3;
    double flowRate = 1.70;  // L/min
    int inlet = 0;           // 0 total, 1 red cyclone, 2 blue cyclone
    bool rhCorrect = true;
    bool backlight = true;
    int alarmMode = AlarmOff;
    double instantLevel = 1.5;
    double stelLevel = 0.5;
    char tempUnits = 'C';
    int site = 1;  // current site, 1 to 50
    AutoStartSetting autoStart;
    std::array<Site, kSites> sites;

    Site& currentSite() { return sites[size_t(site - 1)]; }
    const Site& currentSite() const { return sites[size_t(site - 1)]; }
};

// The site list after a memory re-format: site 1 "Factory default", the others
// "Site n", every factor 1.000.
void resetSites(Settings& s);
// The site list as the instrument comes from the factory (a few named sites).
void factorySites(Settings& s);
// All settings as the instrument comes from the factory, and as a firmware
// upgrade leaves them.
Settings factorySettings();

}  // namespace nesmo::sim

#include "reply/config_handlers.h"

#include <charconv>
#include <cstring>

#include "core/date_time.h"
#include "core/number_pattern.h"

namespace nesmo {

namespace {

// Keyword codes of the setting replies.
namespace code {
constexpr int FlowRate = 40;
constexpr int DisplayAvg = 41;
constexpr int Battery = 44;
constexpr int CalFactor = 43;
constexpr int Backlight = 45;
constexpr int Units = 46;
constexpr int RhCorrect = 47;
constexpr int Huh = 49;
constexpr int LogPeriod = 50;
constexpr int AutoStart = 51;
constexpr int Site = 52;
constexpr int Tag = 53;
constexpr int Tags = 54;
constexpr int AnalogOut = 55;
constexpr int Alarm = 56;
constexpr int Instant = 58;
constexpr int Stel = 59;
constexpr int Time = 61;
constexpr int Date = 62;
constexpr int TempUnits = 63;
constexpr int Inlet = 65;
}  // namespace code

// Fixed-point texts of the replies: up to 5 integer digits (6 for a site's
// factor) before exponent notation takes over.
constexpr int kFixedDigits = 5;
constexpr int kSiteFactorDigits = 6;

// The instrument keeps 50 sites, numbered from 1.
constexpr qint32 kSiteCount = 50;

constexpr char kInvalidDate[] =
    "Invalid time or date: \n \n Try loading the computer's time and date.";

// The next token of the line; never reads past its end.
quint8 next(Lexer& lx)
{
    if (lx.TokenKind == TokEnd) return TokEnd;
    return lx.Advance();
}

bool nextInteger(Lexer& lx)
{
    return next(lx) == TokInteger;
}

bool nextKeyword(Lexer& lx)
{
    return next(lx) == TokKeyword;
}

QString decimal(qint32 v)
{
    return QString::number(v);
}

// A real number of the reply at the precision it was written with ("1.234"
// stays 1.234, not the nearest float), in no locale.
double replyReal(const Lexer& lx)
{
    const char* p = lx.TokenText;
    if (*p == '+') ++p;
    const char* const end = p + std::strlen(p);
    // The token's text ends with the character that ended the number.
    double v = 0;
    const auto r = std::from_chars(p, end, v);
    if (r.ec == std::errc() && r.ptr > p) return v;
    return double(lx.realValue());
}

using Alarm = InstrumentSettings::Alarm;

// The range list that a units code shows: 0 AnalogRange0, 1 AnalogRange1,
// 2 AnalogRange3, 3 AnalogRange2.
bool rangeListOf(int units, Control& out)
{
    switch (units) {
        case 0: out = Control::AnalogRange0; return true;
        case 1: out = Control::AnalogRange1; return true;
        case 2: out = Control::AnalogRange3; return true;
        case 3: out = Control::AnalogRange2; return true;
        default: return false;
    }
}

// The site list's line of a site number; none for a number outside 1-50, whatever
// its size (the lexer saturates numbers to the 32-bit range).
int siteLine(qint32 n, int lineCount)
{
    return n >= 1 && n <= kSiteCount && n <= lineCount ? int(n - 1) : -1;
}

void site(Lexer& lx, InstrumentView& view, InstrumentModel& model)
{
    if (!nextInteger(lx)) return;
    const qint32 n = lx.TokenValue;
    view.setText(Control::Edit2, decimal(n));
    model.updateSettings([&](InstrumentSettings& s) { s.site = {n, std::nullopt}; });
    if (next(lx) != TokString) return;
    const QString name = lx.text();
    model.updateSettings([&](InstrumentSettings& s) { s.site.name = name; });
    const int line = siteLine(n, view.itemCount(Control::SiteList));
    const bool lineExists = line >= 0;
    if (lineExists) view.setItem(Control::SiteList, line, name);
    view.setText(Control::Label25, name);
    const bool factorGiven = next(lx) == TokReal;
    const double factor = factorGiven ? double(lx.realValue()) : 1.0;
    model.updateSettings(
        [&](InstrumentSettings& s) { s.calibrationFactor = factorGiven ? replyReal(lx) : 1.0; });
    const QString factorText = pattern::fixedNumber(factor, 3, kSiteFactorDigits);
    view.setText(Control::CalFactorEdit, factorText);
    // The site list is a field too: its factors carry the user's decimal separator
    // (the site list's set sends commas as full stops).
    if (lineExists)
        view.setItem(
            Control::SiteList, line,
            decimal(n) + QStringLiteral(" \"") + name + QStringLiteral("\" ") + factorText);
}

void tags(Lexer& lx, InstrumentView& view)
{
    if (next(lx) == TokKeyword) {
        // A second number for each listed tag, in the order of the list. Numbers
        // beyond the list's end have no entry to go to.
        const int count = view.itemCount(Control::TagListBox);
        for (int i = 0; nextInteger(lx); ++i) {
            if (i >= count) continue;
            view.setItem(Control::TagListBox, i,
                         view.item(Control::TagListBox, i) + QStringLiteral("  ") +
                             QString::asprintf("%5i", lx.TokenValue));
        }
        return;
    }
    view.clearItems(Control::TagListBox);
    while (lx.TokenKind == TokInteger) {
        view.addItem(Control::TagListBox, QString::asprintf("%2i", lx.TokenValue));
        next(lx);
    }
}

void alarm(Lexer& lx, InstrumentView& view, const AppState& state, InstrumentModel& model)
{
    if (!nextKeyword(lx)) return;
    std::optional<Alarm> mode;
    switch (lx.TokenValue) {
        case kw::Off: mode = Alarm::Off; break;
        case kw::On:
        case code::Instant: mode = Alarm::Instant; break;
        case code::Stel: mode = Alarm::Stel; break;
        default: break;
    }
    if (mode) {
        view.setCurrentIndex(Control::RadioGroupAlarm, int(*mode));
        model.updateSettings([&](InstrumentSettings& s) {
            s.alarm = mode;
            s.alarmLevel.reset();
        });
    }
    if (next(lx) != TokReal) return;
    // The level belongs to the mode reported with it, or to the mode already known.
    model.updateSettings([&](InstrumentSettings& s) { s.alarmLevel = replyReal(lx); });
    const QString level = pattern::formatNumber(QStringLiteral("####0.000"), lx.realValue());
    switch (view.currentIndex(Control::RadioGroupAlarm)) {
        case 0:
            // Older firmware reports the instant level with a disabled alarm.
            if (state.Alarm128Visible) view.setText(Control::ConcAlarmLevelEdit, level);
            break;
        case 1: view.setText(Control::ConcAlarmLevelEdit, level); break;
        case 2: view.setText(Control::StelAlarmLevelEdit, level); break;
        default: break;
    }
}

// The month list's entry of a month number; none for a number that is no month.
int monthIndex(qint32 month)
{
    return month >= 1 && month <= 12 ? month - 1 : -1;
}

void date(Lexer& lx, InstrumentView& view)
{
    if (!nextInteger(lx)) return;
    const qint32 d = lx.TokenValue;
    view.setText(Control::DateDayEdit, decimal(d));
    if (!nextInteger(lx)) return;
    const qint32 mo = lx.TokenValue;
    view.setCurrentIndex(Control::DateMonthEdit, monthIndex(mo));
    if (!nextInteger(lx)) return;
    const qint32 y = lx.TokenValue;
    view.setText(Control::DateYearEdit, decimal(y));
    double serial = 0;
    if (!datetime::encodeDate(y, mo, d, serial)) {
        view.postMessage(QString::fromLatin1(kInvalidDate));
        view.setCurrentIndex(Control::ClockChangeChoice, 1);
    }
}

}  // namespace

void installConfigHandlers(ReplyParser& parser, InstrumentView& view, AppState& state,
                           InstrumentModel& model)
{
    InstrumentView* v = &view;
    AppState* st = &state;
    InstrumentModel* m = &model;
    // Sets one setting of the model.
    const auto set = [m](auto InstrumentSettings::*field, auto value) {
        m->updateSettings([&](InstrumentSettings& s) { s.*field = value; });
    };

    parser.setKeywordHandler(code::FlowRate, [v, set](Lexer& lx) {
        if (next(lx) != TokReal) return;
        set(&InstrumentSettings::flowRateLpm, replyReal(lx));
        v->setText(Control::FlowRateEdit, pattern::fixedNumber(lx.realValue(), 2, kFixedDigits));
    });
    parser.setKeywordHandler(code::DisplayAvg, [v, set](Lexer& lx) {
        if (!nextInteger(lx)) return;
        set(&InstrumentSettings::displayAveragingSeconds, int(lx.TokenValue));
        v->setText(Control::DisplayAvgEdit, pattern::fixedNumber(lx.TokenValue, 0, kFixedDigits));
    });
    parser.setKeywordHandler(code::CalFactor, [v, set](Lexer& lx) {
        if (next(lx) != TokReal) return;
        set(&InstrumentSettings::calibrationFactor, replyReal(lx));
        v->setText(Control::CalFactorEdit, pattern::fixedNumber(lx.realValue(), 2, kFixedDigits));
    });
    parser.setKeywordHandler(code::Backlight, [v, set](Lexer& lx) {
        if (!nextKeyword(lx)) return;
        set(&InstrumentSettings::backlight, lx.TokenValue == kw::On);
        v->setChecked(Control::BacklightEnable, lx.TokenValue == kw::On);
        if (v->isChecked(Control::BacklightEnable))
            v->setPanelDisplayColour(0, 255, 255);  // aqua
        else
            v->setPanelDisplayColour(192, 192, 192);  // silver
    });
    parser.setKeywordHandler(code::Units, [v, st, set](Lexer& lx) {
        if (!nextInteger(lx)) return;
        st->UnitsReported = lx.TokenValue;
        set(&InstrumentSettings::units, int(lx.TokenValue));
        v->setCurrentIndex(Control::UnitsBox, lx.TokenValue);
        v->showAnalogRangeBox(lx.TokenValue);
    });
    parser.setKeywordHandler(code::RhCorrect, [v, set](Lexer& lx) {
        if (!nextKeyword(lx)) return;
        set(&InstrumentSettings::rhCorrection, lx.TokenValue == kw::On);
        v->setChecked(Control::RHCorrectionBox, lx.TokenValue == kw::On);
    });
    parser.setKeywordHandler(code::LogPeriod, [v, set](Lexer& lx) {
        if (!nextInteger(lx)) return;
        // Periods of 256 hours and more keep their whole hour count.
        const qint64 s = lx.TokenValue;
        set(&InstrumentSettings::logPeriodSeconds, s);
        const qint64 h = s / 3600;
        const qint64 m = (s - 3600 * h) / 60;
        const qint64 r = s - 3600 * h - 60 * m;
        v->setText(Control::LogPeriodHourEdit, QString::number(h));
        v->setText(Control::LogPeriodMinEdit, QString::number(m));
        v->setText(Control::LogPeriodSecEdit, QString::number(r));
    });
    parser.setKeywordHandler(code::AutoStart, [v, m](Lexer& lx) {
        // The fields as far as they come; those not reported are left empty.
        InstrumentSettings::AutoStart a;
        const auto done = [m, &a] {
            m->updateSettings([&](InstrumentSettings& s) { s.autoStart = a; });
        };
        if (!nextInteger(lx)) return done();
        a.minute = lx.TokenValue;
        v->setText(Control::AutoStartMin, decimal(lx.TokenValue));
        if (!nextInteger(lx)) return done();
        a.hour = lx.TokenValue;
        v->setText(Control::AutoStartHour, decimal(lx.TokenValue));
        if (!nextInteger(lx)) return done();
        a.day = lx.TokenValue;
        v->setText(Control::AutoStartDay, decimal(lx.TokenValue));
        if (!nextInteger(lx)) return done();
        if (monthIndex(lx.TokenValue) >= 0) a.month = lx.TokenValue;
        v->setCurrentIndex(Control::AutoStartMonth, monthIndex(lx.TokenValue));
        if (!nextInteger(lx)) return done();
        a.year = lx.TokenValue;
        v->setText(Control::AutoStartYear, decimal(lx.TokenValue));
        if (nextKeyword(lx)) {
            a.enabled = lx.TokenValue == kw::On;
            v->setChecked(Control::AutoStartEnable, lx.TokenValue == kw::On);
        }
        done();
    });
    parser.setKeywordHandler(code::Site, [v, m](Lexer& lx) { site(lx, *v, *m); });
    parser.setKeywordHandler(code::Tag, [v, st, m](Lexer& lx) {
        if (!nextInteger(lx)) return;
        st->CurrentTag = lx.TokenValue;
        const int tag = lx.TokenValue;
        v->setText(Control::TagNumberEdit, decimal(lx.TokenValue));
        // Numbers after the switch are not used.
        const bool switchGiven = nextKeyword(lx);
        const bool logging = switchGiven && lx.TokenValue == kw::On;
        if (switchGiven) v->setChecked(Control::LoggingEnable, logging);
        m->updateSettings([&](InstrumentSettings& s) {
            s.tag = tag;
            if (switchGiven) s.logging = logging;
        });
    });
    parser.setKeywordHandler(code::Tags, [v](Lexer& lx) { tags(lx, *v); });
    parser.setKeywordHandler(code::AnalogOut, [v, set](Lexer& lx) {
        if (!nextInteger(lx)) return;
        Control list;
        if (!rangeListOf(v->currentIndex(Control::UnitsBox), list)) return;
        v->setCurrentIndex(list, lx.TokenValue);
        set(&InstrumentSettings::analogRange, int(lx.TokenValue));
    });
    parser.setKeywordHandler(code::Alarm, [v, st, m](Lexer& lx) { alarm(lx, *v, *st, *m); });
    parser.setKeywordHandler(code::Time, [v](Lexer& lx) {
        // A time that is no time of day is taken as it comes.
        if (!nextInteger(lx)) return;
        v->setText(Control::TimeSecEdit, decimal(lx.TokenValue));
        if (!nextInteger(lx)) return;
        v->setText(Control::TimeMinEdit, decimal(lx.TokenValue));
        if (!nextInteger(lx)) return;
        v->setText(Control::TimeHourEdit, decimal(lx.TokenValue));
    });
    parser.setKeywordHandler(code::Date, [v](Lexer& lx) { date(lx, *v); });
    parser.setKeywordHandler(code::Inlet, [v, set](Lexer& lx) {
        if (!nextInteger(lx)) return;
        set(&InstrumentSettings::inlet, int(lx.TokenValue));
        v->setCurrentIndex(Control::InletTypeBox, lx.TokenValue);
    });
    // Reported, but nothing to show.
    // The instrument did not take a command: counted, so that an operation can
    // tell which of its commands were refused.
    parser.setKeywordHandler(code::Huh, [st](Lexer&) { ++st->RefusedReplies; });
    for (int quiet : {code::Battery, code::TempUnits})
        parser.setKeywordHandler(quiet, [](Lexer&) {});
}

}  // namespace nesmo

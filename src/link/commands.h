#pragma once

// The instrument's command texts. Every command the program sends is named here;
// the features use these names instead of retyping the texts. Texts with
// placeholders are printf formats; mind the blanks, the instrument relies on them.
namespace nesmo::cmd {

// Variables
inline constexpr char kDisplayPoll[] = "v 5\r";     // two display lines
inline constexpr char kSerialNumber[] = "V 141\r";  // after a connection
// Configuration read and panel; with "v 144" also before a backup, a restore and
// an upgrade, so that a swapped instrument is judged by its own version and its
// backup is never taken for another's.
inline constexpr char kSerialNumberLower[] = "v 141\r";
inline constexpr char kFirmwareVersion[] = "v 144\r";
inline constexpr char kFirmwareVersionSet[] = "v 144 \r";  // configuration write
inline constexpr char kRunMode[] = "v 157\r";
inline constexpr char kDeleteCurrentTag[] =
    "v 147\r";  // erases the tag the instrument holds as current
inline constexpr char kReformat[] =
    "v 160\r";  // starts the data-memory re-format; "V 160 ON" ends it
inline constexpr char kClockVariables[] = "v 236\r";
inline constexpr char kBackupSettings[] = "v 245\r";
inline constexpr char kRestoreSettings[] = "v 246\r";
inline constexpr char kFirmwareTransferFmt[] = "v 251 \"%s\" \"%s\"\r";
inline constexpr char kIntegrityTestStart[] = "v 252  1\r";
inline constexpr char kIntegrityTestResult[] = "v 252\r";

// Configuration queries: the keyword alone; settings: the keyword and values.
inline constexpr char kLogPeriod[] = "logperiod\r";
inline constexpr char kLogPeriodSetFmt[] = "logperiod %i\r";
inline constexpr char kAutoStart[] = "autostart\r";
inline constexpr char kAutoStartSetFmt[] = "autostart %s %s %s %i %s\r";  // min hour day month on
inline constexpr char kAutoStartYearSetFmt[] = "autostart %s %s %s %i %s %s\r";  // ... year on
inline constexpr char kTag[] = "tag\r";
inline constexpr char kTagSetFmt[] = "tag %s %s\r";  // number, on/off
inline constexpr char kDisplayAvg[] = "displayavg\r";
inline constexpr char kDisplayAvgSetFmt[] = "displayavg %s\r";
inline constexpr char kUnits[] = "units\r";
inline constexpr char kUnitsSetFmt[] = "units %i\r";
inline constexpr char kAnalogOut[] = "analogout\r";
inline constexpr char kAnalogOutSetFmt[] = "analogout %i\r";
inline constexpr char kFlowRate[] = "flowrate\r";
inline constexpr char kFlowRateSetFmt[] = "flowrate %5.2f\r";
inline constexpr char kRhCorrect[] = "rhcorrect\r";
inline constexpr char kRhCorrectSetFmt[] = "rhcorrect %s\r";
inline constexpr char kBacklight[] = "backlight\r";
inline constexpr char kBacklightSetFmt[] = "backlight %s\r";
inline constexpr char kAlarm[] = "alarm\r";
inline constexpr char kAlarmInstant[] = "alarm 1\r";  // the instant level
inline constexpr char kAlarmStel[] = "alarm 2\r";     // the STEL level
inline constexpr char kAlarmDisabled[] = "alarm 0\r";
inline constexpr char kAlarmModeFmt[] = "alarm %i\r";
inline constexpr char kAlarmInstantSetFmt[] = "alarm 1 %9.3f\r";
inline constexpr char kAlarmStelSetFmt[] = "alarm 2 %9.3f\r";
// Firmware before 1.28 knows the alarm only as on or off.
inline constexpr char kAlarmOn[] = "alarm on\r";
inline constexpr char kAlarmOff[] = "alarm off\r";
inline constexpr char kAlarmOnSetFmt[] = "alarm on %9.3f\r";
inline constexpr char kInlet[] = "inlet\r";
inline constexpr char kInletSetFmt[] = "inlet %i\r";
inline constexpr char kCalFactor[] = "calfactor\r";
inline constexpr char kSiteFactorSetFmt[] = "site %i 0 %7.3f\r";  // select the site, set its factor
inline constexpr char kSiteSelectOnlyFmt[] = "site %i 0 %s\r";    // with " ": keep its factor
inline constexpr char kSiteFactoryDefault[] = "site 1 \"Factory default\" 1.\r";
inline constexpr char kDate[] = "date\r";
inline constexpr char kTime[] = "time\r";
inline constexpr char kDateRead[] = "date \r";  // read back while the clock is kept
inline constexpr char kTimeRead[] = "time \r";
inline constexpr char kTimeSetFmt[] = "time %i %i %i\r";     // seconds minutes hours
inline constexpr char kDateSetFmt[] = "date %i %i %i\r";     // day month year
inline constexpr char kTimeManualFmt[] = "time %s %s %s\r";  // the fields' texts
inline constexpr char kDateManualFmt[] = "date %s %i %s\r";

// Tags
// The tag list; also after a delete, whose result the tags then listed tell.
inline constexpr char kTags[] = "tags\r";
inline constexpr char kTagCounts[] = "tags 1\r";
inline constexpr char kTagsQuery[] = "tags \r";  // the tag list before a tag-number change
inline constexpr char kTagFmt[] = "tag %s\r";
inline constexpr char kTagQuery[] = "tag \r";
inline constexpr char kTagDumpFmt[] = "tagdump %.2s \r";

// Sites
// The current site: a site list set asks for it first, so that the site it selects
// again at its end is the one current now, not one the page showed earlier.
inline constexpr char kSite[] = "site\r";
inline constexpr char kSiteQueryFmt[] = "site %i\r\r";
inline constexpr char kSiteListFactoryDefault[] = "site 1 \"Factory default\" 1.000\r\r";
inline constexpr char kSiteSetNameFmt[] = "site  %s\r";
inline constexpr char kSiteSelectFmt[] = "site %s\r";

// Keys of the instrument's keypad
inline constexpr char kKeyOnOff[] = "key ONOFF\r";
inline constexpr char kKeyUp[] = "key UP\r";
inline constexpr char kKeyDown[] = "key DOWN\r";
inline constexpr char kKeyEsc[] = "key ESC\r";
inline constexpr char kKeyEnter[] = "key ENTER\r";
inline constexpr char kKeyEscLower[] = "key esc\r";
// One attempt to stop a run through the instrument's menu: four commands in one
// text, answered by four prompts.
inline constexpr char kStopRunAttempt[] = "key esc\r v 157\r key enter\r v 157\r";
inline constexpr int kStopRunAttemptPrompts = 4;

// Other
inline constexpr char kDisplayRefresh[] = "d\r";
inline constexpr char kDisplayRefreshBlank[] = "d \r";
inline constexpr char kGraphShown[] = "g\r";

}  // namespace nesmo::cmd

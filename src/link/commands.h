#pragma once

// The instrument's command texts. Every command the program sends is named here;
// the features use these names instead of retyping the texts. Texts with
// placeholders are printf formats; mind the blanks, the instrument relies on them.
namespace nesmo::cmd {

// Variables
inline constexpr char kDisplayPoll[] = "v 5\r";          // two display lines
inline constexpr char kSerialNumber[] = "V 141\r";       // after a connection
inline constexpr char kSerialNumberLower[] = "v 141\r";  // configuration read, panel
inline constexpr char kFirmwareVersion[] = "v 144\r";
inline constexpr char kFirmwareVersionSet[] = "v 144 \r";  // configuration write
inline constexpr char kRunMode[] = "v 157\r";
inline constexpr char kReformatStart[] = "v 147\r";
inline constexpr char kReformatDone[] = "v 160\r";
inline constexpr char kClockVariables[] = "v 236\r";
inline constexpr char kBackupSettings[] = "v 245\r";
inline constexpr char kRestoreSettings[] = "v 246\r";
inline constexpr char kFirmwareTransferFmt[] = "v 251 \"%s\" \"%s\"\r";
inline constexpr char kIntegrityTestStart[] = "v 252  1\r";
inline constexpr char kIntegrityTestResult[] = "v 252\r";

// Configuration queries: the keyword alone; settings: the keyword and values.
inline constexpr char kLogPeriod[] = "logperiod\r";
inline constexpr char kLogPeriodSetFmt[] = "logperiod %i\r";

// Tags
inline constexpr char kTags[] = "tags\r";
inline constexpr char kTagCounts[] = "tags 1\r";
inline constexpr char kTagsClearAll[] = "tags \r";
inline constexpr char kTagFmt[] = "tag %s\r";
inline constexpr char kTagQuery[] = "tag \r";
inline constexpr char kTagDumpFmt[] = "tagdump %.2s \r";

// Sites
inline constexpr char kSite[] = "site\r";
inline constexpr char kSiteQueryFmt[] = "site %i\r\r";
inline constexpr char kSiteSetNameFmt[] = "site  %s\r";
inline constexpr char kSiteSelectFmt[] = "site %s\r";

// Keys of the instrument's keypad
inline constexpr char kKeyOnOff[] = "key ONOFF\r";
inline constexpr char kKeyUp[] = "key UP\r";
inline constexpr char kKeyDown[] = "key DOWN\r";
inline constexpr char kKeyEsc[] = "key ESC\r";
inline constexpr char kKeyEnter[] = "key ENTER\r";
inline constexpr char kKeyEscLower[] = "key esc\r";

// Other
inline constexpr char kDisplayRefresh[] = "d\r";
inline constexpr char kDisplayRefreshBlank[] = "d \r";
inline constexpr char kGraphShown[] = "g\r";

}  // namespace nesmo::cmd

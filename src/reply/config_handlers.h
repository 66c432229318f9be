#pragma once

#include "core/app_state.h"
#include "core/instrument_view.h"
#include "reply/instrument_model.h"
#include "reply/reply_parser.h"

namespace nesmo {

// The handlers of the keyword lines that report a setting (FLOWRATE, UNITS,
// LOGPERIOD, SITE, TAGS, ALARM, DATE ...). Each reads the values after its
// keyword and writes them into the controls of the configuration page, the site
// list, the tag list or the panel, through the view, and the settings among
// them into the model as typed values; each stops silently at the first value
// of an unexpected kind, keeping what it has written so far.
void installConfigHandlers(ReplyParser& parser, InstrumentView& view, AppState& state,
                           InstrumentModel& model);

}  // namespace nesmo

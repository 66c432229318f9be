#include "core/instrument_view.h"

namespace nesmo {

const char* controlName(Control c)
{
    switch (c) {
        case Control::StatusBarMain: return "StatusBarMain";
        case Control::LabelSN: return "LabelSN";
        case Control::LabelVer: return "LabelVer";
        case Control::Alarm128: return "Alarm128";
        case Control::StelAlarmLevelEdit: return "StelAlarmLevelEdit";
        case Control::AutoStartYear: return "AutoStartYear";
        case Control::LoggingEnable: return "LoggingEnable";
        case Control::LogPeriodHourEdit: return "LogPeriodHourEdit";
        case Control::LogPeriodMinEdit: return "LogPeriodMinEdit";
        case Control::LogPeriodSecEdit: return "LogPeriodSecEdit";
        case Control::TagNumberEdit: return "TagNumberEdit";
        case Control::AutoStartEnable: return "AutoStartEnable";
        case Control::AutoStartDay: return "AutoStartDay";
        case Control::AutoStartMonth: return "AutoStartMonth";
        case Control::AutoStartHour: return "AutoStartHour";
        case Control::AutoStartMin: return "AutoStartMin";
        case Control::DisplayAvgEdit: return "DisplayAvgEdit";
        case Control::UnitsBox: return "UnitsBox";
        case Control::InletTypeBox: return "InletTypeBox";
        case Control::FlowRateEdit: return "FlowRateEdit";
        case Control::RHCorrectionBox: return "RHCorrectionBox";
        case Control::BacklightEnable: return "BacklightEnable";
        case Control::RadioGroupAlarm: return "RadioGroupAlarm";
        case Control::ConcAlarmLevelEdit: return "ConcAlarmLevelEdit";
        case Control::AnalogRange0: return "AnalogRange0";
        case Control::AnalogRange1: return "AnalogRange1";
        case Control::AnalogRange2: return "AnalogRange2";
        case Control::AnalogRange3: return "AnalogRange3";
        case Control::Edit2: return "Edit2";
        case Control::Label25: return "Label25";
        case Control::CalFactorEdit: return "CalFactorEdit";
        case Control::DateDayEdit: return "DateDayEdit";
        case Control::DateMonthEdit: return "DateMonthEdit";
        case Control::DateYearEdit: return "DateYearEdit";
        case Control::TimeHourEdit: return "TimeHourEdit";
        case Control::TimeMinEdit: return "TimeMinEdit";
        case Control::TimeSecEdit: return "TimeSecEdit";
        case Control::ClockChangeChoice: return "ClockChangeChoice";
        case Control::TagListBox: return "TagListBox";
        case Control::SiteList: return "SiteList";
        case Control::PanelSerialLabel: return "SerialNumberLbl";
        case Control::PanelVersionLabel: return "SoftwareVersionLbl";
        case Control::PanelDeviceLabel: return "DeviceNo";
        case Control::PanelDisplayLine1: return "ipi";  // line 1 of the two-line display
        case Control::PanelDisplayLine2: return "ipi";  // line 2
    }
    return "";
}

}  // namespace nesmo

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
        case Control::PanelSerialLabel: return "SerialNumberLbl";
        case Control::PanelVersionLabel: return "SoftwareVersionLbl";
        case Control::PanelDeviceLabel: return "DeviceNo";
        case Control::PanelDisplayLine1: return "ipi";  // line 1 of the two-line display
        case Control::PanelDisplayLine2: return "ipi";  // line 2
    }
    return "";
}

}  // namespace nesmo

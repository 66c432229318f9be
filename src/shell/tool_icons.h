#pragma once

#include <QColor>
#include <QIcon>

namespace nesmo {

enum class ToolIcon { Download, Open, Save, Print, Copy, Font, FontSize, Help, Markers, Steps };

// The tool bars' small pictures, drawn at run time so that they look the same
// on every desktop.
QIcon toolIcon(ToolIcon kind);

// A graph option's picture: a series line in its colour (or the markers or step
// picture) while the option is on, the same greyed and struck through while off.
QIcon seriesIcon(const QColor& colour, bool on);
QIcon optionIcon(ToolIcon kind, bool on);

}  // namespace nesmo

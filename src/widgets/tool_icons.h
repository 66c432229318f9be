#pragma once

#include <QColor>
#include <QIcon>
#include <QToolBar>
#include <QToolButton>

namespace nesmo {

enum class ToolIcon { Download, Open, Save, Print, Copy, Font, FontSize, Help, Markers, Steps };

// The tool bars' small pictures, drawn at run time so that they look the same
// on every desktop.
QIcon toolIcon(ToolIcon kind);

// A graph option's picture: a series line in its colour (or the markers or step
// picture) while the option is on, the same greyed and struck through while off.
QIcon seriesIcon(const QColor& colour, bool on);
QIcon optionIcon(ToolIcon kind, bool on);

// Adds a named tool button with its hint and picture to a page's tool bar.
QToolButton* addToolButton(QToolBar* bar, const char* objectName, const QString& hint,
                           const QIcon& icon);
// A tool button of the bar by its name.
QToolButton* findToolButton(const QToolBar* bar, const char* objectName);

}  // namespace nesmo

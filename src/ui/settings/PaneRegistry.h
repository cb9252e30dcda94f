#pragma once
// Which view each settings pane shows. SettingsRootView asks paneMaker(); a pane without
// a maker yet shows its title alone. Each pane's own file defines its maker (declared
// here), and PaneRegistry.cpp names it in one line (see PaneEnvironment.h).
#include "ui/settings/Pane.h"
#include "ui/settings/PaneEnvironment.h"

class QWidget;

namespace orvane {

using PaneMaker = QWidget* (*)(const PaneEnvironment& environment);

// None while the pane is not built.
PaneMaker paneMaker(Pane pane);

QWidget* makeGeneralPane(const PaneEnvironment& environment);
QWidget* makePresetsPane(const PaneEnvironment& environment);
QWidget* makeSchedulePane(const PaneEnvironment& environment);
QWidget* makeDisplaysPane(const PaneEnvironment& environment);
QWidget* makeComfortPane(const PaneEnvironment& environment);
QWidget* makeExclusionsPane(const PaneEnvironment& environment);
QWidget* makeShortcutsPane(const PaneEnvironment& environment);
QWidget* makeAdvancedPane(const PaneEnvironment& environment);
QWidget* makeStatisticsPane(const PaneEnvironment& environment);
QWidget* makeAboutPane(const PaneEnvironment& environment);

}  // namespace orvane

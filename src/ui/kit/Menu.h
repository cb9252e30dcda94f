#pragma once
// The one place that dresses a QMenu in the kit's appearance: the desktop style's menus
// stay light whatever the program shows, so every menu of the program goes through here.
#include "ui/kit/Appearance.h"

class QMenu;
class QWidget;

namespace orvane::kit {

// Colours, hover and separators of the appearance; submenus made afterwards inherit them.
void themeMenu(QMenu& menu, Appearance appearance);

}  // namespace orvane::kit

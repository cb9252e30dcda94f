#pragma once
// The look of the Qt editing fields the place and time controls are made of (text fields,
// the time field, the place lists) in the kit's colours. Kit views pick their appearance
// when they paint, so a field calls follow() from its paint event: the style changes only
// when the appearance did.
#include <QWidget>

#include "ui/kit/Appearance.h"

namespace orvane::FieldLook {

enum class Kind { field, list };

// Applies the look for the widget's appearance when it differs from the one applied last.
void follow(QWidget& widget, Kind kind = Kind::field);

}  // namespace orvane::FieldLook

#pragma once
// How long a hand-set tint is held against the curve, and where the hold ends so that the
// curve takes over without a visible jump.
#include "core/Curve.h"
#include "core/Settings.h"
#include "core/TintState.h"
#include "support/Date.h"

namespace orvane::ManualHold {

// The proposed end of a hold starting now (switch to manual counts as until the next step), settled.
Date end(OverrideBehavior behavior, const TintState& holding, const WarmthCurve& curve, Date now);
// Moves a proposed end to where the curve has come within 25 K of the held kelvin, searching
// every 30 s: at night until the curve is as warm, at the latest the next morning; inside a
// morning ramp until it has cooled to it, at the latest the ramp's end.
Date settle(Date end, const TintState& holding, const WarmthCurve& curve);

}  // namespace orvane::ManualHold

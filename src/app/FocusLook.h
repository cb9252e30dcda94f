#pragma once
// The look a Focus filter asks for while its Focus is on.
#include <optional>
#include <string_view>

#include "core/CaseNames.h"

namespace orvane {

enum class FocusLook { windDown, trueColor };
inline constexpr CaseNames<FocusLook, 2> focusLookNames{
    "FocusLook", {{{FocusLook::windDown, "windDown"}, {FocusLook::trueColor, "trueColor"}}}};
constexpr const auto& caseNames(FocusLook) { return focusLookNames; }

}  // namespace orvane

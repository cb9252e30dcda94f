#pragma once
// The base names of a complete screenshot-mode run, in the order they are rendered; each
// gives a dark "<name>.png" and then a light "<name>-light.png".
#include <string>
#include <vector>

namespace orvane::testing {

inline std::vector<std::string> renderUIShotNames() {
    std::vector<std::string> names{"popover"};
    for (const char* pane : {"general", "presets", "schedule", "displays", "comfort", "exclusions", "shortcuts",
                             "advanced", "statistics", "about"})
        names.push_back(std::string("settings-") + pane);
    for (const char* name : {"onboarding", "onboarding-gentle", "onboarding-deepRed"}) names.push_back(name);
    for (const char* time : {"0730", "0815", "1300", "1630", "1730", "1805", "1835", "1910", "2300"})
        names.push_back(std::string("sky-") + time);
    for (const char* moon : {"crescent", "quarter", "gibbous", "full", "day"})
        names.push_back(std::string("moon-") + moon);
    for (const char* name : {"popover-2700K", "popover-500K", "popover-disabled", "menubar-icons", "menubar-morph",
                             "rest-break", "hidden-icon-notice"})
        names.push_back(name);
    return names;
}

}  // namespace orvane::testing

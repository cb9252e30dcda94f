// A display left untinted while another is tinted is named by the tray's tooltip and the
// popover's footer, with its reason where there is room; with every display tinted, or
// none, nothing is named (the whole tint then says why).
#include <gtest/gtest.h>

#include "ui/menubar/UntintedDisplays.h"

namespace orvane::testing {
namespace {

DisplayCapabilities tinted(std::uint32_t id, std::string name) {
    DisplayCapabilities d;
    d.id = id;
    d.name = std::move(name);
    d.attachedMethod = TintMethod::gamma;
    d.attachedTitle = "Gamma table";
    return d;
}

DisplayCapabilities untinted(std::uint32_t id, std::string name, std::string reason) {
    DisplayCapabilities d;
    d.id = id;
    d.name = std::move(name);
    d.notTintedReason = std::move(reason);
    return d;
}

Capabilities of(std::vector<DisplayCapabilities> displays) {
    Capabilities c;
    c.displays = std::move(displays);
    return c;
}

const std::string refused = "the compositor refused this display's gamma";

TEST(UntintedDisplaysTest, NamesTheUntintedDisplaysOnlyBesideTintedOnes) {
    const struct {
        const char* what;
        Capabilities capabilities;
        std::string names, reasons;
    } cases[] = {
        {"none", of({}), "", ""},
        {"all tinted", of({tinted(1, "Built-in Display"), tinted(2, "DP-1")}), "", ""},
        {"none tinted", of({untinted(1, "Built-in Display", refused), untinted(2, "DP-1", refused)}), "", ""},
        {"one of two", of({tinted(1, "Built-in Display"), untinted(2, "HDMI-A-1", refused)}), "HDMI-A-1 not tinted",
         "HDMI-A-1 not tinted: " + refused},
        {"no reason known", of({untinted(1, "DP-1", ""), tinted(2, "DP-2")}), "DP-1 not tinted",
         "DP-1 not tinted: no method can run"},
        {"two of three",
         of({untinted(1, "DP-1", refused), tinted(2, "DP-2"), untinted(3, "HDMI-A-1", "Needs a compositing manager.")}),
         "DP-1, HDMI-A-1 not tinted",
         "DP-1 not tinted: " + refused + "; HDMI-A-1 not tinted: Needs a compositing manager."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(UntintedDisplays::names(c.capabilities), c.names);
        EXPECT_EQ(UntintedDisplays::reasons(c.capabilities), c.reasons);
    }
}

TEST(UntintedDisplaysTest, TheTrayToolTipNamesThemWithTheirReasonsWhileTheTintIsOn) {
    const Capabilities partly = of({tinted(1, "Built-in Display"), untinted(2, "HDMI-A-1", refused)});
    const Capabilities none = of({untinted(1, "Built-in Display", refused), untinted(2, "HDMI-A-1", refused)});
    const struct {
        bool enabled;
        std::optional<std::string> notTinted;
        const Capabilities* capabilities;
        std::string tip;
    } cases[] = {
        {true, std::nullopt, &partly, "Orvane \u00B7 2300K \u00B7 HDMI-A-1 not tinted: " + refused},
        {false, std::nullopt, &partly, "Orvane \u00B7 2300K"},
        {true, refused, &none, "Orvane \u00B7 Not tinted: " + refused},
        {false, refused, &none, "Orvane \u00B7 2300K"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(UntintedDisplays::trayToolTip(c.enabled, "2300K", c.notTinted, *c.capabilities), c.tip);
}

TEST(UntintedDisplaysTest, TheFooterDescribesATintedDisplayWhileOneIs) {
    const Capabilities primaryTinted = of({tinted(1, "Built-in Display"), untinted(2, "HDMI-A-1", refused)});
    const Capabilities primaryUntinted = of({untinted(1, "Built-in Display", refused), tinted(2, "DP-1")});
    const Capabilities none = of({untinted(1, "Built-in Display", refused), untinted(2, "DP-1", refused)});
    EXPECT_EQ(UntintedDisplays::footerDisplay(primaryTinted, 1u), &primaryTinted.displays[0]);
    EXPECT_EQ(UntintedDisplays::footerDisplay(primaryUntinted, 1u), &primaryUntinted.displays[1]);
    EXPECT_EQ(UntintedDisplays::footerDisplay(none, 1u), &none.displays[0]) << "it says why itself";
    EXPECT_EQ(UntintedDisplays::footerDisplay(none, std::nullopt), nullptr);
}

}  // namespace
}  // namespace orvane::testing

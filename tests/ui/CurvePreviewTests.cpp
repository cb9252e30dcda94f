// The curve preview's layout (the window, the samples, the labels, the marker) and the
// widget drawing it, in a zone other than the computer's.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "KitFixture.h"
#include "ui/kit/RenderHarness.h"
#include "ui/views/CurveLayout.h"
#include "ui/views/CurvePreview.h"

namespace orvane::testing {
namespace {

const TimeZone tokyo = *TimeZone::named("Asia/Tokyo");
const TimeZone berlin = *TimeZone::named("Europe/Berlin");

Date at(const TimeZone& zone, int year, int month, int day, int hour, int minute = 0) {
    return Calendar(zone).date(year, month, day, hour, minute);
}

// A curve that is 6500 K until `warm`, then `kelvin`.
WarmthCurve stepAt(Date warm, std::int64_t kelvin) {
    return WarmthCurve({Keyframe(warm - 86400 * 2, TintState::off, 0, "day", true),
                        Keyframe(warm, TintState(kelvin, 1.0, RedStyle::readable, false), 0, "night", false)});
}

// The process's zone must not matter: only the preview's own does.
class CurveLayoutTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* tz = std::getenv("TZ");
        if (tz) saved = tz;
        ::setenv("TZ", "UTC", 1);
        ::tzset();
    }
    void TearDown() override {
        if (saved) ::setenv("TZ", saved->c_str(), 1);
        else ::unsetenv("TZ");
        ::tzset();
    }
    std::optional<std::string> saved;
};

TEST_F(CurveLayoutTest, TheWindowStartsAtTheLatestNoonInThePreviewsZone) {
    // 09:00 in Tokyo: the window began yesterday at noon; 21 of its 24 hours are gone.
    const auto morning = CurveLayout::layout(std::nullopt, tokyo, 12, true, at(tokyo, 2026, 5, 14, 9), 240);
    EXPECT_EQ(morning.start, at(tokyo, 2026, 5, 13, 12));
    EXPECT_DOUBLE_EQ(morning.nowX, 240.0 * 21 / 24);
    // 13:00: it began an hour ago.
    const auto afternoon = CurveLayout::layout(std::nullopt, tokyo, 12, true, at(tokyo, 2026, 5, 14, 13), 240);
    EXPECT_EQ(afternoon.start, at(tokyo, 2026, 5, 14, 12));
    EXPECT_DOUBLE_EQ(afternoon.nowX, 240.0 / 24);
    // Exactly at the start hour the window begins now.
    EXPECT_EQ(CurveLayout::startOfWindow(tokyo, 12, at(tokyo, 2026, 5, 14, 12)), at(tokyo, 2026, 5, 14, 12));
    // On the first of a month the day before lies in the month before.
    EXPECT_EQ(CurveLayout::startOfWindow(tokyo, 12, at(tokyo, 2026, 3, 1, 8)), at(tokyo, 2026, 2, 28, 12));
}

TEST_F(CurveLayoutTest, LabelsSitOnTheQuartersAndHugTheEnds) {
    const auto layout = CurveLayout::layout(std::nullopt, tokyo, 12, true, at(tokyo, 2026, 5, 14, 9), 400);
    const std::array<std::string, 5> texts{"12", "18", "00", "06", "12"};
    const std::array<double, 5> xs{0, 88, 188, 288, 376};
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(layout.labels[i].text, texts[i]);
        EXPECT_DOUBLE_EQ(layout.labels[i].x, xs[i]);
    }
    EXPECT_EQ(layout.labels[0].align, CurveLayout::Align::leading);
    EXPECT_EQ(layout.labels[2].align, CurveLayout::Align::centre);
    EXPECT_EQ(layout.labels[4].align, CurveLayout::Align::trailing);
    EXPECT_DOUBLE_EQ(layout.top, 14);
    EXPECT_DOUBLE_EQ(layout.labelY, 29);
    EXPECT_EQ(CurveLayout::layout(std::nullopt, tokyo, 21, false, at(tokyo, 2026, 5, 14, 9), 400).labels[1].text, "03");

    const auto quiet = CurveLayout::layout(std::nullopt, tokyo, 12, false, at(tokyo, 2026, 5, 14, 9), 400);
    EXPECT_DOUBLE_EQ(quiet.top, 4);
    EXPECT_DOUBLE_EQ(quiet.labelY, 19);
    EXPECT_FALSE(quiet.nowLabelX);
}

TEST_F(CurveLayoutTest, TheNowLabelStaysInsideWhileTheMarkerReachesTheEdge) {
    const auto justAfter = CurveLayout::layout(std::nullopt, tokyo, 12, true, at(tokyo, 2026, 5, 14, 12, 5), 400);
    EXPECT_NEAR(justAfter.nowX, 400.0 * 5 / 1440, 1e-9);
    EXPECT_EQ(justAfter.nowLabelX, 0.0);
    const auto justBefore = CurveLayout::layout(std::nullopt, tokyo, 12, true, at(tokyo, 2026, 5, 14, 11, 59), 400);
    EXPECT_NEAR(justBefore.nowX, 400.0 * 1439 / 1440, 1e-9);
    EXPECT_EQ(justBefore.nowLabelX, 370.0);
    const auto middle = CurveLayout::layout(std::nullopt, tokyo, 12, true, at(tokyo, 2026, 5, 15, 0), 400);
    EXPECT_EQ(middle.nowLabelX, 185.0);
}

TEST_F(CurveLayoutTest, SamplesCoverTwentyFourRealHours) {
    const auto plain = CurveLayout::layout(std::nullopt, tokyo, 12, true, at(tokyo, 2026, 5, 14, 9), 400);
    ASSERT_EQ(plain.kelvins.size(), 97u);
    for (const auto k : plain.kelvins) EXPECT_EQ(k, 6500);

    // 09:00 on the day the clocks go forward: the window began at noon the day before and
    // runs 86400 s, to 13:00 summer time, not to the next noon.
    const Date now = at(berlin, 2026, 3, 29, 9);
    const Date start = at(berlin, 2026, 3, 28, 12);
    const auto shifted = CurveLayout::layout(stepAt(start + 86400, 1200), berlin, 12, true, now, 240);
    EXPECT_EQ(shifted.start, start);
    ASSERT_EQ(shifted.kelvins.size(), 97u);
    EXPECT_EQ(shifted.kelvins[95], 6500);
    EXPECT_EQ(shifted.kelvins[96], 1200) << "the last sample lies 86400 s after the start";
    EXPECT_DOUBLE_EQ(shifted.nowX, 240.0 * 20 / 24);
    const auto quarter = CurveLayout::layout(stepAt(start + 900, 1900), berlin, 12, true, now, 240);
    EXPECT_EQ(quarter.kelvins[0], 6500);
    EXPECT_EQ(quarter.kelvins[1], 1900) << "one sample every 15 minutes";
}

class CurvePreviewTest : public KitModelTest {};

// The widget lays out at the context's clock in its own zone, and a new curve animates.
TEST_F(CurvePreviewTest, DrawsItsZonesWindowAtTheContextsNow) {
    clock->setNow(at(tokyo, 2026, 5, 14, 9));
    auto* preview = new CurvePreview(std::nullopt, tokyo, 12, true, window.get());
    place(*preview, QSize(400, 44));
    EXPECT_EQ(preview->height(), 44);
    EXPECT_EQ(preview->accessibleName(), "Tonight's warmth curve");
    EXPECT_DOUBLE_EQ(preview->currentLayout().nowX, 350);
    clock->setNow(at(tokyo, 2026, 5, 14, 13));
    EXPECT_NEAR(preview->currentLayout().nowX, 400.0 / 24, 1e-9);
    preview->setTimeZone(berlin);  // 13:00 in Tokyo is 06:00 in Berlin
    EXPECT_DOUBLE_EQ(preview->currentLayout().nowX, 400.0 * 18 / 24);

    EXPECT_FALSE(preview->animating());
    preview->setCurve(stepAt(clock->now() - 3600, 1900));
    EXPECT_TRUE(preview->animating());
    animator->settleAll();
    EXPECT_FALSE(preview->animating());
    EXPECT_EQ(preview->shownKelvins().back(), 1900);
    preview->setCurve(stepAt(clock->now() - 3600, 1900));  // the same warmths: nothing moves
    EXPECT_FALSE(preview->animating());
}

TEST_F(CurvePreviewTest, Renders) {
    const Date evening = at(berlin, 2026, 3, 15, 22, 30);
    clock->setNow(evening);
    Settings settings;
    settings.sunset.locationSource = LocationSource::TimeZone{"Europe/Berlin"};
    start(settings);
    model->setEveningPlan({ClockTime(23, 0), ClockTime(7, 0), EveningIntensity::warm});
    ASSERT_TRUE(model->resolution().curve);
    auto* preview = new CurvePreview(model->resolution().curve, berlin, 12, true, window.get());
    kit::RenderHarness::renderBoth(*preview, "curve-preview", QSize(360, 44));
    auto* plain = new CurvePreview(std::nullopt, berlin, 12, false, window.get());
    kit::RenderHarness::renderBoth(*plain, "curve-preview-no-curve", QSize(360, 44));
}

}  // namespace
}  // namespace orvane::testing

// The sky card, the tonight block and the badge drawn at device pixel ratio 2 in light and
// dark: what must show in the pixels (the sun's disc, the moon, a dark night sky, the sea
// fading into the popover at the bottom). The images are kept under the renders folder.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "SkyFixture.h"
#include "ui/kit/RenderHarness.h"
#include "ui/menubar/SkyHero.h"
#include "ui/views/EveningLightBadge.h"
#include "ui/views/TonightSection.h"

namespace orvane::testing {
namespace {

QImage render(QWidget& widget, bool dark, const std::string& name) {
    const kit::Appearance appearance = dark ? kit::Appearance::dark : kit::Appearance::light;
    QImage image = kit::RenderHarness::render(widget, appearance, widget.size());
    kit::RenderHarness::save(image, QString::fromStdString(name + (dark ? "-dark" : "-light")));
    return image;
}

// The pixel under a point of the widget.
QColor at(const QImage& image, double x, double y) {
    return image.pixelColor(static_cast<int>(x * 2), static_cast<int>(y * 2));
}

class SkyRenderTest : public SkyModelTest {
protected:
    std::unique_ptr<SkyHero> card(Date fixedNow) {
        SkyHero::Environment environment;
        environment.scheduler = scheduler;
        environment.clock = clock;
        environment.locale = "en_US";
        auto hero = std::make_unique<SkyHero>(model, environment, fixedNow);
        hero->resize(352, SkyHero::cardHeight);
        hero->refresh();
        return hero;
    }
};

TEST_F(SkyRenderTest, BerlinNoonShowsTheSunOnABlueSky) {
    const Date noon = berlinTime(6, 21, 12);
    startAt(berlinCity, noon);
    auto hero = card(noon);
    for (bool dark : {false, true}) {
        const QImage image = render(*hero, dark, "sky-berlin-1200");
        const QColor sun = at(image, hero->day().sunX, hero->day().sunY);
        EXPECT_GT(sun.lightness(), 220);
        const QColor top = at(image, 300, 2);
        EXPECT_GT(top.blue(), top.red());
        // The extra sea has faded into the popover by the bottom edge.
        const QColor bottom = at(image, 176, SkyHero::cardHeight - 0.5);
        const QColor background = kit::windowColor(dark ? kit::Appearance::dark : kit::Appearance::light);
        EXPECT_NEAR(bottom.red(), background.red(), 12);
        EXPECT_NEAR(bottom.blue(), background.blue(), 12);
    }
}

TEST_F(SkyRenderTest, BerlinEveningCarriesTheBadge) {
    const Date evening = berlinTime(6, 21, 21, 45);
    startAt(berlinCity, evening);
    model->setRenderTonightReduction(0.62);
    auto hero = card(evening);
    ASSERT_FALSE(hero->badge()->isHidden());
    for (bool dark : {false, true}) {
        const QImage image = render(*hero, dark, "sky-berlin-2145");
        // The ring's ember arc starts at twelve o'clock.
        const QRect ring = hero->badge()->geometry();
        const QColor twelve = at(image, ring.x() + 6.5, ring.y() + (ring.height() - 13) / 2.0 + 1.2);
        EXPECT_GT(twelve.red(), twelve.blue() + 60);
    }
}

TEST_F(SkyRenderTest, BerlinNightShowsTheMoonOnADarkSky) {
    const Date late = berlinTime(6, 21, 23, 30);
    startAt(berlinCity, late);
    auto hero = card(late);
    ASSERT_TRUE(hero->day().moonSpot);
    for (bool dark : {false, true}) {
        const QImage image = render(*hero, dark, "sky-berlin-2330");
        const SkyPoint moon = hero->day().moonSpot->point;
        EXPECT_GT(at(image, moon.x, moon.y).lightness(), 180);
        EXPECT_LT(at(image, 200, 2).lightness(), 60);
    }
}

TEST_F(SkyRenderTest, LongyearbyenMidnightSunStaysAboveTheHorizon) {
    const Date noon = berlinTime(6, 21, 12);
    startAt(longyearbyenCity, noon);
    auto hero = card(noon);
    for (bool dark : {false, true}) {
        const QImage image = render(*hero, dark, "sky-longyearbyen-1200");
        EXPECT_GT(at(image, hero->day().sunX, hero->day().sunY).lightness(), 220);
        EXPECT_LT(hero->day().sunY, hero->day().horizonY());
    }
}

// The card's night sky, which the badge is drawn for.
class NightSky : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), QColor(0x14, 0x1c, 0x33)); }
};

// Pixels clearly red: the intensity swatches and the ring's ember.
int reddish(const QImage& image, QRect area) {
    int n = 0;
    for (int y = area.top() * 2; y < area.bottom() * 2; ++y)
        for (int x = area.left() * 2; x < area.right() * 2; ++x) {
            const QColor c = image.pixelColor(x, y);
            n += c.red() > c.green() + 80 && c.red() > c.blue() + 80;
        }
    return n;
}

TEST_F(SkyRenderTest, TonightBlockAndBadge) {
    startAt(berlinCity, berlinTime(6, 21, 21, 45));
    TonightSection withPlan(model);
    withPlan.resize(320, withPlan.sizeHint().height());
    for (bool dark : {false, true}) {
        const QImage image = render(withPlan, dark, "tonight-plan");
        EXPECT_GT(reddish(image, withPlan.rect()), 40);  // three swatches
    }
    Settings tuned = model->settings();
    tuned.sunset.startOffsetMinutes = -20;
    model->setSettings(tuned);
    TonightSection withoutPlan(model);
    withoutPlan.resize(320, withoutPlan.sizeHint().height());
    for (bool dark : {false, true}) {
        const QImage image = render(withoutPlan, dark, "tonight-custom");
        EXPECT_EQ(reddish(image, withoutPlan.rect()), 0);  // no segment, no swatches
    }

    NightSky night;
    night.resize(170, 24);
    EveningLightBadge badge(0.62, &night);
    badge.move(8, 4);
    badge.resize(badge.sizeHint());
    for (bool dark : {false, true}) {
        const QImage image = render(night, dark, "badge");
        EXPECT_GT(reddish(image, QRect(8, 4, 14, 16)), 10);  // the ring's arc
        // 62 % clockwise from twelve o'clock: three o'clock is on the arc, nine o'clock only
        // on the faint track.
        const QColor three = at(image, 14.5 + 5.25, 4 + 6.5), nine = at(image, 14.5 - 5.25, 4 + 6.5);
        EXPECT_GT(three.red(), three.blue() + 80);
        EXPECT_LT(nine.red(), three.red() - 60);
        int light = 0;
        for (int y = 8; y < 40; ++y)
            for (int x = 50; x < 300; ++x) light += image.pixelColor(x, y).lightness() > 170;
        EXPECT_GT(light, 30);  // the white text
    }
}

}  // namespace
}  // namespace orvane::testing

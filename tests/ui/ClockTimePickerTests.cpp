// The clock-time field over the real model, in the computer's zone (Europe/Berlin in the
// fixture): what a stored time shows on the days the clocks change, and what it writes.
#include <gtest/gtest.h>

#include <QTest>

#include "KitFixture.h"
#include "ui/views/SettingField.h"
#include "ui/settings/ClockTimePicker.h"

namespace orvane::testing {
namespace {

class ClockTimePickerTest : public KitModelTest {
protected:
    static Date berlin(int year, int month, int day, int hour, int minute = 0) {
        return Calendar(*TimeZone::named("Europe/Berlin")).date(year, month, day, hour, minute);
    }
    // A picker over a stored time, in the window; `writes` collects what it writes.
    ClockTimePicker& picker(std::int64_t minutes) {
        stored = ClockTime(minutes);
        field = new ClockTimePicker(model,
                                    {[this] { return stored; },
                                     [this](ClockTime t) {
                                         writes.push_back(t.minutes);
                                         stored = t;
                                     }},
                                    window.get());
        return place(*field, QSize(70, 24));
    }
    void pressReturn() {
        field->setFocus();
        QTest::keyClick(field, Qt::Key_Return);
    }

    ClockTime stored;
    ClockTimePicker* field = nullptr;
    std::vector<std::int64_t> writes;
};

TEST_F(ClockTimePickerTest, ASkippedTimeShowsTheEndOfTheGapAndWritesItBack) {
    clock->setNow(berlin(2026, 3, 29, 12));
    start();
    picker(150);
    EXPECT_EQ(field->time(), QTime(3, 0));
    EXPECT_TRUE(writes.empty()) << "showing never writes";
    pressReturn();
    EXPECT_EQ(writes, std::vector<std::int64_t>{180});
}

TEST_F(ClockTimePickerTest, ARepeatedTimeIsItsFirstOccurrence) {
    const TimeZone zone = *TimeZone::named("Europe/Berlin");
    const Date now = berlin(2026, 10, 25, 12);
    const Date shown = ClockTimePicker::shownDate(ClockTime(150), zone, now);
    EXPECT_EQ(zone.secondsFromGMT(shown), 7200);
    EXPECT_EQ(shown, Date{Calendar(TimeZone::utc()).date(2026, 10, 25, 0, 30)});
    clock->setNow(now);
    start();
    picker(150);
    EXPECT_EQ(field->time(), QTime(2, 30));
    pressReturn();
    EXPECT_TRUE(writes.empty()) << "nothing changed, nothing written";
}

TEST_F(ClockTimePickerTest, MidnightAndTheLastMinute) {
    start();
    picker(0);
    EXPECT_EQ(field->time(), QTime(0, 0));
    field->setFocus();
    field->setCurrentSection(QDateTimeEdit::HourSection);
    QTest::keyClick(field, Qt::Key_Up);
    QTest::keyClick(field, Qt::Key_Down);
    EXPECT_EQ(writes, (std::vector<std::int64_t>{60, 0}));
    EXPECT_EQ(stored.minutes, 0);

    stored = ClockTime(1439);
    field->refresh();
    EXPECT_EQ(field->time(), QTime(23, 59));

    EXPECT_EQ(ClockTimePicker::written(QTime(0, 0)).minutes, 0);
    EXPECT_EQ(ClockTimePicker::written(QTime(23, 59)).minutes, 1439);
    EXPECT_EQ(ClockTimePicker::written(QTime()).minutes, 0);
}

// The field is 70 points wide, hours and minutes only, and follows a change made elsewhere
// without writing it back.
TEST_F(ClockTimePickerTest, FollowsTheModelWithoutWriting) {
    start();
    picker(23 * 60);
    EXPECT_EQ(field->width(), 70);
    EXPECT_FALSE(field->displayFormat().contains(QLatin1Char('s')));
    EXPECT_EQ(field->buttonSymbols(), QAbstractSpinBox::NoButtons);
    stored = ClockTime(22, 15);
    Settings s = model->settings();
    s.manualKelvin = 3000;
    model->setSettings(s);  // any settings announcement re-reads the binding
    EXPECT_EQ(field->time(), QTime(22, 15));
    EXPECT_TRUE(writes.empty());
}

// Bound to a field of the settings: an entry is one change of that field, and a change of
// another field does not touch the time shown.
TEST_F(ClockTimePickerTest, BoundToASettingsFieldWritesItThroughOneChange) {
    start();
    auto* bound = new ClockTimePicker(kit::settingField(model, &Settings::sunset, &SunsetSettings::polarEvening),
                                      window.get());
    place(*bound, QSize(70, 26));
    EXPECT_EQ(bound->time(), QTime(20, 0));
    const auto changes = settingsChanges.size();
    bound->setTime(QTime(19, 30));
    EXPECT_EQ(model->settings().sunset.polarEvening, ClockTime(19, 30));
    EXPECT_EQ(settingsChanges.size(), changes + 1);
    bound->setTime(QTime(18, 0));
    Settings s = model->settings();
    s.sunset.polarEvening = ClockTime(21, 45);
    model->setSettings(s);
    EXPECT_EQ(bound->time(), QTime(21, 45));
    EXPECT_EQ(model->settings().sunset.polarEvening, ClockTime(21, 45)) << "showing wrote nothing back";
}

}  // namespace
}  // namespace orvane::testing

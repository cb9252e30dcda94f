// The clock-time field over the real model, in the computer's zone (Europe/Berlin in the
// fixture): what a stored time shows on the days the clocks change, and what it writes.
#include <gtest/gtest.h>

#include <QTest>

#include "KitFixture.h"
#include "ui/settings/ClockTimePicker.h"
#include "ui/views/SettingField.h"

namespace orvane::testing {
namespace {

class ClockTimePickerTest : public KitModelTest {
protected:
    static Date berlin(int year, int month, int day, int hour, int minute = 0) {
        return Calendar(*TimeZone::named("Europe/Berlin")).date(year, month, day, hour, minute);
    }
    // A picker over a stored time (the polar evening of the settings), in the window;
    // `writes` collects what it writes.
    ClockTimePicker& picker(std::int64_t minutes) {
        store(ClockTime(minutes));
        field = new ClockTimePicker(kit::operationField<ClockTime>(
                                        model, [](const Settings& s) { return s.sunset.polarEvening; },
                                        [this](AppModel& m, const ClockTime& t) {
                                            writes.push_back(t.minutes);
                                            m.change([&](Settings& s, RuntimeState&) { s.sunset.polarEvening = t; });
                                        }),
                                    window.get());
        return place(*field, QSize(70, 24));
    }
    // The time stored now, and a change of it made elsewhere.
    ClockTime stored() const { return model->settings().sunset.polarEvening; }
    void store(ClockTime time) {
        Settings s = model->settings();
        s.sunset.polarEvening = time;
        model->setSettings(s);
    }
    void pressReturn() {
        field->setFocus();
        QTest::keyClick(field, Qt::Key_Return);
    }

    ClockTimePicker* field = nullptr;
    std::vector<std::int64_t> writes;
};

TEST_F(ClockTimePickerTest, ASkippedTimeShowsTheEndOfTheGapAndWritesItBack) {
    clock->setNow(berlin(2026, 3, 29, 12));
    start();
    picker(150);
    EXPECT_EQ(field->time(), QTime(3, 0));
    EXPECT_TRUE(writes.empty()) << "showing never writes";
    // Changed elsewhere, from 01:00 to the skipped 02:30: shown as 03:00, still not written.
    store(ClockTime(1, 0));
    field->refresh();
    EXPECT_EQ(field->time(), QTime(1, 0));
    Settings s = model->settings();
    s.sunset.polarEvening = ClockTime(2, 30);
    s.manualKelvin = 3000;
    model->setSettings(s);  // the announcement re-reads the field
    EXPECT_EQ(field->time(), QTime(3, 0));
    EXPECT_TRUE(writes.empty()) << "a refresh never writes, also when the time shown differs from the stored one";
    EXPECT_EQ(stored().minutes, 150);
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
    EXPECT_EQ(stored().minutes, 0);

    store(ClockTime(1439));
    field->refresh();
    EXPECT_EQ(field->time(), QTime(23, 59));

    EXPECT_EQ(ClockTimePicker::written(QTime(0, 0)).minutes, 0);
    EXPECT_EQ(ClockTimePicker::written(QTime(23, 59)).minutes, 1439);
    EXPECT_EQ(ClockTimePicker::written(QTime()).minutes, 0);
}

// A whole new time typed over the selected field: every section is taken as typed, not only
// the minutes (the hour used to stay as it was).
TEST_F(ClockTimePickerTest, ATimeTypedOverTheWholeFieldIsTakenWhole) {
    start();
    const struct {
        std::int64_t stored;
        const char* typed;
        std::int64_t written;
    } cases[] = {{20 * 60, "16:30", 16 * 60 + 30},
                 {20 * 60, "0730", 7 * 60 + 30},
                 {9 * 60, "23:05", 23 * 60 + 5},
                 {20 * 60, "9:15", 9 * 60 + 15}};
    for (const auto& c : cases) {
        writes.clear();
        picker(c.stored);
        field->setFocus();
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(field, QString::fromUtf8(c.typed));
        QTest::keyClick(field, Qt::Key_Return);
        EXPECT_EQ(stored().minutes, c.written) << c.typed;
        EXPECT_EQ(writes, std::vector<std::int64_t>{c.written}) << c.typed;
        delete field;
    }
}

// The field is 70 points wide, hours and minutes only, and follows a change made elsewhere
// without writing it back.
TEST_F(ClockTimePickerTest, FollowsTheModelWithoutWriting) {
    start();
    picker(23 * 60);
    EXPECT_EQ(field->width(), 70);
    EXPECT_FALSE(field->displayFormat().contains(QLatin1Char('s')));
    EXPECT_EQ(field->buttonSymbols(), QAbstractSpinBox::NoButtons);
    Settings s = model->settings();
    s.sunset.polarEvening = ClockTime(22, 15);
    s.manualKelvin = 3000;
    model->setSettings(s);
    EXPECT_EQ(field->time(), QTime(22, 15));
    EXPECT_TRUE(writes.empty());
}

// Bound to a field of the settings: an entry is one change of that field, and a change of
// another field does not touch the time shown.
TEST_F(ClockTimePickerTest, BoundToASettingsFieldWritesItThroughOneChange) {
    start();
    auto* bound =
        new ClockTimePicker(kit::settingField(model, &Settings::sunset, &SunsetSettings::polarEvening), window.get());
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

#pragma once
// The application model on the simulated machine at a chosen place and moment, for the
// sky card's and the evening controls' widget tests.
#include <memory>
#include <string>

#include "app/ModelFixture.h"

namespace orvane::testing {

inline constexpr const char* berlinCity = "2950159";
inline constexpr const char* longyearbyenCity = "2729907";

class SkyModelTest : public ModelTest {
protected:
    // Starts the model at the city with the settings (mode etc.) given.
    AppModel& startAt(const char* city, Date now, Settings settings = Settings{}) {
        settings.sunset.locationSource = LocationSource::City{city};
        clock->setNow(now);
        return start(settings);
    }
    static Date berlinTime(int month, int day, int hour, int minute = 0) {
        return Calendar(*TimeZone::named("Europe/Berlin")).date(2024, month, day, hour, minute);
    }
};

}  // namespace orvane::testing

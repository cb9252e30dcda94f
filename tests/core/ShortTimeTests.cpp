// The one format of every shown time: the locale the environment gives times in, and that
// locale's hours and minutes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "core/ShortTime.h"

namespace orvane {
namespace {

// Sets (or, with nullopt, removes) an environment variable for the test's life.
class EnvironmentVariable {
public:
    EnvironmentVariable(const char* name, std::optional<std::string> value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value) ::setenv(name, value->c_str(), 1);
        else ::unsetenv(name);
    }
    ~EnvironmentVariable() {
        if (old_) ::setenv(name_, old_->c_str(), 1);
        else ::unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(ShortTime, TheEnvironmentsTimeLocale) {
    using V = std::optional<std::string>;
    const struct {
        V all, time, lang;
        const char* locale;
    } cases[] = {
        {std::nullopt, std::nullopt, std::nullopt, ""},
        {std::nullopt, std::nullopt, "en_US.UTF-8", "en_US"},
        {std::nullopt, "de_DE.UTF-8", "en_US.UTF-8", "de_DE"},   // times from LC_TIME
        {"fr_FR.UTF-8", "de_DE.UTF-8", "en_US.UTF-8", "fr_FR"},  // LC_ALL overrides
        {std::nullopt, "", "en_GB.UTF-8", "en_GB"},              // empty is unset
        {std::nullopt, "C.UTF-8", "en_US.UTF-8", ""},
        {std::nullopt, "POSIX", std::nullopt, ""},
        {std::nullopt, "de_DE.UTF-8@euro", std::nullopt, "de_DE"},
    };
    for (const auto& c : cases) {
        const EnvironmentVariable all("LC_ALL", c.all), time("LC_TIME", c.time), lang("LANG", c.lang);
        EXPECT_EQ(ShortTime::environmentLocale(), c.locale) << c.locale;
    }
}

TEST(ShortTime, HoursAndMinutesInTheLocalesShortFormat) {
    const struct {
        const char* locale;
        int hour, minute;
        const char* shown;
    } cases[] = {
        {"", 16, 54, "16:54"},
        {"", 7, 5, "07:05"},
        {"de_DE", 16, 54, "16:54"},
        {"en_GB", 0, 5, "00:05"},
        {"en_US", 16, 54, "4:54\u202FPM"},
        {"en_US", 0, 5, "12:05\u202FAM"},
        {"fi_FI", 16, 54, "16.54"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ShortTime::format(c.hour, c.minute, c.locale), c.shown) << c.locale << " " << c.hour;
}

TEST(ShortTime, ThePinnedLocaleIsEveryonesUntilUnpinned) {
    ShortTime::setLocale("en_US");
    EXPECT_EQ(ShortTime::format(21, 30), "9:30\u202FPM");
    ShortTime::setLocale("");
    EXPECT_EQ(ShortTime::locale(), ShortTime::environmentLocale());
}

}  // namespace
}  // namespace orvane

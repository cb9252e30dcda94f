#pragma once
// The nine actions other programs run on the running instance, as data: each with its
// title, description, parameters and summary, and what it does to the model. Also the
// parameter types (the evening intensity, the Focus look, the preset entity), the preset
// query, the Focus filter, and the port that serves all of it on the session bus.
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "app/FocusLook.h"
#include "core/CaseNames.h"
#include "core/EveningPlan.h"
#include "platform/IntentsPort.h"
#include "platform/Value.h"
#include "support/Json.h"

namespace orvane {

class AppModel;

enum class IntentFailure { notRunning, customCurve };
std::string_view text(IntentFailure failure);

enum class IntensityOption { gentle, warm, deepRed };
inline constexpr CaseNames<IntensityOption, 3> intensityOptionNames{
    "IntensityOption",
    {{{IntensityOption::gentle, "gentle"}, {IntensityOption::warm, "warm"}, {IntensityOption::deepRed, "deepRed"}}}};
constexpr const auto& caseNames(IntensityOption) { return intensityOptionNames; }
std::string_view title(IntensityOption option);
EveningIntensity eveningIntensity(IntensityOption option);

// "Deep red (wind down)", "True color".
std::string_view title(FocusLook look);

// A snapshot of one stored preset; the action looks the preset up again by id.
struct PresetEntity {
    std::string id;
    std::string name;
    std::int64_t kelvin = 0;

    std::string subtitle() const;  // "2700 K"
    bool operator==(const PresetEntity&) const = default;
};

// Both answer an empty list without a model.
struct PresetQuery {
    PresetQuery() = delete;
    // Every stored preset, in the stored order.
    static std::vector<PresetEntity> suggestedEntities(const AppModel* model);
    // The stored presets named among `ids`, in the stored order, each once.
    static std::vector<PresetEntity> entities(const AppModel* model, const std::vector<std::string>& ids);
};

class Intents {
public:
    Intents() = delete;

    enum class Type { boolean, integer, intensity, preset, look };

    struct Parameter {
        std::string name;
        Type type = Type::integer;
        std::string title;
        bool optional = false;
        std::optional<std::int64_t> defaultValue;  // integers only
        std::optional<std::pair<std::int64_t, std::int64_t>> range;
        std::vector<std::string> offered;  // raw values, in the offered order
        std::string description;
    };

    // A checked argument: a Boolean or an integer, an intensity, or a preset id.
    using Argument = std::variant<bool, std::int64_t, IntensityOption, std::string>;
    using Arguments = std::map<std::string, Argument>;

    // Empty text for every action but GetState; or the failure.
    struct Outcome {
        std::string text;
        std::optional<IntentFailure> failure;
    };

    struct Action {
        std::string id;  // "WindDown", ...
        std::string title;
        std::string description;
        std::vector<Parameter> parameters;
        std::optional<std::string> summary;  // "{kelvin}" marks a parameter; absent: the default one
        std::function<Outcome(AppModel& model, const Arguments& arguments)> run;

        // Checks the raw values against the parameters: a failure's text, else the
        // arguments with the defaults filled in. Never touches a model.
        std::variant<Arguments, std::string> check(const platform::Dictionary& raw) const;
        // Not running without a model; otherwise the action on it.
        Outcome perform(AppModel* model, const Arguments& arguments) const;
    };

    // The nine, in their fixed order.
    static const std::vector<Action>& all();
    static const Action* find(std::string_view id);

    // The Focus filter: the look while the Focus is on, none when it ends. Does nothing
    // without a model.
    static void performFocus(AppModel* model, std::optional<FocusLook> look);
    // "Deep red", "True color", "Follow my evening".
    static std::string_view focusDisplayTitle(std::optional<FocusLook> look);

    // The whole registry: an object per action, then the Focus filter's.
    static Json describe();

    // "on · 2700K · brightness 13% · <mode subtitle>".
    static std::string stateText(const AppModel& model);
};

// Serves the registry to other programs; `findModel` gives the running model or null.
class IntentsService final : public platform::IntentsPort {
public:
    static constexpr const char* notRunningError = "app.orvane.Error.NotRunning";
    static constexpr const char* customCurveError = "app.orvane.Error.CustomCurve";
    static constexpr const char* invalidArgsError = "org.freedesktop.DBus.Error.InvalidArgs";

    explicit IntentsService(std::function<AppModel*()> findModel) : findModel_(std::move(findModel)) {}

    Result run(const std::string& action, const platform::Dictionary& parameters) override;
    std::vector<PresetRecord> presets() override;
    std::vector<PresetRecord> presetsFor(const std::vector<std::string>& ids) override;
    std::optional<Error> applyFocus(const std::string& look) override;
    std::string describe() override;

private:
    std::function<AppModel*()> findModel_;
};

}  // namespace orvane

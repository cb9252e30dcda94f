#include "app/Intents.h"

#include <algorithm>
#include <set>

#include "app/AppModel.h"
#include "core/Percent.h"

namespace orvane {

std::string_view text(IntentFailure failure) {
    switch (failure) {
        case IntentFailure::notRunning:
            return "Orvane is not running.";
        case IntentFailure::customCurve:
            return "Your evening curve was tuned by hand. Change the intensity in Orvane's Settings.";
    }
    return "";
}

std::string_view title(IntensityOption option) {
    switch (option) {
        case IntensityOption::gentle:
            return "Gentle";
        case IntensityOption::warm:
            return "Warm";
        case IntensityOption::deepRed:
            return "Deep red";
    }
    return "";
}

EveningIntensity eveningIntensity(IntensityOption option) {
    switch (option) {
        case IntensityOption::gentle:
            return EveningIntensity::gentle;
        case IntensityOption::warm:
            return EveningIntensity::warm;
        case IntensityOption::deepRed:
            return EveningIntensity::deepRed;
    }
    return EveningIntensity::warm;
}

std::string_view title(FocusLook look) {
    switch (look) {
        case FocusLook::windDown:
            return "Deep red (wind down)";
        case FocusLook::trueColor:
            return "True color";
    }
    return "";
}

std::string PresetEntity::subtitle() const { return std::to_string(kelvin) + " K"; }

// --- the preset query --------------------------------------------------------------------

namespace {

PresetEntity entity(const Preset& preset) { return {preset.id, preset.name, preset.kelvin}; }

}  // namespace

std::vector<PresetEntity> PresetQuery::suggestedEntities(const AppModel* model) {
    std::vector<PresetEntity> entities;
    if (!model) return entities;
    for (const auto& preset : model->settings().presets) entities.push_back(entity(preset));
    return entities;
}

std::vector<PresetEntity> PresetQuery::entities(const AppModel* model, const std::vector<std::string>& ids) {
    std::vector<PresetEntity> entities;
    if (!model) return entities;
    const std::set<std::string> wanted(ids.begin(), ids.end());
    for (const auto& preset : model->settings().presets)
        if (wanted.contains(preset.id)) entities.push_back(entity(preset));
    return entities;
}

// --- the actions -----------------------------------------------------------------------

namespace {

using Arguments = Intents::Arguments;
using Parameter = Intents::Parameter;
using Type = Intents::Type;
using Outcome = Intents::Outcome;

const Intents::Argument* argument(const Arguments& arguments, const char* name) {
    const auto it = arguments.find(name);
    return it == arguments.end() ? nullptr : &it->second;
}
std::optional<bool> flag(const Arguments& arguments, const char* name) {
    const auto* a = argument(arguments, name);
    return a ? std::optional<bool>(std::get<bool>(*a)) : std::nullopt;
}
std::optional<std::int64_t> integer(const Arguments& arguments, const char* name) {
    const auto* a = argument(arguments, name);
    return a ? std::optional<std::int64_t>(std::get<std::int64_t>(*a)) : std::nullopt;
}

Parameter boolean(const char* name, const char* title) {
    return {name,         Type::boolean, title, true,
            std::nullopt, std::nullopt,  {},    "Leave empty to switch between on and off."};
}
Parameter whole(const char* name, const char* title, std::int64_t low, std::int64_t high, bool optional = false,
                std::optional<std::int64_t> fallback = std::nullopt) {
    return {name, Type::integer, title, optional, fallback, std::pair{low, high}, {}, ""};
}

Outcome done() { return {}; }

std::vector<Intents::Action> makeActions() {
    std::vector<Intents::Action> actions;
    actions.push_back({"WindDown",
                       "Wind Down",
                       "Goes to deep red right away, or back to your evening.",
                       {boolean("on", "Wind down")},
                       "Wind down: {on}",
                       [](AppModel& model, const Arguments& a) {
                           model.setCozy(flag(a, "on").value_or(!model.runtime().cozyActive));
                           return done();
                       }});
    actions.push_back({"ShowTrueColor",
                       "Show True Color",
                       "Removes the warmth for a while, e.g. for photos or video. It comes back by itself.",
                       {whole("minutes", "Minutes", 1, 1440, false, 15)},
                       "Show true color for {minutes} minutes",
                       [](AppModel& model, const Arguments& a) {
                           const auto minutes = static_cast<double>(*integer(a, "minutes"));
                           model.disable(model.now().addingTimeInterval(minutes * 60));
                           return done();
                       }});
    actions.push_back({"FollowEvening",
                       "Follow My Evening",
                       "Drops wind down, true color and manual changes, and goes back to your evening curve.",
                       {},
                       std::nullopt,
                       [](AppModel& model, const Arguments&) {
                           model.followEvening();
                           return done();
                       }});
    Parameter intensity{"intensity", Type::intensity, "Intensity", false, std::nullopt, std::nullopt, {}, ""};
    for (const auto option : allCases<IntensityOption>()) intensity.offered.emplace_back(toString(option));
    actions.push_back({"SetIntensity",
                       "Set Evening Intensity",
                       "How warm your evenings get: Gentle, Warm or Deep red.",
                       {intensity},
                       "Set evening intensity to {intensity}",
                       [](AppModel& model, const Arguments& a) -> Outcome {
                           const auto plan = EveningPlan::matching(model.settings().sunset);
                           if (!plan) return {"", IntentFailure::customCurve};
                           const auto option = std::get<IntensityOption>(a.at("intensity"));
                           model.setEveningPlan({plan->bedtime, plan->wake, eveningIntensity(option)});
                           return done();
                       }});
    actions.push_back({"SetWarmth",
                       "Set Warmth",
                       "Holds the screen at a warmth in kelvin (500 deep red \u2013 6500 daylight).",
                       {whole("kelvin", "Kelvin", 500, 6500), whole("brightness", "Brightness %", 1, 100, true)},
                       "Set warmth to {kelvin} K",
                       [](AppModel& model, const Arguments& a) {
                           std::optional<double> dim;
                           if (const auto b = integer(a, "brightness")) dim = static_cast<double>(*b) / 100.0;
                           model.setWarmth(*integer(a, "kelvin"), dim);
                           return done();
                       }});
    actions.push_back({"SetDim",
                       "Set Brightness",
                       "Dims the screen below the lowest backlight level (100 = no dimming).",
                       {whole("percent", "Percent", 1, 100)},
                       std::nullopt,
                       [](AppModel& model, const Arguments& a) {
                           const double dim = static_cast<double>(*integer(a, "percent")) / 100.0;
                           model.setWarmth(model.resolution().modeState.kelvin,
                                           std::min(std::max(dim, model.settings().dimFloor), 1.0));
                           return done();
                       }});
    actions.push_back({"ApplyPreset",
                       "Apply Preset",
                       "Holds one of your presets, e.g. Midnight.",
                       {{"preset", Type::preset, "Preset", false, std::nullopt, std::nullopt, {}, ""}},
                       "Apply {preset}",
                       [](AppModel& model, const Arguments& a) {
                           const auto& id = std::get<std::string>(a.at("preset"));
                           const auto& presets = model.settings().presets;
                           const auto it = std::find_if(presets.begin(), presets.end(),
                                                        [&](const Preset& p) { return p.id == id; });
                           if (it == presets.end()) return done();  // deleted meanwhile
                           const Preset preset = *it;               // the model's change may replace the list
                           model.setWarmth(preset.kelvin, preset.dim);
                           model.playPop();
                           return done();
                       }});
    actions.push_back({"Toggle",
                       "Turn Orvane On or Off",
                       "Turns the warm screen on or off.",
                       {boolean("on", "On")},
                       std::nullopt,
                       [](AppModel& model, const Arguments& a) {
                           model.setEnabled(flag(a, "on").value_or(!model.settings().enabled));
                           return done();
                       }});
    actions.push_back({"GetState",
                       "Get Orvane State",
                       "Returns the current warmth, brightness and what Orvane is doing.",
                       {},
                       std::nullopt,
                       [](AppModel& model, const Arguments&) {
                           return Outcome{Intents::stateText(model), {}};
                       }});
    return actions;
}

std::string rangeText(const Parameter& p) {
    return p.name + " must be an integer from " + std::to_string(p.range->first) + " to " +
           std::to_string(p.range->second);
}

std::optional<Intents::Argument> checked(const Parameter& p, const platform::Value& value) {
    switch (p.type) {
        case Type::boolean:
            if (const auto* b = value.get<bool>()) return *b;
            return std::nullopt;
        case Type::integer: {
            const auto* n = value.get<std::int64_t>();
            if (!n || (p.range && (*n < p.range->first || *n > p.range->second))) return std::nullopt;
            return *n;
        }
        case Type::intensity:
            if (const auto* s = value.string())
                if (const auto option = fromString<IntensityOption>(*s)) return *option;
            return std::nullopt;
        case Type::preset:
        case Type::look:
            if (const auto* s = value.string()) return *s;
            return std::nullopt;
    }
    return std::nullopt;
}

std::string refusal(const Parameter& p) {
    switch (p.type) {
        case Type::boolean:
            return p.name + " must be true or false";
        case Type::integer:
            return rangeText(p);
        case Type::intensity:
            return p.name + " must be gentle, warm or deepRed";
        case Type::preset:
            return p.name + " must be text";
        case Type::look:
            return p.name + " must be windDown, trueColor or empty";
    }
    return p.name;
}

const char* typeName(Type type) {
    switch (type) {
        case Type::boolean:
            return "boolean";
        case Type::integer:
            return "integer";
        case Type::intensity:
            return "IntensityOption";
        case Type::preset:
            return "PresetEntity";
        case Type::look:
            return "FocusLook";
    }
    return "";
}

Json describe(const Parameter& p) {
    Json json = {{"name", p.name}, {"type", typeName(p.type)}, {"title", p.title}, {"optional", p.optional}};
    if (p.defaultValue) json["default"] = *p.defaultValue;
    if (p.range) json["range"] = {{"min", p.range->first}, {"max", p.range->second}, {"control", "stepper"}};
    if (!p.offered.empty()) {
        Json offered = Json::array();
        for (const auto& raw : p.offered) {
            std::string shown;
            if (p.type == Type::intensity) shown = title(*fromString<IntensityOption>(raw));
            if (p.type == Type::look) shown = title(*fromString<FocusLook>(raw));
            offered.push_back({{"value", raw}, {"title", shown}});
        }
        json["values"] = offered;
    }
    if (p.type == Type::preset) json["query"] = "Presets";
    if (!p.description.empty()) json["description"] = p.description;
    return json;
}

}  // namespace

std::variant<Arguments, std::string> Intents::Action::check(const platform::Dictionary& raw) const {
    for (const auto& [name, value] : raw) {
        const bool known =
            std::ranges::any_of(parameters, [&name = name](const Parameter& p) { return p.name == name; });
        if (!known) return "unknown parameter: " + name;
    }
    Arguments arguments;
    for (const auto& p : parameters) {
        const auto it = raw.find(p.name);
        if (it == raw.end()) {
            if (p.defaultValue) arguments.emplace(p.name, *p.defaultValue);
            else if (!p.optional) return "missing parameter: " + p.name;
            continue;
        }
        const auto value = checked(p, it->second);
        if (!value) return refusal(p);
        arguments.emplace(p.name, *value);
    }
    return arguments;
}

Outcome Intents::Action::perform(AppModel* model, const Arguments& arguments) const {
    if (!model) return {"", IntentFailure::notRunning};
    return run(*model, arguments);
}

const std::vector<Intents::Action>& Intents::all() {
    static const std::vector<Action> actions = makeActions();
    return actions;
}

const Intents::Action* Intents::find(std::string_view id) {
    for (const auto& action : all())
        if (action.id == id) return &action;
    return nullptr;
}

void Intents::performFocus(AppModel* model, std::optional<FocusLook> look) {
    if (model) model->applyFocus(look);
}

std::string_view Intents::focusDisplayTitle(std::optional<FocusLook> look) {
    if (!look) return "Follow my evening";
    return *look == FocusLook::windDown ? "Deep red" : "True color";
}

Json Intents::describe() {
    Json registry = Json::array();
    for (const auto& action : all()) {
        Json json = {{"id", action.id}, {"title", action.title}, {"description", action.description}};
        if (action.summary) json["summary"] = *action.summary;
        Json parameters = Json::array();
        for (const auto& p : action.parameters) parameters.push_back(orvane::describe(p));
        json["parameters"] = parameters;
        registry.push_back(json);
    }
    Parameter look{"look", Type::look, "Screen", true, std::nullopt, std::nullopt, {}, ""};
    for (const auto l : allCases<FocusLook>()) look.offered.emplace_back(toString(l));
    Json titles = Json::object();
    for (const auto l : allCases<FocusLook>()) titles[std::string(toString(l))] = focusDisplayTitle(l);
    titles[""] = focusDisplayTitle(std::nullopt);
    registry.push_back(
        {{"id", "FocusFilter"},
         {"title", "Set Orvane's screen"},
         {"description", "Deep red or true color while this Focus is on. Your evening comes back when it ends."},
         {"parameters", Json::array({orvane::describe(look)})},
         {"lookTitles", titles}});
    return registry;
}

std::string Intents::stateText(const AppModel& model) {
    const auto& mode = model.resolution().modeState;
    return std::string(model.settings().enabled ? "on" : "off") + " \u00b7 " + std::to_string(mode.kelvin) +
           "K \u00b7 brightness " + std::to_string(percentRounded(mode.dim)) + "% \u00b7 " + model.modeSubtitle();
}

// --- the service -----------------------------------------------------------------------

namespace {

platform::IntentsPort::Error failureError(IntentFailure failure) {
    return {failure == IntentFailure::notRunning ? IntentsService::notRunningError : IntentsService::customCurveError,
            std::string(text(failure))};
}

std::vector<platform::IntentsPort::PresetRecord> records(const std::vector<PresetEntity>& entities) {
    std::vector<platform::IntentsPort::PresetRecord> out;
    for (const auto& e : entities) out.push_back({e.id, e.name, e.kelvin, e.subtitle()});
    return out;
}

}  // namespace

platform::IntentsPort::Result IntentsService::run(const std::string& action, const platform::Dictionary& parameters) {
    const auto* found = Intents::find(action);
    if (!found) return Error{invalidArgsError, "unknown action: " + action};
    auto arguments = found->check(parameters);
    if (const auto* refusal = std::get_if<std::string>(&arguments)) return Error{invalidArgsError, *refusal};
    const auto outcome = found->perform(findModel_(), std::get<Intents::Arguments>(arguments));
    if (outcome.failure) return failureError(*outcome.failure);
    return outcome.text;
}

std::vector<platform::IntentsPort::PresetRecord> IntentsService::presets() {
    return records(PresetQuery::suggestedEntities(findModel_()));
}

std::vector<platform::IntentsPort::PresetRecord> IntentsService::presetsFor(const std::vector<std::string>& ids) {
    return records(PresetQuery::entities(findModel_(), ids));
}

std::optional<platform::IntentsPort::Error> IntentsService::applyFocus(const std::string& look) {
    std::optional<FocusLook> chosen;
    if (!look.empty()) {
        chosen = fromString<FocusLook>(look);
        if (!chosen) return Error{invalidArgsError, "look must be windDown, trueColor or empty"};
    }
    Intents::performFocus(findModel_(), chosen);
    return std::nullopt;
}

std::string IntentsService::describe() { return json::encodePretty(Intents::describe()); }

}  // namespace orvane

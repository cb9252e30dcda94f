#include "app/Startup.h"

#include <algorithm>
#include <filesystem>

#include "platform/Platform.h"

namespace orvane {

namespace {

// The row of an option that needs its next element: only the first occurrence counts.
std::optional<std::string> valueAfterFirst(const std::vector<std::string>& arguments, std::string_view option) {
    const auto it = std::find(arguments.begin(), arguments.end(), option);
    if (it == arguments.end() || std::next(it) == arguments.end()) return std::nullopt;
    return *std::next(it);
}

}  // namespace

Startup::Choice Startup::choose(const std::vector<std::string>& arguments) {
    if (std::find(arguments.begin(), arguments.end(), "--selftest") != arguments.end()) return {Mode::selfTest, {}};
    if (auto command = Commands::parse(arguments)) return {Mode::command, {}, std::move(command)};
    if (auto dir = valueAfterFirst(arguments, "--render-ui")) return {Mode::renderUI, *dir};
    if (auto path = valueAfterFirst(arguments, "--render-icon")) return {Mode::renderIcon, *path};
    return {Mode::normal, {}, {}, Commands::mentionsCommand(arguments)};
}

std::vector<std::string> Startup::urlArguments(const std::vector<std::string>& arguments) {
    std::vector<std::string> urls;
    for (std::size_t i = 1; i < arguments.size(); ++i)
        if (Commands::isURL(arguments[i])) urls.push_back(arguments[i]);
    return urls;
}

bool Startup::copyFormerDefaults(platform::UserDefaults& own, const std::string& ownBundleIdentifier,
                                 const DomainReader& read) {
    if (ownBundleIdentifier.empty()) return false;
    if (own.object("settings.json")) return false;
    if (own.object(std::string(formerDefaultsCopiedKey))) return false;

    platform::Dictionary merged;
    for (const auto id : formerBundleIdentifiers) {
        if (id == ownBundleIdentifier) continue;
        const auto domain = read(std::string(id));
        if (!domain) continue;
        for (const auto& [key, value] : *domain) merged[key] = value;  // the later domain wins
    }
    if (merged.empty()) return false;

    // The own values win, so only keys it lacks are written; the domain is never emptied
    // on the way, and the marker goes last, once everything else is on disk.
    const platform::Dictionary current = own.dictionaryRepresentation();
    for (const auto& [key, value] : merged)
        if (!current.count(key)) own.set(key, value);
    own.set(std::string(formerDefaultsCopiedKey), platform::Value(true));
    return true;
}

bool Startup::copyFormerDefaults(platform::Platform& platform) {
    const auto directory = platform.defaultsDirectory();
    auto own = platform.standardUserDefaults();
    return copyFormerDefaults(*own, std::string(platform::bundleIdentifier), [&](const std::string& domain) {
        // Opening a domain that was never written would create it; look first.
        std::optional<platform::Dictionary> contents;
        std::error_code error;
        if (std::filesystem::exists(directory / (domain + ".json"), error))
            contents = platform.userDefaults(domain)->dictionaryRepresentation();
        return contents;
    });
}

}  // namespace orvane

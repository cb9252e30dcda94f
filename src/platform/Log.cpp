#include "platform/Log.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <vector>

namespace orvane::platform {

namespace {

struct LogState {
    std::mutex mutex;
    std::map<std::size_t, Log::Sink> sinks;
    std::size_t nextSink = 1;
    std::atomic<bool> debug{[] {
        const char* v = std::getenv("ORVANE_DEBUG");
        return v != nullptr && std::string_view(v) == "1";
    }()};
    std::atomic<bool> standardError{true};
};

LogState& state() {
    static LogState s;
    return s;
}

}  // namespace

std::string_view toString(LogLevel level) {
    switch (level) {
        case LogLevel::debug:
            return "debug";
        case LogLevel::info:
            return "info";
        case LogLevel::notice:
            return "default";
        case LogLevel::error:
            return "error";
        case LogLevel::fault:
            return "fault";
    }
    return "default";
}

std::string stripLogModifiers(std::string_view format) {
    std::string out;
    out.reserve(format.size());
    for (std::size_t i = 0; i < format.size(); ++i) {
        out += format[i];
        if (format[i] == '%' && i + 1 < format.size() && format[i + 1] == '{') {
            const auto close = format.find('}', i + 2);
            if (close != std::string_view::npos) i = close;
        }
    }
    return out;
}

std::string logExcerpt(std::string_view text) {
    const auto continues = [&](std::size_t at) {
        return at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80;
    };
    std::size_t at = 0;
    for (std::size_t characters = 0; at < text.size(); ++characters) {
        if (characters == logExcerptCharacters)
            return std::string(text.substr(0, at)) + "\u2026 (" + std::to_string(text.size()) + " bytes)";
        // A lead byte says how many continue it; a stray byte is a character of its own, so
        // that bytes which are no UTF-8 are cut as well.
        const auto lead = static_cast<unsigned char>(text[at++]);
        const int following = lead < 0xC0 ? 0 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : lead < 0xF8 ? 3 : 0;
        for (int i = 0; i < following && continues(at); ++i) ++at;
    }
    return std::string(text);
}

Log::Log(std::string category, std::string subsystem)
    : category_(std::move(category)), subsystem_(std::move(subsystem)) {}

void Log::write(LogLevel level, std::string message) const {
    auto& s = state();
    if (level == LogLevel::debug && !s.debug) return;
    LogRecord record{subsystem_, category_, level, std::move(message)};
    std::vector<Sink> sinks;
    {
        std::lock_guard lock(s.mutex);
        if (s.standardError)
            std::fprintf(stderr, "%s[%s] %s: %s\n", record.subsystem.c_str(), record.category.c_str(),
                         std::string(toString(level)).c_str(), record.message.c_str());
        for (const auto& [id, sink] : s.sinks) sinks.push_back(sink);
    }
    // Outside the lock, so a sink may log in turn.
    for (const auto& sink : sinks) sink(record);
}

bool Log::debugEnabled() { return state().debug; }
void Log::setDebugEnabled(bool enabled) { state().debug = enabled; }
void Log::setStandardErrorEnabled(bool enabled) { state().standardError = enabled; }

std::size_t Log::addSink(Sink sink) {
    auto& s = state();
    std::lock_guard lock(s.mutex);
    const std::size_t id = s.nextSink++;
    s.sinks.emplace(id, std::move(sink));
    return id;
}

void Log::removeSink(std::size_t id) {
    auto& s = state();
    std::lock_guard lock(s.mutex);
    s.sinks.erase(id);
}

}  // namespace orvane::platform

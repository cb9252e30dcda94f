#pragma once
// The unified log: one Log per category under the subsystem "app.orvane". Messages keep
// printf-style texts; the "{public}" and "{private}" markers of the original format
// strings are accepted and dropped. Debug lines are written only while debug logging
// is on (ORVANE_DEBUG=1 or setDebugEnabled).
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include <fmt/printf.h>

namespace orvane::platform {

enum class LogLevel { debug, info, notice, error, fault };
std::string_view toString(LogLevel level);

struct LogRecord {
    std::string subsystem;
    std::string category;
    LogLevel level = LogLevel::notice;
    std::string message;
};

// "%{public}s" -> "%s", "%{bool}d" -> "%d".
std::string stripLogModifiers(std::string_view format);

// Text from outside the program (preset names, URLs, command values, D-Bus strings) as a
// log line carries it: past logExcerptCharacters characters it is cut, never inside a
// UTF-8 sequence, and ends in "…" with its whole length in bytes, so that one request
// cannot write megabytes into the log.
inline constexpr std::size_t logExcerptCharacters = 200;
std::string logExcerpt(std::string_view text);

class Log {
public:
    explicit Log(std::string category, std::string subsystem = "app.orvane");

    const std::string& category() const { return category_; }
    const std::string& subsystem() const { return subsystem_; }

    template <class... A>
    void debug(std::string_view format, const A&... args) const {
        if (debugEnabled()) write(LogLevel::debug, formatted(format, args...));
    }
    template <class... A>
    void info(std::string_view format, const A&... args) const {
        write(LogLevel::info, formatted(format, args...));
    }
    // The "default" level of the original logs.
    template <class... A>
    void notice(std::string_view format, const A&... args) const {
        write(LogLevel::notice, formatted(format, args...));
    }
    template <class... A>
    void error(std::string_view format, const A&... args) const {
        write(LogLevel::error, formatted(format, args...));
    }
    template <class... A>
    void fault(std::string_view format, const A&... args) const {
        write(LogLevel::fault, formatted(format, args...));
    }

    void write(LogLevel level, std::string message) const;

    template <class... A>
    static std::string formatted(std::string_view format, const A&... args) {
        if constexpr (sizeof...(A) == 0) {
            return stripLogModifiers(format);
        } else {
            try {
                return fmt::sprintf(stripLogModifiers(format), args...);
            } catch (const std::exception&) {
                // A mismatched format must not take the program down; keep the text.
                return std::string(format) + " (bad log format)";
            }
        }
    }

    static bool debugEnabled();
    static void setDebugEnabled(bool enabled);
    // Lines go to standard error unless switched off (tests that capture them do).
    static void setStandardErrorEnabled(bool enabled);

    // Every record also goes to each sink, in the order added. Returns an id for removeSink.
    using Sink = std::function<void(const LogRecord&)>;
    static std::size_t addSink(Sink sink);
    static void removeSink(std::size_t id);

private:
    std::string category_;
    std::string subsystem_;
};

}  // namespace orvane::platform

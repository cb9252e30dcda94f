#pragma once
// The frame-buffer services of the display pipelines and their properties ("external",
// "enableDither"), one service per pipeline.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/Value.h"

namespace orvane::platform {

class Dithering {
public:
    virtual ~Dithering() = default;
    // Absent when the matching call fails; the ids in registry order otherwise.
    virtual std::optional<std::vector<std::uint64_t>> services(const std::string& className) = 0;
    virtual std::optional<std::string> className(std::uint64_t service) = 0;
    virtual std::optional<Value> property(std::uint64_t service, const std::string& name) = 0;
    // 0 on success, else a status.
    virtual std::int32_t setProperty(std::uint64_t service, const std::string& name, const Value& value) = 0;
};

}  // namespace orvane::platform

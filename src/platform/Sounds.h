#pragma once
// Short event sounds by name ("Pop" after a preset). Where no sound can be played the port
// says so, and playing is a quiet no-op: a missing sound server is not an error.
#include <string>

namespace orvane::platform {

class Sounds {
public:
    virtual ~Sounds() = default;
    virtual bool isAvailable() = 0;
    virtual void play(const std::string& name) = 0;
};

class MissingSounds final : public Sounds {
public:
    bool isAvailable() override { return false; }
    void play(const std::string&) override {}
};

}  // namespace orvane::platform

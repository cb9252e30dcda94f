#include "platform/linux/CanberraSounds.h"

#include <canberra.h>

#include "platform/Log.h"

namespace orvane::platform::linuxsys {

namespace {

const Log& log() {
    static const Log l("sounds");
    return l;
}

}  // namespace

struct CanberraSounds::Context {
    ca_context* context = nullptr;
    ~Context() {
        if (context) ca_context_destroy(context);
    }
};

CanberraSounds::CanberraSounds() = default;
CanberraSounds::~CanberraSounds() = default;

std::string CanberraSounds::eventId(const std::string& name) {
    if (name == "Pop") return "audio-volume-change";
    return name;
}

bool CanberraSounds::open() {
    if (tried_) return context_ != nullptr;
    tried_ = true;
    auto context = std::make_unique<Context>();
    if (ca_context_create(&context->context) != CA_SUCCESS) return false;
    ca_context_change_props(context->context, CA_PROP_APPLICATION_NAME, "Orvane", CA_PROP_APPLICATION_ID,
                            "app.orvane.Orvane", nullptr);
    // Opening connects to a driver; without a sound server it fails, and sounds are off.
    if (const int rc = ca_context_open(context->context); rc != CA_SUCCESS) {
        log().info("sounds: no sound service (ca_context_open: %s)", std::string(ca_strerror(rc)));
        return false;
    }
    context_ = std::move(context);
    return true;
}

bool CanberraSounds::isAvailable() { return open(); }

void CanberraSounds::play(const std::string& name) {
    if (!open()) return;
    const std::string id = eventId(name);
    if (const int rc = ca_context_play(context_->context, 0, CA_PROP_EVENT_ID, id.c_str(), CA_PROP_EVENT_DESCRIPTION,
                                       name.c_str(), nullptr);
        rc != CA_SUCCESS)
        log().info("sounds: ca_context_play %s: %s", id, std::string(ca_strerror(rc)));
}

}  // namespace orvane::platform::linuxsys

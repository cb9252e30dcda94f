#include "platform/linux/PortalAppearance.h"

#include <cstring>

#include "platform/Log.h"
#include "platform/linux/DBusConnection.h"

namespace orvane::platform::linuxsys {

namespace {

constexpr const char* portalService = "org.freedesktop.portal.Desktop";
constexpr const char* portalPath = "/org/freedesktop/portal/desktop";
constexpr const char* settingsInterface = "org.freedesktop.portal.Settings";
constexpr const char* appearanceNamespace = "org.freedesktop.appearance";
constexpr const char* colorSchemeKey = "color-scheme";
// A portal that does not answer soon is not waited for: the palette decides meanwhile.
constexpr std::uint64_t readTimeoutMicroseconds = 2'000'000;

const Log& log() {
    static const Log l("appearance");
    return l;
}

// The value at the message's read position: a `u`, possibly inside variants (Read wraps
// it in one more variant than ReadOne does).
std::optional<std::uint32_t> readScheme(sd_bus_message* m) {
    for (int depth = 0; depth < 3; ++depth) {
        char type = 0;
        const char* contents = nullptr;
        if (sd_bus_message_peek_type(m, &type, &contents) <= 0) return std::nullopt;
        if (type == SD_BUS_TYPE_UINT32) {
            std::uint32_t value = 0;
            if (sd_bus_message_read_basic(m, SD_BUS_TYPE_UINT32, &value) < 0) return std::nullopt;
            return value;
        }
        if (type != SD_BUS_TYPE_VARIANT || sd_bus_message_enter_container(m, SD_BUS_TYPE_VARIANT, contents) < 0)
            return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace

struct PortalAppearance::State {
    std::unique_ptr<DBusConnection> bus;
    DBusSlot match;
    Handle watch;
    Listener changed;
    std::optional<std::uint32_t> colorScheme;
};

PortalAppearance::PortalAppearance(std::unique_ptr<DBusConnection> bus, std::shared_ptr<Scheduler> scheduler,
                                   Listener changed)
    : state_(std::make_shared<State>()) {
    state_->changed = std::move(changed);
    state_->bus = std::move(bus);
    if (!state_->bus) return;
    auto& connection = *state_->bus;

    // The match first, so a change between the read and the match is not missed.
    DBusError matchError;
    state_->match = connection.matchSignal(
        portalService, portalPath, settingsInterface, "SettingChanged",
        [weak = std::weak_ptr<State>(state_), scheduler](sd_bus_message* m) {
            if (!scheduler) return;
            const char* space = nullptr;
            const char* key = nullptr;
            if (sd_bus_message_read(m, "ss", &space, &key) < 0 || !space || !key) return;
            if (std::strcmp(space, appearanceNamespace) != 0 || std::strcmp(key, colorSchemeKey) != 0) return;
            const auto value = readScheme(m);
            // Reported from the loop, not inside the bus's dispatch, so a listener may end us.
            scheduler->post([weak, value] {
                auto state = weak.lock();
                if (!state) return;
                state->colorScheme = value;
                if (state->changed) state->changed(value);
            });
        },
        &matchError);
    if (!state_->match) log().error("cannot follow the desktop's colour scheme: %{public}s", matchError.message);

    const auto append = [](sd_bus_message* m) {
        return sd_bus_message_append(m, "ss", appearanceNamespace, colorSchemeKey);
    };
    const DBusObject settings{portalService, portalPath, settingsInterface};
    auto reply = connection.call(settings, "ReadOne", append, readTimeoutMicroseconds);
    // Portals before version 2 know only Read.
    if (reply.error && reply.error->named(SD_BUS_ERROR_UNKNOWN_METHOD))
        reply = connection.call(settings, "Read", append, readTimeoutMicroseconds);
    if (reply.error) {
        if (reply.error->serviceMissing()) log().info("no desktop portal: the palette decides between light and dark");
        else log().notice("the desktop's colour scheme is not readable: %{public}s", logExcerpt(reply.error->message));
    } else {
        state_->colorScheme = readScheme(reply.message.get());
    }

    if (scheduler && state_->match)
        state_->watch = connection.watch(*scheduler, [](const DBusError& e) {
            log().notice("session bus lost: %{public}s; the colour scheme is no longer followed", e.message);
        });
}

PortalAppearance::~PortalAppearance() {
    // The watch serves the connection, so it ends before the connection does.
    state_->watch.cancel();
    state_->match.reset();
}

std::optional<std::uint32_t> PortalAppearance::colorScheme() const { return state_->colorScheme; }

std::unique_ptr<PortalAppearance> PortalAppearance::open(std::shared_ptr<Scheduler> scheduler, Listener changed) {
    DBusError error;
    auto bus = DBusConnection::open(DBusConnection::Bus::session, error);
    if (!bus) log().info("no session bus: the palette decides between light and dark");
    return std::unique_ptr<PortalAppearance>(
        new PortalAppearance(std::move(bus), std::move(scheduler), std::move(changed)));
}

std::unique_ptr<PortalAppearance> PortalAppearance::connect(const std::string& address,
                                                            std::shared_ptr<Scheduler> scheduler, Listener changed) {
    DBusError error;
    auto bus = DBusConnection::connect(address, error);
    if (!bus) log().info("no bus at %{public}s: the palette decides between light and dark", address);
    return std::unique_ptr<PortalAppearance>(
        new PortalAppearance(std::move(bus), std::move(scheduler), std::move(changed)));
}

}  // namespace orvane::platform::linuxsys

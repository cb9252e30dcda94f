#include "platform/linux/DBusIntents.h"

#include <cerrno>
#include <cstdint>
#include <limits>
#include <string>

namespace orvane::platform::linuxsys {

namespace {

IntentsPort& portOf(void* userdata) { return *static_cast<IntentsPort*>(userdata); }

int fail(sd_bus_error* error, const IntentsPort::Error& e) {
    return sd_bus_error_set(error, e.name.c_str(), e.message.c_str());
}

template <class T>
std::optional<Value> readNumber(sd_bus_message* m, char type) {
    T v{};
    if (sd_bus_message_read_basic(m, type, &v) < 0) return std::nullopt;
    if constexpr (std::is_same_v<T, std::uint64_t>) {
        // Beyond every range the actions take; kept out of range rather than wrapped.
        if (v > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
            return Value(std::numeric_limits<std::int64_t>::max());
    }
    if constexpr (std::is_same_v<T, double>) return Value(v);
    return Value(static_cast<std::int64_t>(v));
}

// One variant's value: every integer type as an integer, a Boolean, a text; other kinds
// as an empty array, which no parameter takes.
std::optional<Value> readVariant(sd_bus_message* m) {
    char type = 0;
    const char* contents = nullptr;
    if (sd_bus_message_peek_type(m, &type, &contents) < 0 || type != SD_BUS_TYPE_VARIANT || !contents)
        return std::nullopt;
    if (sd_bus_message_enter_container(m, SD_BUS_TYPE_VARIANT, contents) < 0) return std::nullopt;
    std::optional<Value> value;
    const std::string signature(contents);
    if (signature.size() == 1) {
        switch (signature[0]) {
            case SD_BUS_TYPE_BOOLEAN: {
                int b = 0;
                if (sd_bus_message_read_basic(m, 'b', &b) >= 0) value = Value(b != 0);
                break;
            }
            case SD_BUS_TYPE_BYTE:
                value = readNumber<std::uint8_t>(m, 'y');
                break;
            case SD_BUS_TYPE_INT16:
                value = readNumber<std::int16_t>(m, 'n');
                break;
            case SD_BUS_TYPE_UINT16:
                value = readNumber<std::uint16_t>(m, 'q');
                break;
            case SD_BUS_TYPE_INT32:
                value = readNumber<std::int32_t>(m, 'i');
                break;
            case SD_BUS_TYPE_UINT32:
                value = readNumber<std::uint32_t>(m, 'u');
                break;
            case SD_BUS_TYPE_INT64:
                value = readNumber<std::int64_t>(m, 'x');
                break;
            case SD_BUS_TYPE_UINT64:
                value = readNumber<std::uint64_t>(m, 't');
                break;
            case SD_BUS_TYPE_DOUBLE:
                value = readNumber<double>(m, 'd');
                break;
            case SD_BUS_TYPE_STRING:
            case SD_BUS_TYPE_OBJECT_PATH:
            case SD_BUS_TYPE_SIGNATURE: {
                const char* s = nullptr;
                if (sd_bus_message_read_basic(m, signature[0], &s) >= 0 && s) value = Value(std::string(s));
                break;
            }
            default:
                break;
        }
    }
    if (!value) {
        if (sd_bus_message_skip(m, contents) < 0) return std::nullopt;
        value = Value(Array{});
    }
    if (sd_bus_message_exit_container(m) < 0) return std::nullopt;
    return value;
}

std::optional<Dictionary> readParameters(sd_bus_message* m) {
    Dictionary parameters;
    if (sd_bus_message_enter_container(m, SD_BUS_TYPE_ARRAY, "{sv}") < 0) return std::nullopt;
    for (;;) {
        const int r = sd_bus_message_enter_container(m, SD_BUS_TYPE_DICT_ENTRY, "sv");
        if (r < 0) return std::nullopt;
        if (r == 0) break;
        const char* key = nullptr;
        if (sd_bus_message_read_basic(m, 's', &key) < 0 || !key) return std::nullopt;
        auto value = readVariant(m);
        if (!value) return std::nullopt;
        parameters.insert_or_assign(key, std::move(*value));
        if (sd_bus_message_exit_container(m) < 0) return std::nullopt;
    }
    if (sd_bus_message_exit_container(m) < 0) return std::nullopt;
    return parameters;
}

int replyPresets(sd_bus_message* call, const std::vector<IntentsPort::PresetRecord>& presets) {
    sd_bus_message* raw = nullptr;
    int r = sd_bus_message_new_method_return(call, &raw);
    if (r < 0) return r;
    const auto reply = DBusMessage::adopt(raw);
    r = sd_bus_message_open_container(raw, SD_BUS_TYPE_ARRAY, "(ssxs)");
    for (const auto& p : presets) {
        if (r < 0) return r;
        r = sd_bus_message_append(raw, "(ssxs)", p.id.c_str(), p.name.c_str(), static_cast<std::int64_t>(p.kelvin),
                                  p.subtitle.c_str());
    }
    if (r < 0) return r;
    r = sd_bus_message_close_container(raw);
    if (r < 0) return r;
    return sd_bus_send(nullptr, raw, nullptr);
}

int run(sd_bus_message* m, void* userdata, sd_bus_error* error) {
    const char* action = nullptr;
    if (sd_bus_message_read(m, "s", &action) < 0 || !action) return -EINVAL;
    const std::string name(action);
    const auto parameters = readParameters(m);
    if (!parameters) return -EINVAL;
    const auto result = portOf(userdata).run(name, *parameters);
    if (const auto* e = std::get_if<IntentsPort::Error>(&result)) return fail(error, *e);
    return sd_bus_reply_method_return(m, "s", std::get<std::string>(result).c_str());
}

int presets(sd_bus_message* m, void* userdata, sd_bus_error*) { return replyPresets(m, portOf(userdata).presets()); }

int presetsFor(sd_bus_message* m, void* userdata, sd_bus_error*) {
    const auto ids = DBusMessage::readStrings(m);
    if (!ids) return -EINVAL;
    return replyPresets(m, portOf(userdata).presetsFor(*ids));
}

int applyFocus(sd_bus_message* m, void* userdata, sd_bus_error* error) {
    const char* look = nullptr;
    if (sd_bus_message_read(m, "s", &look) < 0 || !look) return -EINVAL;
    if (const auto e = portOf(userdata).applyFocus(look)) return fail(error, *e);
    return sd_bus_reply_method_return(m, "");
}

int describe(sd_bus_message* m, void* userdata, sd_bus_error*) {
    return sd_bus_reply_method_return(m, "s", portOf(userdata).describe().c_str());
}

const sd_bus_vtable intentsVtable[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_METHOD("Run", "sa{sv}", "s", run, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("Presets", "", "a(ssxs)", presets, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("PresetsFor", "as", "a(ssxs)", presetsFor, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("ApplyFocus", "s", "", applyFocus, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("Describe", "", "s", describe, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_VTABLE_END,
};

}  // namespace

DBusSlot exportIntents(DBusConnection& bus, IntentsPort& port, DBusError* error) {
    return bus.addVtable(intentsObjectPath, intentsInterface, intentsVtable, &port, error);
}

}  // namespace orvane::platform::linuxsys

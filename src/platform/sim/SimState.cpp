#include "platform/sim/SimState.h"

#include <algorithm>

namespace orvane::platform::sim {

namespace {

using json::ObjectReader;

Json rectJson(const Rect& r) { return Json::array({r.x, r.y, r.width, r.height}); }

Rect rectFrom(const Json& v, const std::string& path) {
    if (!v.is_array() || v.size() != 4) json::typeMismatch("an array of four numbers", v, path);
    return {json::asDouble(v[0], path + "[0]"), json::asDouble(v[1], path + "[1]"), json::asDouble(v[2], path + "[2]"),
            json::asDouble(v[3], path + "[3]")};
}

template <class Float>
std::vector<Float> floatsFrom(const Json& v, const std::string& path) {
    if (!v.is_array()) json::typeMismatch("an array", v, path);
    std::vector<Float> out;
    out.reserve(v.size());
    for (std::size_t i = 0; i < v.size(); ++i)
        out.push_back(static_cast<Float>(json::asDouble(v[i], path + "[" + std::to_string(i) + "]")));
    return out;
}

Json floatsJson(const std::vector<float>& v) {
    Json out = Json::array();
    for (float f : v) out.push_back(static_cast<double>(f));
    return out;
}

const json::NameTable<SharingType, 3> sharingNames{
    {{SharingType::none, "none"}, {SharingType::readOnly, "readOnly"}, {SharingType::readWrite, "readWrite"}}};

Json displayJson(const SimDisplay& d) {
    Json out = {{"id", d.id},
                {"vendor", d.vendor},
                {"model", d.model},
                {"serial", d.serial},
                {"name", d.name},
                {"builtIn", d.builtIn},
                {"frame", rectJson(d.frame)},
                {"scale", d.scale},
                {"asleep", d.asleep},
                {"hasDisplayNumber", d.hasDisplayNumber},
                {"gammaCapacity", d.gammaCapacity},
                {"ctm", d.ctm},
                {"gamma", nullptr},
                {"matrix", nullptr}};
    json::putOptional(out, "uuid", d.uuid);
    if (d.gamma)
        out["gamma"] = {{"red", floatsJson(d.gamma->red)},
                        {"green", floatsJson(d.gamma->green)},
                        {"blue", floatsJson(d.gamma->blue)}};
    if (d.matrix) out["matrix"] = floatsJson(std::vector<float>(d.matrix->begin(), d.matrix->end()));
    if (d.backlight) out["backlight"] = static_cast<double>(*d.backlight);
    json::putOptional(out, "enableDither", d.enableDither);
    if (d.ddc) {
        Json features = Json::object();
        for (const auto& [code, f] : d.ddc->features)
            features[std::to_string(code)] = {{"current", f.current}, {"maximum", f.maximum}};
        out["ddc"] = features;
    }
    return out;
}

SimDisplay displayFrom(const Json& v, const std::string& path) {
    ObjectReader r(v, path);
    SimDisplay d;
    d.id = r.integer<std::uint32_t>("id");
    d.uuid = r.optString("uuid");
    d.vendor = r.integer<std::uint32_t>("vendor");
    d.model = r.integer<std::uint32_t>("model");
    d.serial = r.integer<std::uint32_t>("serial");
    d.name = r.string("name");
    d.builtIn = r.boolean("builtIn");
    d.frame = r.get("frame", rectFrom);
    d.scale = r.number("scale");
    d.asleep = r.optBoolean("asleep").value_or(false);
    d.hasDisplayNumber = r.optBoolean("hasDisplayNumber").value_or(true);
    d.gammaCapacity = r.optInteger<std::uint32_t>("gammaCapacity").value_or(256);
    d.ctm = r.optBoolean("ctm").value_or(true);
    if (const Json* g = r.optional("gamma")) {
        ObjectReader gr(*g, r.pathOf("gamma"));
        GammaRamp ramp{gr.get("red", floatsFrom<float>), gr.get("green", floatsFrom<float>),
                       gr.get("blue", floatsFrom<float>)};
        if (!ramp.isConsistent() || ramp.size() < 2)
            json::dataCorrupted("Gamma ramps of unequal or too small size.", gr.path());
        d.gamma = std::move(ramp);
    }
    if (const Json* m = r.optional("matrix")) {
        const auto values = floatsFrom<float>(*m, r.pathOf("matrix"));
        if (values.size() != 9) json::dataCorrupted("A matrix holds nine numbers.", r.pathOf("matrix"));
        Matrix3x3 matrix{};
        std::copy(values.begin(), values.end(), matrix.begin());
        d.matrix = matrix;
    }
    if (auto b = r.optNumber("backlight")) d.backlight = static_cast<float>(*b);
    d.enableDither = r.optBoolean("enableDither");
    if (const Json* ddc = r.optional("ddc")) {
        if (!ddc->is_object()) json::typeMismatch("an object", *ddc, r.pathOf("ddc"));
        DdcMonitor monitor;
        for (const auto& [code, f] : ddc->items()) {
            const std::string at = json::join(r.pathOf("ddc"), code);
            int vcp = -1;
            try {
                std::size_t used = 0;
                vcp = std::stoi(code, &used);
                if (used != code.size()) vcp = -1;
            } catch (const std::exception&) {}
            if (vcp < 0 || vcp > 255) json::dataCorrupted("A VCP code is a decimal number 0...255.", at);
            ObjectReader fr(f, at);
            monitor.features[static_cast<std::uint8_t>(vcp)] = {fr.integer<std::uint16_t>("current"),
                                                                fr.integer<std::uint16_t>("maximum")};
        }
        d.ddc = std::move(monitor);
    }
    return d;
}

Json windowInfoJson(const WindowInfo& w) {
    Json out = {{"owner", w.ownerName}, {"layer", w.layer}, {"bounds", rectJson(w.bounds)}};
    if (w.ownerPID) out["pid"] = *w.ownerPID;
    return out;
}

WindowInfo windowInfoFrom(const Json& v, const std::string& path) {
    ObjectReader r(v, path);
    WindowInfo w;
    w.ownerName = r.optString("owner").value_or("");
    w.ownerPID = r.optInteger<std::int32_t>("pid");
    w.layer = r.optInteger<std::int64_t>("layer").value_or(0);
    w.bounds = r.get("bounds", rectFrom);
    return w;
}

Json layerJson(const OverlayLayer& l) {
    Json out = {{"color", Json::array({l.red, l.green, l.blue})}, {"opacity", l.opacity}};
    if (l.frame) out["frame"] = rectJson(*l.frame);
    return out;
}

OverlayLayer layerFrom(const Json& v, const std::string& path) {
    ObjectReader r(v, path);
    OverlayLayer l;
    const auto color = r.get("color", floatsFrom<double>);
    if (color.size() != 3) json::dataCorrupted("A colour holds three numbers.", r.pathOf("color"));
    l.red = color[0];
    l.green = color[1];
    l.blue = color[2];
    l.opacity = r.number("opacity");
    l.frame = r.opt("frame", rectFrom);
    return l;
}

Json windowJson(const SimWindow& w) {
    Json layers = Json::array();
    for (const auto& l : w.layers) layers.push_back(layerJson(l));
    return {{"id", w.id},
            {"pid", w.pid},
            {"pidStart", w.pidStart},
            {"frame", rectJson(w.frame)},
            {"level", w.level},
            {"opaque", w.opaque},
            {"sharing", std::string(json::nameOf(sharingNames, w.sharing))},
            {"visible", w.visible},
            {"order", w.order},
            {"layers", layers}};
}

SimWindow windowFrom(const Json& v, const std::string& path) {
    ObjectReader r(v, path);
    SimWindow w;
    w.id = r.string("id");
    w.pid = r.integer<std::int32_t>("pid");
    w.pidStart = r.optInteger<std::int64_t>("pidStart").value_or(0);
    w.frame = r.get("frame", rectFrom);
    w.level = r.integer<int>("level");
    w.opaque = r.optBoolean("opaque").value_or(false);
    w.sharing = r.get("sharing", [](const Json& j, const std::string& p) {
        return json::decodeEnum(sharingNames, "SharingType", j, p);
    });
    w.visible = r.boolean("visible");
    w.order = static_cast<std::uint64_t>(std::max<std::int64_t>(0, r.optInteger<std::int64_t>("order").value_or(0)));
    const Json& layers = r.required("layers");
    if (!layers.is_array()) json::typeMismatch("an array", layers, r.pathOf("layers"));
    for (std::size_t i = 0; i < layers.size(); ++i)
        w.layers.push_back(layerFrom(layers[i], r.pathOf("layers") + "[" + std::to_string(i) + "]"));
    return w;
}

std::vector<std::string> stringsFrom(const Json& v, const std::string& path) {
    if (!v.is_array()) json::typeMismatch("an array", v, path);
    std::vector<std::string> out;
    for (std::size_t i = 0; i < v.size(); ++i)
        out.push_back(json::asString(v[i], path + "[" + std::to_string(i) + "]"));
    return out;
}

}  // namespace

SimState SimState::defaultLayout() {
    SimState s;
    SimDisplay builtIn;
    builtIn.id = 1;
    builtIn.uuid = "2B5E4F1C-7A3D-4C8E-9F60-1D2E3F4A5B6C";
    builtIn.vendor = 1552;
    builtIn.model = 41013;
    builtIn.serial = 0;
    builtIn.name = "Built-in Display";
    builtIn.builtIn = true;
    builtIn.frame = {0, 0, 1512, 982};
    builtIn.scale = 2;
    builtIn.backlight = 0.6f;
    builtIn.enableDither = true;

    SimDisplay external;
    external.id = 2;
    external.uuid = "6A1C9E33-0B7F-4D52-A8E4-3C5D7E9F1A2B";
    external.vendor = 7789;
    external.model = 23305;
    external.serial = 16843009;
    external.name = "External Monitor";
    external.builtIn = false;
    external.frame = {1512, 0, 2560, 1440};
    external.scale = 1;
    external.enableDither = true;
    external.ddc =
        DdcMonitor{{{0x10, {70, 100}}, {0x12, {50, 100}}, {0x16, {50, 100}}, {0x18, {50, 100}}, {0x1A, {50, 100}}}};

    s.displays = {builtIn, external};
    s.nextDisplayId = 3;
    s.sysctl = {{"machdep.cpu.brand_string", "Apple M5"}, {"hw.model", "Mac17,2"}};
    s.mouse = {756, 491};
    return s;
}

SimDisplay* SimState::display(std::uint32_t id) {
    for (auto& d : displays)
        if (d.id == id) return &d;
    return nullptr;
}

const SimDisplay* SimState::display(std::uint32_t id) const {
    for (const auto& d : displays)
        if (d.id == id) return &d;
    return nullptr;
}

Json SimState::toJson() const {
    Json out = Json::object();
    out["version"] = 1;
    out["displays"] = Json::array();
    for (const auto& d : displays) out["displays"].push_back(displayJson(d));
    out["windows"] = Json::array();
    for (const auto& w : windows) out["windows"].push_back(windowJson(w));
    out["preferences"] = Json::object();
    for (const auto& [domain, values] : preferences) out["preferences"][domain] = toTaggedJson(Value(values));
    out["nightShift"] = {{"missingSelectors", nightShift.missingSelectors},
                         {"active", nightShift.active},
                         {"enabled", nightShift.enabled},
                         {"cct", static_cast<double>(nightShift.cct)},
                         {"strength", static_cast<double>(nightShift.strength)},
                         {"range", floatsJson({nightShift.range.begin(), nightShift.range.end()})}};
    // System values are bytes; those that are not UTF-8 text are kept as base64 data.
    out["sysctl"] = Json::object();
    for (const auto& [name, value] : sysctl)
        out["sysctl"][name] =
            isValidUtf8(value) ? Json(value) : Json({{"data", base64Encode(Bytes(value.begin(), value.end()))}});
    out["osVersion"] = Json::array({osVersion.major, osVersion.minor, osVersion.patch});
    if (linuxName) out["linuxName"] = *linuxName;
    out["missingPorts"] = missingPorts;
    out["failures"] = Json::object();
    for (const auto& [name, f] : failures) out["failures"][name] = {{"status", f.status}, {"remaining", f.remaining}};
    out["compositing"] = compositing;
    out["overlaysReachScreen"] = overlaysReachScreen;
    out["screenCaptureAllowed"] = screenCaptureAllowed;
    out["accessibilityTrusted"] = accessibilityTrusted;
    if (frontApplication) {
        Json app = {{"pid", frontApplication->processIdentifier}};
        json::putOptional(app, "bundleIdentifier", frontApplication->bundleIdentifier);
        json::putOptional(app, "name", frontApplication->localizedName);
        json::putOptional(app, "windowInstance", frontApplication->windowInstance);
        out["frontApplication"] = app;
    }
    out["applications"] = Json::array();
    for (const auto& a : applications) {
        Json app = {{"id", a.id}, {"name", a.name}};
        json::putOptional(app, "icon", a.icon);
        json::putOptional(app, "windowClass", a.windowClass);
        json::putOptional(app, "path", a.path);
        out["applications"].push_back(app);
    }
    out["windowList"] = Json::array();
    for (const auto& w : windowList) out["windowList"].push_back(windowInfoJson(w));
    out["mouse"] = Json::array({mouse.x, mouse.y});
    out["idleSeconds"] = idleSeconds;
    if (lastInputAt) out["lastInputAt"] = lastInputAt->secondsSince1970;
    if (screenLocked) out["screenLocked"] = *screenLocked;
    if (powerAssertions) {
        out["powerAssertions"] = Json::object();
        for (const auto& [pid, types] : *powerAssertions) out["powerAssertions"][std::to_string(pid)] = types;
    }
    out["nextWindowOrder"] = nextWindowOrder;
    out["nextDisplayId"] = nextDisplayId;
    if (!location.is_null()) out["location"] = location;
    out["bundlePath"] = bundlePath;
    out["loginItem"] = loginItem;
    return out;
}

SimState SimState::fromJson(const Json& v) {
    ObjectReader r(v);
    const auto version = r.integer<int>("version");
    if (version != 1) json::dataCorrupted("Unknown state version " + std::to_string(version) + ".", "version");
    SimState s;
    const auto array = [&](std::string_view key) -> const Json& {
        const Json& a = r.required(key);
        if (!a.is_array()) json::typeMismatch("an array", a, r.pathOf(key));
        return a;
    };
    const Json& displays = array("displays");
    for (std::size_t i = 0; i < displays.size(); ++i)
        s.displays.push_back(displayFrom(displays[i], "displays[" + std::to_string(i) + "]"));
    const Json& windows = array("windows");
    for (std::size_t i = 0; i < windows.size(); ++i)
        s.windows.push_back(windowFrom(windows[i], "windows[" + std::to_string(i) + "]"));
    if (const Json* prefs = r.optional("preferences")) {
        if (!prefs->is_object()) json::typeMismatch("an object", *prefs, "preferences");
        for (const auto& [domain, tagged] : prefs->items()) {
            Value value = fromTaggedJson(tagged, json::join("preferences", domain));
            if (!value.dictionary())
                json::dataCorrupted("A preference domain is a dictionary.", json::join("preferences", domain));
            s.preferences[domain] = *value.dictionary();
        }
    }
    if (const Json* ns = r.optional("nightShift")) {
        ObjectReader nr(*ns, "nightShift");
        s.nightShift.missingSelectors = nr.opt("missingSelectors", stringsFrom).value_or(std::vector<std::string>{});
        s.nightShift.active = nr.boolean("active");
        s.nightShift.enabled = nr.boolean("enabled");
        s.nightShift.cct = static_cast<float>(nr.number("cct"));
        s.nightShift.strength = static_cast<float>(nr.number("strength"));
        const auto range = nr.get("range", floatsFrom<float>);
        if (range.size() != 3) json::dataCorrupted("A range holds three numbers.", nr.pathOf("range"));
        s.nightShift.range = {range[0], range[1], range[2]};
    }
    if (const Json* sys = r.optional("sysctl")) {
        if (!sys->is_object()) json::typeMismatch("an object", *sys, "sysctl");
        for (const auto& [name, value] : sys->items()) {
            const std::string at = json::join("sysctl", name);
            if (value.is_string()) {
                s.sysctl[name] = value.get<std::string>();
            } else {
                const Value bytes = fromTaggedJson(value, at);
                if (!bytes.data()) json::typeMismatch("a string or data", value, at);
                s.sysctl[name] = std::string(bytes.data()->begin(), bytes.data()->end());
            }
        }
    }
    if (const Json* name = r.optional("linuxName")) {
        if (!name->is_string()) json::typeMismatch("a string", *name, "linuxName");
        s.linuxName = name->get<std::string>();
    }
    if (const Json* os = r.optional("osVersion")) {
        const auto parts = floatsFrom<double>(*os, "osVersion");
        if (parts.size() != 3) json::dataCorrupted("A version holds three numbers.", "osVersion");
        s.osVersion = {json::asInt<int>((*os)[0], "osVersion[0]"), json::asInt<int>((*os)[1], "osVersion[1]"),
                       json::asInt<int>((*os)[2], "osVersion[2]")};
    }
    for (auto& name : r.opt("missingPorts", stringsFrom).value_or(std::vector<std::string>{}))
        s.missingPorts.insert(name);
    if (const Json* failures = r.optional("failures")) {
        if (!failures->is_object()) json::typeMismatch("an object", *failures, "failures");
        for (const auto& [name, f] : failures->items()) {
            ObjectReader fr(f, json::join("failures", name));
            s.failures[name] = {fr.integer<std::int32_t>("status"),
                                fr.optInteger<std::int64_t>("remaining").value_or(-1)};
        }
    }
    s.compositing = r.optBoolean("compositing").value_or(true);
    s.overlaysReachScreen = r.optBoolean("overlaysReachScreen").value_or(true);
    s.screenCaptureAllowed = r.optBoolean("screenCaptureAllowed").value_or(true);
    s.accessibilityTrusted = r.optBoolean("accessibilityTrusted").value_or(true);
    if (const Json* app = r.optional("frontApplication")) {
        ObjectReader ar(*app, "frontApplication");
        s.frontApplication = RunningApplication{ar.optString("bundleIdentifier"), ar.optString("name"),
                                                ar.integer<std::int32_t>("pid"), ar.optString("windowInstance")};
    }
    if (const Json* list = r.optional("applications")) {
        if (!list->is_array()) json::typeMismatch("an array", *list, "applications");
        for (std::size_t i = 0; i < list->size(); ++i) {
            ObjectReader ar((*list)[i], "applications[" + std::to_string(i) + "]");
            s.applications.push_back(SimApp{ar.string("id"), ar.string("name"), ar.optString("icon"),
                                            ar.optString("windowClass"), ar.optString("path")});
        }
    }
    if (const Json* list = r.optional("windowList")) {
        if (!list->is_array()) json::typeMismatch("an array", *list, "windowList");
        for (std::size_t i = 0; i < list->size(); ++i)
            s.windowList.push_back(windowInfoFrom((*list)[i], "windowList[" + std::to_string(i) + "]"));
    }
    if (const Json* mouse = r.optional("mouse")) {
        const auto p = floatsFrom<double>(*mouse, "mouse");
        if (p.size() != 2) json::dataCorrupted("A point holds two numbers.", "mouse");
        s.mouse = {p[0], p[1]};
    }
    s.idleSeconds = r.optNumber("idleSeconds").value_or(0);
    if (const auto at = r.optNumber("lastInputAt")) s.lastInputAt = Date(*at);
    s.screenLocked = r.optBoolean("screenLocked");
    s.powerAssertions.reset();
    if (const Json* assertions = r.optional("powerAssertions")) {
        if (!assertions->is_object()) json::typeMismatch("an object", *assertions, "powerAssertions");
        AssertionsByProcess byPid;
        for (const auto& [pid, types] : assertions->items()) {
            const std::string at = json::join("powerAssertions", pid);
            std::int32_t id = 0;
            try {
                std::size_t used = 0;
                id = std::stoi(pid, &used);
                if (used != pid.size()) json::dataCorrupted("A process id is a decimal number.", at);
            } catch (const std::logic_error&) {
                json::dataCorrupted("A process id is a decimal number.", at);
            }
            if (!types.is_array()) json::typeMismatch("an array", types, at);
            for (const auto& type : types) {
                if (!type.is_string()) json::typeMismatch("a string", type, at);
                byPid[id].push_back(type.get<std::string>());
            }
        }
        s.powerAssertions = std::move(byPid);
    }
    s.nextWindowOrder = static_cast<std::uint64_t>(
        std::max<std::int64_t>(1, r.optInteger<std::int64_t>("nextWindowOrder").value_or(1)));
    std::uint32_t highest = 0;
    for (const auto& d : s.displays) highest = std::max(highest, d.id);
    s.nextDisplayId = std::max(r.optInteger<std::uint32_t>("nextDisplayId").value_or(1), highest + 1);
    if (const Json* location = r.optional("location")) s.location = *location;
    if (auto path = r.optString("bundlePath")) s.bundlePath = std::move(*path);
    s.loginItem = r.optBoolean("loginItem").value_or(false);
    return s;
}

}  // namespace orvane::platform::sim

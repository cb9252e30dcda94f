#include "core/Presets.h"

#include <array>
#include <string_view>
#include <utility>

namespace orvane {

namespace {

constexpr std::array<std::pair<std::uint32_t, std::string_view>, 69> keyNames{{
    {0, "A"},      {1, "S"},          {2, "D"},    {3, "F"},        {4, "H"},      {5, "G"},       {6, "Z"},
    {7, "X"},      {8, "C"},          {9, "V"},    {11, "B"},       {12, "Q"},     {13, "W"},      {14, "E"},
    {15, "R"},     {16, "Y"},         {17, "T"},   {31, "O"},       {32, "U"},     {34, "I"},      {35, "P"},
    {37, "L"},     {38, "J"},         {40, "K"},   {45, "N"},       {46, "M"},     {18, "1"},      {19, "2"},
    {20, "3"},     {21, "4"},         {22, "6"},   {23, "5"},       {25, "9"},     {26, "7"},      {28, "8"},
    {29, "0"},     {24, "="},         {27, "-"},   {30, "]"},       {33, "["},     {39, "'"},      {41, ";"},
    {42, "\\"},    {43, ","},         {44, "/"},   {47, "."},       {50, "`"},     {36, "Return"}, {48, "Tab"},
    {49, "Space"}, {51, "Backspace"}, {53, "Esc"}, {117, "Delete"}, {123, "Left"}, {124, "Right"}, {125, "Down"},
    {126, "Up"},   {122, "F1"},       {120, "F2"}, {99, "F3"},      {118, "F4"},   {96, "F5"},     {97, "F6"},
    {98, "F7"},    {100, "F8"},       {101, "F9"}, {109, "F10"},    {103, "F11"},  {111, "F12"},
}};

Preset builtInPreset(const char* id, const char* name, std::int64_t kelvin, double dim,
                     std::optional<RedStyle> redStyle, const char* icon) {
    return Preset{
        .id = id, .name = name, .kelvin = kelvin, .dim = dim, .redStyle = redStyle, .icon = icon, .isBuiltIn = true};
}

}  // namespace

std::string Hotkey::keyName(std::uint32_t keyCode) {
    for (const auto& [code, name] : keyNames)
        if (code == keyCode) return std::string(name);
    return "key" + std::to_string(keyCode);
}

std::string Hotkey::display() const {
    // As Linux desktops write a combination; command is the Super key there, option Alt.
    std::string text;
    if (modifiers.contains(Modifiers::control)) text += "Ctrl+";
    if (modifiers.contains(Modifiers::option)) text += "Alt+";
    if (modifiers.contains(Modifiers::shift)) text += "Shift+";
    if (modifiers.contains(Modifiers::command)) text += "Super+";
    return text + keyName(keyCode);
}

Json Hotkey::toJson() const { return Json{{"keyCode", keyCode}, {"modifiers", modifiers.rawValue}}; }

Hotkey Hotkey::fromJson(const Json& json, const std::string& path) {
    const json::ObjectReader reader(json, path);
    Hotkey hotkey;
    hotkey.keyCode = reader.integer<std::uint32_t>("keyCode");
    hotkey.modifiers = Modifiers{reader.integer<std::uint32_t>("modifiers")};
    return hotkey;
}

std::string id(Preset::BuiltIn which) { return "builtin." + std::string(toString(which)); }

TintState Preset::state() const { return TintState(kelvin, dim, redStyle.value_or(RedStyle::readable), false); }

const std::vector<Preset>& Preset::builtIns() {
    static const std::vector<Preset> presets{
        builtInPreset("builtin.daylight", "Daylight", 6500, 1.0, std::nullopt, "sun.max"),
        builtInPreset("builtin.focus", "Focus", 5000, 1.0, std::nullopt, "scope"),
        builtInPreset("builtin.evening", "Evening", 3400, 1.0, std::nullopt, "sunset"),
        builtInPreset("builtin.candle", "Candle", 1900, 0.9, std::nullopt, "flame"),
        builtInPreset("builtin.ember", "Ember", 1200, 0.8, std::nullopt, "flame.fill"),
        builtInPreset("builtin.midnight", "Midnight", 500, 0.7, RedStyle::readable, "moon.fill"),
    };
    return presets;
}

const Preset& Preset::builtIn(BuiltIn which) {
    const std::string wanted = orvane::id(which);
    for (const auto& p : builtIns())
        if (p.id == wanted) return p;
    return builtIns().front();  // unreachable: every case has its row
}

Json Preset::toJson() const {
    Json object{{"id", id}, {"name", name}, {"kelvin", kelvin}, {"dim", dim}, {"icon", icon}, {"isBuiltIn", isBuiltIn}};
    json::putOptional(object, "redStyle", redStyle, [](RedStyle s) { return orvane::toJson(s); });
    json::putOptional(object, "hotkey", hotkey, [](const Hotkey& h) { return h.toJson(); });
    return object;
}

Preset Preset::fromJson(const Json& json, const std::string& path) {
    const json::ObjectReader reader(json, path);
    Preset preset;
    preset.id = reader.string("id");
    preset.name = reader.string("name");
    preset.kelvin = reader.integer("kelvin");
    preset.dim = reader.number("dim");
    preset.redStyle = reader.opt("redStyle", enumFromJson<RedStyle>);
    preset.icon = reader.string("icon");
    preset.isBuiltIn = reader.boolean("isBuiltIn");
    preset.hotkey = reader.opt("hotkey", Hotkey::fromJson);
    return preset;
}

}  // namespace orvane

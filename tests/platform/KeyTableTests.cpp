#include <set>

#include <gtest/gtest.h>

#include "platform/KeyTable.h"

using namespace orvane::platform;

// Stored key codes name keys by their place on a US keyboard.
TEST(KeyTable, StoredKeyCodesAndKeysymsMapBothWays) {
    const struct {
        std::uint32_t keyCode;
        std::uint32_t keysym;
    } cases[] = {
        {0, 0x61},      // a
        {17, 0x74},     // t
        {29, 0x30},     // 0
        {51, 0xff08},   // BackSpace
        {117, 0xffff},  // Delete (forward)
        {114, 0xff63},  // Help is Insert on a PC keyboard
        {122, 0xffbe},  // F1
        {96, 0xffc2},   // F5
        {123, 0xff51},  // Left
        {126, 0xff52},  // Up
        {76, 0xff8d},   // KP_Enter
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.keyCode);
        EXPECT_EQ(keysymForKeyCode(c.keyCode), c.keysym);
        EXPECT_EQ(keyCodeForKeysym(c.keysym), c.keyCode);
    }
    EXPECT_EQ(keyCodeForKeysym(0x41), 0u);          // A finds the a key
    EXPECT_EQ(keysymForKeyCode(10), std::nullopt);  // the ISO key beside the left shift
    EXPECT_EQ(keysymForKeyCode(200), std::nullopt);
    EXPECT_EQ(keyCodeForKeysym(0x1008ff02), std::nullopt);  // XF86MonBrightnessUp is no shortcut key
}

// Each direction is a lookup of the other: a code or keysym listed twice would make one of
// them lose its way back.
TEST(KeyTable, EveryCodeAndEveryKeysymIsListedOnce) {
    std::set<std::uint32_t> codes, keysyms;
    for (const auto& entry : keyTable) {
        EXPECT_TRUE(codes.insert(entry.keyCode).second) << entry.keyCode;
        EXPECT_TRUE(keysyms.insert(entry.keysym).second) << std::hex << entry.keysym;
        EXPECT_EQ(keyCodeForKeysym(entry.keysym), entry.keyCode);
    }
}

TEST(KeyTable, ModifierKeysStartACombination) {
    for (const std::uint32_t sym :
         {0xffe1u /* Shift_L */, 0xffe3u /* Control_L */, 0xffe5u /* Caps_Lock */, 0xffe9u /* Alt_L */,
          0xffebu /* Super_L */, 0xff7fu /* Num_Lock */, 0xfe03u /* ISO_Level3_Shift */})
        EXPECT_TRUE(isModifierKeysym(sym)) << std::hex << sym;
    for (const auto& entry : keyTable) EXPECT_FALSE(isModifierKeysym(entry.keysym)) << entry.keyCode;
}

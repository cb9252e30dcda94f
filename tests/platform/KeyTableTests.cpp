#include <gtest/gtest.h>

#include "platform/linux/X11Keyboard.h"

using namespace orvane::platform::linuxsys;

// Stored key codes name keys by their place on a US keyboard.
TEST(X11KeyTable, StoredKeyCodesAndKeysymsMapBothWays) {
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

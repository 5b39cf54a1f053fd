#include "Engine/Platform/SDL/SDLKeyCodes.h"

#include <gtest/gtest.h>

#include <set>

using namespace Tess;

// SDL scancodes are USB HID usage ids: A is 4, 1 is 30, Return 40, Escape 41, F1 58, Up 82,
// left Control 224, right Alt 230.
TEST(KeyCodeTableTest, MapsTheKeysOfAPcKeyboardToTheirKeyCodes)
{
    EXPECT_EQ(KeyCodeFromScancode(4), DIK_A);
    EXPECT_EQ(KeyCodeFromScancode(29), DIK_Z);
    EXPECT_EQ(KeyCodeFromScancode(30), DIK_1);
    EXPECT_EQ(KeyCodeFromScancode(39), DIK_0);
    EXPECT_EQ(KeyCodeFromScancode(40), DIK_RETURN);
    EXPECT_EQ(KeyCodeFromScancode(41), DIK_ESCAPE);
    EXPECT_EQ(KeyCodeFromScancode(56), DIK_SLASH);
    EXPECT_EQ(KeyCodeFromScancode(58), DIK_F1);
    EXPECT_EQ(KeyCodeFromScancode(69), DIK_F12);
    EXPECT_EQ(KeyCodeFromScancode(82), DIK_UP);
    EXPECT_EQ(KeyCodeFromScancode(84), DIK_DIVIDE);
    EXPECT_EQ(KeyCodeFromScancode(88), DIK_NUMPADENTER);
    EXPECT_EQ(KeyCodeFromScancode(224), DIK_LCONTROL);
    EXPECT_EQ(KeyCodeFromScancode(228), DIK_RCONTROL);
    EXPECT_EQ(KeyCodeFromScancode(230), DIK_RMENU);
}

TEST(KeyCodeTableTest, EveryKeyOfTheMainBlockHasItsOwnCode)
{
    // Letters, digits, punctuation and the function keys F1 to F12: 4..69 without gaps, except
    // that the ISO key beside Return (50) shares the backslash's code.
    std::set<std::uint8_t> codes;
    for (int scancode = 4; scancode <= 69; ++scancode)
    {
        const std::uint8_t code = KeyCodeFromScancode(scancode);
        EXPECT_NE(code, 0) << "scancode " << scancode;
        if (scancode != 50)
        {
            EXPECT_TRUE(codes.insert(code).second) << "scancode " << scancode << " repeats a code";
        }
    }
    EXPECT_EQ(KeyCodeFromScancode(50), DIK_BACKSLASH);
}

TEST(KeyCodeTableTest, UnknownAndOutOfRangeScancodesHaveNoCode)
{
    EXPECT_EQ(KeyCodeFromScancode(0), 0);
    EXPECT_EQ(KeyCodeFromScancode(-1), 0);
    EXPECT_EQ(KeyCodeFromScancode(100000), 0);
}

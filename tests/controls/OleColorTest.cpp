// Automation colours as the controls draw them: the high byte says whether
// the low bytes are a system colour index or an RGB value.
#include <gtest/gtest.h>

#include <windows.h>

#include "ControlWindow.h"

namespace bralto {
namespace {

long Ole(unsigned long value) { return static_cast<long>(value); }

TEST(OleColorToRgb, HighByte80IsASystemColourAndZeroAnRgbValue) {
    EXPECT_EQ(OleColorToRgb(Ole(0x80000005UL)), GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(OleColorToRgb(Ole(0x8000000FUL)), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(OleColorToRgb(Ole(0x800000FFUL)), 0u);  // no such system colour
    EXPECT_EQ(OleColorToRgb(0x00808000), RGB(0, 0x80, 0x80));
    EXPECT_EQ(OleColorToRgb(0), RGB(0, 0, 0));
}

// Only 0x80 in the high byte names a system colour: a set high bit with
// other bits beside it is no system colour.
TEST(OleColorToRgb, OtherHighBytesKeepTheirLowThreeBytesAsRgb) {
    EXPECT_EQ(OleColorToRgb(Ole(0x8100000FUL)), RGB(0x0F, 0, 0));
    EXPECT_EQ(OleColorToRgb(Ole(0xFF000005UL)), RGB(5, 0, 0));
    EXPECT_EQ(OleColorToRgb(0x02123456), static_cast<COLORREF>(0x123456));
    EXPECT_EQ(OleColorToRgb(0x01000007), RGB(7, 0, 0));
}

}  // namespace
}  // namespace bralto

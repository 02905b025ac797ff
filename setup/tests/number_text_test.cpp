// The number rules of the utility's boxes, as tables of inputs and results.
#include <gtest/gtest.h>

#include <cmath>

#include "text/number_text.h"

namespace trellup::test {
namespace {

TEST(NumberText, LeadingNumberReadsWhatTheTextBeginsWith) {
    const struct {
        const char* text;
        double value;
    } cases[] = {
        {"12abc", 12},
        {"abc", 0},
        {" 250ms", 250},
        {"1 2\t3\n4", 1234},
        {"-7", -7},
        {"+7.5x", 7.5},
        {"2.5", 2.5},
        {".5", 0.5},
        {"5.", 5},
        {".", 0},
        {"1e3", 1000},
        {"1D2", 100},
        {"1e", 1},
        {"1e+", 1},
        {"2.5E-1", 0.25},
        {"&HFF", 255},
        {"&hff", 255},
        {"&O17", 15},
        {"&H", 0},
        {"&HFFFFFFFF", -1},
        {"&H80000000", -2147483648.0},
        {"&H1FFFFFFFF", 8589934591.0},
        {"", 0},
        {"--1", 0},
        {"- 3", -3},
        {"0x10", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(LeadingNumber(c.text), c.value) << '"' << c.text << '"';
}

TEST(NumberText, WholeNumberRefusesAnythingButBlanksAroundOneNumber) {
    const struct {
        const char* text;
        bool ok;
        double value;
    } cases[] = {
        {"40000", true, 40000}, {" 12 ", true, 12}, {"12.5", true, 12.5}, {"-3", true, -3},
        {"&H10", true, 16},     {"12a", false, 0},  {"a", false, 0},      {"", false, 0},
        {"  ", false, 0},       {"1 2", false, 0},  {"1e2", true, 100},
    };
    for (const auto& c : cases) {
        double v = -99;
        EXPECT_EQ(WholeNumber(c.text, &v), c.ok) << '"' << c.text << '"';
        EXPECT_EQ(v, c.ok ? c.value : -99) << '"' << c.text << '"';
    }
}

TEST(NumberText, RoundingIsHalfToEvenWithinTheRange) {
    const struct {
        double value;
        bool fits16;
        int16_t v16;
        bool fits32;
        int32_t v32;
    } cases[] = {
        {2.5, true, 2, true, 2},
        {3.5, true, 4, true, 4},
        {-2.5, true, -2, true, -2},
        {12.49, true, 12, true, 12},
        {32767.4, true, 32767, true, 32767},
        {32767.5, false, 0, true, 32768},
        {-32768.5, true, -32768, true, -32768},
        {40000, false, 0, true, 40000},
        {2147483647.5, false, 0, false, 0},
        {-2147483648.5, false, 0, true, INT32_MIN},
        {1e300, false, 0, false, 0},
        {std::nan(""), false, 0, false, 0},
    };
    for (const auto& c : cases) {
        int16_t v16 = 99;
        int32_t v32 = 99;
        EXPECT_EQ(RoundToInt16(c.value, &v16), c.fits16) << c.value;
        EXPECT_EQ(v16, c.fits16 ? c.v16 : 99) << c.value;
        EXPECT_EQ(RoundToInt32(c.value, &v32), c.fits32) << c.value;
        EXPECT_EQ(v32, c.fits32 ? c.v32 : 99) << c.value;
    }
}

}  // namespace
}  // namespace trellup::test

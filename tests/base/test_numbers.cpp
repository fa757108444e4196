#include "base/numbers.h"

#include <gtest/gtest.h>

#include <cmath>

using num::NumberError;

TEST(Numbers, ConversionsRoundHalfToEven) {
    struct Case {
        double in;
        int out;
    };
    const Case cases[] = {{2.5, 2}, {3.5, 4},    {-2.5, -2},  {-3.5, -4},       {0.5, 0},
                          {1.5, 2}, {2.4999, 2}, {2.5001, 3}, {32767.4, 32767}, {-32768.5, -32768}};
    for (const auto& c : cases) {
        EXPECT_EQ(num::CInt(c.in), c.out) << c.in;
        EXPECT_EQ(num::CLng(c.in), c.out) << c.in;
    }
    EXPECT_EQ(num::CLng(2147483647.4), 2147483647);
}

TEST(Numbers, OutOfRangeConversionsAreErrors) {
    EXPECT_THROW(num::CInt(32767.5), NumberError); // rounds to 32768
    EXPECT_THROW(num::CInt(-32769), NumberError);
    EXPECT_THROW(num::CLng(2147483648.0), NumberError);
    EXPECT_THROW(num::CLng(std::nan("")), NumberError);
    EXPECT_THROW(num::CInt(INFINITY), NumberError);
}

TEST(Numbers, IntIsFloorFixIsTruncation) {
    EXPECT_EQ(num::Int(2.7), 2);
    EXPECT_EQ(num::Int(-2.2), -3);
    EXPECT_EQ(num::Fix(-2.7), -2);
    EXPECT_EQ(num::Fix(2.7), 2);
}

TEST(Numbers, DoubleTexts) {
    struct Case {
        double in;
        const char* text;
    };
    const Case cases[] = {
        {1.234, "1.234"},
        {0.02, "0.02"},
        {2, "2"},
        {1.98, "1.98"},
        {0.08, "0.08"},
        {-0.5, "-0.5"},
        {0, "0"},
        {1.0 / 3, "0.333333333333333"},
        {57.333333333333336, "57.3333333333333"},
        {100.0 / 3 * 3, "100"},
        {123456789012345, "123456789012345"},
        {1e15, "1E+15"},
        {0.0001, "0.0001"},
        {0.00001, "1E-05"},
        {2.0004, "2.0004"},
        {44100, "44100"},
        {0.1 + 0.2, "0.3"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(num::DoubleText(c.in, '.'), c.text) << c.in;
    }
    EXPECT_EQ(num::DoubleText(1.5, ','), "1,5");
}

TEST(Numbers, SingleTexts) {
    struct Case {
        float in;
        const char* text;
    };
    const Case cases[] = {{5.9501133f, "5.950113"},
                          {2.0f, "2"},
                          {331.537f, "331.537"},
                          {0.1f, "0.1"},
                          {1234567.0f, "1234567"},
                          {12345678.0f, "1.234568E+07"},
                          {2.001f, "2.001"},
                          {-8.176f, "-8.176"},
                          {8.1760006f, "8.176001"},
                          {1.0f / 3, "0.3333333"},
                          {16777216.0f, "1.677722E+07"}};
    for (const auto& c : cases) {
        EXPECT_EQ(num::SingleText(c.in, '.'), c.text) << c.in;
    }
}

TEST(Numbers, TextsReadBack) {
    EXPECT_EQ(num::ParseNumber("44100"), 44100);
    EXPECT_EQ(num::ParseNumber(" 45 "), 45);
    EXPECT_DOUBLE_EQ(num::ParseNumber("5.950113", '.'), 5.950113);
    EXPECT_DOUBLE_EQ(num::ParseNumber("1,5", ','), 1.5);
    EXPECT_DOUBLE_EQ(num::ParseNumber("1E-05", '.'), 1e-5);
    EXPECT_EQ(num::ParseNumber("-32768"), -32768);
    EXPECT_THROW(num::ParseNumber(""), NumberError);
    EXPECT_THROW(num::ParseNumber("16 bits"), NumberError);
    EXPECT_THROW(num::ParseNumber("abc"), NumberError);
    EXPECT_EQ(num::LeadingNumber("16 bits"), 16);
    EXPECT_EQ(num::LeadingNumber("8 bits"), 8);
    EXPECT_EQ(num::LeadingNumber("Error"), 0);
    EXPECT_EQ(num::LeadingNumber(""), 0);
    for (long v : {0L, 1L, -1L, 32767L, 2147483647L, -2147483648L}) {
        EXPECT_EQ(num::ParseNumber(num::IntText(v)), v);
    }
}

// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "Value.h"
#include "ValuePrinter.h"

using namespace orbelle;

TEST(ValueTest, RoundsHalvesToTheEvenNeighbour)
{
    const struct { double in, out; } cases[] = {
        {92.5, 92}, {93.5, 94}, {2.5, 2}, {3.5, 4}, {-0.5, 0}, {-1.5, -2}, {-2.5, -2},
        {0.49999999999999994, 0}, {2.5000000001, 3}, {-3.4, -3}, {1e300, 1e300},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(roundHalfEven(c.in), c.out);
    }
    EXPECT_FALSE(std::signbit(roundHalfEven(-0.5))); // written as "0", never "-0"
}

TEST(ValueTest, IntegersRoundThenCheckTheirRange)
{
    EXPECT_EQ(Value(32767.4).toInt16(), 32767);
    EXPECT_THROW(Value(32767.5).toInt16(), ConversionError);
    EXPECT_EQ(Value(-32768.5).toInt16(), -32768);
    EXPECT_THROW(Value(-32768.6).toInt16(), ConversionError);
    EXPECT_EQ(Value(-2147483648.5).toInt32(), std::numeric_limits<std::int32_t>::min());
    EXPECT_THROW(Value(2147483647.5).toInt32(), ConversionError);
    EXPECT_THROW(Value(std::nan("")).toInt32(), ConversionError);
    EXPECT_EQ(Value(" 12.5 ").toInt16(), 12);
    EXPECT_EQ(Value().toInt32(), 0);
    EXPECT_EQ(Value(true).toInt16(), -1);
    EXPECT_THROW(Value("12abc").toInt32(), ConversionError);
    EXPECT_THROW(Value(1e39).toSingle(), ConversionError);
    EXPECT_THROW(Value(-std::numeric_limits<double>::infinity()).toSingle(), ConversionError);
    EXPECT_EQ(Value("0.1").toSingle(), 0.1f);
}

TEST(ValueTest, ParsesPlainDecimalsOnly)
{
    const struct { const char *text; bool ok; double number; } cases[] = {
        {".5", true, 0.5}, {"0.5", true, 0.5}, {"-.5", true, -0.5}, {"+3", true, 3},
        {"5.", true, 5}, {" \t12 ", true, 12}, {"1.5E-2", true, 0.015}, {"1e3", true, 1000},
        {"", false, 0}, {" ", false, 0}, {".", false, 0}, {"-", false, 0}, {"1e", false, 0},
        {"1.2.3", false, 0}, {"0x10", false, 0}, {"inf", false, 0}, {"nan", false, 0},
        {"1,5", false, 0}, {"12abc", false, 0}, {"1e999", false, 0}, {"- 1", false, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        double number = -99;
        EXPECT_EQ(parseDecimal(c.text, number), c.ok);
        if (c.ok) {
            EXPECT_DOUBLE_EQ(number, c.number);
        }
    }
}

TEST(ValueTest, ComparesWithNumbersAsTheProgramsDo)
{
    EXPECT_TRUE(Value().equals(0)); // an unset value counts as 0
    EXPECT_TRUE(Value("75").equals(75));
    EXPECT_EQ(Value(" 7 ").compare(10), -1);
    EXPECT_EQ(Value("100").compare(0), 1);
    EXPECT_TRUE(Value(true).equals(-1));
    EXPECT_TRUE(Value(false).equals(0));
    // An empty text is not an empty value: it holds no number.
    EXPECT_THROW(Value("").equals(0), ConversionError);
    EXPECT_THROW(Value("abc").compare(0), ConversionError);
    EXPECT_FALSE(Value("abc").isNumeric());
    EXPECT_TRUE(Value().isNumeric());
}

TEST(ValueTest, TextsAndBooleans)
{
    EXPECT_EQ(Value().toText(), "");
    EXPECT_EQ(Value(2660).toText(), "2660");
    EXPECT_EQ(Value(-0.0).toText(), "0");
    EXPECT_EQ(Value(1e20).toText(), "100000000000000000000");
    EXPECT_EQ(Value(1e-7).toText(), "0.0000001");
    EXPECT_EQ(Value(95.5).toText(), "95.5");
    EXPECT_EQ(Value(true).toText(), "True");
    EXPECT_EQ(Value("07").toText(), "07");

    EXPECT_FALSE(Value().toBool());
    EXPECT_TRUE(Value(0.5).toBool());
    EXPECT_TRUE(Value("True").toBool());
    EXPECT_FALSE(Value("false").toBool());
    EXPECT_TRUE(Value("-1").toBool());
    EXPECT_THROW(Value("yes").toBool(), ConversionError);
}

TEST(ValueTest, EqualityNeedsTheSameKind)
{
    EXPECT_EQ(Value(1), Value(1.0));
    EXPECT_NE(Value("1"), Value(1));
    EXPECT_NE(Value(true), Value(-1));
    EXPECT_NE(Value(), Value(""));
    EXPECT_EQ(Value(), Value());
    EXPECT_EQ(Value("a"), Value(std::string("a")));
}

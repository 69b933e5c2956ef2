#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>

#include "runtime/NumberFormat.h"
#include "runtime/Numeric.h"
#include "runtime/QBColor.h"
#include "runtime/Rnd.h"

namespace quillon {
namespace {

TEST(Runtime, SingleStoreRoundsAndFailsOutOfRange)
{
    EXPECT_EQ(*toSingle(0.1), 0.1f);
    EXPECT_EQ(*toSingle(3.14159298), 3.14159298f);
    EXPECT_EQ(*toSingle(static_cast<double>(FLT_MAX)), FLT_MAX);
    EXPECT_FALSE(toSingle(1e39).has_value());
    EXPECT_FALSE(toSingle(-1e39).has_value());
    EXPECT_FALSE(toSingle(std::numeric_limits<double>::infinity()).has_value());
    EXPECT_FALSE(toSingle(std::nan("")).has_value());
}

TEST(Runtime, WholeConversionsRoundHalfToEvenAndFailOutOfRange)
{
    struct Row { double in; std::optional<int16_t> out; };
    const Row rows[] = {
        {2.5, 2}, {3.5, 4}, {-2.5, -2}, {-3.5, -4}, {49.5, 50}, {1000.4, 1000},
        {0.5, 0}, {1.5, 2}, {32767.0, 32767}, {32767.4, 32767}, {32767.5, std::nullopt},
        {-32768.0, -32768}, {-32768.5, -32768}, {-32769.0, std::nullopt},
        {std::nan(""), std::nullopt}, {INFINITY, std::nullopt},
    };
    for (const Row& row : rows)
        EXPECT_EQ(toInt16(row.in), row.out) << row.in;

    EXPECT_EQ(toInt32(2147483647.0), 2147483647);
    EXPECT_EQ(toInt32(-2147483648.0), std::numeric_limits<int32_t>::min());
    EXPECT_FALSE(toInt32(2147483647.5).has_value());
    EXPECT_FALSE(toInt32(1e10).has_value());
    EXPECT_EQ(toInt32(6.5), 6);
    EXPECT_EQ(toInt32(7.5), 8);
}

TEST(Runtime, IntFixSgnAndCheckedFunctions)
{
    EXPECT_EQ(Int(-2.5), -3.0);
    EXPECT_EQ(Fix(-2.5), -2.0);
    EXPECT_EQ(Int(6.9999f), 6.0f);
    EXPECT_EQ(Sgn(-0.001), -1.0);
    EXPECT_EQ(Sgn(0.0), 0.0);
    EXPECT_EQ(Sgn(-0.0), 0.0);
    EXPECT_EQ(Sgn(5.0), 1.0);
    EXPECT_EQ(Sgn(-INFINITY), -1.0);
    EXPECT_EQ(Sgn(std::nan("")), 0.0);

    EXPECT_DOUBLE_EQ(*checkedSqrt(0.117), std::sqrt(0.117));
    EXPECT_EQ(*checkedSqrt(0.0), 0.0);
    EXPECT_FALSE(checkedSqrt(-1e-300).has_value());
    EXPECT_TRUE(std::isnan(*checkedSqrt(std::nan(""))));
    EXPECT_DOUBLE_EQ(*checkedExp(10.0), std::exp(10.0));
    EXPECT_FALSE(checkedExp(710.0).has_value());

    EXPECT_EQ(*checkedMultiply(306783, 7000), 2147481000);
    EXPECT_FALSE(checkedMultiply(306784, 7000).has_value());
    EXPECT_FALSE(checkedMultiply(-306784, 7000).has_value());
}

TEST(Runtime, RndFollowsTheClassicSequenceAndStaysInRange)
{
    Rnd rnd;  // the generator's state before any reseeding
    EXPECT_FLOAT_EQ(rnd.next(), 0.7055475f);
    EXPECT_FLOAT_EQ(rnd.next(), 0.5334240f);
    EXPECT_FLOAT_EQ(rnd.next(), 0.5795186f);

    Rnd first(12345), second(12345);
    for (int k = 0; k < 1000; ++k) {
        const float value = first.next();
        ASSERT_EQ(value, second.next());
        ASSERT_GE(value, 0.0f);
        ASSERT_LT(value, 1.0f);
        ASSERT_EQ(value * 16777216.0f, std::floor(value * 16777216.0f));
    }

    Rnd morning, evening;
    morning.randomize(30000.5);
    evening.randomize(30000.51);
    EXPECT_NE(morning.next(), evening.next());

    // Every colour 9..15 comes up, nothing else.
    Rnd colours(7);
    int seen[16] = {};
    for (int k = 0; k < 7000; ++k)
        ++seen[static_cast<int>(Int(colours.next() * 7.0f) + 9.0f)];
    for (int c = 0; c < 16; ++c)
        EXPECT_EQ(seen[c] > 0, c >= 9) << c;
}

TEST(Runtime, TextOfNumbers)
{
    const NumberFormat point;
    struct Row { double value; const char* text; };
    const Row doubles[] = {
        {1.4, "1.4"}, {0.3, "0.3"}, {-0.565, "-0.565"}, {0, "0"}, {-0.0, "0"}, {4, "4"},
        {-100, "-100"}, {3.141593, "3.141593"}, {0.001, "0.001"}, {1.0 / 3, "0.333333333333333"},
        {2.0 / 3, "0.666666666666667"}, {123456789012345.0, "123456789012345"}, {1e15, "1E+15"},
        {1e20, "1E+20"}, {-2.5e-7, "-2.5E-07"}, {1.1 + 2.2, "3.3"}, {37349312, "37349312"},
    };
    for (const Row& row : doubles)
        EXPECT_EQ(point.text(row.value), row.text) << row.value;

    EXPECT_EQ(point.singleText(3.14159298f), "3.141593");
    EXPECT_EQ(point.singleText(0.87f), "0.87");
    EXPECT_EQ(point.singleText(0.1f), "0.1");
    EXPECT_EQ(point.singleText(37349312.0f), "3.734931E+07");
    EXPECT_EQ(point.text(0.87f), "0.870000004768372");  // a Single read as a Double
    EXPECT_EQ(NumberFormat::wholeText(-27), "-27");

    EXPECT_EQ(point.text(INFINITY), "Infinity");
    EXPECT_EQ(point.text(-INFINITY), "-Infinity");
    EXPECT_EQ(point.text(std::nan("")), "NaN");

    const NumberFormat comma(",");
    EXPECT_EQ(comma.text(-0.565), "-0,565");
    EXPECT_EQ(comma.text(1e20), "1E+20");
    EXPECT_EQ(comma.singleText(0.87f), "0,87");

    EXPECT_EQ(point.printedNumber(82), " 82 ");
    EXPECT_EQ(point.printedNumber(-3.5), "-3.5 ");
    EXPECT_EQ(point.printedNumber(0), " 0 ");
    EXPECT_EQ(point.printedSingle(9232.0f), " 9232 ");
}

TEST(Runtime, NumbersFromText)
{
    const NumberFormat point;
    struct Row { const char* text; std::optional<double> value; };
    const Row rows[] = {
        {"1.4", 1.4}, {" 0.3 ", 0.3}, {"-0.565", -0.565}, {"+3", 3}, {"-.5", -0.5}, {"5.", 5},
        {"1e3", 1000}, {"1E-3", 0.001}, {"2.5e+2", 250}, {"1e308", 1e308}, {"-0", -0.0},
        {"", std::nullopt}, {"   ", std::nullopt}, {"abc", std::nullopt}, {"1e999", std::nullopt},
        {"-1e999", std::nullopt}, {"nan", std::nullopt}, {"inf", std::nullopt},
        {"infinity", std::nullopt}, {"1 2", std::nullopt}, {".", std::nullopt}, {"e5", std::nullopt},
        {"1e", std::nullopt}, {"1.4x", std::nullopt}, {"0x10", std::nullopt}, {"--1", std::nullopt},
    };
    for (const Row& row : rows)
        EXPECT_EQ(point.parse(row.text), row.value) << '"' << row.text << '"';

    // Very small magnitudes come out as the nearest Double (or zero), not as failures.
    ASSERT_TRUE(point.parse("1e-320").has_value());
    EXPECT_GT(*point.parse("1e-320"), 0.0);
    EXPECT_EQ(point.parse("1e-400"), 0.0);

    const NumberFormat comma(",");
    EXPECT_EQ(comma.parse("1,5"), 1.5);
    EXPECT_EQ(comma.parse("1.5"), 1.5);
    EXPECT_EQ(comma.parse("-0,565"), -0.565);
    EXPECT_FALSE(comma.parse("1,5,5").has_value());

    // What the runtime shows it reads back unchanged.
    for (double value : {1.4, -0.565, 1.0 / 3, 37349312.0, 2.0 / 3})
        EXPECT_NEAR(*point.parse(point.text(value)), value, std::fabs(value) * 1e-14);
}

TEST(Runtime, QBColorPalette)
{
    EXPECT_EQ(QBColor(0), 0x000000u);
    EXPECT_EQ(QBColor(7), 0xC0C0C0u);
    EXPECT_EQ(QBColor(8), 0x808080u);
    EXPECT_EQ(QBColor(9), 0x0000FFu);
    EXPECT_EQ(QBColor(12), 0xFF0000u);
    EXPECT_EQ(QBColor(14), 0xFFFF00u);
    EXPECT_EQ(QBColor(15), 0xFFFFFFu);
    EXPECT_FALSE(validQBColor(16));
    EXPECT_FALSE(validQBColor(-1));
}

}  // namespace
}  // namespace quillon

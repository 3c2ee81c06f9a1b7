#include "typed_text.h"

#include <clocale>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace numir {
namespace {

struct ConversionCase {
    const char* name;
    std::string text;
    double expected;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const ConversionCase& c, std::ostream* out) {
    *out << c.name;
}

class NumericValueTest : public ::testing::TestWithParam<ConversionCase> {};

TEST_P(NumericValueTest, ReadsTheNumberTheTextBeginsWith) {
    const auto& c = GetParam();
    EXPECT_EQ(numericValue(c.text), c.expected) << '"' << c.text << '"';
}

const double infinity = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Conversions, NumericValueTest,
    ::testing::Values(
        ConversionCase{"Plain", "7", 7}, ConversionCase{"LeadingZero", "07", 7},
        ConversionCase{"TrailingLetter", "7a", 7}, ConversionCase{"LeadingLetter", "a7", 0},
        ConversionCase{"BlankInside", "1 2", 12}, ConversionCase{"Empty", "", 0},
        ConversionCase{"TabsAndLineFeeds", "\t4\n3 ", 43}, ConversionCase{"Fraction", "7.5", 7.5},
        ConversionCase{"PointFirst", ".5", 0.5}, ConversionCase{"PointLast", "5.", 5},
        ConversionCase{"SecondPointStops", "1.2.3", 1.2}, ConversionCase{"Negative", "-3", -3},
        ConversionCase{"PlusSign", "+8", 8}, ConversionCase{"SignAlone", "-", 0},
        ConversionCase{"PointAlone", ".", 0}, ConversionCase{"Exponent", "4e1", 40},
        ConversionCase{"NegativeExponent", "430E-1", 43},
        ConversionCase{"ExponentWithoutDigits", "4e", 4},
        ConversionCase{"ExponentSignWithoutDigits", "4e+x", 4},
        ConversionCase{"SpaceInExponent", "1e 1", 10},
        ConversionCase{"CarriageReturnStops", "1\r2", 1},
        ConversionCase{"HexPrefixIsNotANumber", "&H10", 0},
        ConversionCase{"CPrefixStopsAtX", "0x10", 0}, ConversionCase{"FullWidthDigits", "４３", 43},
        ConversionCase{"FullWidthSignPointExponent", "－７．５Ｅ１", -75},
        ConversionCase{"FullWidthLowerExponent", "１ｅ１", 10},
        ConversionCase{"IdeographicSpace", "　１　２", 12},
        ConversionCase{"OtherFullWidthLetterStops", "１Ａ", 1},
        ConversionCase{"InvalidUtf8Stops",
                       "4\xFF"
                       "3",
                       4},
        ConversionCase{"TruncatedSequenceStops", "\xE3\x80", 0},
        ConversionCase{"Overflow", "1e400", infinity},
        ConversionCase{"NegativeOverflow", "-1e400", -infinity},
        ConversionCase{"LongDigitRunOverflows", std::string(400, '9'), infinity},
        ConversionCase{"HugeExponentDigits", "1e99999999999999999999999", infinity},
        ConversionCase{"Underflow", "1e-400", 0},
        ConversionCase{"ZeroWithHugeExponent", "0e99999", 0},
        ConversionCase{"LongFractionStaysExact", "43.000000000000000000000000001", 43}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(NumericValue, IgnoresTheCLocale) {
    // A decimal-comma locale must not turn "7.5" into 7; skip where none is installed.
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr &&
        std::setlocale(LC_ALL, "de_DE") == nullptr)
        GTEST_SKIP() << "no German locale installed";
    double value = numericValue(std::string("7.5"));
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(value, 7.5);
}

TEST(DecodeUtf8, CountsCharactersNotBytes) {
    EXPECT_EQ(decodeUtf8("０１０５").size(), 4u);
    // Overlong form, lone continuation, surrogate, and a cut sequence: one character per bad byte.
    EXPECT_EQ(decodeUtf8("\xC0\xAF").size(), 2u);
    EXPECT_EQ(decodeUtf8("\x80").size(), 1u);
    EXPECT_EQ(decodeUtf8("\xED\xA0\x80").size(), 3u);
    EXPECT_EQ(decodeUtf8("a\xE3\x81").size(), 3u);
    EXPECT_EQ(decodeUtf8("\xF0\x9F\x98\x80").size(), 1u);
}

TEST(TrimSpaces, RemovesAsciiAndIdeographicSpacesAtBothEndsOnly) {
    EXPECT_EQ(trimSpaces(U"　 01 02　 "), U"01 02");
    EXPECT_EQ(trimSpaces(U"\t01\t"), U"\t01\t");
    EXPECT_EQ(trimSpaces(U"   "), U"");
}

} // namespace
} // namespace numir

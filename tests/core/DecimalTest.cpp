// The one reader of decimal numbers: the image builder's atoi reading, the file reader's
// scanf reading and the input checks' digits-only rule all stand on it.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

#include "core/text/Decimal.h"

namespace kvt {
namespace {

struct LeadingCase {
    const char* why;
    std::string text;
    std::uint32_t wrapped;
    bool digits;
    bool negative;
    bool beyond32Bits;
    std::size_t end;
};

class LeadingDecimalTest : public ::testing::TestWithParam<LeadingCase> {};

TEST_P(LeadingDecimalTest, ReadsAsTheCLibraryDoes) {
    const LeadingCase& c = GetParam();
    SCOPED_TRACE(c.why);
    const LeadingDecimal number = readLeadingDecimal(c.text);
    EXPECT_EQ(number.wrapped, c.wrapped);
    EXPECT_EQ(number.digits, c.digits);
    EXPECT_EQ(number.negative, c.negative);
    EXPECT_EQ(number.beyond32Bits, c.beyond32Bits);
    EXPECT_EQ(number.end, c.end);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LeadingDecimalTest,
    ::testing::Values(
        LeadingCase{"plain digits", "64", 64, true, false, false, 2},
        LeadingCase{"what follows the digits is left", "12.5", 12, true, false, false, 2},
        LeadingCase{"every C blank is skipped", "\n\t\v\f\r 7", 7, true, false, false, 7},
        LeadingCase{"a minus wraps to two's complement", "  -12x", 0u - 12u, true, true, false, 5},
        LeadingCase{"a plus is taken", "+9", 9, true, false, false, 2},
        LeadingCase{"letters first: no number, value 0", "x9999", 0, false, false, false, 0},
        LeadingCase{"a sign alone is read past, as scanf does", "-", 0, false, true, false, 1},
        LeadingCase{"empty", "", 0, false, false, false, 0},
        LeadingCase{"the largest 32-bit value", "4294967295", 4294967295u, true, false, false, 10},
        LeadingCase{"2^32 wraps to 0 and says so", "4294967296", 0, true, false, true, 10},
        LeadingCase{"far beyond 32 bits keeps wrapping", "99999999999999999999", 1661992959u, true,
                    false, true, 20}));

TEST(LeadingDecimal, StartsWhereAsked) {
    const LeadingDecimal number = readLeadingDecimal("key 42 rest", 3);
    EXPECT_EQ(number.wrapped, 42u);
    EXPECT_EQ(number.end, 6u);
}

struct DigitsCase {
    const char* why;
    std::string text;
    std::optional<std::uint32_t> value;
};

class DigitsOnlyTest : public ::testing::TestWithParam<DigitsCase> {};

TEST_P(DigitsOnlyTest, TakesDigitsAndNothingElse) {
    EXPECT_EQ(digitsOnlyValue(GetParam().text), GetParam().value) << GetParam().why;
    // Digits past 32 bits are still digits.
    EXPECT_EQ(allDigits(GetParam().text),
              GetParam().value.has_value() || GetParam().text == "4294967296")
        << GetParam().why;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DigitsOnlyTest,
    ::testing::Values(
        DigitsCase{"digits", "256", 256u}, DigitsCase{"leading zeros are digits", "0080", 80u},
        DigitsCase{"zero", "0", 0u}, DigitsCase{"letters after the digits", "80ab", std::nullopt},
        DigitsCase{"letters before the digits", "x9999", std::nullopt},
        DigitsCase{"a leading blank", " 12", std::nullopt},
        DigitsCase{"a trailing blank", "12 ", std::nullopt},
        DigitsCase{"a sign", "+1", std::nullopt}, DigitsCase{"a minus", "-1", std::nullopt},
        DigitsCase{"empty", "", std::nullopt},
        DigitsCase{"full-width digits are not digits", "\xA3\xB1\xA3\xB2", std::nullopt},
        DigitsCase{"the largest 32-bit value", "4294967295", 4294967295u},
        DigitsCase{"beyond 32 bits", "4294967296", std::nullopt}));

}  // namespace
}  // namespace kvt

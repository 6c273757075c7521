#pragma once
// The one reader of numbers written in decimal: what the device images, the configuration
// files and the input checks make of a text that should hold a number.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace kvt {

// C's leading-number reading (atoi, scanf "%d"): blanks (space, \t \n \v \f \r), an optional
// sign, then decimal digits; whatever follows is left to the caller.
struct LeadingDecimal {
    // The value modulo 2^32 with the sign applied in two's complement, so that its low bytes
    // are the ones the C library gives wherever it defines them.
    std::uint32_t wrapped = 0;
    bool digits = false;        // at least one digit was read
    bool negative = false;      // a '-' came before the digits
    bool beyond32Bits = false;  // the digits' value does not fit in 32 bits
    std::size_t end = 0;        // just past what was read (a sign without digits included)
};

LeadingDecimal readLeadingDecimal(std::string_view text, std::size_t from = 0);

// Decimal digits and nothing else, at least one, of any length.
bool allDigits(std::string_view text);

// A text that is decimal digits and nothing else ("0080" too), and whose value fits in 32 bits.
std::optional<std::uint32_t> digitsOnlyValue(std::string_view text);

}  // namespace kvt

#include "core/text/Decimal.h"

namespace kvt {
namespace {

bool isBlank(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

LeadingDecimal readLeadingDecimal(std::string_view text, std::size_t from) {
    LeadingDecimal result;
    std::size_t pos = from;
    while (pos < text.size() && isBlank(text[pos])) ++pos;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        result.negative = text[pos] == '-';
        ++pos;
    }
    std::uint64_t exact = 0;  // saturates past 32 bits; only its size is asked for
    for (; pos < text.size() && isDigit(text[pos]); ++pos) {
        const auto digit = static_cast<std::uint32_t>(text[pos] - '0');
        result.wrapped = result.wrapped * 10u + digit;
        if (exact <= UINT32_MAX) exact = exact * 10u + digit;
        result.digits = true;
    }
    result.beyond32Bits = exact > UINT32_MAX;
    if (result.negative) result.wrapped = 0u - result.wrapped;
    result.end = pos;
    return result;
}

bool allDigits(std::string_view text) {
    if (text.empty()) return false;
    for (char c : text) {
        if (!isDigit(c)) return false;
    }
    return true;
}

std::optional<std::uint32_t> digitsOnlyValue(std::string_view text) {
    if (text.empty() || !isDigit(text.front())) return std::nullopt;
    const LeadingDecimal number = readLeadingDecimal(text);
    if (number.end != text.size() || number.beyond32Bits) return std::nullopt;
    return number.wrapped;
}

}  // namespace kvt

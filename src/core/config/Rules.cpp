#include "core/config/Rules.h"

#include "core/text/Decimal.h"

namespace kvt {

std::optional<std::int32_t> typedNumber(std::string_view text, NumberRange range) {
    const std::optional<std::uint32_t> value = digitsOnlyValue(text);
    if (!value || !range.contains(*value)) return std::nullopt;
    return static_cast<std::int32_t>(*value);
}

NameProblem checkNetworkName(std::string_view name) {
    if (name.size() > kTextFieldBytes) return NameProblem::TooLong;
    // A space is never the second byte of a GBK character, so a byte search finds only spaces.
    if (name.find(' ') != std::string_view::npos) return NameProblem::Space;
    return NameProblem::None;
}

std::optional<std::uint32_t> dottedQuad(std::string_view text) {
    std::uint32_t address = 0;
    std::size_t start = 0;
    for (int part = 0; part < 4; ++part) {
        const std::size_t dot = text.find('.', start);
        if ((dot == std::string_view::npos) != (part == 3)) return std::nullopt;
        const std::string_view piece = text.substr(start, dot - start);
        const std::optional<std::uint32_t> value = digitsOnlyValue(piece);
        if (piece.size() > 3 || !value || *value > 255) return std::nullopt;
        address = (address << 8) | *value;
        start = dot + 1;
    }
    return address;
}

}  // namespace kvt

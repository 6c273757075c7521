#include "core/config/WireFormat.h"

#include <cstdio>

#include "core/text/Decimal.h"

namespace kvt::wire {

std::uint16_t readU16(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return static_cast<std::uint16_t>((byteAt(bytes, offset) << 8) | byteAt(bytes, offset + 1));
}

std::uint32_t readU32(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return (std::uint32_t{byteAt(bytes, offset)} << 24) |
           (std::uint32_t{byteAt(bytes, offset + 1)} << 16) |
           (std::uint32_t{byteAt(bytes, offset + 2)} << 8) |
           std::uint32_t{byteAt(bytes, offset + 3)};
}

Gbk dottedAddress(std::span<const std::uint8_t> bytes, std::size_t offset) {
    char text[16];
    std::snprintf(text, sizeof text, "%d.%d.%d.%d", byteAt(bytes, offset),
                  byteAt(bytes, offset + 1), byteAt(bytes, offset + 2), byteAt(bytes, offset + 3));
    return text;
}

Gbk macAddress(std::span<const std::uint8_t> bytes, std::size_t offset) {
    char text[18];
    std::snprintf(text, sizeof text, "%02x-%02x-%02x-%02x-%02x-%02x", byteAt(bytes, offset),
                  byteAt(bytes, offset + 1), byteAt(bytes, offset + 2), byteAt(bytes, offset + 3),
                  byteAt(bytes, offset + 4), byteAt(bytes, offset + 5));
    return text;
}

Gbk textField(std::span<const std::uint8_t> bytes, std::size_t offset, std::size_t width) {
    Gbk text;
    for (std::size_t i = 0; i < width; ++i) {
        const std::uint8_t b = byteAt(bytes, offset + i);
        if (b == 0) break;
        text.push_back(static_cast<char>(b));
    }
    return text;
}

Gbk decimalText(long long value) {
    char text[24];
    std::snprintf(text, sizeof text, "%lld", value);
    return text;
}

Gbk paddedDecimalText(long long value) {
    char text[24];
    std::snprintf(text, sizeof text, "%2lld", value);
    return text;
}

void writeU16(std::span<std::uint8_t> out, std::size_t offset, std::uint32_t value) {
    out[offset] = static_cast<std::uint8_t>(value >> 8);
    out[offset + 1] = static_cast<std::uint8_t>(value);
}

void writeU32(std::span<std::uint8_t> out, std::size_t offset, std::uint32_t value) {
    out[offset] = static_cast<std::uint8_t>(value >> 24);
    out[offset + 1] = static_cast<std::uint8_t>(value >> 16);
    out[offset + 2] = static_cast<std::uint8_t>(value >> 8);
    out[offset + 3] = static_cast<std::uint8_t>(value);
}

void writeDottedAddress(std::span<std::uint8_t> out, std::size_t offset, std::string_view text) {
    if (text.find('.') == std::string_view::npos) return;
    std::size_t start = 0;
    for (std::size_t part = 0; part < 4; ++part) {
        const std::size_t dot = text.find('.', start);
        const std::string_view piece = text.substr(
            start, dot == std::string_view::npos ? std::string_view::npos : dot - start);
        out[offset + part] = static_cast<std::uint8_t>(readLeadingDecimal(piece).wrapped);
        if (dot == std::string_view::npos) break;
        start = dot + 1;
    }
}

void writeTextField(std::span<std::uint8_t> out, std::size_t offset, std::size_t width,
                    std::string_view text) {
    const std::size_t n = gbkCutLength(text, width);
    for (std::size_t i = 0; i < width; ++i) {
        out[offset + i] = i < n ? static_cast<std::uint8_t>(text[i]) : std::uint8_t{0};
    }
}

}  // namespace kvt::wire

#pragma once
// Byte-level helpers shared by the codecs of the discovery, report and configuration messages.
// Reads past the end of a buffer yield zero, so a short datagram or image never exposes stale
// or foreign bytes.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "core/text/Gbk.h"

namespace kvt::wire {

inline std::uint8_t byteAt(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return offset < bytes.size() ? bytes[offset] : std::uint8_t{0};
}

std::uint16_t readU16(std::span<const std::uint8_t> bytes, std::size_t offset);
std::uint32_t readU32(std::span<const std::uint8_t> bytes, std::size_t offset);

// The four bytes at `offset` as "%d.%d.%d.%d", first byte first.
Gbk dottedAddress(std::span<const std::uint8_t> bytes, std::size_t offset);

// Six bytes at `offset` as "%02x-%02x-%02x-%02x-%02x-%02x".
Gbk macAddress(std::span<const std::uint8_t> bytes, std::size_t offset);

// A NUL-padded text field of `width` bytes, taken up to its first NUL.
Gbk textField(std::span<const std::uint8_t> bytes, std::size_t offset, std::size_t width);

// "%d" / "%2d".
Gbk decimalText(long long value);
Gbk paddedDecimalText(long long value);

// Writes into `out` (which must hold offset + n bytes).
void writeU16(std::span<std::uint8_t> out, std::size_t offset, std::uint32_t value);
void writeU32(std::span<std::uint8_t> out, std::size_t offset, std::uint32_t value);

// Dotted text -> up to four bytes at `offset`: each "."-separated part's leading decimal value
// (readLeadingDecimal, as atoi reads it), low byte. A text without "." writes nothing; parts past
// the fourth are ignored.
void writeDottedAddress(std::span<std::uint8_t> out, std::size_t offset, std::string_view text);

// Copies the text into a zero-filled field of `width` bytes, cut on a GBK character boundary.
void writeTextField(std::span<std::uint8_t> out, std::size_t offset, std::size_t width,
                    std::string_view text);

}  // namespace kvt::wire

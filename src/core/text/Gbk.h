#pragma once
// GBK is the text encoding of the model, the wire and the files; UTF-8 exists only at the
// edges (Qt widgets, the terminal). Conversions that would lose a character fail instead.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kvt {

// A GBK byte string. Kept as std::string so that it composes with the standard library.
using Gbk = std::string;

struct GbkError {
    std::size_t offset = 0;  // byte offset in the input where conversion stopped
    std::string character;   // the offending UTF-8 sequence (or raw byte), for messages
};

// UTF-8 -> GBK. Fails on characters that GBK cannot hold and on malformed UTF-8.
std::optional<Gbk> utf8ToGbk(std::string_view utf8, GbkError* error = nullptr);

// Text in `charset` (any name iconv knows, e.g. a locale's nl_langinfo(CODESET)) -> GBK.
// Fails on characters that GBK cannot hold, malformed input and unknown charsets.
std::optional<Gbk> toGbk(std::string_view text, const char* charset);

// UTF-8 -> GBK for texts that are known to be representable (our own literals).
Gbk gbk(std::string_view utf8);

// GBK -> UTF-8. Bytes that are not valid GBK become U+FFFD, so a device's garbage never
// stops a listing.
std::string gbkToUtf8(std::string_view gbk);

// Length in bytes of the longest prefix of `text` that has at most maxBytes bytes and does not
// end in the middle of a two-byte GBK character.
std::size_t gbkCutLength(std::string_view text, std::size_t maxBytes);

}  // namespace kvt

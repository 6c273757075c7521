#pragma once
// The system's GBK codec. Each conversion converts as much as it can into `out` and returns
// the input offset of the first sequence it could not convert, or nullopt when all of it was.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kvt::platform {

std::optional<std::size_t> utf8ToGbk(std::string_view utf8, std::string& out);
std::optional<std::size_t> gbkToUtf8(std::string_view gbk, std::string& out);
// From a charset the system names (a locale's, e.g. "UTF-8"); false also when the system does
// not know `charset`.
bool charsetToGbk(std::string_view text, const char* charset, std::string& out);

}  // namespace kvt::platform

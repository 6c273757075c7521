#pragma once
// Messages that the UI text table does not hold: they come from our own mends (atomic saves,
// refusals instead of silent corruption). They live beside the table so that the table keeps
// its 615 ids; ids from 90000 up are ours.
#include <cstdint>

#include "core/text/Gbk.h"

namespace kvt {

inline constexpr std::uint32_t kMsgSaveFailed = 90001;      // the file could not be written
inline constexpr std::uint32_t kMsgLegacyDownload = 90002;  // older product: nothing to send
inline constexpr std::uint32_t kMsgNotGbk = 90003;          // input GBK cannot hold
inline constexpr std::uint32_t kMsgOpenFailed = 90004;      // file exists but cannot be read

// Text for a message id: ours from 90000 up, otherwise the UI text table's (GBK).
Gbk messageText(std::uint32_t id);
std::string messageTextUtf8(std::uint32_t id);

}  // namespace kvt

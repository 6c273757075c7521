#pragma once
// The text catalogue's own part: texts that the UI text table does not hold, each in Chinese
// and English. Ids from 90000 up are ours: messages of our own mends (atomic saves, refusals
// instead of silent corruption) from 90000, sentences of the core (apply and batch results,
// validation, export headers) from 91000. The desktop tool's window texts are listed here too,
// by the Chinese text their tr() carries: the Qt translation files are made from this
// catalogue and the UI text table at build time (tools/gen_ui_text_ts.py).
#include <cstdint>
#include <string>
#include <vector>

#include "core/text/Gbk.h"
#include "core/text/UiText.h"

namespace kvt {

inline constexpr std::uint32_t kMsgSaveFailed = 90001;      // the file could not be written
inline constexpr std::uint32_t kMsgLegacyDownload = 90002;  // older product: nothing to send
inline constexpr std::uint32_t kMsgNotGbk = 90003;          // input GBK cannot hold
inline constexpr std::uint32_t kMsgOpenFailed = 90004;      // file exists but cannot be read

// Sentences of the core; %1, %2, ... stand for the arguments.
enum TextId : std::uint32_t {
    kTxtJoin = 91000,  // two texts one after the other
    kTxtInterfaceColumn,
    kTxtPasswordMissing,
    kTxtFailedStep,
    kTxtHeldResetFailed,
    kTxtWrittenResetFailed,
    kTxtEnipWithin,
    kTxtEnipCheck,
    kTxtNotSupported,
    kTxtAlreadyHeld,
    kTxtResetToMove,
    kTxtMovesAtReset,
    kTxtWouldChange,
    kTxtNothingSent,
    kTxtAndMore,
    kTxtReadBackFailed,
    kTxtHoldsOther,
    kTxtWrittenVerified,
    kTxtWritten,
    kTxtResetToo,
    kTxtNoAnswerAt,
    kTxtNoAnswerMac,
    kTxtOutOfRange,
    kTxtNotNumber,
    kTxtNotNumberRange,
    kTxtTooLong,
    kTxtTooLongValue,
    kTxtSpace,
    kTxtNoAddress,
    kTxtNotAddress,
    kTxtMaskNotContiguous,
    kTxtNetworkAddress,
    kTxtBroadcastAddress,
    kTxtOutsideSubnet,
    kTxtLeavesStatic,
    kTxtRange,
    kTxtQuoted,
    kTxtFieldIssue,
    kTxtFieldKind,  // labels of the configuration fields that no page shows as such
    kTxtFieldProductCode,
    kTxtFieldFirmware,
    kTxtFieldFileVersion,
    kTxtFieldReport,
    kTxtFieldReportTarget,
    kTxtFieldReportPort,
    kTxtFieldReportPeriod,
    kTxtFieldReserved,
    kTxtFieldAssemblies,
    kTxtAssemblyInstance,
    kTxtDisabled,
    kTxtEnabled,
    kTxtEmptyValue,
    kTxtBatchSummary,
    kTxtBatchSummaryDry,
    kTxtEnd  // not a text: one past the last
};

// Text for a message id in Chinese: ours from 90000 up, otherwise the UI text table's (GBK).
Gbk messageText(std::uint32_t id);
std::string messageTextUtf8(std::uint32_t id);
// Any id of the catalogue in `lang`, UTF-8; empty for an unknown id.
std::string textUtf8(std::uint32_t id, Lang lang);

// A catalogue text with its arguments, kept as such until it is shown in a language.
struct Text {
    std::uint32_t id = 0;    // 0: `literal` as it stands (an address, a number, a name)
    std::string literal;     // UTF-8
    std::vector<Text> args;  // %1, %2, ...
};
Text text(std::uint32_t id, std::vector<Text> args = {});
Text literal(std::string utf8);
Text joined(Text first, Text second);
std::string render(const Text& text, Lang lang);

namespace detail {
struct OwnText {
    std::uint32_t id;
    const char* zh;
    const char* en;
};
extern const std::vector<OwnText> kOwnTexts;

// A window text: the Chinese text of a tr() and its English. A context (the class) only
// where one Chinese text needs different English in different windows; `enPlural` for a
// text with a count (%n).
struct WindowText {
    const char* context;
    const char* zh;
    const char* en;
    const char* enPlural = nullptr;
};
extern const std::vector<WindowText> kWindowTexts;
}  // namespace detail

}  // namespace kvt

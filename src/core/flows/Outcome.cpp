#include "core/flows/Outcome.h"

#include <array>

#include "core/text/ExtraText.h"

namespace kvt {
namespace {

struct OutcomeEntry {
    Outcome outcome;
    std::uint32_t message;  // 0: none
    const char* name;
};

// The one place where an outcome meets the message the user is shown. In enumeration order.
constexpr std::array kOutcomes = {
    OutcomeEntry{Outcome::Done, 0, "Done"},
    OutcomeEntry{Outcome::Cancelled, 0, "Cancelled"},
    OutcomeEntry{Outcome::NoSelection, 0, "NoSelection"},
    OutcomeEntry{Outcome::NoConfiguration, 0, "NoConfiguration"},
    OutcomeEntry{Outcome::SocketFailed, 0, "SocketFailed"},
    OutcomeEntry{Outcome::SendFailed, 0, "SendFailed"},
    OutcomeEntry{Outcome::NothingFound, 0, "NothingFound"},
    OutcomeEntry{Outcome::SearchFailed, 0, "SearchFailed"},
    OutcomeEntry{Outcome::SearchWrongReply, 0, "SearchWrongReply"},
    OutcomeEntry{Outcome::WarningsDeclined, 0, "WarningsDeclined"},
    OutcomeEntry{Outcome::SearchPortBusy, 0, "SearchPortBusy"},
    OutcomeEntry{Outcome::PasswordMissing, 0, "PasswordMissing"},
    OutcomeEntry{Outcome::WrongPassword, 4014, "WrongPassword"},
    OutcomeEntry{Outcome::ReadForbidden, 4017, "ReadForbidden"},
    OutcomeEntry{Outcome::ReadConnectFailed, 4019, "ReadConnectFailed"},
    OutcomeEntry{Outcome::ReadRejected, 4020, "ReadRejected"},
    OutcomeEntry{Outcome::ReadIncomplete, 4021, "ReadIncomplete"},
    OutcomeEntry{Outcome::ResetForbidden, 4030, "ResetForbidden"},
    OutcomeEntry{Outcome::ConnectFailed, 4032, "ConnectFailed"},
    OutcomeEntry{Outcome::OpenForbidden, 4115, "OpenForbidden"},
    OutcomeEntry{Outcome::FileMissing, 4116, "FileMissing"},
    OutcomeEntry{Outcome::DownloadNoDevice, 4311, "DownloadNoDevice"},
    OutcomeEntry{Outcome::WriteConnectFailed, 5044, "WriteConnectFailed"},
    OutcomeEntry{Outcome::WriteSendFailed, 5045, "WriteSendFailed"},
    OutcomeEntry{Outcome::WriteNoAcknowledgement, 5046, "WriteNoAcknowledgement"},
    OutcomeEntry{Outcome::WriteRejected, 5047, "WriteRejected"},
    OutcomeEntry{Outcome::ResetFailed, 5065, "ResetFailed"},
    OutcomeEntry{Outcome::PasswordConnectFailed, 7001, "PasswordConnectFailed"},
    OutcomeEntry{Outcome::PasswordNoReply, 7002, "PasswordNoReply"},
    OutcomeEntry{Outcome::SaveFailed, kMsgSaveFailed, "SaveFailed"},
    OutcomeEntry{Outcome::LegacyDownload, kMsgLegacyDownload, "LegacyDownload"},
    OutcomeEntry{Outcome::OpenFailed, kMsgOpenFailed, "OpenFailed"},
};

constexpr bool inEnumerationOrder() {
    for (std::size_t i = 0; i < kOutcomes.size(); ++i) {
        if (static_cast<std::size_t>(kOutcomes[i].outcome) != i) return false;
    }
    return kOutcomes.back().outcome == Outcome::OpenFailed;
}
static_assert(inEnumerationOrder(), "one entry per outcome, in the enumeration's order");

const OutcomeEntry* entryOf(Outcome outcome) {
    const auto index = static_cast<std::size_t>(outcome);
    return index < kOutcomes.size() ? &kOutcomes[index] : nullptr;
}

}  // namespace

std::uint32_t messageFor(Outcome outcome) {
    const OutcomeEntry* entry = entryOf(outcome);
    return entry ? entry->message : 0;
}

const char* outcomeName(Outcome outcome) {
    const OutcomeEntry* entry = entryOf(outcome);
    return entry ? entry->name : "?";
}

}  // namespace kvt

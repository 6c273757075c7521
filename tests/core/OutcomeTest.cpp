// The one table from a flow's outcome to the message the user sees: each outcome shows the
// message the flows showed for that situation before outcomes existed, and every outcome has
// its row.
#include <gtest/gtest.h>

#include <set>

#include "core/flows/Outcome.h"
#include "core/text/ExtraText.h"
#include "core/text/UiText.h"

namespace kvt {
namespace {

struct Row {
    Outcome outcome;
    std::uint32_t message;  // 0: the flow ends silently
    const char* situation;
};

void PrintTo(const Row& row, std::ostream* os) {
    *os << outcomeName(row.outcome);
}

const Row kRows[] = {
    {Outcome::Done, 0, "the flow did what it was asked"},
    {Outcome::Cancelled, 0, "a dialog cancelled or the reset declined: the user knows"},
    {Outcome::NoSelection, 0, "read or reset with no device selected"},
    {Outcome::NoConfiguration, 0, "download with nothing to send"},
    {Outcome::SocketFailed, 0, "socket set-up failures end a flow silently"},
    {Outcome::SendFailed, 0, "a request that could not be sent ends silently"},
    {Outcome::NothingFound, 0, "an empty list says it"},
    {Outcome::SearchFailed, 0, "search by IP shows no message box"},
    {Outcome::SearchWrongReply, 0, "search by IP shows no message box"},
    {Outcome::WarningsDeclined, 0, "the user went back at the warnings: the editor stays"},
    {Outcome::SearchPortBusy, 0, "the search's local port is taken: said where the search ran"},
    {Outcome::PasswordMissing, 0, "a script without a password: its caller says so"},
    {Outcome::WrongPassword, 4014, "密码错误"},
    {Outcome::ReadForbidden, 4017, "the read refused by the device's switch"},
    {Outcome::ReadConnectFailed, 4019, "the read's connect"},
    {Outcome::ReadRejected, 4020, "读取失败: the reply is not the read's"},
    {Outcome::ReadIncomplete, 4021, "the image was cut short"},
    {Outcome::ResetForbidden, 4030, "the reset refused by the device's switch"},
    {Outcome::ConnectFailed, 4032, "the password dialog's and the reset's connect"},
    {Outcome::OpenForbidden, 4115, "Open with a forbidding device selected"},
    {Outcome::FileMissing, 4116, "文件不存在!"},
    {Outcome::DownloadNoDevice, 4311, "download without a selected device"},
    {Outcome::WriteConnectFailed, 5044, "the download's connect"},
    {Outcome::WriteSendFailed, 5045, "the image could not be sent"},
    {Outcome::WriteNoAcknowledgement, 5046, "no acknowledgement"},
    {Outcome::WriteRejected, 5047, "写入失败!: the acknowledgement is not the write's"},
    {Outcome::ResetFailed, 5065, "远程复位失败"},
    {Outcome::PasswordConnectFailed, 7001, "the download's check of the read's password"},
    {Outcome::PasswordNoReply, 7002, "a password check without a reply"},
    {Outcome::SaveFailed, kMsgSaveFailed, "the file could not be written"},
    {Outcome::LegacyDownload, kMsgLegacyDownload, "an older product is not sent a blank block"},
    {Outcome::OpenFailed, kMsgOpenFailed, "the file opened but could not be read"},
};

class OutcomeTable : public ::testing::TestWithParam<Row> {};

TEST_P(OutcomeTable, ShowsTheMessageOfItsSituation) {
    const Row& row = GetParam();
    EXPECT_EQ(messageFor(row.outcome), row.message) << row.situation;
    // Every message shown has a text to show.
    if (row.message != 0) {
        EXPECT_FALSE(messageText(row.message).empty()) << row.situation;
    }
    EXPECT_STRNE(outcomeName(row.outcome), "?");
}

INSTANTIATE_TEST_SUITE_P(EveryOutcome, OutcomeTable, ::testing::ValuesIn(kRows),
                         [](const auto& row) {
                             return std::string(outcomeName(row.param.outcome));
                         });

TEST(OutcomeTable, HasARowForEveryOutcome) {
    std::set<Outcome> covered;
    for (const Row& row : kRows) covered.insert(row.outcome);
    // The enumeration runs from Done to OpenFailed without gaps.
    const auto last = static_cast<std::size_t>(Outcome::OpenFailed);
    EXPECT_EQ(covered.size(), last + 1);
    for (std::size_t i = 0; i <= last; ++i)
        EXPECT_TRUE(covered.contains(static_cast<Outcome>(i))) << i;
    // Outside the enumeration there is no message (only a cast makes such a value).
    EXPECT_EQ(messageFor(static_cast<Outcome>(last + 1)), 0u);
}

}  // namespace
}  // namespace kvt

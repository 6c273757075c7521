#pragma once
// How a flow of the user ended. Every flow returns one of these; the message the user sees for
// it comes from the one table behind messageFor (the desktop tool shows it in a box, the CLI on
// stderr), and the CLI turns it into its exit status.
#include <cstdint>
#include <ostream>

namespace kvt {

enum class Outcome : std::uint8_t {
    Done,  // the flow did what it was asked; a search found at least one device

    // Ends without a message.
    Cancelled,         // the user cancelled a dialog or declined the reset question
    NoSelection,       // a read or reset with no device selected
    NoConfiguration,   // a download with no current configuration
    SocketFailed,      // a socket or its options could not be set up
    SendFailed,        // a request (other than the image) could not be sent
    NothingFound,      // no device answered a broadcast search
    SearchFailed,      // search by IP: socket, send, or no reply within 2 s
    SearchWrongReply,  // search by IP: a reply without code 3
    WarningsDeclined,  // the user went back at the list of settings that look wrong
    SearchPortBusy,    // a search's local port is held by another program (said where it ran)
    PasswordMissing,   // the device wants a password and a script has none to give

    // Ends with a message.
    WrongPassword,           // 4014
    ReadForbidden,           // 4017 remote configuration forbidden
    ReadConnectFailed,       // 4019
    ReadRejected,            // 4020 the reply's code is not the read's
    ReadIncomplete,          // 4021 the image was cut short
    ResetForbidden,          // 4030
    ConnectFailed,           // 4032 the password dialog's or the reset's connect
    OpenForbidden,           // 4115 Open with a device selected that forbids remote configuration
    FileMissing,             // 4116 the file cannot be opened
    DownloadNoDevice,        // 4311
    WriteConnectFailed,      // 5044
    WriteSendFailed,         // 5045
    WriteNoAcknowledgement,  // 5046
    WriteRejected,           // 5047 the acknowledgement's code is not the write's
    ResetFailed,             // 5065
    PasswordConnectFailed,   // 7001 the download's check of the password typed for the read
    PasswordNoReply,         // 7002
    SaveFailed,              // 90001 the file could not be written
    LegacyDownload,          // 90002 an older product: nothing is sent
    OpenFailed,              // 90004 the file opened but could not be read
};

// The message shown for `outcome`: an id of the UI text table or one of ours (ExtraText.h), or
// 0 when the flow ends silently.
std::uint32_t messageFor(Outcome outcome);

// The enumerator's name, for test output and logs.
const char* outcomeName(Outcome outcome);

inline std::ostream& operator<<(std::ostream& out, Outcome outcome) {
    return out << outcomeName(outcome);
}

}  // namespace kvt

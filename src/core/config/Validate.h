#pragma once
// The checks of a whole configuration before it goes to a device: what the editor's pages
// refuse when a value is typed (errors), and settings that a device takes but that are
// probably a mistake (warnings). The pages check one value at a time with the rules of
// Rules.h; the download and `kvt640-cli write` check everything here.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/config/Configuration.h"
#include "core/config/Fields.h"
#include "core/config/Rules.h"
#include "core/text/ExtraText.h"

namespace kvt {

enum class Severity { Error, Warning };

enum class Problem {
    OutOfRange,            // a number outside its range
    NotANumber,            // letters, blanks or a sign where digits belong
    TooLong,               // a text over its 20 bytes
    Space,                 // a network name with a space
    NotAnAddress,          // not four dotted numbers 0..255
    MaskNotContiguous,     // a subnet mask whose one bits do not all come first
    NetworkAddress,        // the address is its subnet's network address
    BroadcastAddress,      // the address is its subnet's broadcast address
    GatewayOutsideSubnet,  // a gateway the device cannot reach directly
    LeavesStaticAddress,   // a download moves a device from its static address to DHCP/BOOTP
};

struct FieldIssue {
    std::string field;  // the key of `show --json`: "report_port", "assembly_sizes[3]"
    Severity severity = Severity::Error;
    Problem problem = Problem::OutOfRange;
    std::uint32_t textId = 0;  // the message the page shows for it; 0 where it has none
    std::string value;         // the value as UTF-8 (empty for passwords)
    NumberRange range{0, 0};   // for OutOfRange and NotANumber
    std::string related;       // the subnet ("192.168.0.0/24") an address was judged by
};

// Everything wrong with `config` as a configuration of `kind`, in the order of the JSON keys.
// Only what the image of that kind carries is checked: the network name, the administrator
// password and the assembly sizes only in a background configuration, the report settings
// only while the report is on, and the IP address, mask and gateway only with a static
// address (with DHCP or BOOTP they are placeholders the device does not use). DNS1 and DNS2
// are shown only and never edited, so whatever they hold passes.
std::vector<FieldIssue> validate(const CConfiguration& config, ConfigKind kind);

// What to put to the user before a download: validate(), and a move from a static address to
// DHCP or BOOTP, after which a device on a network without such a server has no known address.
// `stored` is the method the device holds now; nullopt when it is not known (a configuration
// made with New or opened from a file), which warns for any DHCP or BOOTP download.
std::vector<FieldIssue> downloadIssues(const CConfiguration& config, ConfigKind kind,
                                       std::optional<std::int32_t> stored);

bool hasErrors(const std::vector<FieldIssue>& issues);

// Whether findings keep a configuration from being sent: any finding does, unless the user
// forced the send (a person at the download's question answers it instead).
bool refusedWithoutForce(const std::vector<FieldIssue>& issues, bool force);

// What is wrong, without the field's name: "70000 is out of range 1 to 65535".
Text issueDescriptionText(const FieldIssue& issue);
std::string issueDescription(const FieldIssue& issue, Lang lang);
// For the command line: the field's key, then what is wrong.
Text issueMessageText(const FieldIssue& issue);
std::string issueMessage(const FieldIssue& issue, Lang lang);

}  // namespace kvt

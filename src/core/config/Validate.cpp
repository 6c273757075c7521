#include "core/config/Validate.h"

#include <bit>
#include <optional>

#include "core/config/Fields.h"
#include "core/config/Rules.h"
#include "core/text/Decimal.h"
#include "core/text/DottedAddress.h"

namespace kvt {
namespace {

// Collects issues in the order the fields are checked.
class Checker {
public:
    explicit Checker(std::vector<FieldIssue>& out) : m_out(out) {}

    FieldIssue& add(FieldId field, Severity severity, Problem problem, const Gbk& value,
                    std::uint32_t textId = 0) {
        return add(std::string(fieldKey(field)), severity, problem, value, textId);
    }

    FieldIssue& add(std::string field, Severity severity, Problem problem, const Gbk& value,
                    std::uint32_t textId = 0) {
        FieldIssue issue;
        issue.field = std::move(field);
        issue.severity = severity;
        issue.problem = problem;
        issue.textId = textId;
        issue.value = gbkToUtf8(value);
        return m_out.emplace_back(std::move(issue));
    }

    // A number held as an integer (the report's port and period).
    void number(FieldId field, std::int32_t value, NumberRange range) {
        if (range.contains(value)) return;
        add(field, Severity::Error, Problem::OutOfRange, std::to_string(value), kTextOutOfRange)
            .range = range;
    }

    // A number held as typed text (an assembly size).
    void typed(const std::string& field, const Gbk& text, NumberRange range) {
        if (typedNumber(text, range)) return;
        const Problem problem = allDigits(text) ? Problem::OutOfRange : Problem::NotANumber;
        add(field, Severity::Error, problem, text, kTextOutOfRange).range = range;
    }

    std::optional<std::uint32_t> address(FieldId field, const Gbk& text) {
        std::optional<std::uint32_t> value = dottedQuad(text);
        if (!value) add(field, Severity::Error, Problem::NotAnAddress, text);
        return value;
    }

    void password(FieldId field, const Gbk& password) {
        // The value stays out of every message.
        if (!passwordFits(password))
            add(field, Severity::Error, Problem::TooLong, Gbk(), kTextPasswordTooLong);
    }

private:
    std::vector<FieldIssue>& m_out;
};

bool contiguous(std::uint32_t mask) {
    // The one bits first: inverted, the mask is a run of low one bits.
    const std::uint32_t host = ~mask;
    return (host & (host + 1)) == 0;
}

// Warnings for a static address whose three parts are well formed.
void checkSubnet(Checker& check, const CEthernet& ethernet, std::uint32_t ip, std::uint32_t mask,
                 std::uint32_t gateway) {
    if (!contiguous(mask)) {
        check.add(FieldId::SubnetMask, Severity::Warning, Problem::MaskNotContiguous,
                  ethernet.subnetMask);
        return;  // no subnet to judge the other two by
    }
    const std::uint32_t network = ip & mask;
    const int prefix = std::popcount(mask);
    const std::string subnet = dottedHostOrder(network) + '/' + std::to_string(prefix);
    // A /31 or /32 has no network or broadcast address: every address in it is a host.
    if (prefix <= 30) {
        if (ip == network) {
            check
                .add(FieldId::IpAddress, Severity::Warning, Problem::NetworkAddress,
                     ethernet.ipAddress)
                .related = subnet;
        } else if (ip == (network | ~mask)) {
            check
                .add(FieldId::IpAddress, Severity::Warning, Problem::BroadcastAddress,
                     ethernet.ipAddress)
                .related = subnet;
        }
    }
    // 0.0.0.0 is "no gateway".
    if (gateway != 0 && (gateway & mask) != network) {
        check
            .add(FieldId::Gateway, Severity::Warning, Problem::GatewayOutsideSubnet,
                 ethernet.gateway)
            .related = subnet;
    }
}

// What a device read produces for a configuration instance: "%d" of a 32-bit number.
bool carriedNumber(std::string_view text) {
    if (!text.empty() && text.front() == '-') text.remove_prefix(1);
    const std::optional<std::uint32_t> value = digitsOnlyValue(text);
    return value.has_value();
}

Text quoted(const std::string& value) {
    return text(kTxtQuoted, {literal(value)});
}

Text rangeText(NumberRange range) {
    return text(kTxtRange,
                {literal(std::to_string(range.min)), literal(std::to_string(range.max))});
}

}  // namespace

std::vector<FieldIssue> validate(const CConfiguration& config, ConfigKind kind) {
    std::vector<FieldIssue> issues;
    Checker check(issues);
    const bool background = kind == kBackgroundConfig;
    const CEthernet& ethernet = config.ethernet;

    if (background) {
        switch (checkNetworkName(ethernet.networkName)) {
            case NameProblem::None:
                break;
            case NameProblem::TooLong:
                check.add(FieldId::NetworkName, Severity::Error, Problem::TooLong,
                          ethernet.networkName, kTextNameTooLong);
                break;
            case NameProblem::Space:
                check.add(FieldId::NetworkName, Severity::Error, Problem::Space,
                          ethernet.networkName, kTextNameSpace);
                break;
        }
    }

    if (ethernet.ipMethod == 0) {
        const auto ip = check.address(FieldId::IpAddress, ethernet.ipAddress);
        const auto mask = check.address(FieldId::SubnetMask, ethernet.subnetMask);
        const auto gateway = check.address(FieldId::Gateway, ethernet.gateway);
        if (ip && mask && gateway) checkSubnet(check, ethernet, *ip, *mask, *gateway);
    }

    check.password(FieldId::UserPassword, config.advance.userPassword);
    if (background) check.password(FieldId::AdminPassword, config.advance.adminPassword);

    if (config.report.enabled == 1) {
        check.address(FieldId::ReportTarget, config.report.targetIp);
        check.number(FieldId::ReportPort, config.report.port, kPortRange);
        check.number(FieldId::ReportPeriod, config.report.period, kReportPeriodRange);
    }

    if (background) {
        const auto& sizes = config.parameter.assemblySizes;
        for (std::size_t i = 0; i < sizes.size(); ++i) {
            const std::string field = elementKey(FieldId::AssemblySizes, i);
            if (!isConfigurationInstance(i)) {
                check.typed(field, sizes[i], kAssemblySizeRange);
            } else if (!carriedNumber(sizes[i])) {
                check.add(field, Severity::Error, Problem::NotANumber, sizes[i]);
            }
        }
    }
    return issues;
}

std::vector<FieldIssue> downloadIssues(const CConfiguration& config, ConfigKind kind,
                                       std::optional<std::int32_t> stored) {
    std::vector<FieldIssue> issues = validate(config, kind);
    const std::int32_t method = config.ethernet.ipMethod;
    const bool dynamic = method == kIpMethodDhcp || method == kIpMethodBootp;
    if (dynamic && (!stored || *stored == kIpMethodStatic)) {
        FieldIssue issue;
        issue.field = fieldKey(FieldId::IpMethod);
        issue.severity = Severity::Warning;
        issue.problem = Problem::LeavesStaticAddress;
        issue.value = method == kIpMethodDhcp ? "DHCP" : "BOOTP";
        // First: it is the one that can lose the device.
        issues.insert(issues.begin(), std::move(issue));
    }
    return issues;
}

bool refusedWithoutForce(const std::vector<FieldIssue>& issues, bool force) {
    return !issues.empty() && !force;
}

bool hasErrors(const std::vector<FieldIssue>& issues) {
    for (const FieldIssue& issue : issues) {
        if (issue.severity == Severity::Error) return true;
    }
    return false;
}

Text issueDescriptionText(const FieldIssue& issue) {
    const Text plain = literal(issue.value);
    const Text value = quoted(issue.value);
    const Text related = literal(issue.related);
    switch (issue.problem) {
        case Problem::OutOfRange:
            return text(kTxtOutOfRange, {plain, rangeText(issue.range)});
        case Problem::NotANumber:
            if (issue.range.min == issue.range.max) return text(kTxtNotNumber, {value});
            return text(kTxtNotNumberRange, {value, rangeText(issue.range)});
        case Problem::TooLong: {
            const Text limit = literal(std::to_string(kTextFieldBytes));
            if (issue.value.empty()) return text(kTxtTooLong, {limit});
            return text(kTxtTooLongValue, {limit, value});
        }
        case Problem::Space:
            return text(kTxtSpace, {value});
        case Problem::NotAnAddress:
            // 255.255.255.255 is an address, but not one that a file or a reply can carry.
            return text(dottedQuad(issue.value) ? kTxtNoAddress : kTxtNotAddress, {value});
        case Problem::MaskNotContiguous:
            return text(kTxtMaskNotContiguous, {plain});
        case Problem::NetworkAddress:
            return text(kTxtNetworkAddress, {plain, related});
        case Problem::BroadcastAddress:
            return text(kTxtBroadcastAddress, {plain, related});
        case Problem::GatewayOutsideSubnet:
            return text(kTxtOutsideSubnet, {plain, related});
        case Problem::LeavesStaticAddress:
            return text(kTxtLeavesStatic, {plain});
    }
    return plain;
}

Text issueMessageText(const FieldIssue& issue) {
    return text(kTxtFieldIssue, {literal(issue.field), issueDescriptionText(issue)});
}

std::string issueDescription(const FieldIssue& issue, Lang lang) {
    return render(issueDescriptionText(issue), lang);
}

std::string issueMessage(const FieldIssue& issue, Lang lang) {
    return render(issueMessageText(issue), lang);
}

}  // namespace kvt

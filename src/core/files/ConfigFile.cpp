#include "core/files/ConfigFile.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "core/config/DeviceImage.h"
#include "core/config/Fields.h"
#include "core/config/Rules.h"
#include "core/platform/File.h"
#include "core/text/Decimal.h"

namespace kvt {
namespace {

// ---------------------------------------------------------------- writer

// Files are written in text mode: every line end is CR LF, including the one that the table text
// of the static IP method carries.
std::string toTextMode(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

void entry(std::string& out, const Gbk& key, const Gbk& value, int lineEnds = 1,
           const char* separator = "\t\t") {
    out += key;
    out += separator;
    out += value;
    out.append(static_cast<std::size_t>(lineEnds), '\n');
}

// ---------------------------------------------------------------- reader

bool isWordSeparator(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Consumes the file word by word. At the end of the file a word read repeats the last word
// that was read (the buffer is only overwritten by a successful read); a number read gives -1.
class WordReader {
public:
    explicit WordReader(std::string_view bytes) : m_bytes(bytes) {}

    // Whole words of any length: the fixed word buffer is not carried over.
    const Gbk& word() {
        skipSeparators();
        const std::size_t start = m_pos;
        while (m_pos < m_bytes.size() && !isWordSeparator(m_bytes[m_pos])) ++m_pos;
        if (m_pos > start) m_last.assign(m_bytes.substr(start, m_pos - start));
        return m_last;
    }

    // An optionally signed decimal integer. A sign without digits is consumed (as the C library
    // does); the characters after the digits stay for the next read. Values beyond 32 bits wrap,
    // as the platform's scanner does, so that an unsigned product code survives a round trip.
    std::int32_t number() {
        const LeadingDecimal number = readLeadingDecimal(m_bytes, m_pos);
        m_pos = number.end;
        return number.digits ? static_cast<std::int32_t>(number.wrapped) : -1;
    }

    // The word the next read would give, without reading it (empty at the end of the file).
    std::string_view peekWord() {
        skipSeparators();
        std::size_t end = m_pos;
        while (end < m_bytes.size() && !isWordSeparator(m_bytes[end])) ++end;
        return m_bytes.substr(m_pos, end - m_pos);
    }

private:
    void skipSeparators() {
        while (m_pos < m_bytes.size() && isWordSeparator(m_bytes[m_pos])) ++m_pos;
    }

    std::string_view m_bytes;
    std::size_t m_pos = 0;
    Gbk m_last;
};

class Parser {
public:
    Parser(std::string_view bytes, Lang lang, ParsedConfigFile& out)
        : m_in(bytes), m_lang(lang), m_out(out), m_config(out.config) {}

    void run() {
        parseKind();
        if (m_out.kind == kBackgroundConfig) parseProductName();
        parseProductCode();
        parseVersions();
        parseNameAndMethod();
        parseAddresses();
        parsePasswordsAndSwitch();
        if (m_config.report.enabled == 1) parseReportDetails();
        if (m_out.kind == kBackgroundConfig) parseBackground();
    }

private:
    // Words are compared against copies: a following read may overwrite the reader's buffer.
    Gbk word() { return m_in.word(); }

    void parseKind() {
        m_out.kind = kUserConfig;
        if (word() != uiText(116)) return;
        const Gbk value = word();
        if (value == uiText(170)) {
            m_out.kind = kUserConfig;
        } else if (value == uiText(178)) {
            m_out.kind = kBackgroundConfig;
        }
    }

    // The product name in the file is not used.
    void parseProductName() {
        if (word() == uiText(99)) word();
    }

    void parseProductCode() {
        if (word() == uiText(113)) {
            m_config.productCode = static_cast<std::uint32_t>(m_in.number());
        } else {
            m_config.productCode = kProductKvt275r;
        }
    }

    void parseVersions() {
        CEquipment& identity = m_config.identity;
        if (word() != uiText(114)) {
            identity.firmwareVersion.clear();
            return;
        }
        const Gbk firmware = word();
        if (firmware == uiText(115)) {  // the firmware value was empty
            identity.firmwareVersion.clear();
            identity.fileVersion = word();
            return;
        }
        identity.firmwareVersion = firmware;
        if (word() == uiText(115)) {
            identity.fileVersion = word();
        } else {
            identity.fileVersion.clear();
        }
    }

    void parseNameAndMethod() {
        CEthernet& ethernet = m_config.ethernet;
        const Gbk methodKey = uiText(4122);
        if (m_out.kind != kBackgroundConfig) {
            if (word() == methodKey) {
                parseMethodWord();
            } else {
                ethernet.ipMethod = 1;
            }
            return;
        }
        if (word() != uiText(4121)) {
            // No method word is read: the IP method keeps its construction default.
            ethernet.networkName = kDefaultNetworkName;
            return;
        }
        const Gbk name = word();
        if (name == methodKey) {  // the name was empty
            ethernet.networkName.clear();
            parseMethodWord();
            return;
        }
        if (name.size() <= kTextFieldBytes) {
            ethernet.networkName = name;
        } else {
            ethernet.networkName = kDefaultNetworkName;
            note(FieldId::NetworkName, Problem::TooLong, name, kTextNameTooLong);
        }
        if (word() == methodKey) {
            parseMethodWord();
        } else {
            ethernet.ipMethod = 1;
        }
    }

    void parseMethodWord() {
        const Gbk method = word();
        std::int32_t value = 1;
        if (method == "DHCP") {
            value = 1;
        } else if (method == "BOOTP") {
            value = 2;
        } else if (method == uiText(5070)) {
            value = 0;
        }
        m_config.ethernet.ipMethod = value;
    }

    void parseAddresses() {
        CEthernet& e = m_config.ethernet;
        struct Row {
            Gbk key;
            Gbk* field;
            const char* fallback;
        };
        const Row rows[] = {
            {uiText(4125), &e.ipAddress, kDefaultAddresses.ipAddress},
            {uiText(4126), &e.subnetMask, kDefaultAddresses.subnetMask},
            {uiText(4127), &e.gateway, kDefaultAddresses.gateway},
            {"DNS1", &e.dns1, kDefaultAddresses.dns1},
            {"DNS2", &e.dns2, kDefaultAddresses.dns2},
        };
        for (const Row& row : rows) {
            if (word() == row.key) {
                const Gbk value = word();
                *row.field = addressAccepted(value) ? value : Gbk();
            } else {
                *row.field = row.fallback;
            }
        }
    }

    void readSwitch() {
        const Gbk value = word();
        if (value == "closed") {
            m_config.report.enabled = 0;
        } else if (value == "open") {
            m_config.report.enabled = 1;
        }
    }

    Gbk passwordOrEmpty(const Gbk& value, FieldId field) {
        if (value.size() <= kTextFieldBytes) return value;
        // The administrator password of a user file goes nowhere.
        if (m_out.kind == kBackgroundConfig || field == FieldId::UserPassword)
            note(field, Problem::TooLong, Gbk(), kTextPasswordTooLong);
        return Gbk();
    }

    void note(FieldId field, Problem problem, const Gbk& value, std::uint32_t textId,
              NumberRange range = {0, 0}) {
        FieldIssue issue;
        issue.field = fieldKey(field);
        issue.problem = problem;
        issue.textId = textId;
        issue.value = gbkToUtf8(value);
        issue.range = range;
        m_out.notTaken.push_back(std::move(issue));
    }

    // A report number: read as scanf reads it, noted unless it is digits only, in range.
    std::int32_t number(FieldId field, NumberRange range) {
        const Gbk typed(m_in.peekWord());
        const std::int32_t value = m_in.number();
        if (!typedNumber(typed, range)) {
            note(field, allDigits(typed) ? Problem::OutOfRange : Problem::NotANumber, typed,
                 kTextOutOfRange, range);
        }
        return value;
    }

    void parsePasswordsAndSwitch() {
        const Gbk userKey = stringResource(111, m_lang);
        const Gbk adminKey = stringResource(162, m_lang);
        const Gbk reportKey = uiText(87);
        CAdvance& advance = m_config.advance;

        if (word() != userKey) return;
        const Gbk value = word();
        if (value == adminKey) {
            advance.userPassword.clear();
        } else if (value == reportKey) {
            advance.userPassword.clear();
            readSwitch();
            return;
        } else {
            advance.userPassword = passwordOrEmpty(value, FieldId::UserPassword);
            const Gbk next = word();
            if (next == reportKey) {
                readSwitch();
                return;
            }
            if (next != adminKey) return;
        }
        // The administrator value.
        const Gbk admin = word();
        if (admin == reportKey) {
            advance.adminPassword.clear();
            readSwitch();
            return;
        }
        advance.adminPassword = passwordOrEmpty(admin, FieldId::AdminPassword);
        if (word() == reportKey) readSwitch();
    }

    void parseReportDetails() {
        IPReport& report = m_config.report;
        const Gbk portKey = uiText(127);
        if (word() == uiText(91)) {
            const Gbk value = word();
            if (value == portKey) {  // the address was empty: the target keeps its value
                report.port = number(FieldId::ReportPort, kPortRange);
            } else {
                report.targetIp = addressAccepted(value) ? value : Gbk();
                if (report.targetIp.empty())
                    note(FieldId::ReportTarget, Problem::NotAnAddress, value, 0);
                if (word() == portKey) report.port = number(FieldId::ReportPort, kPortRange);
            }
        }
        if (word() == uiText(90)) report.period = number(FieldId::ReportPeriod, kReportPeriodRange);
    }

    void parseBackground() {
        CParameter& parameter = m_config.parameter;
        if (word() == uiText(119) + uiText(173)) {
            const Gbk value = word();
            parameter.ipSettingMethod = value == uiText(175) ? 1 : 0;
        } else {
            parameter.ipSettingMethod = 0;
        }
        if (word() != uiText(194)) return;
        for (std::size_t i = 0; i < kAssemblyInstances.size(); ++i) {
            const Gbk key = uiText(185 + static_cast<std::uint32_t>(i));
            const Gbk first = word();
            const Gbk second = word();
            if (first + " " + second == key) parameter.assemblySizes[i] = word();
        }
    }

    WordReader m_in;
    Lang m_lang;
    ParsedConfigFile& m_out;
    CConfiguration& m_config;
};

}  // namespace

std::string writeConfigFile(const CConfiguration& config, ConfigKind kind, const Gbk& firmware,
                            Lang lang) {
    // Only the background kind adds its entries.
    const bool background = kind == kBackgroundConfig;
    std::string text;

    entry(text, uiText(116), background ? uiText(178) : uiText(170));
    if (background) entry(text, uiText(99), kModelKvt275r);
    entry(text, uiText(113), std::to_string(config.productCode));
    entry(text, uiText(114), firmware);
    entry(text, uiText(115), config.identity.fileVersion, 2);

    // These table texts carry their own separator tabs.
    if (background) entry(text, uiText(4052), config.ethernet.networkName, 1, "");
    switch (config.ethernet.ipMethod) {
        case 0:
            entry(text, uiText(4053), uiText(4054), 0, "");
            break;  // the text holds its \n
        case 2:
            entry(text, uiText(4053), "BOOTP", 1, "");
            break;
        // Anything else is read back as DHCP, so it is written as DHCP.
        default:
            entry(text, uiText(4053), "DHCP", 1, "");
            break;
    }
    entry(text, uiText(4055), config.ethernet.ipAddress, 1, "");
    entry(text, uiText(4056), config.ethernet.subnetMask, 1, "");
    entry(text, uiText(4057), config.ethernet.gateway, 1, "");
    entry(text, "DNS1", config.ethernet.dns1);
    entry(text, "DNS2", config.ethernet.dns2, 2);

    entry(text, stringResource(93, lang), config.advance.userPassword, 1, "");
    if (background) entry(text, stringResource(161, lang), config.advance.adminPassword, 1, "");
    text += '\n';

    const bool reporting = config.report.enabled == 1;
    entry(text, uiText(87), reporting ? "open" : "closed");
    if (reporting) {
        entry(text, uiText(91), config.report.targetIp);
        entry(text, uiText(127), std::to_string(config.report.port));
        entry(text, uiText(90), std::to_string(config.report.period));
    }
    text += '\n';

    if (background) {
        entry(text, uiText(119) + uiText(173),
              config.parameter.ipSettingMethod == 1 ? uiText(175) : uiText(174));
        text += uiText(194);
        text += '\n';
        for (std::size_t i = 0; i < kAssemblyInstances.size(); ++i) {
            entry(text, uiText(185 + static_cast<std::uint32_t>(i)),
                  config.parameter.assemblySizes[i]);
        }
    }
    return toTextMode(text);
}

ParsedConfigFile readConfigFile(std::string_view bytes, Lang lang) {
    ParsedConfigFile parsed;
    Parser(bytes, lang, parsed).run();
    return parsed;
}

std::vector<FieldIssue> fileIssues(const ParsedConfigFile& parsed) {
    std::vector<FieldIssue> issues = parsed.notTaken;
    for (FieldIssue& issue : validate(parsed.config, static_cast<ConfigKind>(parsed.kind))) {
        const bool noted = std::any_of(parsed.notTaken.begin(), parsed.notTaken.end(),
                                       [&](const FieldIssue& n) { return n.field == issue.field; });
        if (!noted) issues.push_back(std::move(issue));
    }
    return issues;
}

FileReadStatus readWholeFile(const std::string& path, std::string& bytes) {
    switch (platform::readWholeFile(path, bytes, kMaxConfigFileBytes)) {
        case platform::ReadStatus::Ok:
            return FileReadStatus::Ok;
        case platform::ReadStatus::CannotOpen:
            return FileReadStatus::CannotOpen;
        case platform::ReadStatus::ReadError:
            break;
    }
    return FileReadStatus::ReadError;
}

bool writeFileAtomically(const std::string& path, std::string_view bytes, std::string* error,
                         unsigned newFileMode) {
    // Only two modes are ever asked for: a plain file's, and the owner's alone.
    const auto access = (newFileMode & 077) == 0 ? platform::NewFileAccess::OwnerOnly
                                                 : platform::NewFileAccess::Default;
    return platform::replaceFile(path, bytes, access, error);
}

}  // namespace kvt

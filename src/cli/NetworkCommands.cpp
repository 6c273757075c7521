#include "NetworkCommands.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>

#include "OfflineCommands.h"
#include "Output.h"
#include "core/config/DeviceTexts.h"
#include "core/config/Rules.h"
#include "core/config/Validate.h"
#include "core/discovery/ReportListener.h"
#include "core/discovery/Search.h"
#include "core/files/ConfigFile.h"
#include "core/files/CsvExport.h"
#include "core/flows/DeviceFlows.h"
#include "core/flows/FileFlows.h"
#include "core/flows/SearchFlows.h"
#include "core/net/NetworkOptionDefinitions.h"
#include "core/platform/Interrupt.h"
#include "core/text/ExtraText.h"
#include "core/text/UiText.h"

namespace kvt::cli {

const char* const kStatusHelp =
    "Exit status of the network commands: 0 success; 1 other failure (file, a write refused "
    "for the file's values, refused download of an older product, socket set-up); 2 usage "
    "error; 3 no device answered the search; 4 the "
    "device needs a password and none was given; 5 wrong password; 6 remote "
    "configuration forbidden by the device; 7 connection failed or no reply; 8 the device "
    "replied with the wrong reply; 9 the report listener, or the search, could not bind its "
    "local port.";

void addNetworkOptions(CLI::App* command, NetworkArgs& args) {
    command->add_option(kLocalAddressOption.names, args.bindAddress, kLocalAddressOption.help);
    command->add_option(kLocalPortOption.names, args.localPort, kLocalPortOption.help);
    command->add_option(kDiscoveryPortOption.names, args.discoveryPort, kDiscoveryPortOption.help);
    command->add_option(kDevicePortOption.names, args.devicePort, kDevicePortOption.help);
    command
        ->add_option(kConnectTimeoutOption.names, args.connectTimeoutMs, kConnectTimeoutOption.help)
        ->check(CLI::Range(kMinConnectTimeoutMs, kMaxConnectTimeoutMs));
}

void addEnipPortOption(CLI::App* command, NetworkArgs& args) {
    command->add_option("--enip-port", args.enipPort,
                        "EtherNet/IP port of the device, TCP and UDP (default 44818)");
}

const char* const kPasswordHelp =
    "The password of the kind comes from --password, else the first line of --password-file, "
    "else the environment: KVT640_ADMIN_PASSWORD for a background configuration, "
    "KVT640_PASSWORD for either. A password given with --password is visible to other local "
    "users (in the process list); prefer the file (readable by you only) or the environment. "
    "Passwords are never printed: differences in them show as \"********\".";

void addPasswordOption(CLI::App* command, NetworkArgs& args) {
    command
        ->add_option("--password", args.password,
                     "password of the configuration kind, when the device has one")
        ->each([&args](const std::string&) { args.passwordGiven = true; });
    command->add_option("--password-file", args.passwordFile,
                        "read the password from the first line of this file");
}

std::optional<std::string> passwordFromSources(const NetworkArgs& args, ConfigKind kind) {
    if (args.passwordGiven) return args.password;
    if (!args.passwordFile.empty()) {
        std::string bytes;
        if (readWholeFile(args.passwordFile, bytes) != FileReadStatus::Ok)
            throw CliFailure("cannot read the password file " + args.passwordFile);
        std::string line = bytes.substr(0, bytes.find('\n'));
        if (!line.empty() && line.back() == '\r') line.pop_back();
        return line;
    }
    if (kind == kBackgroundConfig) {
        if (const char* admin = std::getenv("KVT640_ADMIN_PASSWORD")) return std::string(admin);
    }
    if (const char* password = std::getenv("KVT640_PASSWORD")) return std::string(password);
    return std::nullopt;
}

void applyNetworkArgs(CliContext& context, const NetworkArgs& args) {
    NetworkOptions& network = context.network;
    network.localAddress = args.bindAddress;
    network.localPort = args.localPort;
    network.discoveryPort = args.discoveryPort;
    network.devicePort = args.devicePort;
    network.enipPort = args.enipPort;
    network.connectTimeoutMs = args.connectTimeoutMs;
}

CliPasswords passwordsFrom(CliContext& context, const NetworkArgs& args) {
    // Resolved now, so that an unreadable file or a text GBK cannot hold ends the command before
    // anything is sent.
    CliPasswords::ByKind passwords;
    for (const ConfigKind kind : {kUserConfig, kBackgroundConfig}) {
        const std::optional<std::string> text = passwordFromSources(args, kind);
        if (!text) continue;
        passwords[kindNumber(kind)] = utf8ToGbk(*text);
        if (!passwords[kindNumber(kind)]) throw CliFailure(messageUtf8(kMsgNotGbk));
    }
    return CliPasswords(std::move(passwords), context.ui);
}

namespace {

std::string utf8(const Gbk& text) {
    return gbkToUtf8(text);
}

// The list's texts under their keys, and typed companions beside them for scripts that would
// rather not compare Chinese texts.
nlohmann::json deviceJson(const CEquipment& device) {
    return {{"row", utf8(device.rowNumber)},
            {"name", utf8(nameText(device))},
            {"model", utf8(modelText(device))},
            {"product_code", device.productCode},
            {"ip", utf8(device.ipAddress)},
            {"mac", utf8(device.macAddress)},
            {"firmware", utf8(device.firmwareVersion)},
            {"user_password_set", utf8(passwordSetText(device.userPasswordSet))},
            {"user_password_set_bool", device.userPasswordSet},
            {"admin_password_set", utf8(passwordSetText(device.adminPasswordSet))},
            {"admin_password_set_bool", device.adminPasswordSet},
            {"remote_config", utf8(remoteConfigText(device))},
            {"remote_config_allowed_bool", !device.remoteForbidden()},
            {"interface", device.interfaceName}};
}

// The device list: its seven columns, tab-separated, under the list's headers.
void printDevices(const std::vector<CEquipment>& devices, bool json, bool csv, Lang lang) {
    if (csv) {
        std::cout << deviceTableCsv(devices, lang);
        return;
    }
    if (json) {
        nlohmann::json array = nlohmann::json::array();
        for (const CEquipment& device : devices) array.push_back(deviceJson(device));
        std::cout << array.dump(2) << '\n';
        return;
    }
    // A search out of several network cards adds the card each device was heard on.
    const bool byCard = std::any_of(devices.begin(), devices.end(),
                                    [](const CEquipment& d) { return !d.interfaceName.empty(); });
    for (std::uint32_t id = 4001; id <= 4007; ++id)
        std::cout << uiTextUtf8(id) << (id == 4007 ? "" : "\t");
    std::cout << (byCard ? "\t接口\n" : "\n");
    for (const CEquipment& d : devices) {
        std::cout << utf8(d.rowNumber) << '\t' << utf8(nameText(d)) << '\t' << utf8(modelText(d))
                  << '\t' << utf8(d.ipAddress) << '\t' << utf8(d.macAddress) << '\t'
                  << utf8(d.firmwareVersion) << '\t' << utf8(passwordSetText(d.userPasswordSet));
        if (byCard) std::cout << '\t' << d.interfaceName;
        std::cout << '\n';
    }
}

// Why a search found nothing, for its failure message.
std::string searchFailure(const NetworkOptions& network, Outcome outcome,
                          const std::string& where) {
    if (outcome == Outcome::SearchPortBusy)
        return "local port " + std::to_string(network.localPort) + " is in use: cannot search";
    return "no device answered the search" + where;
}

// Search by IP: the one device found is the target, where a click on its row would select it.
FlowTarget findDevice(CliContext& context, const std::string& address) {
    std::vector<CEquipment> devices;
    const Outcome found = searchByAddress(context.network, devices, address);
    if (found != Outcome::Done)
        throw CliFailure(searchFailure(context.network, found, " at " + address),
                         exitStatusFor(found));
    switch (selectionOf(devices.front())) {
        case Selection::Supported:
            return {context.network, devices.front()};
        case Selection::NoAddress:
            // Its reply carries 0.0.0.0: a connect there would reach this PC.
            throw CliFailure("the device at " + address + " reports no IP address (0.0.0.0)",
                             kExitNotFound);
        default:
            throw CliFailure("the device at " + address + " is not a supported product",
                             kExitNotFound);
    }
}

void addSearch(CLI::App& app, CliContext& context) {
    auto args = std::make_shared<NetworkArgs>();
    auto broadcast = std::make_shared<std::string>();
    auto interface = std::make_shared<std::string>("all");
    auto ip = std::make_shared<std::string>();
    auto json = std::make_shared<bool>(false);
    auto csv = std::make_shared<bool>(false);
    CLI::App* command = context.addCommand(
        app, "search",
        "Find gateways: broadcast search out of every network interface (or the one named with "
        "--interface), the single query to --broadcast ADDR, or search by IP with --ip",
        "kvt640-cli search [--interface NAME|all | --broadcast ADDR | --ip ADDR] [--json | --csv] "
        "[network options]",
        [&context, args, broadcast, interface, ip, json, csv] {
            applyNetworkArgs(context, *args);
            NetworkOptions& network = context.network;
            std::vector<CEquipment> devices;
            if (!ip->empty()) {
                const Outcome outcome = searchByAddress(network, devices, *ip);
                // A reply with the wrong code leaves the table as it was; the list shows none.
                printDevices(outcome == Outcome::Done ? devices : std::vector<CEquipment>{}, *json,
                             *csv, context.language);
                if (outcome != Outcome::Done)
                    throw CliFailure(searchFailure(network, outcome, " at " + *ip),
                                     exitStatusFor(outcome));
                return;
            }
            if (!broadcast->empty()) {
                network.discoveryTarget = *broadcast;
                network.discoveryTargetChosen = true;
            }
            network.searchInterface = *interface;
            // A card that is not there is a mistake on the command line, not an empty network.
            const SearchPlan plan = planBroadcastSearch(network);
            if (!plan.error.empty()) throw CliFailure(plan.error, kExitUsage);
            const Outcome outcome = searchBroadcast(network, devices, nullptr, {});
            printDevices(devices, *json, *csv, context.language);
            if (outcome != Outcome::Done)
                throw CliFailure(searchFailure(network, outcome, ""), exitStatusFor(outcome));
        });
    command->footer(
        std::string(kStatusHelp) +
        " Without --broadcast the query leaves by every up, broadcast-capable IPv4 interface "
        "(loopback excepted), each to 255.255.255.255, and the replies are merged: a device "
        "heard on two interfaces is listed once, with the interface it was heard on first "
        "(column 接口, JSON key \"interface\"). --interface NAME asks only that interface; a "
        "NAME that is not an up, broadcast-capable IPv4 interface is a usage error (status 2). "
        "When no interface qualifies, the one query goes to 255.255.255.255 by the default "
        "route. --broadcast ADDR sends the single query to ADDR alone (127.0.0.1 reaches a "
        "simulator on loopback); devices then carry no interface.");
    CLI::Option* broadcastOption = command->add_option(
        "--broadcast", *broadcast,
        "send the single query to this address only (e.g. 255.255.255.255 by the default "
        "route, or 127.0.0.1)");
    CLI::Option* interfaceOption =
        command
            ->add_option("--interface", *interface,
                         "network interface the query leaves by: a name such as eth0, or all "
                         "(default all)")
            ->excludes(broadcastOption);
    command->add_option("--ip", *ip, "search by IP: ask this one address")
        ->excludes(broadcastOption)
        ->excludes(interfaceOption);
    CLI::Option* jsonFlag = command->add_flag("--json", *json, "print a JSON array");
    command->add_flag("--csv", *csv, "print CSV (UTF-8 with BOM, headers in the --lang language)")
        ->excludes(jsonFlag);
    addNetworkOptions(command, *args);
}

void addRead(CLI::App& app, CliContext& context) {
    auto args = std::make_shared<NetworkArgs>();
    auto ip = std::make_shared<std::string>();
    auto kind = std::make_shared<std::string>();
    auto output = std::make_shared<std::string>();
    auto json = std::make_shared<bool>(false);
    CLI::App* command = context.addCommand(
        app, "read", "Read a device's configuration and print it or save it to FILE",
        "kvt640-cli read --ip ADDR --kind user|background [--password PW | --password-file FILE] "
        "[-o FILE] [--json]",
        [&context, args, ip, kind, output, json] {
            applyNetworkArgs(context, *args);
            CliPasswords passwords = passwordsFrom(context, *args);
            const FlowTarget target = findDevice(context, *ip);
            ConfigDocument& document = context.document;
            const ConfigKind configKind = kindFromName(*kind);
            if (!output->empty()) {
                // Save from the main window: the kind, the device read, then the file with the
                // device's firmware version.
                CliSave save(*output, configKind, &passwords);
                const Outcome saved = saveConfigurationFile(target, document, context.language,
                                                            context.ui, save, SaveFrom::MainWindow);
                if (saved != Outcome::Done) failAfter(saved, "the read failed");
                return;
            }
            const Outcome read =
                readConfiguration(target, configKind, document, context.ui, passwords);
            if (read != Outcome::Done) failAfter(read, "the read failed");
            printConfiguration(std::cout, *document.config, configKind, *json);
        });
    command->footer(std::string(kStatusHelp) + ' ' + kPasswordHelp);
    command->add_option("--ip", *ip, "address of the device")->required();
    command->add_option("--kind", *kind, "configuration kind: user or background")
        ->required()
        ->check(CLI::IsMember({"user", "background"}));
    CLI::Option* jsonFlag = command->add_flag("--json", *json, "print a JSON object");
    command->add_option("-o,--output", *output, "save as a configuration file instead of printing")
        ->excludes(jsonFlag);
    addPasswordOption(command, *args);
    addNetworkOptions(command, *args);
}

}  // namespace

void refuseUnlessForced(const std::string& path, const std::vector<FieldIssue>& issues,
                        bool force) {
    for (const FieldIssue& issue : issues) {
        std::cerr << "kvt640-cli: " << path << ": "
                  << (issue.severity == Severity::Warning ? "warning: " : "")
                  << issueMessage(issue, Lang::En) << '\n';
    }
    if (!refusedWithoutForce(issues, force)) return;
    throw CliFailure("nothing was sent: " + path +
                     (hasErrors(issues) ? " holds values that the editor refuses"
                                        : " has settings that look wrong") +
                     "; --force sends it as it is");
}

namespace {

// What the editor's pages would refuse, and what the download would warn about, is listed and
// refused before anything is sent; with --force it is listed and the file goes out as the image
// builder makes it. A file that cannot be read is left to Open to report, in its place.
void checkBeforeSending(CliContext& context, const std::string& path, bool force) {
    std::string bytes;
    if (readWholeFile(path, bytes) != FileReadStatus::Ok) return;
    refuseUnlessForced(path, fileIssues(readConfigFile(bytes, context.language)), force);
}

// A file that sets DHCP or BOOTP is held against what the selected device holds now, read for
// it first: one that takes the device off its static address (no known address afterwards on
// a network without such a server) is refused without --force. Other files send no read.
void checkAddressMove(CliContext& context, const FlowTarget& target, PasswordPrompt& passwords,
                      const std::string& path, bool force) {
    std::string bytes;
    if (force || readWholeFile(path, bytes) != FileReadStatus::Ok) return;
    const ParsedConfigFile parsed = readConfigFile(bytes, context.language);
    const std::int32_t method = parsed.config.ethernet.ipMethod;
    if (method != kIpMethodDhcp && method != kIpMethodBootp) return;
    const auto kind = static_cast<ConfigKind>(parsed.kind);
    const Outcome read = readConfiguration(target, kind, context.document, context.ui, passwords);
    if (read != Outcome::Done) failAfter(read, "the device's settings could not be read");
    const CEquipment& device = *target.device;
    for (const FieldIssue& issue :
         downloadIssues(parsed.config, kind, context.document.ipMethodOf(device.ipAddress))) {
        if (issue.problem != Problem::LeavesStaticAddress) continue;
        std::cerr << "kvt640-cli: " << path << ": warning: " << issueMessage(issue, Lang::En)
                  << '\n';
        throw CliFailure("nothing was sent: " + path +
                         " takes the device off its static address; --force sends it as it is");
    }
}

void addWrite(CLI::App& app, CliContext& context) {
    auto args = std::make_shared<NetworkArgs>();
    auto ip = std::make_shared<std::string>();
    auto file = std::make_shared<std::string>();
    auto reset = std::make_shared<bool>(false);
    auto force = std::make_shared<bool>(false);
    CLI::App* command = context.addCommand(
        app, "write", "Download a configuration file to a device",
        "kvt640-cli write --ip ADDR FILE [--password PW | --password-file FILE] [--reset] "
        "[--force]",
        [&context, args, ip, file, reset, force] {
            applyNetworkArgs(context, *args);
            CliPasswords passwords = passwordsFrom(context, *args);
            checkBeforeSending(context, *file, *force);
            const FlowTarget target = findDevice(context, *ip);
            checkAddressMove(context, target, passwords, *file, *force);
            openFileAsOpenDoes(context, *file, target);
            CliDownload prompt(passwords, *reset, *force);
            const DownloadOutcome outcome = download(target, context.document, context.ui, prompt);
            if (!outcome.acknowledged()) failAfter(outcome.write, "the download failed");
            // Acknowledged; a reset that was asked for and failed still fails the command.
            if (outcome.reset && *outcome.reset != Outcome::Done &&
                *outcome.reset != Outcome::Cancelled)
                failAfter(*outcome.reset, "the reset failed");
        });
    command->footer(std::string(kStatusHelp) + ' ' + kPasswordHelp);
    command->add_option("--ip", *ip, "address of the device")->required();
    command->add_option("FILE", *file, "configuration file")->required();
    command->add_flag("--reset", *reset, "reset the device after an acknowledged download");
    command->add_flag("--force", *force,
                      "send a file whose values the editor would refuse (a port or period out "
                      "of range, a size over 256, a text over 20 bytes, letters in a number) or "
                      "that looks wrong (a subnet mask with holes, an address that is its "
                      "subnet's network or broadcast address, a gateway outside the subnet), "
                      "as the device image is built from it");
    addPasswordOption(command, *args);
    addNetworkOptions(command, *args);
}

void addReset(CLI::App& app, CliContext& context) {
    auto args = std::make_shared<NetworkArgs>();
    auto ip = std::make_shared<std::string>();
    CLI::App* command =
        context.addCommand(app, "reset", "Send the remote reset request to a device",
                           "kvt640-cli reset --ip ADDR", [&context, args, ip] {
                               applyNetworkArgs(context, *args);
                               const FlowTarget target = findDevice(context, *ip);
                               CliReset prompt;
                               const Outcome outcome = remoteReset(target, context.ui, prompt);
                               if (outcome != Outcome::Done) failAfter(outcome, "the reset failed");
                           });
    command->footer(kStatusHelp);
    command->add_option("--ip", *ip, "address of the device")->required();
    addNetworkOptions(command, *args);
}

nlohmann::json reportJson(const ReportRecord& record) {
    return {{"row", utf8(record.row)},      {"name", utf8(record.name)},
            {"ip", utf8(record.ip)},        {"mac", utf8(record.mac)},
            {"count", utf8(record.count)},  {"previous", utf8(record.previous)},
            {"latest", utf8(record.latest)}};
}

std::string reportLine(const ReportRecord& r) {
    return utf8(r.row) + '\t' + utf8(r.name) + '\t' + utf8(r.ip) + '\t' + utf8(r.mac) + '\t' +
           utf8(r.count) + '\t' + utf8(r.previous) + '\t' + utf8(r.latest);
}

struct ListenArgs {
    std::uint16_t port = kDefaultReportPort;
    std::string bindAddress = "0.0.0.0";
    double seconds = 0;
    std::size_t count = 0;
    bool json = false;
    bool csv = false;
};

void runListener(const ListenArgs& args, Lang lang) {
    // Interrupts are taken below, where the loop waits; made before the listener's thread.
    std::optional<platform::InterruptWait> interrupts(std::in_place);

    std::mutex outputMutex;
    std::atomic<std::size_t> updates{0};
    // Row updates as they come: on stdout, or on stderr when stdout carries the final table.
    const bool tableAtEnd = args.json || args.csv;
    std::ostream& live = tableAtEnd ? std::cerr : std::cout;
    ReportListener listener(
        [&](std::size_t, const ReportRecord& record) {
            {
                std::lock_guard lock(outputMutex);
                live << reportLine(record) << std::endl;
            }
            ++updates;
        },
        {}, args.bindAddress);
    std::string error;
    if (!listener.start(args.port, &error)) {
        interrupts.reset();
        throw CliFailure(error, kExitListen);
    }
    if (!tableAtEnd) {
        std::lock_guard lock(outputMutex);
        for (std::uint32_t id = 4501; id <= 4507; ++id)
            std::cout << uiTextUtf8(id) << (id == 4507 ? '\n' : '\t');
        std::cout.flush();
    }

    using Clock = std::chrono::steady_clock;
    const auto deadline = args.seconds > 0
                              ? Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                                   std::chrono::duration<double>(args.seconds))
                              : Clock::time_point::max();
    for (;;) {
        if (args.count > 0 && updates >= args.count) break;
        if (Clock::now() >= deadline) break;
        // Look at the count and the clock again every 50 ms.
        if (interrupts->wait(std::chrono::milliseconds(50))) break;
    }
    listener.stop();
    const auto table = listener.snapshot();
    interrupts.reset();
    if (const std::size_t unlisted = listener.devicesNotListed()) {
        std::lock_guard lock(outputMutex);
        std::cerr << "kvt640-cli: " << unlisted
                  << " more device(s) reported but are not listed (at most "
                  << ReportTable::kCapacity << " rows)\n";
    }
    if (args.csv) {
        std::lock_guard lock(outputMutex);
        std::cout << reportTableCsv(table, lang);
    }
    if (args.json) {
        nlohmann::json array = nlohmann::json::array();
        for (const ReportRecord& record : table) array.push_back(reportJson(record));
        std::lock_guard lock(outputMutex);
        std::cout << array.dump(2) << '\n';
    }
}

void addListen(CLI::App& app, CliContext& context) {
    auto args = std::make_shared<ListenArgs>();
    CLI::App* command = context.addCommand(
        app, "listen", "Listen for IP address reports and print each row update",
        "kvt640-cli listen [--port N] [--bind ADDR] [--seconds S | --count N] [--json | --csv]",
        [args, &context] { runListener(*args, context.language); });
    command->footer(
        std::string(kStatusHelp) +
        " Without --seconds or --count the listener runs until interrupted. With "
        "--json or --csv the row updates go to stderr and stdout gets the final table. The "
        "table lists up to " +
        std::to_string(ReportTable::kCapacity) +
        " devices; how many more reported is said on stderr at the end.");
    command
        ->add_option("--port", args->port,
                     "UDP port to listen on (default " + std::to_string(kDefaultReportPort) + ")")
        ->check(CLI::Range(kPortRange.min, kPortRange.max));
    command->add_option(kLocalAddressOption.names, args->bindAddress,
                        "local address the listener binds to (default 0.0.0.0)");
    CLI::Option* seconds =
        command->add_option("--seconds", args->seconds, "stop after this many seconds")
            ->check(CLI::PositiveNumber);
    command->add_option("--count", args->count, "stop after this many reports")
        ->check(CLI::PositiveNumber)
        ->excludes(seconds);
    CLI::Option* jsonFlag =
        command->add_flag("--json", args->json, "print the table as a JSON array at the end");
    command
        ->add_flag("--csv", args->csv,
                   "print the table as CSV at the end (UTF-8 with BOM, headers in the --lang "
                   "language)")
        ->excludes(jsonFlag);
}

}  // namespace

void addNetworkCommands(CLI::App& app, CliContext& context) {
    addSearch(app, context);
    addRead(app, context);
    addWrite(app, context);
    addReset(app, context);
    addListen(app, context);
}

}  // namespace kvt::cli

#include "FleetCommands.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>

#include "NetworkCommands.h"
#include "OfflineCommands.h"
#include "Output.h"
#include "core/config/ConfigJson.h"
#include "core/config/Fields.h"
#include "core/discovery/Search.h"
#include "core/enip/EnipClient.h"
#include "core/files/ConfigFile.h"
#include "core/files/ConfigLoad.h"
#include "core/files/CsvExport.h"
#include "core/fleet/Apply.h"
#include "core/fleet/Batch.h"
#include "core/fleet/Diff.h"
#include "core/fleet/Inventory.h"
#include "core/fleet/Passwords.h"
#include "core/flows/DeviceFlows.h"
#include "core/flows/SearchFlows.h"
#include "core/net/Interfaces.h"
#include "core/text/ExtraText.h"

namespace kvt::cli {
namespace {

Gbk toGbkOrFail(const std::string& utf8) {
    auto text = utf8ToGbk(utf8);
    if (!text) throw CliFailure(messageUtf8(kMsgNotGbk));
    return *text;
}

const char* kindName(ConfigKind kind) {
    return kind == kBackgroundConfig ? "background" : "user";
}

// A configuration file of either form; a file that cannot be read or taken ends the command.
LoadedConfiguration loadFileOrFail(const std::string& path, Lang lang) {
    LoadedConfiguration loaded = loadConfiguration(path, lang);
    switch (loaded.read) {
        case FileReadStatus::Ok:
            break;
        case FileReadStatus::CannotOpen:
            throw CliFailure(path + ": " + messageUtf8(messageFor(Outcome::FileMissing)));
        case FileReadStatus::ReadError:
            throw CliFailure(path + ": " + messageUtf8(messageFor(Outcome::OpenFailed)));
    }
    if (!loaded.jsonError.empty()) throw CliFailure(path + ": " + loaded.jsonError);
    return loaded;
}

nlohmann::ordered_json differencesJson(const std::vector<FieldDifference>& differences,
                                       const char* leftName, const char* rightName) {
    auto array = nlohmann::ordered_json::array();
    for (const FieldDifference& d : differences) {
        array.push_back({{"field", d.field},
                         {leftName, nlohmann::ordered_json::parse(d.left)},
                         {rightName, nlohmann::ordered_json::parse(d.right)}});
    }
    return array;
}

void printDifferences(std::ostream& out, const std::vector<FieldDifference>& differences,
                      const std::string& leftName, const std::string& rightName) {
    for (const FieldDifference& d : differences)
        out << d.field << ": " << leftName << ' ' << d.left << ", " << rightName << ' ' << d.right
            << '\n';
}

int exitStatusOf(const ApplyResult& result) {
    switch (result.verdict) {
        case ApplyVerdict::Unchanged:
        case ApplyVerdict::Applied:
            return kExitOk;
        case ApplyVerdict::WouldChange:
            return kExitDifferent;
        case ApplyVerdict::VerificationFailed:
            return kExitVerificationFailed;
        case ApplyVerdict::Refused:
            return kExitFailure;
        case ApplyVerdict::EnipNoAnswer:
            return kExitConnection;
        case ApplyVerdict::EnipMismatch:
            return kExitEnipMismatch;
        case ApplyVerdict::Failed:
            break;
    }
    if (result.passwordMissing) return kExitPasswordMissing;
    if (result.failure == Outcome::NoSelection) return kExitNotFound;
    return exitStatusFor(result.failure);
}

nlohmann::ordered_json identityJson(const enip::Identity& id) {
    return {{"vendor_id", id.vendorId},
            {"device_type", id.deviceType},
            {"product_code", id.productCode},
            {"revision", std::to_string(id.revisionMajor) + "." + std::to_string(id.revisionMinor)},
            {"status", id.status},
            {"serial", id.serial},
            {"name", gbkToUtf8(id.productName)},
            {"address", id.address},
            {"state", id.state}};
}

nlohmann::ordered_json enipJson(const enip::EnipCheck& check) {
    auto assemblies = nlohmann::ordered_json::array();
    for (const enip::AssemblyCheck& a : check.assemblies) {
        assemblies.push_back(
            {{"instance", a.expected.instance},
             {"role", enip::roleName(a.expected.role)},
             {"configured", a.expected.configured},
             {"expected", a.expected.bytes},
             {"reported", a.reported ? nlohmann::ordered_json(*a.reported) : nullptr},
             {"result", enip::sizeVerdictName(a.verdict)},
             {"detail", a.detail}});
    }
    return {{"ip", check.address},
            {"outcome", enip::checkOutcomeName(check)},
            {"answered_after_ms", check.answeredAfter.count()},
            {"identity", check.identity ? identityJson(*check.identity) : nullptr},
            {"assemblies", std::move(assemblies)},
            {"message", check.message}};
}

void printEnipCheck(std::ostream& out, const enip::EnipCheck& check) {
    out << enip::checkOutcomeName(check) << ": " << check.message << '\n';
    if (check.identity) {
        const enip::Identity& id = *check.identity;
        out << "identity: vendor " << id.vendorId << ", device type " << id.deviceType
            << ", product code " << id.productCode << ", revision " << int(id.revisionMajor) << '.'
            << int(id.revisionMinor) << ", serial " << id.serial << ", name \""
            << gbkToUtf8(id.productName) << "\"\n";
    }
    for (const enip::AssemblyCheck& a : check.assemblies) {
        out << "assembly " << a.expected.instance << " (" << enip::roleName(a.expected.role)
            << "): expected " << a.expected.bytes << ", reported "
            << (a.reported ? std::to_string(*a.reported) : std::string("-")) << ": "
            << enip::sizeVerdictName(a.verdict) << (a.detail.empty() ? "" : " (" + a.detail + ")")
            << '\n';
    }
}

nlohmann::ordered_json applyJson(const ApplyResult& result, Lang lang) {
    nlohmann::ordered_json json = {
        {"ip", result.ip},
        {"mac", result.mac},
        {"kind", kindName(result.kind)},
        {"changed", result.changed},
        {"verified", result.verified},
        {"differences", differencesJson(result.differences, "device", "wanted")},
        {"outcome", verdictName(result.verdict)},
        {"new_ip", result.newIp},
        {"reset", result.reset},
        {"message", render(result.message, lang)},
    };
    if (result.verdict == ApplyVerdict::Failed ||
        (result.verdict == ApplyVerdict::VerificationFailed && result.failure != Outcome::Done))
        json["failure"] = outcomeName(result.failure);
    if (result.enip) json["enip"] = enipJson(*result.enip);
    return json;
}

struct EnipCheckArgs {
    bool check = false;
    int seconds = 30;
    void applyTo(ApplyOptions& options) const {
        options.checkEnip = check;
        options.enipTimeout = std::chrono::seconds(seconds);
    }
};

void addEnipCheckOptions(CLI::App* command, EnipCheckArgs& args) {
    command->add_flag("--check-enip", args.check,
                      "after the reset, wait for EtherNet/IP at the device's address and compare "
                      "its assembly sizes");
    command
        ->add_option("--enip-timeout", args.seconds,
                     "seconds --check-enip waits for the device to answer (default 30)")
        ->check(CLI::Range(1, 600));
}

const char* const kApplyHelp =
    "Searches the device at ADDR, reads its configuration of the file's kind and compares it "
    "field by field (the fields that kind carries; see the user guide). Equal: nothing is written "
    "and the result says changed false. Otherwise the file is checked as write checks it, "
    "written, read back and compared again (--no-verify skips the read-back); --reset resets "
    "the device after the verified write (the read-back happens before the reset, while the "
    "device still answers at its old address), and also a device found equal that holds a "
    "static address it does not serve on yet (written earlier without a reset). The password tried "
    "first is the one of the "
    "password options; the file's own password of the kind is tried after it, so applying "
    "a file that changes the password twice works. Exit status: as the network commands, and "
    "10 with --dry-run when a write would be needed, 11 when the device acknowledged the "
    "write but the read-back differs or fails (the differences are printed). --json prints "
    "{ip, mac, kind, changed, verified, differences, outcome, new_ip, reset, message} with "
    "outcome one of unchanged, applied, would_change, verification_failed, refused, failed "
    "(and failure naming the failed step). --check-enip then waits (at most --enip-timeout "
    "seconds, default 30) until the device answers EtherNet/IP ListIdentity where it now "
    "serves (after a reset to a static address: the new one) and compares its assembly sizes "
    "with the file's (see enip); the JSON gains an enip object, a device that never answers "
    "gets outcome enip_no_answer (status 7), other sizes enip_mismatch (status 13).";

void addApply(CLI::App& app, CliContext& context) {
    auto args = std::make_shared<NetworkArgs>();
    auto ip = std::make_shared<std::string>();
    auto file = std::make_shared<std::string>();
    auto options = std::make_shared<ApplyOptions>();
    auto noVerify = std::make_shared<bool>(false);
    auto json = std::make_shared<bool>(false);
    auto enipArgs = std::make_shared<EnipCheckArgs>();
    CLI::App* command = context.addCommand(
        app, "apply", "Write a configuration file to a device only where it differs, and verify",
        "kvt640-cli apply --ip ADDR FILE [--reset] [--no-verify] [--dry-run] [--force] "
        "[--check-enip [--enip-timeout S]] [--json] [--password PW | --password-file FILE]",
        [&context, args, ip, file, options, noVerify, json, enipArgs] {
            applyNetworkArgs(context, *args);
            const LoadedConfiguration loaded = loadFileOrFail(*file, context.language);
            refuseUnlessForced(*file, loaded.issues, options->force);
            ApplyOptions run = *options;
            run.verify = !*noVerify;
            enipArgs->applyTo(run);
            if (const auto password = passwordFromSources(*args, loaded.kind))
                run.passwords.push_back(toGbkOrFail(*password));
            run.passwords = passwordsBeforeWrite(std::move(run.passwords),
                                                 passwordOf(loaded.config, loaded.kind));
            const CConfiguration wanted = loaded.config;
            const ApplyResult result = applyAtAddress(
                context.network, *ip, loaded.kind,
                [&wanted](const CConfiguration&) { return wanted; }, run);
            const std::string message = render(result.message, context.language);
            if (*json) {
                std::cout << applyJson(result, context.language).dump(2) << '\n';
            } else {
                std::cout << verdictName(result.verdict) << ": " << message << '\n';
                printDifferences(std::cout, result.differences, "device", "wanted");
            }
            const int status = exitStatusOf(result);
            if (status != kExitOk) throw CliFailure(*json ? "" : message, status);
        });
    command->footer(std::string(kApplyHelp) + ' ' + kPasswordHelp);
    command->add_option("--ip", *ip, "address of the device")->required();
    command->add_option("FILE", *file, "configuration file (.inf, or JSON as show --json prints)")
        ->required();
    command->add_flag("--reset", options->reset, "reset the device after a verified write");
    command->add_flag("--no-verify", *noVerify, "do not read back after the write");
    command->add_flag("--dry-run", options->dryRun, "compare only; write nothing");
    command->add_flag("--force", options->force,
                      "send a file that write would refuse without --force");
    command->add_flag("--json", *json, "print the result as a JSON object");
    addEnipCheckOptions(command, *enipArgs);
    addPasswordOption(command, *args);
    addNetworkOptions(command, *args);
    addEnipPortOption(command, *args);
}

// One side of a diff: a configuration file, or "device:IP:user|background".
struct Side {
    std::string name;
    CConfiguration config;
    ConfigKind kind = kUserConfig;
    bool device = false;
};

Side loadSide(CliContext& context, const std::string& source, const NetworkArgs& args) {
    Side side;
    side.name = source;
    if (!source.starts_with("device:")) {
        LoadedConfiguration loaded = loadFileOrFail(source, context.language);
        side.config = std::move(loaded.config);
        side.kind = loaded.kind;
        return side;
    }
    const std::string rest = source.substr(7);
    const auto colon = rest.rfind(':');
    const std::string kind = colon == std::string::npos ? "" : rest.substr(colon + 1);
    if (kind != "user" && kind != "background")
        throw CliFailure("expected device:IP:user or device:IP:background, not " + source,
                         kExitUsage);
    const std::string address = rest.substr(0, colon);
    side.kind = kindFromName(kind);
    side.device = true;
    CliPasswords passwords = passwordsFrom(context, args);
    std::vector<CEquipment> devices;
    const Outcome found = searchByAddress(context.network, devices, address);
    if (found != Outcome::Done)
        throw CliFailure("no device answered the search at " + address, exitStatusFor(found));
    if (selectionOf(devices.front()) != Selection::Supported)
        throw CliFailure("the device at " + address + " is not a supported product", kExitNotFound);
    const FlowTarget target{context.network, devices.front()};
    ConfigDocument document;
    const Outcome read = readConfiguration(target, side.kind, document, context.ui, passwords);
    if (read != Outcome::Done) failAfter(read, "the read failed");
    side.config = *document.config;
    return side;
}

void addDiff(CLI::App& app, CliContext& context) {
    auto args = std::make_shared<NetworkArgs>();
    auto a = std::make_shared<std::string>();
    auto b = std::make_shared<std::string>();
    auto json = std::make_shared<bool>(false);
    CLI::App* command = context.addCommand(
        app, "diff", "Compare two configurations field by field",
        "kvt640-cli diff A B [--json] [--password PW | --password-file FILE]  (A, B: a "
        "configuration file or device:IP:user|background)",
        [&context, args, a, b, json] {
            applyNetworkArgs(context, *args);
            const Side left = loadSide(context, *a, *args);
            const Side right = loadSide(context, *b, *args);
            // Two kinds: the kind differs, and the fields both carry (the user kind's) are
            // compared.
            const ConfigKind kind = left.kind == right.kind ? left.kind : kUserConfig;
            std::vector<FieldDifference> differences;
            if (left.kind != right.kind) {
                differences.push_back({std::string(fieldKey(FieldId::Kind)),
                                       std::to_string(kindNumber(left.kind)),
                                       std::to_string(kindNumber(right.kind)), false});
            }
            const Compare how =
                left.device || right.device ? Compare::AsDeviceHolds : Compare::AsWritten;
            for (auto& d : diffConfigurations(left.config, right.config, kind, how))
                differences.push_back(std::move(d));
            if (*json) {
                nlohmann::ordered_json out = {
                    {"equal", differences.empty()},
                    {"a", left.name},
                    {"b", right.name},
                    {"differences", differencesJson(differences, "a", "b")}};
                std::cout << out.dump(2) << '\n';
            } else {
                printDifferences(std::cout, differences, "A", "B");
            }
            if (!differences.empty()) throw CliFailure("", kExitDifferent);
        });
    command->footer(
        "Compares the fields that the kind carries to a device (see the user guide), under the "
        "keys of show --json. A file is a configuration file (.inf, or JSON as show --json "
        "prints); device:IP:user|background reads that device's configuration. When a side is "
        "a device, both are compared as the device would hold them (a disabled report keeps "
        "no target or port); two files are compared as written. Exit status: 0 equal, 10 "
        "different, else as the network commands. " +
        std::string(kPasswordHelp));
    command->add_option("A", *a, "configuration file or device:IP:user|background")->required();
    command->add_option("B", *b, "configuration file or device:IP:user|background")->required();
    command->add_flag("--json", *json, "print {equal, a, b, differences} as JSON");
    addPasswordOption(command, *args);
    addNetworkOptions(command, *args);
}

struct BatchArgs {
    std::string inventory;
    std::string kind = "user";
    std::string templatePath;
    unsigned jobs = 4;
    bool dryRun = false;
    bool noVerify = false;
    bool reset = false;
    bool force = false;
    bool json = false;
    bool csv = false;
    std::string broadcast;
    std::string interface = "all";
    std::string output;
    EnipCheckArgs enip;
};

const char* const kBatchColumns[] = {"row",      "mac",     "old_ip", "new_ip", "changed",
                                     "verified", "outcome", "enip",   "message"};

std::vector<std::string> batchCells(const BatchRowResult& r, Lang lang) {
    const ApplyResult& a = r.result;
    return {std::to_string(r.row),
            a.mac,
            r.oldIp,
            a.newIp.empty() ? r.oldIp : a.newIp,
            a.changed ? "true" : "false",
            a.verified ? "true" : "false",
            verdictName(a.verdict),
            a.enip ? enip::checkOutcomeName(*a.enip) : "",
            render(a.message, lang)};
}

struct BatchSummary {
    std::size_t rows = 0, succeeded = 0, failed = 0, changed = 0, verified = 0, different = 0;
};

BatchSummary summarize(const std::vector<BatchRowResult>& results) {
    BatchSummary s;
    for (const BatchRowResult& r : results) {
        ++s.rows;
        r.result.succeeded() ? ++s.succeeded : ++s.failed;
        if (r.result.changed) ++s.changed;
        if (r.result.verified) ++s.verified;
        if (!r.result.differences.empty()) ++s.different;
    }
    return s;
}

std::string summaryLine(const BatchSummary& s, bool dryRun, Lang lang) {
    const auto number = [](std::size_t n) { return literal(std::to_string(n)); };
    return render(text(dryRun ? kTxtBatchSummaryDry : kTxtBatchSummary,
                       {number(s.rows), number(s.succeeded), number(s.failed), number(s.changed),
                        number(s.verified)}),
                  lang);
}

std::string batchReport(const std::vector<BatchRowResult>& results, const BatchArgs& args,
                        Lang lang) {
    const BatchSummary summary = summarize(results);
    if (args.json) {
        auto rows = nlohmann::ordered_json::array();
        for (const BatchRowResult& r : results) {
            nlohmann::ordered_json row = {{"row", r.row}, {"old_ip", r.oldIp}};
            const nlohmann::ordered_json result = applyJson(r.result, lang);
            for (const auto& [key, value] : result.items()) row[key] = value;
            rows.push_back(std::move(row));
        }
        const nlohmann::ordered_json out = {{"rows", std::move(rows)},
                                            {"summary",
                                             {{"rows", summary.rows},
                                              {"succeeded", summary.succeeded},
                                              {"failed", summary.failed},
                                              {"changed", summary.changed},
                                              {"verified", summary.verified}}}};
        return out.dump(2) + '\n';
    }
    const std::vector<std::string> header(std::begin(kBatchColumns), std::end(kBatchColumns));
    if (args.csv) {
        CsvWriter csv;
        csv.addRow(header);
        for (const BatchRowResult& r : results) csv.addRow(batchCells(r, lang));
        return csv.text();
    }
    const auto line = [](const std::vector<std::string>& cells) {
        std::string text;
        for (std::size_t c = 0; c < cells.size(); ++c) text += (c ? "\t" : "") + cells[c];
        return text + '\n';
    };
    std::string text = line(header);
    for (const BatchRowResult& r : results) {
        text += line(batchCells(r, lang));
        // People see what would change (or what the device holds instead) under the row.
        for (const FieldDifference& d : r.result.differences)
            text += "  " + d.field + ": device " + d.left + ", wanted " + d.right + '\n';
    }
    text += summaryLine(summary, args.dryRun, lang) + '\n';
    return text;
}

const char* const kBatchHelp =
    "INVENTORY is a CSV file (UTF-8, a byte order mark allowed, RFC 4180 quoting) whose header "
    "names the columns: mac and/or ip (the current address) to find each gateway, "
    "current_password (to get in with), and any field of show --json that the kind writes "
    "(ip_address, subnet_mask, gateway, user_password, report_enabled, ...; background also "
    "network_name, admin_password, assembly_sizes as nine values separated by ;). An empty "
    "cell leaves the field as the template (--template) or else the device holds it; a "
    "template's IP address is never used. A row with both mac and ip is found by its MAC. "
    "Rows found by MAC need the broadcast search "
    "(every interface, or --interface / --broadcast). Everything wrong with the inventory "
    "(unknown or repeated column, a bad value, the same MAC or new address twice) is listed "
    "by row and column and nothing is sent (status 1). Each row is then applied as apply "
    "does (verified unless --no-verify, reset after a verified write with --reset), up to "
    "--jobs rows at a time; a failing row does not stop the others. --check-enip checks each "
    "applied device on EtherNet/IP as apply does (the enip column: match, mismatch, "
    "not_compared, no_answer, session_failed; a row whose device never answers or reports "
    "other sizes fails). Prints one line per row "
    "(row, mac, old_ip, new_ip, changed, verified, outcome, enip, message), each followed by its "
    "differences (indented: what a dry run would change, what a failed verification found), "
    "and a summary line; or "
    "--json {rows, summary} / --csv; -o writes it to a file readable by you only. Exit "
    "status: 0 every row succeeded; 10 --dry-run and some row would change; 12 some row "
    "failed; 1 the inventory or template was refused; 2 usage.";

void addBatch(CLI::App& app, CliContext& context) {
    auto args = std::make_shared<BatchArgs>();
    auto network = std::make_shared<NetworkArgs>();
    CLI::App* command = context.addCommand(
        app, "batch", "Apply an inventory of gateways, one row a device, with verification",
        "kvt640-cli batch INVENTORY.csv [--kind user|background] [--template FILE] [--jobs N] "
        "[--dry-run] [--reset] [--no-verify] [--check-enip [--enip-timeout S]] [--json|--csv] "
        "[-o FILE]",
        [&context, args, network] {
            applyNetworkArgs(context, *network);
            NetworkOptions& options = context.network;
            if (!args->broadcast.empty()) {
                options.discoveryTarget = args->broadcast;
                options.discoveryTargetChosen = true;
            }
            options.searchInterface = args->interface;
            const SearchPlan plan = planBroadcastSearch(options);
            if (!plan.error.empty()) throw CliFailure(plan.error, kExitUsage);

            BatchOptions batch;
            batch.kind = kindFromName(args->kind);
            batch.jobs = args->jobs;
            batch.apply.verify = !args->noVerify;
            batch.apply.reset = args->reset;
            batch.apply.force = args->force;
            batch.apply.dryRun = args->dryRun;
            args->enip.applyTo(batch.apply);
            CConfiguration checkBase = newConfiguration(batch.kind);
            if (!args->templatePath.empty()) {
                LoadedConfiguration loaded = loadFileOrFail(args->templatePath, context.language);
                if (loaded.kind != batch.kind)
                    throw CliFailure(args->templatePath + ": a " + kindName(loaded.kind) +
                                     " configuration, not " + kindName(batch.kind));
                checkBase = loaded.config;
                batch.base = std::move(loaded.config);
            }
            if (const auto password = passwordFromSources(*network, batch.kind))
                batch.apply.passwords.push_back(toGbkOrFail(*password));

            std::string bytes;
            if (readWholeFile(args->inventory, bytes) != FileReadStatus::Ok)
                throw CliFailure("cannot read " + args->inventory);
            const Inventory inventory = parseInventory(bytes, batch.kind, checkBase);
            for (const InventoryError& error : inventory.errors)
                std::cerr << "kvt640-cli: " << args->inventory << ": " << error.text() << '\n';
            if (!inventory.errors.empty())
                throw CliFailure("nothing was sent: the inventory has " +
                                 std::to_string(inventory.errors.size()) + " error(s)");

            const auto results = runBatch(options, inventory, batch);
            const std::string report = batchReport(results, *args, context.language);
            if (!args->output.empty()) {
                std::string error;
                if (!writeFileAtomically(args->output, report, &error, 0600))
                    throw CliFailure(messageUtf8(kMsgSaveFailed) + " (" + error + ")");
            } else {
                std::cout << report;
            }
            const BatchSummary summary = summarize(results);
            if (args->csv || !args->output.empty())
                std::cerr << "kvt640-cli: "
                          << summaryLine(summary, args->dryRun, context.language) << '\n';
            if (summary.failed > 0) throw CliFailure("", kExitSomeRowsFailed);
            if (args->dryRun && summary.changed > 0) throw CliFailure("", kExitDifferent);
        });
    command->footer(std::string(kBatchHelp) + ' ' + kPasswordHelp);
    command->add_option("INVENTORY", args->inventory, "inventory CSV file")->required();
    command->add_option("--kind", args->kind, "configuration kind: user (default) or background")
        ->check(CLI::IsMember({"user", "background"}));
    command->add_option("--template", args->templatePath,
                        "configuration file the rows' values go onto (default: the device's "
                        "current configuration)");
    command->add_option("--jobs", args->jobs, "rows applied at a time (default 4)")
        ->check(CLI::Range(1, 64));
    command->add_flag("--dry-run", args->dryRun, "compare only and print the differences");
    command->add_flag("--reset", args->reset, "reset each device after its verified write");
    command->add_flag("--no-verify", args->noVerify, "do not read back after the write");
    command->add_flag("--force", args->force,
                      "send values that write would refuse without --force");
    CLI::Option* jsonFlag = command->add_flag("--json", args->json, "print {rows, summary}");
    command->add_flag("--csv", args->csv, "print CSV (UTF-8 with BOM)")->excludes(jsonFlag);
    command->add_option("-o,--output", args->output,
                        "write the results to this file (created readable by you only)");
    CLI::Option* broadcastOption = command->add_option(
        "--broadcast", args->broadcast, "send the search for MACs to this address only");
    command
        ->add_option("--interface", args->interface,
                     "interface the search for MACs leaves by (default all)")
        ->excludes(broadcastOption);
    addEnipCheckOptions(command, args->enip);
    addPasswordOption(command, *network);
    addNetworkOptions(command, *network);
    addEnipPortOption(command, *network);
}

const char* const kEnipHelp =
    "With --ip: asks the device for its EtherNet/IP identity (ListIdentity over UDP, port "
    "44818), opens a session (TCP 44818) and reads the size of each assembly instance (102, "
    "101, 103, 112, 111, 113, 122, 121, 123; Get_Attribute_Single, class 4, attribute 4), and "
    "compares each with the size the configuration implies: the configured bytes for output "
    "and configuration instances, the configured bytes plus the 4-byte header for input "
    "instances (the editor's \"+4(bytes)\"). The configuration is the device's own (--from "
    "device, the default: read over the configuration port as read does, --kind background by "
    "default) or a configuration file (--from FILE). A user configuration does not carry the "
    "sizes: they are then reported, not compared. An instance the device does not report "
    "(path destination unknown, attribute not supported, ...) is not_supported, a warning. "
    "--json prints {ip, outcome, answered_after_ms, identity, assemblies: [{instance, role, "
    "configured, expected, reported, result, detail}], message}, outcome one of match, "
    "mismatch, not_compared, no_answer, session_failed. Exit status: 0 every compared size "
    "matches, 13 a size differs, 7 no EtherNet/IP answer (or the session failed), else as the "
    "network commands. With --list: one ListIdentity to 255.255.255.255 (or --broadcast ADDR, "
    "or the broadcast address of --interface NAME), replies collected for the requester's "
    "delay (--delay, default 1000 ms) plus 500 ms; status 7 when none came.";

void addEnip(CLI::App& app, CliContext& context) {
    auto args = std::make_shared<NetworkArgs>();
    auto ip = std::make_shared<std::string>();
    auto kind = std::make_shared<std::string>("background");
    auto from = std::make_shared<std::string>("device");
    auto list = std::make_shared<bool>(false);
    auto broadcast = std::make_shared<std::string>();
    auto interface = std::make_shared<std::string>();
    auto delayMs = std::make_shared<int>(1000);
    auto timeoutMs = std::make_shared<int>(2000);
    auto json = std::make_shared<bool>(false);
    CLI::App* command = context.addCommand(
        app, "enip",
        "Check a gateway on EtherNet/IP (identity, assembly sizes against its configuration), "
        "or list the EtherNet/IP devices that answer",
        "kvt640-cli enip --ip ADDR [--kind user|background] [--from FILE|device] [--json] | "
        "kvt640-cli enip --list [--broadcast ADDR | --interface NAME] [--json]",
        [&context, args, ip, kind, from, list, broadcast, interface, delayMs, timeoutMs, json] {
            applyNetworkArgs(context, *args);
            if (*list) {
                enip::BrowseOptions browse;
                browse.localAddress = args->bindAddress;
                browse.port = args->enipPort;
                browse.delayMs = static_cast<std::uint16_t>(*delayMs);
                if (!broadcast->empty()) browse.target = *broadcast;
                if (!interface->empty()) {
                    const auto cards = broadcastInterfaces();
                    const auto card = std::find_if(cards.begin(), cards.end(), [&](const auto& c) {
                        return c.name == *interface;
                    });
                    if (card == cards.end())
                        throw CliFailure("no up, broadcast-capable IPv4 interface " + *interface,
                                         kExitUsage);
                    browse.target = card->broadcastAddress;
                }
                const enip::BrowseResult found = enip::browseIdentities(browse);
                if (!found.error.empty()) throw CliFailure(found.error);
                if (*json) {
                    auto array = nlohmann::ordered_json::array();
                    for (const enip::Identity& id : found.devices)
                        array.push_back(identityJson(id));
                    std::cout << array.dump(2) << '\n';
                } else {
                    for (const enip::Identity& id : found.devices)
                        std::cout << id.address << '\t' << gbkToUtf8(id.productName) << "\tproduct "
                                  << id.productCode << "\trevision " << int(id.revisionMajor) << '.'
                                  << int(id.revisionMinor) << "\tserial " << id.serial
                                  << "\tvendor " << id.vendorId << "\ttype " << id.deviceType
                                  << '\n';
                }
                if (found.devices.empty())
                    throw CliFailure("no EtherNet/IP device answered", kExitConnection);
                return;
            }
            if (ip->empty()) throw CliFailure("enip needs --ip ADDR or --list", kExitUsage);
            CConfiguration config;
            ConfigKind configKind = kindFromName(*kind);
            if (*from == "device") {
                Side side = loadSide(context, "device:" + *ip + ":" + *kind, *args);
                config = std::move(side.config);
            } else {
                LoadedConfiguration loaded = loadFileOrFail(*from, context.language);
                config = std::move(loaded.config);
                configKind = loaded.kind;
            }
            if (configKind != kBackgroundConfig)
                std::cerr << "kvt640-cli: a user configuration does not carry the assembly "
                             "sizes: they are reported, not compared\n";
            enip::Target target;
            target.address = *ip;
            target.port = args->enipPort;
            target.localAddress = args->bindAddress;
            target.timeout = std::chrono::milliseconds(*timeoutMs);
            const enip::EnipCheck check =
                enip::checkEnip(target, configKind == kBackgroundConfig ? &config : nullptr);
            if (*json) {
                std::cout << enipJson(check).dump(2) << '\n';
            } else {
                printEnipCheck(std::cout, check);
            }
            if (!check.answered()) throw CliFailure("", kExitConnection);
            if (check.mismatch()) throw CliFailure("", kExitEnipMismatch);
        });
    command->footer(std::string(kEnipHelp) + ' ' + kPasswordHelp);
    CLI::Option* ipOption = command->add_option("--ip", *ip, "address of the device");
    command
        ->add_option("--kind", *kind,
                     "configuration kind read with --from device "
                     "(default background)")
        ->check(CLI::IsMember({"user", "background"}));
    command->add_option("--from", *from,
                        "where the expected sizes come from: device (default) or a "
                        "configuration file");
    CLI::Option* listFlag =
        command->add_flag("--list", *list, "list the EtherNet/IP devices that answer ListIdentity")
            ->excludes(ipOption);
    CLI::Option* broadcastOption = command->add_option(
        "--broadcast", *broadcast, "with --list: send the query to this address");
    command
        ->add_option("--interface", *interface,
                     "with --list: send the query to this interface's broadcast address")
        ->excludes(broadcastOption);
    command
        ->add_option("--delay", *delayMs,
                     "with --list: requester delay in milliseconds (default 1000)")
        ->check(CLI::Range(0, 65535));
    command
        ->add_option("--timeout", *timeoutMs,
                     "milliseconds one EtherNet/IP exchange may take (default 2000)")
        ->check(CLI::Range(1, 60000));
    command->add_flag("--json", *json, "print JSON");
    (void)listFlag;
    addPasswordOption(command, *args);
    addNetworkOptions(command, *args);
    addEnipPortOption(command, *args);
}

}  // namespace

void addFleetCommands(CLI::App& app, CliContext& context) {
    addDiff(app, context);
    addApply(app, context);
    addBatch(app, context);
    addEnip(app, context);
}

}  // namespace kvt::cli

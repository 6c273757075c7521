#include "OfflineCommands.h"

#include <iostream>
#include <memory>
#include <span>

#include "Output.h"
#include "core/config/DeviceImage.h"
#include "core/files/ConfigFile.h"
#include "core/flows/FileFlows.h"
#include "core/text/ExtraText.h"
#include "core/text/UiText.h"

namespace kvt::cli {
namespace {

const CLI::Validator kNonEmptyPath(
    [](std::string& value) { return value.empty() ? std::string("empty path") : std::string(); },
    "PATH");

CLI::Option* addKindOption(CLI::App* command, std::string& kind) {
    return command->add_option("--kind", kind, "configuration kind: user or background")
        ->required()
        ->check(CLI::IsMember({"user", "background"}));
}

void addNew(CLI::App& app, CliContext& context) {
    auto kind = std::make_shared<std::string>();
    auto output = std::make_shared<std::string>();
    CLI::App* command = context.addCommand(
        app, "new", "Write the defaults of a new configuration to FILE",
        "kvt640-cli new --kind user|background -o FILE [--lang zh|en]", [&context, kind, output] {
            context.document.newFill(kindFromName(*kind));
            saveAsEditorDoes(context, *output);
        });
    addKindOption(command, *kind);
    command->add_option("-o,--output", *output, "configuration file to write")
        ->required()
        ->check(kNonEmptyPath);
}

void addShow(CLI::App& app, CliContext& context) {
    auto file = std::make_shared<std::string>();
    auto json = std::make_shared<bool>(false);
    CLI::App* command =
        context.addCommand(app, "show", "Read a configuration file as Open does and print it",
                           "kvt640-cli show FILE [--json] [--lang zh|en]", [&context, file, json] {
                               openFileAsOpenDoes(context, *file);
                               printConfiguration(std::cout, *context.document.config,
                                                  context.document.configKind, *json);
                           });
    command->add_option("FILE", *file, "configuration file")->required()->check(kNonEmptyPath);
    command->add_flag("--json", *json, "print a JSON object");
}

void writeRaw(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::string error;
    const std::string_view view(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    // The image holds the passwords: readable by the owner only.
    if (!writeFileAtomically(path, view, &error, 0600)) {
        throw CliFailure(messageUtf8(kMsgSaveFailed) + " (" + error + ")");
    }
}

void addImage(CLI::App& app, CliContext& context) {
    CLI::App* image = context.addCommand(app, "image", "Build or parse a device parameter image",
                                         "kvt640-cli image build|parse ...", nullptr);
    image->require_subcommand(1);

    auto file = std::make_shared<std::string>();
    auto output = std::make_shared<std::string>();
    CLI::App* build = context.addCommand(
        *image, "build", "Build the device image of a configuration file",
        "kvt640-cli image build FILE -o IMAGE [--lang zh|en]", [&context, file, output] {
            openFileAsOpenDoes(context, *file);
            writeRaw(*output, buildImage(*context.document.config, context.document.configKind));
        });
    build->add_option("FILE", *file, "configuration file")->required()->check(kNonEmptyPath);
    build->add_option("-o,--output", *output, "image file to write")
        ->required()
        ->check(kNonEmptyPath);

    auto imageFile = std::make_shared<std::string>();
    auto kind = std::make_shared<std::string>();
    auto json = std::make_shared<bool>(false);
    auto saveTo = std::make_shared<std::string>();
    CLI::App* parse = context.addCommand(
        *image, "parse", "Parse a device image and print or save the configuration",
        "kvt640-cli image parse IMAGE --kind user|background [--json] [-o FILE] [--lang zh|en]",
        [&context, imageFile, kind, json, saveTo] {
            std::string bytes;
            switch (readWholeFile(*imageFile, bytes)) {
                case FileReadStatus::Ok:
                    break;
                // The same situations as Open's, in the same words.
                case FileReadStatus::CannotOpen:
                    throw CliFailure(messageUtf8(messageFor(Outcome::FileMissing)));
                case FileReadStatus::ReadError:
                    throw CliFailure(messageUtf8(messageFor(Outcome::OpenFailed)));
            }
            const ConfigKind configKind = kindFromName(*kind);
            CConfiguration& config = context.document.replaceConfiguration();
            // A read from a KVT-275R sets this; the image itself does not carry it.
            config.productCode = kProductKvt275r;
            parseImage(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()),
                       configKind, config);
            context.document.configKind = configKind;
            if (!saveTo->empty()) {
                saveAsEditorDoes(context, *saveTo);
            } else {
                printConfiguration(std::cout, config, configKind, *json);
            }
        });
    parse->add_option("IMAGE", *imageFile, "image file")->required()->check(kNonEmptyPath);
    addKindOption(parse, *kind);
    CLI::Option* jsonFlag = parse->add_flag("--json", *json, "print a JSON object");
    parse->add_option("-o,--output", *saveTo, "save as a configuration file instead of printing")
        ->check(kNonEmptyPath)
        ->excludes(jsonFlag);
}

void addText(CLI::App& app, CliContext& context) {
    auto id = std::make_shared<std::uint32_t>(0);
    CLI::App* command =
        context.addCommand(app, "text", "Print the UI text table's text for ID",
                           "kvt640-cli text ID", [id] { std::cout << uiTextUtf8(*id) << '\n'; });
    command->add_option("ID", *id, "text id")->required();
}

}  // namespace

ConfigKind kindFromName(const std::string& name) {
    return name == "background" ? kBackgroundConfig : kUserConfig;
}

void openFileAsOpenDoes(CliContext& context, const std::string& path, const FlowTarget& target) {
    CliOpen prompt(path);
    const Outcome opened =
        openConfigurationFile(target, context.document, context.language, context.ui, prompt);
    if (opened != Outcome::Done) failAfter(opened, "no file was opened");
}

void saveAsEditorDoes(CliContext& context, const std::string& path) {
    CliSave prompt(path);
    const Outcome saved = saveConfigurationFile({}, context.document, context.language, context.ui,
                                                prompt, SaveFrom::Editor);
    if (saved != Outcome::Done) failAfter(saved, "nothing was saved");
}

void addOfflineCommands(CLI::App& app, CliContext& context) {
    addNew(app, context);
    addShow(app, context);
    addImage(app, context);
    addText(app, context);
}

}  // namespace kvt::cli

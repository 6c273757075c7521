#include "ManPage.h"

#include <sstream>

namespace kvt::cli {
namespace {

// Text for roff: backslashes and hyphens escaped, and no line that a leading dot or quote
// would turn into a request.
std::string roff(const std::string& text) {
    std::string out;
    bool lineStart = true;
    for (const char c : text) {
        if (lineStart && (c == '.' || c == '\'')) out += "\\&";
        if (c == '\\')
            out += "\\e";
        else if (c == '-')
            out += "\\-";
        else
            out += c;
        lineStart = c == '\n';
    }
    return out;
}

std::string optionNames(const CLI::Option& option) {
    std::string names;
    const auto add = [&names](const std::string& name) {
        names += names.empty() ? "" : ", ";
        names += "\\fB" + roff(name) + "\\fR";
    };
    for (const std::string& name : option.get_snames()) add("-" + name);
    for (const std::string& name : option.get_lnames()) add("--" + name);
    if (option.get_type_size() != 0 && !option.get_type_name().empty())
        names += " \\fI" + roff(option.get_type_name()) + "\\fR";
    return names;
}

void describe(std::ostream& out, const CLI::App& command, const std::string& path,
              const CliContext& context) {
    const std::string usage = context.usageOf(&command);
    out << ".TP\n\\fB" << roff(path) << "\\fR\n";
    if (!command.get_description().empty()) out << roff(command.get_description()) << ".\n";
    if (!usage.empty()) out << ".br\nUsage: " << roff(usage) << '\n';
    bool any = false;
    for (const CLI::Option* option : command.get_options()) {
        // --help is everywhere, and options of the commands above are described there.
        if (option == command.get_help_ptr() || option->get_group().empty()) continue;
        if (option->get_lnames().empty() && option->get_snames().empty()) continue;  // positional
        if (!any) out << ".RS\n";
        any = true;
        out << ".TP\n" << optionNames(*option) << '\n' << roff(option->get_description()) << '\n';
    }
    if (any) out << ".RE\n";
    for (const CLI::App* sub : command.get_subcommands({}))
        describe(out, *sub, path + " " + sub->get_name(), context);
}

}  // namespace

std::string manCommands(const CLI::App& app, const CliContext& context) {
    std::ostringstream out;
    out << "[COMMANDS]\n";
    for (const CLI::App* command : app.get_subcommands({}))
        describe(out, *command, command->get_name(), context);
    out << ".PP\n"
        << roff("kvt640-cli") << " \\fICOMMAND\\fR \\fB" << roff("--help")
        << "\\fR prints the same for one command.\n"
        << roff(
               "Texts are printed as UTF-8, messages go to standard error. A password that a "
               "gateway needs is never prompted for: pass ")
        << "\\fB" << roff("--password") << "\\fR "
        << roff(
               "(visible to other local users in the process list), or for diff, apply and "
               "batch ")
        << "\\fB" << roff("--password-file") << "\\fR " << roff("or the environment variables ")
        << "\\fBKVT640_PASSWORD\\fR " << roff("and") << " \\fBKVT640_ADMIN_PASSWORD\\fR.\n";
    return out.str();
}

}  // namespace kvt::cli

#include "core/enip/Assemblies.h"

#include <algorithm>

#include "core/config/Rules.h"
#include "core/text/Decimal.h"

namespace kvt::enip {

const char* roleName(AssemblyRole role) {
    switch (role) {
        case AssemblyRole::Input:
            return "input";
        case AssemblyRole::Output:
            return "output";
        case AssemblyRole::Configuration:
            return "configuration";
    }
    return "?";
}

std::array<AssemblySize, 9> assemblySizes(const CConfiguration& config) {
    std::array<AssemblySize, 9> out{};
    for (std::size_t i = 0; i < out.size(); ++i) {
        AssemblySize& a = out[i];
        a.instance = static_cast<std::uint16_t>(kAssemblyInstances[i]);
        a.role = i % 3 == 0   ? AssemblyRole::Input
                 : i % 3 == 1 ? AssemblyRole::Output
                              : AssemblyRole::Configuration;
        // The number the device image carries for the text.
        const std::uint32_t value = readLeadingDecimal(config.parameter.assemblySizes[i]).wrapped;
        a.configured = static_cast<std::uint16_t>(std::min<std::uint32_t>(value, 0xFFFF - 4));
        a.bytes = static_cast<std::uint16_t>(
            a.configured + (a.role == AssemblyRole::Input ? kInputHeaderBytes : 0));
    }
    return out;
}

std::optional<ConnectionSet> connectionSet(const std::array<AssemblySize, 9>& sizes,
                                           std::uint16_t consumed, std::uint16_t produced) {
    for (std::size_t set = 0; set < 3; ++set) {
        const AssemblySize& input = sizes[3 * set];
        const AssemblySize& output = sizes[3 * set + 1];
        if (input.instance == produced && (consumed == 0 || output.instance == consumed))
            return ConnectionSet{input, output, sizes[3 * set + 2]};
    }
    return std::nullopt;
}

}  // namespace kvt::enip

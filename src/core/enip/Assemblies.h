#pragma once
// What a configuration's nine assembly sizes mean on EtherNet/IP: the size each assembly
// instance has, and the connection sizes a scanner's Forward_Open carries for a connection set.
#include <array>
#include <cstdint>
#include <optional>

#include "core/config/Configuration.h"

namespace kvt::enip {

// The input assemblies (102, 112, 122) hold a header of this many bytes before the bytes the
// configuration sets (the editor's "+4(bytes)"); output and configuration assemblies hold
// exactly the configured bytes. One constant, so that a check against real hardware can move it.
inline constexpr std::uint16_t kInputHeaderBytes = 4;

// Class 1 connections: every packet starts with a 16-bit sequence count, and O->T data carries
// the 32-bit run/idle header.
inline constexpr std::uint16_t kSequenceCountBytes = 2;
inline constexpr std::uint16_t kRunIdleHeaderBytes = 4;

enum class AssemblyRole { Input, Output, Configuration };
const char* roleName(AssemblyRole role);  // "input", "output", "configuration"

struct AssemblySize {
    std::uint16_t instance = 0;
    AssemblyRole role = AssemblyRole::Input;
    std::uint16_t configured = 0;  // the configuration's number
    std::uint16_t bytes = 0;       // the assembly's size on the device
};

// The nine instances in the configuration's order (102, 101, 103, 112, ...), each with the
// number the device image carries for its text.
std::array<AssemblySize, 9> assemblySizes(const CConfiguration& config);

// The connection set (input, output, configuration instance) an O->T / T->O pair belongs to.
struct ConnectionSet {
    AssemblySize input;
    AssemblySize output;
    AssemblySize configuration;
    // The connection sizes of a class 1 Forward_Open for this set.
    std::uint16_t otConnectionSize() const {
        return static_cast<std::uint16_t>(output.bytes + kSequenceCountBytes + kRunIdleHeaderBytes);
    }
    std::uint16_t toConnectionSize() const {
        return static_cast<std::uint16_t>(input.bytes + kSequenceCountBytes);
    }
};
// The set whose output instance is `consumed` and input instance `produced`.
std::optional<ConnectionSet> connectionSet(const std::array<AssemblySize, 9>& sizes,
                                           std::uint16_t consumed, std::uint16_t produced);

}  // namespace kvt::enip

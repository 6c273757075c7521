#pragma once
// What a flow works on: the device it talks to (with the network options that reach it) and the
// configuration document it reads into, saves, opens or downloads. Whoever runs a flow owns
// both: the desktop tool its window's selection and editor, the CLI and fleet code their own.
#include <cstdint>
#include <memory>
#include <optional>

#include "core/config/Configuration.h"
#include "core/net/NetworkOptions.h"
#include "core/text/Gbk.h"

namespace kvt {

// Whether the flows may talk to a device found by a search. NoAddress: a gateway listed at
// 0.0.0.0 has no address yet; a connect to it would reach this PC.
enum class Selection { None, OtherProduct, NoAddress, Supported };
Selection selectionOf(const CEquipment& device);

// The device a flow talks to, as a search found it; no record when none is chosen (each flow
// ends with its own outcome for that).
struct FlowTarget {
    NetworkOptions network;
    std::optional<CEquipment> device;
};

// Where the current configuration came from. A download of a configuration read from the device
// proves the password typed for that read again; one made by New or opened from a file asks for
// the password.
enum class ConfigOrigin { New, Opened, ReadFromDevice };

struct ConfigDocument {
    std::unique_ptr<CConfiguration> config;
    ConfigKind configKind = kUserConfig;
    ConfigOrigin configOrigin = ConfigOrigin::New;
    // ReadFromDevice: the password the read was let in with (empty when none was asked for).
    Gbk readPassword;
    Gbk editorCaption;
    // The IP method the device at `address` held when it was last read: whether a download takes
    // a device off its static address, whatever configuration is downloaded. It outlives the
    // configuration it was read with.
    struct KnownIpMethod {
        Gbk address;
        std::int32_t method = 0;
    };
    std::optional<KnownIpMethod> knownIpMethod;
    // The method known for the device at `address`; nullopt when it was not read.
    std::optional<std::int32_t> ipMethodOf(const Gbk& address) const {
        if (knownIpMethod && knownIpMethod->address == address) return knownIpMethod->method;
        return std::nullopt;
    }

    // Replaces the current configuration with a freshly constructed one and returns it.
    CConfiguration& replaceConfiguration();
    CConfiguration& ensureConfiguration();
    void dropConfiguration() { config.reset(); }
    // New with the chooser's selection: fresh defaults of that kind, caption text 4189.
    void newFill(ConfigKind kind);
    // A configuration of `kind` read from a device with `password`, captioned as the read's
    // button.
    void takeRead(CConfiguration read, ConfigKind kind, Gbk password);
};

}  // namespace kvt

#pragma once
// Program-wide state of one run of the tool, passed to whoever needs it. It lives on the
// user-interface thread (or the CLI's main thread); the report listener keeps its own
// synchronised table and never touches this object.
#include <memory>
#include <optional>
#include <vector>

#include "core/config/Configuration.h"
#include "core/net/NetworkOptions.h"
#include "core/text/UiText.h"

namespace kvt {

// Where the current configuration came from. A download of a configuration read from the device
// proves the password typed for that read again; one made by New or opened from a file asks for
// the password.
enum class ConfigOrigin { New, Opened, ReadFromDevice };

struct Session {
    Lang lang = Lang::Zh;
    NetworkOptions network;

    // Device table: row i of the list is devices[i].
    std::vector<CEquipment> devices;
    // The row of the device the flows talk to, -1 for none. Set by a click on a selectable row,
    // cleared after every search.
    int selectedIndex = -1;

    // The configuration being edited, saved or downloaded, and what belongs to it.
    std::unique_ptr<CConfiguration> config;
    ConfigKind configKind = kUserConfig;
    ConfigOrigin configOrigin = ConfigOrigin::New;
    // ReadFromDevice: the password the read was let in with (empty when none was asked for).
    Gbk readPassword;
    // The IP method the device at `address` held when it was last read in this run: whether a
    // download takes a device off its static address, whatever configuration is downloaded.
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
    Gbk editorCaption;
    bool configChanged = false;  // edited in the editor since it opened

    // Replaces the current configuration with a freshly constructed one and returns it.
    CConfiguration& replaceConfiguration();
    CConfiguration& ensureConfiguration();
    void dropConfiguration() { config.reset(); }
    // New with the chooser's selection: fresh defaults of that kind, caption text 4189.
    void newFill(ConfigKind kind);

    const CEquipment* selectedDevice() const;
    // The selection rule of the device list (a click on row `row`, -1 for empty space).
    // NoAddress: a gateway listed at 0.0.0.0 has no address yet; a connect to it would reach
    // this PC, so it is never selected either.
    enum class Selection { None, OtherProduct, NoAddress, Supported };
    Selection selectRow(int row);
    // After every search: no selection, so that nothing acts on a row that the new table may
    // not hold.
    void clearSelection() { selectedIndex = -1; }
};

}  // namespace kvt

#pragma once
// Program-wide state of one run of the tool, passed to whoever needs it. It lives on the
// user-interface thread (or the CLI's main thread); the report listener keeps its own
// synchronised table and never touches this object.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/config/Configuration.h"
#include "core/text/UiText.h"

namespace kvt {

// Where discovery and the configuration exchanges go. The defaults are the product's; tests and
// demos point them at loopback addresses.
struct NetworkOptions {
    static constexpr const char* kLimitedBroadcast = "255.255.255.255";

    // Where the single query of a broadcast search goes when a target is chosen (below).
    std::string discoveryTarget = kLimitedBroadcast;
    // The user named the target (--broadcast): the search is the one query to it, even when it
    // is 255.255.255.255. A target other than that address counts as chosen by itself, so
    // whoever only sets discoveryTarget keeps the single query.
    bool discoveryTargetChosen = false;
    std::uint16_t discoveryPort = 18801;
    std::string localAddress = "0.0.0.0";  // bind address of the discovery socket
    std::uint16_t localPort = 10002;
    std::uint16_t devicePort = 18801;
    int connectTimeoutMs = 3000;
    // Which interfaces a broadcast search leaves by when no target is chosen: "all", or one
    // interface's name.
    std::string searchInterface = "all";
    // Receive buffer of the broadcast search's socket in bytes: room for the replies of a large
    // segment that all answer at once. 0 keeps the system's default (benchmarks compare).
    int searchReceiveBuffer = 4 * 1024 * 1024;

    // Whether a broadcast search is the single query to discoveryTarget rather than one query
    // out of each network interface.
    bool singleDiscoveryTarget() const {
        return discoveryTargetChosen || discoveryTarget != kLimitedBroadcast;
    }
};

struct Session {
    Lang lang = Lang::Zh;
    NetworkOptions network;

    // Device table: row i of the list is devices[i].
    std::vector<CEquipment> devices;
    int selectedIndex = -1;         // used by all flows of the main window
    int selectedIndexForSave = -1;  // Save's copy; -1 means "do not read the device first"
    int selectedIndexForLoad = -1;  // the save/download chooser's copy
    std::string currentDeviceAddress;
    bool saveFromPrompt = false;

    bool userPasswordNeeded = false;
    bool adminPasswordNeeded = false;
    Gbk lastPassword;
    std::array<std::uint8_t, 16> passwordReply{};

    std::unique_ptr<CConfiguration> config;
    int configKind = kUserConfig;
    Gbk configuredModel;
    Gbk editorCaption;
    bool configChanged = false;
    bool chooserResult = false;

    // Replaces the current configuration with a freshly constructed one and returns it.
    CConfiguration& replaceConfiguration();
    CConfiguration& ensureConfiguration();
    void dropConfiguration() { config.reset(); }
    // New with the chooser's selection: fresh defaults of that kind, caption text 4189.
    void newFill(int kind);

    const CEquipment* selectedDevice() const;
    // The selection rule of the device list (a click on row `row`, -1 for empty space).
    enum class Selection { None, OtherProduct, Supported };
    Selection selectRow(int row);
    // After every search: no selection, in all three copies, so that nothing acts on a row
    // that the new table may not hold.
    void clearSelection();
};

}  // namespace kvt

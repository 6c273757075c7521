#include "core/config/Configuration.h"

namespace kvt {

CConfiguration newConfiguration(ConfigKind kind) {
    CConfiguration config;
    config.productCode = kProductKvt275r;
    if (kind == kBackgroundConfig) config.ethernet.networkName = kDefaultNetworkName;
    config.ethernet.ipMethod = 1;
    config.ethernet.ipAddress = kDefaultAddresses.ipAddress;
    config.ethernet.subnetMask = kDefaultAddresses.subnetMask;
    config.ethernet.gateway = kDefaultAddresses.gateway;
    config.ethernet.dns1 = kDefaultAddresses.dns1;
    config.ethernet.dns2 = kDefaultAddresses.dns2;
    return config;
}

}  // namespace kvt

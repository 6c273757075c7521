#include "core/config/Configuration.h"

namespace kvt {

CConfiguration newConfiguration(ConfigKind kind) {
    CConfiguration config;
    config.productCode = kProductKvt275r;
    if (kind == kBackgroundConfig) config.ethernet.networkName = "Ethernet/IP";
    config.ethernet.ipMethod = 1;
    config.ethernet.ipAddress = "192.168.0.15";
    config.ethernet.subnetMask = "255.255.255.0";
    config.ethernet.gateway = "192.168.0.1";
    config.ethernet.dns1 = "0.0.0.0";
    config.ethernet.dns2 = "0.0.0.0";
    return config;
}

}  // namespace kvt

#include "core/fleet/WriteCheck.h"

#include "core/fleet/Passwords.h"
#include "core/flows/DeviceFlows.h"

namespace kvt {

WriteCheck checkWrittenConfiguration(const FlowTarget& target, const ConfigDocument& document,
                                     const Gbk& provedWrite, FlowUi& ui) {
    WriteCheck check;
    const std::optional<CEquipment>& device = target.device;
    if (!document.config || !device) {
        check.read = Outcome::NoConfiguration;
        return check;
    }
    const ConfigKind kind = document.configKind;
    const Gbk& written = passwordOf(*document.config, kind);
    // The device's password flag is from the search, before the write; the write may have set
    // or changed the password, or been ignored and left the old one.
    std::vector<Gbk> passwords;
    if (device->passwordSet(kind) || !written.empty())
        passwords = passwordsAfterWrite(written, provedWrite);
    ReadBackResult read = readBack(target, kind, passwords, ui);
    check.read = read.outcome;
    if (read.config) check.differences = diffConfigurations(*document.config, *read.config, kind);
    return check;
}

}  // namespace kvt

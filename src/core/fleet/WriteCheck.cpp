#include "core/fleet/WriteCheck.h"

#include "core/fleet/Passwords.h"
#include "core/flows/DeviceFlows.h"

namespace kvt {

WriteCheck checkWrittenConfiguration(const Session& session, const Gbk& provedWrite, FlowUi& ui) {
    WriteCheck check;
    const CEquipment* device = session.selectedDevice();
    if (!session.config || !device) {
        check.read = Outcome::NoConfiguration;
        return check;
    }
    const ConfigKind kind = session.configKind;
    const Gbk& written = passwordOf(*session.config, kind);
    // The device's password flag is from the search, before the write; the write may have set
    // or changed the password, or been ignored and left the old one.
    std::vector<Gbk> passwords;
    if (device->passwordSet(kind) || !written.empty())
        passwords = passwordsAfterWrite(written, provedWrite);
    ReadBackResult read = readBack(session, kind, passwords, ui);
    check.read = read.outcome;
    if (read.config) check.differences = diffConfigurations(*session.config, *read.config, kind);
    return check;
}

}  // namespace kvt

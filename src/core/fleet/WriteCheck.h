#pragma once
// The check after a download ("写入后校验"): the device's configuration of the same kind is
// read back and compared with what was written, field by field as the kind exchanges them.
#include <vector>

#include "core/fleet/Diff.h"
#include "core/flows/Document.h"
#include "core/flows/FlowUi.h"
#include "core/flows/Outcome.h"
#include "core/text/Gbk.h"

namespace kvt {

struct WriteCheck {
    // Done once the configuration was read back; else the read's failure (reported).
    Outcome read = Outcome::Done;
    // left: written, right: read back. Empty when the device holds what was written.
    std::vector<FieldDifference> differences;
};

// Reads back the target's configuration of the document's kind and compares it with the
// document's configuration, which it leaves as it is. `provedWrite` is the password that proved
// the write (empty when none was asked); the password the written configuration sets for the
// kind is presented first, since a stored write has made it the device's.
WriteCheck checkWrittenConfiguration(const FlowTarget& target, const ConfigDocument& document,
                                     const Gbk& provedWrite, FlowUi& ui);

}  // namespace kvt

#pragma once
// Which passwords of a kind are presented to a device, and in what order. A device that refuses
// one is offered the next on a fresh connection, so the order decides only how soon it is let in.
#include <optional>
#include <vector>

#include "core/config/Configuration.h"
#include "core/text/Gbk.h"

namespace kvt {

// Before a write: the passwords given (from the command line, a file, an inventory row), in
// their order, then `planned`, the password the wanted configuration sets for the kind: a device
// that took it on an earlier run lets it in again. An empty planned password (none set) and
// one already listed are left out.
std::vector<Gbk> passwordsBeforeWrite(std::vector<Gbk> given, const std::optional<Gbk>& planned);

// After a write, to read the device back: the password the written configuration sets, since a
// stored write made it the device's, then `proved`, the one that let the write in, for a device
// that ignored the write.
std::vector<Gbk> passwordsAfterWrite(const Gbk& written, const Gbk& proved);

}  // namespace kvt

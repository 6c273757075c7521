#include "core/fleet/Passwords.h"

#include <algorithm>

namespace kvt {

std::vector<Gbk> passwordsBeforeWrite(std::vector<Gbk> given, const std::optional<Gbk>& planned) {
    if (planned && !planned->empty() &&
        std::find(given.begin(), given.end(), *planned) == given.end())
        given.push_back(*planned);
    return given;
}

std::vector<Gbk> passwordsAfterWrite(const Gbk& written, const Gbk& proved) {
    std::vector<Gbk> passwords{written};
    if (proved != written) passwords.push_back(proved);
    return passwords;
}

}  // namespace kvt

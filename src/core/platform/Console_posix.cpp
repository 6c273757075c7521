#include "core/platform/Console.h"

namespace kvt::platform {

// A POSIX terminal takes bytes as they are; the locale's charset is the user's business.
void prepareConsole() {}

}  // namespace kvt::platform

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

#include "core/platform/Console.h"

namespace kvt::platform {

void prepareConsole() {
    // Our texts are UTF-8 (the programs' manifest makes them the process code page, too).
    ::SetConsoleOutputCP(CP_UTF8);
    ::SetConsoleCP(CP_UTF8);
    // The C runtime would turn every LF into CR LF (and CR LF read into LF).
    ::_setmode(::_fileno(stdin), _O_BINARY);
    ::_setmode(::_fileno(stdout), _O_BINARY);
    ::_setmode(::_fileno(stderr), _O_BINARY);
}

}  // namespace kvt::platform

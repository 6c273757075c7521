#pragma once
// Whole files as the program reads and writes them: read at once, replaced atomically and
// durably, so that a failed or interrupted save leaves the old file whole.
#include <cstddef>
#include <string>
#include <string_view>

namespace kvt::platform {

// A file that cannot be opened (missing, no permission, a folder) differs from one that opens
// but then fails to read (an I/O error, or more than the caller's limit).
enum class ReadStatus { Ok, CannotOpen, ReadError };
ReadStatus readWholeFile(const std::string& path, std::string& bytes, std::size_t maxBytes);

// Who may read and write a file that replaceFile() creates. A replaced file keeps its own.
enum class NewFileAccess {
    Default,    // as a plain save would make it (here 0666 under the umask)
    OwnerOnly,  // files that hold passwords: the owner alone, from the first byte on
};

// Writes `bytes` to a temporary file beside `path`, flushes it to the disk and puts it in
// place of `path` in one step (through a symbolic link, the file it points to). false with
// the file name and the system's message in `error`.
bool replaceFile(const std::string& path, std::string_view bytes, NewFileAccess access,
                 std::string* error);

}  // namespace kvt::platform

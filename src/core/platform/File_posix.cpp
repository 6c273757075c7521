#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <memory>

#include "core/platform/File.h"
#include "core/platform/SystemError.h"

namespace kvt::platform {

namespace {

// Every byte goes out, across partial writes and interrupted calls.
bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

}  // namespace

ReadStatus readWholeFile(const std::string& path, std::string& bytes, std::size_t maxBytes) {
    bytes.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return ReadStatus::CannotOpen;
    struct stat info {};
    // A folder is not a file that can be opened for reading.
    if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        ::close(fd);
        return ReadStatus::CannotOpen;
    }
    ReadStatus status = ReadStatus::Ok;
    char buffer[8192];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            status = ReadStatus::ReadError;
            break;
        }
        if (n == 0) break;
        if (bytes.size() + static_cast<std::size_t>(n) > maxBytes) {
            status = ReadStatus::ReadError;
            break;
        }
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    if (status != ReadStatus::Ok) bytes.clear();
    return status;
}

bool replaceFile(const std::string& path, std::string_view bytes, NewFileAccess access,
                 std::string* error) {
    auto fail = [&](int code) {
        if (error) *error = path + ": " + SystemError{code}.text();
        return false;
    };
    if (path.empty()) return fail(ENOENT);

    // Saving through a symbolic link replaces the file it points to, not the link.
    std::string target = path;
    struct stat linkInfo {};
    if (::lstat(path.c_str(), &linkInfo) == 0 && S_ISLNK(linkInfo.st_mode)) {
        std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr),
                                                             &std::free);
        if (resolved) target = resolved.get();
    }

    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : target.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);

    const mode_t mode = access == NewFileAccess::OwnerOnly ? 0600 : 0666;
    static std::atomic<unsigned> counter{0};
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = (slash == std::string::npos ? std::string() : folder) + "." + base + ".tmp-" +
               std::to_string(::getpid()) + "-" + std::to_string(counter++);
        // Under the umask, as a plain save would create it; never wider than asked for, not
        // even while the temporary file exists.
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd < 0 && errno != EEXIST) return fail(errno);
    }
    if (fd < 0) return fail(EEXIST);

    // A replaced file keeps its permissions.
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
        (void)::fchmod(fd, old.st_mode & 07777);
    }

    int code = 0;
    if (!writeAll(fd, bytes)) {
        code = errno;
    } else if (::fsync(fd) != 0) {
        code = errno;
    }
    if (::close(fd) != 0 && code == 0) code = errno;
    if (code == 0 && ::rename(temp.c_str(), target.c_str()) != 0) code = errno;
    if (code != 0) {
        ::unlink(temp.c_str());
        return fail(code);
    }
    // Make the rename itself durable.
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        (void)::fsync(dir);
        ::close(dir);
    }
    return true;
}

}  // namespace kvt::platform

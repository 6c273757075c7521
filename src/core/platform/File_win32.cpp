#include <windows.h>
// After windows.h, which these need.
#include <sddl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>

#include "core/platform/File.h"
#include "core/platform/SystemError.h"

namespace kvt::platform {

namespace {

// Our file names are UTF-8; Windows takes UTF-16 ones, so that any name (Chinese ones on any
// system code page) works.
std::wstring wide(const std::string& utf8) {
    if (utf8.empty()) return {};
    const int n =
        ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    return out;
}

struct HandleCloser {
    void operator()(HANDLE h) const { ::CloseHandle(h); }
};
using Handle = std::unique_ptr<void, HandleCloser>;

Handle adopt(HANDLE h) {
    return Handle(h == INVALID_HANDLE_VALUE ? nullptr : h);
}

// An access list with one entry: everything for the user this program runs as, nothing for
// anybody else, and nothing inherited from the folder. Null when it cannot be made.
struct LocalFreer {
    void operator()(void* p) const { ::LocalFree(p); }
};
std::unique_ptr<void, LocalFreer> ownerOnlyDescriptor() {
    HANDLE rawToken = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &rawToken)) return nullptr;
    const Handle token(rawToken);
    DWORD size = 0;
    ::GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
    auto buffer = std::make_unique<unsigned char[]>(size);
    if (!::GetTokenInformation(token.get(), TokenUser, buffer.get(), size, &size)) return nullptr;
    LPWSTR sid = nullptr;
    if (!::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.get())->User.Sid, &sid)) {
        return nullptr;
    }
    // P: protected, the folder's inheritable entries do not join in. FA: file all access.
    const std::wstring sddl = L"D:P(A;;FA;;;" + std::wstring(sid) + L")";
    ::LocalFree(sid);
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1,
                                                                &descriptor, nullptr)) {
        return nullptr;
    }
    return std::unique_ptr<void, LocalFreer>(descriptor);
}

bool writeAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr)) return false;
        bytes.remove_prefix(written);
    }
    return true;
}

// The absolute form of `path`, with backslashes: ReplaceFileW fails on a forward slash in the
// replaced file's name ("the directory name is invalid", seen under Wine) and on a name
// without its folder.
std::wstring absolutePath(const std::string& path) {
    const std::wstring given = wide(path);
    const DWORD size = ::GetFullPathNameW(given.c_str(), 0, nullptr, nullptr);
    if (size == 0) return given;
    std::wstring full(size, L'\0');
    const DWORD length = ::GetFullPathNameW(given.c_str(), size, full.data(), nullptr);
    if (length == 0 || length >= size) return given;
    full.resize(length);
    return full;
}

// Another program holds the file for a moment (a virus scanner, an editor reading it, the
// Explorer's preview): worth trying again.
bool heldByAnother(DWORD code) {
    return code == ERROR_SHARING_VIOLATION || code == ERROR_ACCESS_DENIED ||
           code == ERROR_LOCK_VIOLATION || code == ERROR_UNABLE_TO_REMOVE_REPLACED;
}

// Puts `temp` in place of `target`. ReplaceFileW keeps the replaced file's access list and
// attributes; a new target is simply moved in place.
DWORD putInPlace(const std::wstring& temp, const std::wstring& target) {
    // Asked first whether another program holds the file: Wine's ReplaceFileW leaves a stray
    // backup copy in the folder each time it meets a held file; on Windows it saves a call.
    if (!adopt(::CreateFileW(target.c_str(), DELETE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) &&
        ::GetLastError() == ERROR_SHARING_VIOLATION) {
        return ERROR_SHARING_VIOLATION;
    }
    if (::ReplaceFileW(target.c_str(), temp.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                       nullptr, nullptr)) {
        return ERROR_SUCCESS;
    }
    const DWORD code = ::GetLastError();
    // No file to replace yet, or the old one is gone already and the new one still waits
    // under its temporary name.
    if (code == ERROR_FILE_NOT_FOUND || code == ERROR_UNABLE_TO_MOVE_REPLACEMENT ||
        code == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
        if (::MoveFileExW(temp.c_str(), target.c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return ERROR_SUCCESS;
        }
        return ::GetLastError();
    }
    return code;
}

}  // namespace

ReadStatus readWholeFile(const std::string& path, std::string& bytes, std::size_t maxBytes) {
    bytes.clear();
    // Readers let others read, write and replace the file meanwhile, as on Linux. A folder
    // does not open without FILE_FLAG_BACKUP_SEMANTICS.
    const Handle file = adopt(::CreateFileW(
        wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return ReadStatus::CannotOpen;
    char buffer[8192];
    for (;;) {
        DWORD n = 0;
        if (!::ReadFile(file.get(), buffer, sizeof buffer, &n, nullptr)) {
            bytes.clear();
            return ReadStatus::ReadError;
        }
        if (n == 0) return ReadStatus::Ok;
        if (bytes.size() + n > maxBytes) {
            bytes.clear();
            return ReadStatus::ReadError;
        }
        bytes.append(buffer, n);
    }
}

bool replaceFile(const std::string& path, std::string_view bytes, NewFileAccess access,
                 std::string* error) {
    auto fail = [&](DWORD code) {
        if (error) *error = path + ": " + SystemError{static_cast<int>(code)}.text();
        return false;
    };
    if (path.empty()) return fail(ERROR_FILE_NOT_FOUND);

    // Unlike on Linux a symbolic link is replaced itself: links are rare on Windows and
    // need rights that users seldom have.
    const std::wstring target = absolutePath(path);
    const std::size_t slash = target.find_last_of(L"/\\");
    const std::wstring folder =
        slash == std::wstring::npos ? std::wstring() : target.substr(0, slash + 1);
    const std::wstring base = slash == std::wstring::npos ? target : target.substr(slash + 1);

    SECURITY_ATTRIBUTES security{sizeof(SECURITY_ATTRIBUTES), nullptr, FALSE};
    std::unique_ptr<void, LocalFreer> descriptor;
    if (access == NewFileAccess::OwnerOnly) {
        // Never wider than asked for, not even while the temporary file exists.
        descriptor = ownerOnlyDescriptor();
        if (!descriptor) return fail(::GetLastError());
        security.lpSecurityDescriptor = descriptor.get();
    }

    static std::atomic<unsigned> counter{0};
    std::wstring temp;
    Handle file;
    for (int attempt = 0; attempt < 100 && !file; ++attempt) {
        temp = folder + L"." + base + L".tmp-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
               std::to_wstring(counter++);
        // Exclusive: nobody else opens it until it is in place.
        file = adopt(::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, &security, CREATE_NEW,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file && ::GetLastError() != ERROR_FILE_EXISTS) return fail(::GetLastError());
    }
    if (!file) return fail(ERROR_FILE_EXISTS);

    DWORD code = ERROR_SUCCESS;
    if (!writeAll(file.get(), bytes) || !::FlushFileBuffers(file.get())) code = ::GetLastError();
    file.reset();
    if (code == ERROR_SUCCESS) {
        // A short, bounded wait for another program to let go of the old file, which stays
        // whole meanwhile; after that the save fails with the system's reason.
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while ((code = putInPlace(temp, target)) != ERROR_SUCCESS && heldByAnother(code) &&
               std::chrono::steady_clock::now() < giveUp) {
            ::Sleep(50);
        }
    }
    if (code != ERROR_SUCCESS) {
        ::DeleteFileW(temp.c_str());
        return fail(code);
    }
    return true;
}

}  // namespace kvt::platform

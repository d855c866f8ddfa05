// AtomicFile on Windows: UTF-8 paths go to the wide API. A save writes a new file beside the old
// one, flushes it, then puts it in place: ReplaceFileW over an existing file (keeping its
// attributes and security), MoveFileExW where there is none. Symbolic links and hard links are
// not followed as on Linux: the name given is the file that changes.
#ifdef _WIN32

#include "support/AtomicFile.h"
#include "support/FileSystem.h"

#include <windows.h>

#include <algorithm>
#include <string>

namespace {

using FileSystem::toWide;

// Temporary names tried before giving up (each try fails only when the name is taken).
constexpr int kTemporaryNameAttempts = 100;
constexpr DWORD kWriteChunkBytes = 1u << 20;
constexpr DWORD kReadChunkBytes = 64 * 1024;
// The attributes a saved file keeps (read-only ones are refused before).
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
// Opening to read or to probe shares everything, so it never stands in another program's way.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// A short reason for the common failures, in the words the Linux build uses; the system's text
// for the others.
std::string reasonOf(DWORD error)
{
    switch (error) {
    case ERROR_ACCESS_DENIED: return "Permission denied";
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return "No such file or directory";
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return "No space left on device";
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
    case ERROR_UNABLE_TO_REMOVE_REPLACED:
        return "another program has the file open; close it there and save again";
    default: break;
    }
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
        0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string reason = length > 0 ? FileSystem::fromWide(std::wstring(text, length)) : std::string();
    ::LocalFree(text);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == '.'))
        reason.pop_back();
    return reason.empty() ? "Windows error " + std::to_string(error) : reason;
}

[[noreturn]] void fail(const std::string& what, const std::string& path, DWORD error,
                       FileAccessError::Step step = FileAccessError::Step::Create)
{
    throw FileAccessError(what + " \"" + path + "\": " + reasonOf(error), step);
}

// Closes a handle when the scope ends, whatever way it ends.
class Handle {
public:
    explicit Handle(HANDLE handle) : m_handle(handle) {}
    ~Handle()
    {
        if (valid())
            ::CloseHandle(m_handle);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    bool valid() const { return m_handle != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return m_handle; }
    // Closes now; false when closing reports an error.
    bool close()
    {
        const bool ok = ::CloseHandle(m_handle) != 0;
        m_handle = INVALID_HANDLE_VALUE;
        return ok;
    }

private:
    HANDLE m_handle;
};

// The folder part of a path, with its separator ("" for a bare name).
std::string folderOf(const std::string& path)
{
    const std::size_t separator = path.find_last_of("/\\:");
    return separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
}

// Creates a new, empty file beside `path`, named after it; returns its handle and name, or an
// invalid handle with the error left for GetLastError().
HANDLE createTemporary(const std::string& path, const char* suffix, std::string& temporaryName)
{
    const std::string folder = folderOf(path);
    const std::string stem = folder + "." + path.substr(folder.size()) + "." +
                             std::to_string(::GetCurrentProcessId()) + ".";
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
        temporaryName = stem + std::to_string(attempt) + suffix;
        const HANDLE handle = ::CreateFileW(toWide(temporaryName).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                            FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE || (::GetLastError() != ERROR_FILE_EXISTS &&
                                               ::GetLastError() != ERROR_ALREADY_EXISTS))
            return handle;
    }
    ::SetLastError(ERROR_FILE_EXISTS);
    return INVALID_HANDLE_VALUE;
}

bool writeAll(HANDLE handle, std::string_view bytes)
{
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), kWriteChunkBytes));
        DWORD written = 0;
        if (!::WriteFile(handle, bytes.data(), chunk, &written, nullptr))
            return false;
        bytes.remove_prefix(written);
    }
    return true;
}

void removeFile(const std::string& name)
{
    ::DeleteFileW(toWide(name).c_str());
}

// The existing file that `path` names, with the letter case of its name on disk, so that a save
// through a path in other letter case does not rename the file.
std::string nameOnDisk(const std::string& path)
{
    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileExW(toWide(path).c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                                             nullptr, 0);
    if (search == INVALID_HANDLE_VALUE)
        return path;
    ::FindClose(search);
    return folderOf(path) + FileSystem::fromWide(found.cFileName);
}

// Puts the flushed new file in place of the existing `target` (which `path` names). ReplaceFileW
// keeps the old file's security; the old attributes are given to the new file first. The old file
// moves to a backup name first, so whichever step fails, the old contents are at one of the two
// names.
void replaceExisting(const std::string& temporaryName, const std::string& target, DWORD attributes,
                     const std::string& path)
{
    const DWORD kept = attributes & kKeptAttributes;
    ::SetFileAttributesW(toWide(temporaryName).c_str(), kept != 0 ? kept : FILE_ATTRIBUTE_NORMAL);
    std::string backupName;
    Handle reserved(createTemporary(target, ".bak", backupName));
    if (!reserved.valid()) {
        const DWORD error = ::GetLastError();
        removeFile(temporaryName);
        fail("Cannot keep a copy of the old contents of", path, error);
    }
    reserved.close();
    if (::ReplaceFileW(toWide(target).c_str(), toWide(temporaryName).c_str(), toWide(backupName).c_str(),
                       REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
        removeFile(backupName);
        return;
    }
    const DWORD error = ::GetLastError();
    removeFile(temporaryName);
    if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
        // The old file is at the backup name and none at the path: it goes back.
        if (!::MoveFileExW(toWide(backupName).c_str(), toWide(target).c_str(), MOVEFILE_WRITE_THROUGH))
            throw FileAccessError("Cannot replace \"" + path + "\": " + reasonOf(error) +
                                  "; its old contents are kept in \"" + backupName + "\"");
    } else {
        removeFile(backupName);
    }
    fail("Cannot replace", path, error);
}

}  // namespace

namespace AtomicFile {

ReadResult readWhole(const std::string& path, std::string& bytes, std::uint64_t maxBytes)
{
    bytes.clear();
    Handle file(::CreateFileW(toWide(path).c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? ReadResult::Missing
                                                                               : ReadResult::Failed;
    }
    // A folder does not open this way; a device or a pipe is refused here.
    LARGE_INTEGER size{};
    if (::GetFileType(file.get()) != FILE_TYPE_DISK || !::GetFileSizeEx(file.get(), &size))
        return ReadResult::Failed;
    if (static_cast<std::uint64_t>(size.QuadPart) > maxBytes)
        return ReadResult::TooLarge;
    bytes.reserve(static_cast<std::size_t>(size.QuadPart));
    char chunk[kReadChunkBytes];
    for (;;) {
        DWORD got = 0;
        const bool ok = ::ReadFile(file.get(), chunk, sizeof chunk, &got, nullptr);
        if (ok && got == 0)
            break;
        const bool tooLarge = ok && bytes.size() + got > maxBytes;
        if (!ok || tooLarge) {
            bytes.clear();
            bytes.shrink_to_fit();
            return tooLarge ? ReadResult::TooLarge : ReadResult::Failed;
        }
        bytes.append(chunk, got);
    }
    return ReadResult::Ok;
}

void write(const std::string& path, std::string_view bytes, const std::function<void()>& beforeReplace)
{
    const DWORD attributes = ::GetFileAttributesW(toWide(path).c_str());
    const bool existing = attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    const std::string target = existing ? nameOnDisk(path) : path;
    const std::wstring widePath = toWide(target);
    if (existing) {
        // Refused as on Linux: a read-only file, or one that this user or another program's open
        // handle does not let us write.
        if (attributes & FILE_ATTRIBUTE_READONLY)
            fail("Cannot open for writing", path, ERROR_ACCESS_DENIED);
        Handle probe(::CreateFileW(widePath.c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!probe.valid())
            fail("Cannot open for writing", path, ::GetLastError());
    }

    std::string temporaryName;
    Handle file(createTemporary(target, ".tmp", temporaryName));
    if (!file.valid())
        fail("Cannot create a temporary file for", path, ::GetLastError());
    bool ok = writeAll(file.get(), bytes) && ::FlushFileBuffers(file.get());
    DWORD error = ok ? 0 : ::GetLastError();
    if (!file.close() && ok) {
        ok = false;
        error = ::GetLastError();
    }
    if (!ok) {
        removeFile(temporaryName);
        fail("Cannot write", path, error, FileAccessError::Step::Write);
    }
    try {
        if (beforeReplace)
            beforeReplace();
    } catch (...) {
        removeFile(temporaryName);
        throw;
    }
    if (existing) {
        replaceExisting(temporaryName, target, attributes, path);
        return;
    }
    if (!::MoveFileExW(toWide(temporaryName).c_str(), widePath.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        error = ::GetLastError();
        removeFile(temporaryName);
        fail("Cannot replace", path, error);
    }
}

}  // namespace AtomicFile

#endif

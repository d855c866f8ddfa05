#include "support/FileSystem.h"

#include <algorithm>
#include <climits>
#include <system_error>

#include <sys/stat.h>
#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>
#endif

namespace fs = std::filesystem;

namespace FileSystem {

#ifdef _WIN32

std::wstring toWide(const std::string& utf8)
{
    if (utf8.empty() || utf8.size() > INT_MAX)
        return {};
    const int size = static_cast<int>(utf8.size());
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), length);
    return wide;
}

std::string fromWide(const std::wstring& wide)
{
    if (wide.empty() || wide.size() > INT_MAX)
        return {};
    const int size = static_cast<int>(wide.size());
    const int length = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), length, nullptr, nullptr);
    return utf8;
}

fs::path toPath(const std::string& utf8)
{
    return fs::path(toWide(utf8));
}

std::string toUtf8(const fs::path& path)
{
    return fromWide(path.native());
}

std::FILE* openFile(const std::string& path, const char* mode)
{
    return ::_wfopen(toWide(path).c_str(), toWide(mode).c_str());
}

bool fileSize(std::FILE* file, std::uint64_t& size)
{
    struct _stat64 info {};
    if (::_fstat64(::_fileno(file), &info) != 0)
        return false;
    size = static_cast<std::uint64_t>(info.st_size);
    return true;
}

bool seek(std::FILE* file, std::uint64_t position)
{
    return position <= std::uint64_t(INT64_MAX) && ::_fseeki64(file, static_cast<__int64>(position), SEEK_SET) == 0;
}

std::uint64_t tell(std::FILE* file)
{
    const __int64 position = ::_ftelli64(file);
    return position < 0 ? 0 : static_cast<std::uint64_t>(position);
}

std::vector<std::string> folderEntries(const std::string& folder)
{
    std::vector<std::string> names;
    if (folder.empty())
        return names;
    std::string pattern = folder;
    if (pattern.back() != '/' && pattern.back() != '\\')
        pattern += '\\';
    WIN32_FIND_DATAW entry{};
    HANDLE search = ::FindFirstFileExW(toWide(pattern + "*").c_str(), FindExInfoBasic, &entry,
                                       FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::wstring name = entry.cFileName;
        if (name != L"." && name != L"..")
            names.push_back(fromWide(name));
    } while (::FindNextFileW(search, &entry));
    ::FindClose(search);
    return names;
}

std::vector<std::string> programArguments(int, char**)
{
    std::vector<std::string> arguments;
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    for (int i = 1; wide && i < count; ++i)
        arguments.push_back(fromWide(wide[i]));
    ::LocalFree(wide);
    return arguments;
}

#else

fs::path toPath(const std::string& utf8)
{
    return fs::path(utf8);
}

std::string toUtf8(const fs::path& path)
{
    return path.string();
}

std::FILE* openFile(const std::string& path, const char* mode)
{
    return std::fopen(path.c_str(), mode);
}

bool fileSize(std::FILE* file, std::uint64_t& size)
{
    struct stat info {};
    if (::fstat(::fileno(file), &info) != 0)
        return false;
    size = static_cast<std::uint64_t>(info.st_size);
    return true;
}

bool seek(std::FILE* file, std::uint64_t position)
{
    return position <= std::uint64_t(INT64_MAX) && ::fseeko(file, static_cast<off_t>(position), SEEK_SET) == 0;
}

std::uint64_t tell(std::FILE* file)
{
    const off_t position = ::ftello(file);
    return position < 0 ? 0 : static_cast<std::uint64_t>(position);
}

std::vector<std::string> folderEntries(const std::string& folder)
{
    std::vector<std::string> names;
    std::error_code ec;
    fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec))
        names.push_back(it->path().filename().string());
    return names;
}

std::vector<std::string> programArguments(int argc, char** argv)
{
    return std::vector<std::string>(argv + std::min(argc, 1), argv + argc);
}

#endif

bool removeIfPresent(const std::string& path)
{
    std::error_code ec;
    const fs::path native = toPath(path);
    return !fs::exists(fs::symlink_status(native, ec)) || fs::remove(native, ec);
}

bool copyModifiedTime(const std::string& from, const std::string& to)
{
    std::error_code ec;
    const fs::file_time_type modified = fs::last_write_time(toPath(from), ec);
    if (!ec)
        fs::last_write_time(toPath(to), modified, ec);
    return !ec;
}

}  // namespace FileSystem

#pragma once
// Paths are UTF-8 text everywhere in the editor. Every call that hands one to the system goes
// through here or AtomicFile: on Windows a path becomes UTF-16 for the wide API (a narrow call
// would read it in the system's code page and garble any non-ASCII name); elsewhere it passes as
// it is.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace FileSystem {

// The std::filesystem form of a UTF-8 path, and the UTF-8 text of a std::filesystem path.
std::filesystem::path toPath(const std::string& utf8);
std::string toUtf8(const std::filesystem::path& path);

#ifdef _WIN32
// UTF-16 for the wide API and back; invalid UTF-8 becomes U+FFFD.
std::wstring toWide(const std::string& utf8);
std::string fromWide(const std::wstring& wide);
#endif

// std::fopen of a UTF-8 path; nullptr with errno set when it fails.
std::FILE* openFile(const std::string& path, const char* mode);
// Size of an open file; false when the system cannot tell.
bool fileSize(std::FILE* file, std::uint64_t& size);
// Byte position of an open file, past 2 GiB too; tell() gives 0 when it is unknown.
bool seek(std::FILE* file, std::uint64_t position);
std::uint64_t tell(std::FILE* file);

// Names of the entries of a folder, without "." and "..", in the order the system lists them;
// empty when the folder cannot be read (or is named by "").
std::vector<std::string> folderEntries(const std::string& folder);

// Removes the file or link at `path` (a folder only when empty); false only when something is
// there and stays.
bool removeIfPresent(const std::string& path);

// Gives `to` the modification time of `from`; false when either step fails.
bool copyModifiedTime(const std::string& from, const std::string& to);

// The program's arguments after its name, as UTF-8: on Windows read from the wide command line,
// since `argv` holds them in the system's code page.
std::vector<std::string> programArguments(int argc, char** argv);

}  // namespace FileSystem

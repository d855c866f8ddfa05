#pragma once
// The recent pages list: the last pages opened, newest first, kept in the configuration file.

#include "support/ProfileFile.h"

#include <string>
#include <vector>

namespace RecentPages {

constexpr const char* kSection = "RECENT";
constexpr std::size_t kMaxPages = 8;

// The list as stored: keys 1 .. kMaxPages of the section, empty values and repeats skipped.
std::vector<std::string> read(const ProfileFile& profile);
// `path` moved (or added) to the front; at most kMaxPages entries.
std::vector<std::string> withPage(std::vector<std::string> pages, const std::string& path);
// `pages` without `path`.
std::vector<std::string> withoutPage(std::vector<std::string> pages, const std::string& path);
// Stores the list in the configuration file `iniPath`, clearing the keys it no longer uses.
// Throws what ProfileFile::writeString throws.
void write(const std::string& iniPath, const std::vector<std::string>& pages);

} // namespace RecentPages

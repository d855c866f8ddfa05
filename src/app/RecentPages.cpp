#include "app/RecentPages.h"

#include "support/ConfigRules.h"

#include <algorithm>

namespace RecentPages {

namespace {

std::string keyOf(std::size_t position)
{
    return std::to_string(position + 1);
}

} // namespace

std::vector<std::string> read(const ProfileFile& profile)
{
    std::vector<std::string> pages;
    for (std::size_t i = 0; i < kMaxPages; ++i) {
        std::string path = profile.readString(kSection, keyOf(i));
        if (!path.empty() && std::find(pages.begin(), pages.end(), path) == pages.end())
            pages.push_back(std::move(path));
    }
    return pages;
}

std::vector<std::string> withPage(std::vector<std::string> pages, const std::string& path)
{
    pages = withoutPage(std::move(pages), path);
    pages.insert(pages.begin(), path);
    if (pages.size() > kMaxPages)
        pages.resize(kMaxPages);
    return pages;
}

std::vector<std::string> withoutPage(std::vector<std::string> pages, const std::string& path)
{
    pages.erase(std::remove(pages.begin(), pages.end(), path), pages.end());
    return pages;
}

void write(const std::string& iniPath, const std::vector<std::string>& pages)
{
    ProfileFile profile(iniPath, Config::kMaxConfigBytes);
    for (std::size_t i = 0; i < kMaxPages; ++i) {
        const std::string value = i < pages.size() ? pages[i] : std::string();
        // Untouched keys stay untouched: a list that did not change writes nothing.
        if (profile.readString(kSection, keyOf(i)) != value)
            profile.writeString(kSection, keyOf(i), value);
    }
}

} // namespace RecentPages

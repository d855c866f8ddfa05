#include "support/ConfigRules.h"

#include "support/GamePath.h"
#include "support/TextUtil.h"

#include <charconv>
#include <cmath>

namespace Config {

namespace {

constexpr std::string_view kConfigExtension = ".INI";
constexpr std::string_view kUiFolderMark = "/UI/";
constexpr std::string_view kDefaultFolderName = "Default/";
constexpr std::string_view kSchemeEnd = "://";

}  // namespace

std::string ConfigPathForExecutable(const std::string& executablePath)
{
    return executablePath + std::string(kConfigExtension);
}

std::string ExecutableFolderOf(const std::string& executablePath)
{
    const std::size_t separator = executablePath.rfind('/');
    return separator == std::string::npos ? std::string() : executablePath.substr(0, separator + 1);
}

std::string DefaultFolderOf(const std::string& baseFolder)
{
    const std::string base = GamePath::toSlashes(baseFolder);
    const std::size_t mark = FindNoCase(base, kUiFolderMark);
    if (mark == std::string::npos)
        return base;
    return base.substr(0, mark + kUiFolderMark.size()) + std::string(kDefaultFolderName);
}

double ParseMapGamma(std::string_view text)
{
    const std::string trimmed = TrimBlanks(text);
    std::string_view number = trimmed;
    if (!number.empty() && number.front() == '+')
        number.remove_prefix(1);
    double value = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (number.empty() || error != std::errc() || end != number.data() + number.size() || !std::isfinite(value))
        return kDefaultMapGamma;
    return value;
}

std::string UrlHost(std::string_view url)
{
    const std::size_t schemeEnd = url.find(kSchemeEnd);
    if (schemeEnd != std::string_view::npos)
        url.remove_prefix(schemeEnd + kSchemeEnd.size());
    std::string_view authority = url.substr(0, url.find_first_of("/?#"));
    const std::size_t userEnd = authority.rfind('@');
    if (userEnd != std::string_view::npos)
        authority.remove_prefix(userEnd + 1);
    if (!authority.empty() && authority.front() == '[') {
        const std::size_t close = authority.find(']');
        return std::string(close == std::string_view::npos ? authority : authority.substr(0, close + 1));
    }
    return std::string(authority.substr(0, authority.find(':')));
}

}  // namespace Config

#include "support/GamePath.h"

#include "support/FileSystem.h"
#include "support/TextUtil.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <system_error>

namespace fs = std::filesystem;

namespace {

bool existsExactly(const std::string& path)
{
    std::error_code ec;
    return fs::exists(fs::symlink_status(FileSystem::toPath(path), ec));
}

// The entry of `folder` whose name equals `component` without regard to case. Several candidates
// (possible on Linux) are resolved to the smallest name, so the choice does not depend on the
// order in which the directory happens to list them.
std::optional<std::string> findEntryNoCase(const std::string& folder, const std::string& component)
{
    std::optional<std::string> best;
    for (std::string& name : FileSystem::folderEntries(folder.empty() ? "." : folder)) {
        if (EqualsNoCase(name, component) && (!best || name < *best))
            best = std::move(name);
    }
    return best;
}

}  // namespace

namespace GamePath {

std::string resolve(const std::string& base, const std::string& relative)
{
    const std::string wanted = toSlashes(base + relative);
    if (wanted.empty() || existsExactly(wanted))
        return wanted;

    std::string resolved = wanted.front() == '/' ? "/" : "";
    std::size_t pos = resolved.size();
    while (pos < wanted.size()) {
        std::size_t end = wanted.find('/', pos);
        const bool last = end == std::string::npos;
        if (last)
            end = wanted.size();
        const std::string component = wanted.substr(pos, end - pos);
        if (!component.empty()) {
            std::string candidate = resolved + component;
            if (!existsExactly(candidate)) {
                const std::optional<std::string> match = findEntryNoCase(resolved, component);
                if (!match)
                    return wanted;
                candidate = resolved + *match;
            }
            resolved = std::move(candidate);
            if (!last)
                resolved += '/';
        }
        pos = end + 1;
    }
    return resolved;
}

bool fileExists(const std::string& path)
{
    std::error_code ec;
    return !path.empty() && fs::is_regular_file(FileSystem::toPath(path), ec);
}

bool folderExists(const std::string& path)
{
    std::error_code ec;
    return !path.empty() && fs::is_directory(FileSystem::toPath(path), ec);
}

std::string toSlashes(std::string path)
{
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

std::string shown(std::string path)
{
#ifdef _WIN32
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
#else
    return toSlashes(std::move(path));
#endif
}

std::string fileName(const std::string& path)
{
    const std::size_t separator = path.find_last_of("/\\");
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

std::string changeExtension(const std::string& path, const std::string& extension)
{
    const std::size_t nameStart = path.size() - fileName(path).size();
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || dot < nameStart)
        return path + extension;
    return path.substr(0, dot) + extension;
}

}  // namespace GamePath

#include "app/Configuration.h"

#include "support/GamePath.h"
#include "support/ProfileFile.h"

#include <algorithm>
#include <cstdio>

namespace {

bool listsKey(const ProfileFile& profile, std::string_view section, std::string_view key)
{
    const std::vector<std::string> keys = profile.sectionKeys(section);
    return std::any_of(keys.begin(), keys.end(), [key](const std::string& name) { return EqualsNoCase(name, key); });
}

void readConfigurationFile(EditorState& state, const std::string& iniPath)
{
    if (!GamePath::fileExists(iniPath))
        return;
    const ProfileFile profile = ConfigurationProfile(iniPath);
    if (!profile.loaded())
        return;

    state.MapGamma = Config::ParseMapGamma(profile.readString(Config::kConfigSection, Config::kMapGammaKey));
    if (listsKey(profile, Config::kConfigSection, Config::kPathKey))
        state.BaseFolder = GamePath::toSlashes(profile.readString(Config::kConfigSection, Config::kPathKey));
    for (const std::string& line : profile.sectionLines(Config::kMapZoneSection)) {
        const SplitText parts = SplitAt(line, '=');
        AppendZoneRect(state.ZoneRectTable, TrimBlanks(parts.head), TrimBlanks(parts.rest));
    }
}

// The configuration keeps, per page file, whether its Location is the icon's top-left corner.
const char* const kAnchorSection = "ANCHOR";
const char* const kTopLeft = "1";
const char* const kPoint = "0";
constexpr int kEscapeBuffer = 4;

// A page file's key in the anchor section. A key cannot hold "=" or a line break, nor begin with
// ";" or "[", and loses blanks at its ends: such characters are written as %XX, and "%" too, so
// every path has one key.
std::string anchorKey(const std::string& path)
{
    std::string key;
    for (size_t i = 0; i < path.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(path[i]);
        const bool atEdge = i == 0 || i + 1 == path.size();
        const bool escaped = c == '%' || c == '=' || c == '\r' || c == '\n' || (atEdge && c <= ' ')
            || (i == 0 && (c == ';' || c == '['));
        if (!escaped) {
            key += static_cast<char>(c);
            continue;
        }
        char code[kEscapeBuffer];
        std::snprintf(code, sizeof code, "%%%02X", c);
        key += code;
    }
    return key;
}

}  // namespace

ProfileFile ConfigurationProfile(const std::string& iniPath)
{
    return ProfileFile(iniPath, Config::kMaxConfigBytes);
}

void ReadConfiguration(EditorState& state, const std::string& iniPath)
{
    // A configuration problem must never stop the editor from starting; what was read stays.
    try {
        readConfigurationFile(state, iniPath);
    } catch (const std::exception&) {
    }
}

void ConfigureFolders(EditorState& state, const std::string& executablePath, const std::string& iniPath)
{
    state.BaseFolder = Config::ExecutableFolderOf(executablePath);
    ReadConfiguration(state, iniPath);
    state.DefaultFolder = Config::DefaultFolderOf(state.BaseFolder);
}

PoiAnchor ChosenPageAnchor(const std::string& iniPath, const std::string& pageFile)
{
    const ProfileFile profile = ConfigurationProfile(iniPath);
    return profile.readString(kAnchorSection, anchorKey(pageFile)) == kTopLeft ? PoiAnchor::Centre
                                                                               : PoiAnchor::Location;
}

void KeepPageAnchor(const std::string& iniPath, const std::string& pageFile, PoiAnchor anchor)
{
    const std::string value = anchor == PoiAnchor::Centre ? kTopLeft : kPoint;
    ProfileFile profile = ConfigurationProfile(iniPath);
    const std::string key = anchorKey(pageFile);
    // Unchanged entries are not written: a Save As of a page under the usual rule adds none.
    if (profile.readString(kAnchorSection, key, kPoint) != value)
        profile.writeString(kAnchorSection, key, value);
}

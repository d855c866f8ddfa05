#include "app/Configuration.h"

#include "support/GamePath.h"
#include "support/ProfileFile.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace {

// Per map, what Align Map and Choose Map Image keep between sittings.
const char* const kControlPointsSection = "ALIGNMAP";
const char* const kMapImageSection = "MAPIMAGE";

std::string entryKey(const std::string& name);

// The name an entry key stands for: each %XX back to its character.
std::string unescapeEntryKey(const std::string& key)
{
    constexpr int kHexBase = 16;
    std::string name;
    for (size_t i = 0; i < key.size(); ++i) {
        if (key[i] == '%' && i + 2 < key.size() && std::isxdigit(static_cast<unsigned char>(key[i + 1]))
            && std::isxdigit(static_cast<unsigned char>(key[i + 2]))) {
            name += static_cast<char>(std::stoi(key.substr(i + 1, 2), nullptr, kHexBase));
            i += 2;
        } else {
            name += key[i];
        }
    }
    return name;
}

void readChosenMapImages(EditorState& state, const ProfileFile& profile)
{
    for (const std::string& key : profile.sectionKeys(kMapImageSection)) {
        const std::string path = profile.readString(kMapImageSection, key);
        if (!path.empty())
            AppendZoneRect(state.ChosenMapImages, unescapeEntryKey(key), path);
    }
}

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
    readChosenMapImages(state, profile);
}

// The configuration keeps, per page file, whether its Location is the icon's top-left corner.
const char* const kAnchorSection = "ANCHOR";
const char* const kTopLeft = "1";
const char* const kPoint = "0";
constexpr int kEscapeBuffer = 4;

// A page file's or map's key in its section. A key cannot hold "=" or a line break, nor begin with
// ";" or "[", and loses blanks at its ends: such characters are written as %XX, and "%" too, so
// every path has one key.
std::string entryKey(const std::string& path)
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
    return profile.readString(kAnchorSection, entryKey(pageFile)) == kTopLeft ? PoiAnchor::Centre
                                                                               : PoiAnchor::Location;
}

void KeepPageAnchor(const std::string& iniPath, const std::string& pageFile, PoiAnchor anchor)
{
    const std::string value = anchor == PoiAnchor::Centre ? kTopLeft : kPoint;
    ProfileFile profile = ConfigurationProfile(iniPath);
    const std::string key = entryKey(pageFile);
    // Unchanged entries are not written: a Save As of a page under the usual rule adds none.
    if (profile.readString(kAnchorSection, key, kPoint) != value)
        profile.writeString(kAnchorSection, key, value);
}

std::vector<ControlPoint> KeptControlPoints(const std::string& iniPath, const std::string& mapName)
{
    return ParseControlPoints(ConfigurationProfile(iniPath).readString(kControlPointsSection, entryKey(mapName)));
}

void KeepControlPoints(const std::string& iniPath, const std::string& mapName, const std::vector<ControlPoint>& points)
{
    ProfileFile profile = ConfigurationProfile(iniPath);
    if (points.empty())
        profile.deleteKey(kControlPointsSection, entryKey(mapName));
    else
        profile.writeString(kControlPointsSection, entryKey(mapName), ControlPointsText(points));
}

void KeepChosenMapImage(EditorState& state, const std::string& iniPath, const std::string& mapName,
                        const std::string& imagePath)
{
    ProfileFile profile = ConfigurationProfile(iniPath);
    if (imagePath.empty())
        profile.deleteKey(kMapImageSection, entryKey(mapName));
    else
        profile.writeString(kMapImageSection, entryKey(mapName), imagePath);
    // The table is searched from its end: an empty path there stands for a forgotten choice.
    AppendZoneRect(state.ChosenMapImages, mapName, imagePath);
}

#include "app/Configuration.h"

#include "support/GamePath.h"
#include "support/ProfileFile.h"

#include <algorithm>

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

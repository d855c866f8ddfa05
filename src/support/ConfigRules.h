#pragma once
// The configuration file's names, defaults and value rules, shared by start-up, the zone
// rectangle editor and the POI submission dialog (all layers may read them).

#include <cstdint>
#include <string>
#include <string_view>

namespace Config {

// Sections and keys of the configuration file (compared without regard to case).
inline constexpr std::string_view kConfigSection = "CONFIG";
inline constexpr std::string_view kPathKey = "PATH";
inline constexpr std::string_view kMapGammaKey = "MAPGAMMA";
inline constexpr std::string_view kUserKey = "USER";
inline constexpr std::string_view kPoiUrlKey = "POIURL";
inline constexpr std::string_view kMapZoneSection = "MAPZONEDEF";
inline constexpr std::string_view kMapTypesSection = "MAPTYPES";

// Largest configuration file read, far above any real one; a bigger file counts as missing.
inline constexpr std::uint64_t kMaxConfigBytes = std::uint64_t(1) << 20;

inline constexpr double kDefaultMapGamma = 0.7;
inline constexpr std::string_view kDefaultPoiUrl = "http://mapboard.example.net/submitpoi.php";

// The configuration file of an executable: its path with ".INI" appended (no extension to replace).
std::string ConfigPathForExecutable(const std::string& executablePath);

// The folder of an executable, ending with "/" (empty when the path names no folder).
std::string ExecutableFolderOf(const std::string& executablePath);

// The game's Default UI folder for a base folder: up to and including the first "/UI/" (found
// without regard to case, letter case kept) followed by "Default/"; the base folder itself when it
// holds no "/UI/". "\" counts as "/" and the result uses "/".
std::string DefaultFolderOf(const std::string& baseFolder);

// MAPGAMMA as written in the file, with a point as decimal separator whatever the locale;
// kDefaultMapGamma when empty, not a number, or not finite.
double ParseMapGamma(std::string_view text);

// The host named by a URL ("http://host:port/path" gives "host"); empty when there is none.
std::string UrlHost(std::string_view url);

}  // namespace Config

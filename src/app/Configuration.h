#pragma once
// Start-up configuration: the folders, the map gamma and the zone rectangle rows that the main
// window's creation handler takes from the executable's location and the configuration file.

#include "mapview/ControlPointFit.h"
#include "mapview/EditorState.h"
#include "mapview/PoiAnchorRule.h"
#include "support/ConfigRules.h"
#include "support/ProfileFile.h"
#include "support/TextUtil.h"
#include "support/ZoneRectTable.h"

#include <string>

// The configuration file as a profile: only a regular file of at most Config::kMaxConfigBytes
// is read; anything else (a FIFO, a device, a huge file) reads as a missing, empty file.
ProfileFile ConfigurationProfile(const std::string& iniPath);

// Reads the configuration file `iniPath` into MapGamma, BaseFolder (key PATH, "\" turned into
// "/", otherwise used unchanged), ZoneRectTable (rows of MAPZONEDEF appended in file order) and
// ChosenMapImages (the rows of MAPIMAGE).
// A missing or unreadable file changes nothing; errors are never reported.
void ReadConfiguration(EditorState& state, const std::string& iniPath);

// The start-up steps around ReadConfiguration: BaseFolder := the executable's folder, then the
// configuration, then DefaultFolder from the final BaseFolder.
void ConfigureFolders(EditorState& state, const std::string& executablePath, const std::string& iniPath);

// The rule an icon page file was last edited under, as the configuration keeps it per file:
// Centre where its Location is the icon's top-left corner, else Location.
PoiAnchor ChosenPageAnchor(const std::string& iniPath, const std::string& pageFile);
// Keeps `anchor` as the rule of `pageFile`; throws when the configuration cannot be written.
void KeepPageAnchor(const std::string& iniPath, const std::string& pageFile, PoiAnchor anchor);

// The control points of map `mapName` kept between sittings of Align Map; none when there are none.
std::vector<ControlPoint> KeptControlPoints(const std::string& iniPath, const std::string& mapName);
// Keeps `points` as those of `mapName`; no points clear the entry. Throws when the configuration
// cannot be written.
void KeepControlPoints(const std::string& iniPath, const std::string& mapName, const std::vector<ControlPoint>& points);

// Keeps `imagePath` as the picture of map `mapName` where its own is missing, in the
// configuration and in state.ChosenMapImages; an empty path forgets the choice. Throws when the
// configuration cannot be written.
void KeepChosenMapImage(EditorState& state, const std::string& iniPath, const std::string& mapName,
                        const std::string& imagePath);

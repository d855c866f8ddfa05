#pragma once
// The work behind the zone rectangle dialog, without widgets: the rectangle computed from the
// POIs of a page, the in-place update of the map style file with its one backup, and the
// configuration entry.

#include "mapview/MapCoordinates.h"
#include "mapview/PoiAnchorRule.h"
#include "support/xml/SimpleXml.h"

#include <stdexcept>
#include <string>

// Texts the zone rectangle editor shows.
namespace ZoneRectText {
inline constexpr const char* kNeedTwoPois = "Need two POIs or above";
inline constexpr const char* kDeleteFail = "Delete Fail";
inline constexpr const char* kRenameFail = "Rename Fail.";
}  // namespace ZoneRectText

// ---- Computing from POIs ----------------------------------------------------------------------

enum class ZoneComputeStatus { Computed, TooFewPois, Failed };

struct ZoneComputation {
    ZoneComputeStatus status = ZoneComputeStatus::Failed;
    ZoneRectangle zone{};
    double scaleX = 0.0;  // world units per pixel
    double scaleY = 0.0;
};

// The zone rectangle of a page of pageWidth x pageHeight pixels, extrapolated linearly from the
// POIs (children of `root`) nearest to the image edges. Fewer than two child elements give
// TooFewPois; POIs whose Location or pathfindlocation do not read are skipped; references that
// coincide, or that no POI provided, give Failed.
// `anchor` says where a POI's point lies (its Location, or the icon's centre).
ZoneComputation ComputeZoneFromPois(const TSimpleXMLElem& root, int pageWidth, int pageHeight,
                                    PoiAnchor anchor = PoiAnchor::Location);

// "scaleX / scaleY", each in the shortest form of at most 15 significant digits ("1 / 1").
std::string ScalesText(double scaleX, double scaleY);

// ---- Applying ---------------------------------------------------------------------------------

// An update of the map style file stopped; what() is the text the editor shows.
class ZoneUpdateError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What an update of the map style file did.
enum class MapStyleUpdate {
    FileMissing,  // no core_mapstyles.xml in the style folder: nothing touched
    NoMatch,      // no ImageStyle of that name: nothing rewritten, the backup kept
    Replaced,     // the zonerect value of the map's style was replaced
    Added,        // the map's style had no zonerect; it got one as its last property
};

// Gives the last ImageStyle named `mapName` (exactly) in styleFolder's core_mapstyles.xml the
// zone text `zoneText`, changing only those bytes of the file. The new file is written to a
// temporary file first; only then is the previous file copied to core_mapstyles.xml.old (the
// older backup deleted first) and the new one moved into place, so the folder always holds a
// complete core_mapstyles.xml. Throws ZoneUpdateError ("Delete Fail", "Rename Fail." or the
// reason a read, parse or write failed).
MapStyleUpdate UpdateMapStyleFile(const std::string& styleFolder, const std::string& mapName,
                                  const std::string& zoneText);

// Writes mapName=zoneText into section MAPZONEDEF of the configuration file; false when it could
// not be written.
bool WriteZoneDefinition(const std::string& configPath, const std::string& mapName, const std::string& zoneText);

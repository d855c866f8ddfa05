#pragma once
// The map pack's own rules over the page check: the types its POI files use are its vocabulary,
// POIs that repeat another of their page, POIs far outside their page's zone rectangle, and the
// problems its authors chose to ignore (a plain text file in the pack's folder). No widgets.

#include "document/PageCheck.h"
#include "mapview/WorldLocation.h"

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

// How many POIs of the whole pack use each type of its POI files.
using PackTypeUses = std::map<std::string, int, std::less<>>;

// A type used by this many POIs of the pack or fewer is likely a typo, unless the kind knows it.
constexpr int kRareTypeUses = 2;

// The known type nearest to `type` by edits (insert, delete, change, swap of neighbours), when
// it takes at most a third of the type's letters; empty when none is that near or two are
// nearest alike.
std::string NearestType(std::string_view type, const std::vector<std::string>& known);

// The vocabulary of a POI file in the pack: the kind's own types and every type the pack uses
// more than kRareTypeUses times are known; the rarer ones are named with their nearest known one.
PoiVocabulary PackVocabulary(const PoiVocabulary& own, const PackTypeUses& uses);

// Two POIs this close in world x and z, with one tooltip and one type, are one POI typed twice.
constexpr double kRepeatWorldUnits = 1.0;
// A world location further outside the zone rectangle than this part of its size is on the
// wrong page, not merely near its edge.
constexpr double kOffZoneShare = 0.1;

// Each POI that repeats an earlier one of the page (same tooltip and type within
// kRepeatWorldUnits), naming it, with the fix deleting the later; on a page of numbered names,
// each POI whose Name an earlier one has.
// `worlds`: each POI's world location as read, in POI order.
std::vector<PageProblem> RepeatedPoiProblems(const CheckedPage& page,
                                             const std::vector<std::optional<WorldLocation>>& worlds);

// A page of the pack whose rectangle may hold a POI that its own page cannot.
struct PackZonePage {
    std::string page;   // as the check names it (FILE#PAGE, relative to the pack's folder)
    ZoneRectangle zone{};
};

// Each POI whose world location lies outside the page's zone rectangle by more than kOffZoneShare
// of its size, with the first of `others` whose rectangle holds it.
std::vector<PageProblem> OffZoneProblems(const CheckedPage& page, const std::vector<std::optional<WorldLocation>>& worlds,
                                         const std::vector<PackZonePage>& others);

// The name an ignore line gives a problem's rule ("mistyped", "repeated", "rare-type", ...).
std::string ProblemKey(const PageProblem& problem);

// The ignore file: one line per ignored problem, "RULE<tab>PAGE<tab>POI" (PAGE as the check names
// it relative to the pack's folder, POI the POI's Name, empty for a problem of the page); blank
// lines and lines starting with "#" say nothing.
inline constexpr const char* kIgnoreFileName = "vynmap-ignore.txt";

class IgnoreList {
public:
    static IgnoreList Parse(std::string_view text);
    static std::string Line(const std::string& key, const std::string& page, const std::string& poi);
    bool holds(const std::string& key, const std::string& page, const std::string& poi) const;
    bool empty() const { return m_lines.empty(); }

private:
    std::set<std::tuple<std::string, std::string, std::string>> m_lines;
};

// A pack's rules, built once for every page of it.
class PackRules {
public:
    // `folder`: the pack's folder, absolute, in '/' form; `uses`: the types of its POI files.
    PackRules(std::string folder, PackTypeUses uses, IgnoreList ignored, std::vector<PackZonePage> zonePages);

    // How the check names a page of the pack in the ignore file and beside a POI off its page:
    // its file relative to the folder, "#PAGE" for a zone page.
    std::string pageName(const std::string& file, const std::optional<std::string>& zonePage) const;

    // The page check of `page` (named `name`) with the pack's rules: the POI files' vocabulary
    // (when `poiFile`), repeats, locations off the page, and the ignored problems left out.
    std::vector<PageProblem> check(CheckedPage page, const std::string& name, bool poiFile) const;

    const std::string& folder() const { return m_folder; }
    const PackTypeUses& typeUses() const { return m_uses; }

private:
    std::string m_folder;
    PackTypeUses m_uses;
    IgnoreList m_ignored;
    std::vector<PackZonePage> m_zonePages;
};

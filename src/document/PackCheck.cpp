#include "document/PackCheck.h"

#include "document/PoiTypes.h"
#include "mapview/EditorState.h"
#include "mapview/MapCoordinates.h"
#include "mapview/PoiAnchor.h"
#include "mapview/WorldLocation.h"
#include "support/TextUtil.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace {

constexpr int kNearDenominator = 3;  // a type at most a third of whose letters differ is near
constexpr int kShownPercent = 100;
const char* const kRuleNames[] = {"map-image", "no-zone",   "anchor",   "zone-rect",   "property", "outside",
                                  "disagree",  "misplaced", "duplicate", "repeated", "rare-type", "off-zone"};

std::string quoted(std::string_view text)
{
    return "\"" + std::string(text) + "\"";
}

// Edits from one text to the other, a swap of neighbours counting one.
int editDistance(std::string_view a, std::string_view b)
{
    const size_t width = b.size() + 1;
    std::vector<int> rows((a.size() + 1) * width);
    const auto at = [&rows, width](size_t i, size_t j) -> int& { return rows[i * width + j]; };
    for (size_t i = 0; i <= a.size(); ++i)
        at(i, 0) = static_cast<int>(i);
    for (size_t j = 0; j <= b.size(); ++j)
        at(0, j) = static_cast<int>(j);
    for (size_t i = 1; i <= a.size(); ++i) {
        for (size_t j = 1; j <= b.size(); ++j) {
            const int change = a[i - 1] == b[j - 1] ? 0 : 1;
            int best = std::min({at(i - 1, j) + 1, at(i, j - 1) + 1, at(i - 1, j - 1) + change});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                best = std::min(best, at(i - 2, j - 2) + 1);
            at(i, j) = best;
        }
    }
    return at(a.size(), b.size());
}

// Where a world location falls on a page, as shares of its width and height (0 to 1 inside).
// `state` is only the page's size and rectangle, made once for many POIs.
std::optional<ImagePoint> shareOnPage(EditorState& state, const ZoneRectangle& zone, const WorldLocation& world)
{
    state.ZoneRect = zone;
    const std::optional<ImagePoint> point = WorldToImagePoint(state, world.x, world.z);
    if (!point || state.PageWidth <= 0 || state.PageHeight <= 0)
        return std::nullopt;
    return ImagePoint{point->x / state.PageWidth, point->y / state.PageHeight};
}

// How far outside 0..1 a share lies.
double beyond(double share)
{
    return share < 0 ? -share : share > 1 ? share - 1 : 0;
}

std::string percent(double share)
{
    return std::to_string(static_cast<long long>(std::lround(share * kShownPercent))) + "%";
}

PageProblem poiProblem(const CheckedPoi& poi, ProblemKind kind, std::string text)
{
    PageProblem problem;
    problem.kind = kind;
    problem.poi = poi.index;
    problem.poiName = std::string(poi.name);
    problem.text = std::move(text);
    return problem;
}

std::string poiReference(const CheckedPoi& poi)
{
    return std::string(poi.name) + " (#" + std::to_string(poi.index) + ")";
}

}  // namespace

std::string NearestType(std::string_view type, const std::vector<std::string>& known)
{
    const int most = std::max(1, static_cast<int>(type.size()) / kNearDenominator);
    int best = most + 1;
    std::string nearest;
    bool tie = false;
    for (const std::string& candidate : known) {
        const int edits = editDistance(type, candidate);
        if (edits < best) {
            best = edits;
            nearest = candidate;
            tie = false;
        } else if (edits == best) {
            tie = true;
        }
    }
    return tie ? std::string() : nearest;
}

PoiVocabulary PackVocabulary(const PoiVocabulary& own, const PackTypeUses& uses)
{
    PoiVocabulary vocabulary = own;
    for (const auto& [type, count] : uses) {
        const bool listed = std::find(own.knownTypes.begin(), own.knownTypes.end(), type) != own.knownTypes.end();
        if (count > kRareTypeUses && !listed)
            vocabulary.knownTypes.push_back(type);
    }
    for (const auto& [type, count] : uses) {
        const std::vector<std::string>& known = vocabulary.knownTypes;
        if (count <= kRareTypeUses && std::find(known.begin(), known.end(), type) == known.end())
            vocabulary.rareTypes[type] = PoiVocabulary::RareType{count, NearestType(type, known)};
    }
    return vocabulary;
}

std::vector<PageProblem> RepeatedPoiProblems(const CheckedPage& page,
                                             const std::vector<std::optional<WorldLocation>>& worlds)
{
    std::vector<PageProblem> problems;
    std::vector<size_t> order;
    for (size_t i = 0; i < page.pois.size(); ++i) {
        const CheckedPoi& poi = page.pois[i];
        if (worlds[i] && poi.tooltip && !poi.tooltip->empty())
            order.push_back(i);
    }
    const auto key = [&page, &worlds](size_t i) {
        return std::make_tuple(*page.pois[i].tooltip, page.pois[i].type.value_or(std::string_view()), worlds[i]->x, i);
    };
    std::sort(order.begin(), order.end(), [&key](size_t a, size_t b) { return key(a) < key(b); });
    // The earliest POI that each repeats, by POI order.
    std::vector<std::optional<size_t>> repeats(page.pois.size());
    for (size_t a = 0; a < order.size(); ++a) {
        for (size_t b = a + 1; b < order.size(); ++b) {
            const size_t first = order[a];
            const size_t second = order[b];
            if (std::get<0>(key(first)) != std::get<0>(key(second)) || std::get<1>(key(first)) != std::get<1>(key(second))
                || worlds[second]->x - worlds[first]->x > kRepeatWorldUnits)
                break;
            if (std::hypot(worlds[second]->x - worlds[first]->x, worlds[second]->z - worlds[first]->z)
                > kRepeatWorldUnits)
                continue;
            const size_t later = std::max(first, second);
            const size_t earlier = std::min(first, second);
            if (!repeats[later] || earlier < *repeats[later])
                repeats[later] = earlier;
        }
    }
    for (size_t i = 0; i < repeats.size(); ++i) {
        if (!repeats[i])
            continue;
        const size_t first = *repeats[i];
        PageProblem& problem = problems.emplace_back(
            poiProblem(page.pois[i], ProblemKind::Repeated,
                       "repeats " + poiReference(page.pois[first]) + ": the same tooltip and type "
                           + FormatFixed2(std::hypot(worlds[i]->x - worlds[first]->x, worlds[i]->z - worlds[first]->z))
                                 .value_or("?")
                           + " world units away"));
        problem.fix = ProblemFix{ProblemFix::Action::DeletePoi, {}, {}};
    }
    if (!page.numberedNames)
        return problems;
    std::unordered_map<std::string_view, size_t> firstOfName;
    for (size_t i = 0; i < page.pois.size(); ++i) {
        const CheckedPoi& poi = page.pois[i];
        if (poi.name.empty())
            continue;
        const auto [first, isNew] = firstOfName.emplace(poi.name, i);
        if (!isNew && !repeats[i])
            problems.push_back(poiProblem(poi, ProblemKind::Duplicate,
                                          "its Name is also that of #" + std::to_string(page.pois[first->second].index)));
    }
    return problems;
}

std::vector<PageProblem> OffZoneProblems(const CheckedPage& page, const std::vector<std::optional<WorldLocation>>& worlds,
                                         const std::vector<PackZonePage>& others)
{
    std::vector<PageProblem> problems;
    if (!HasZoneRect(page.zone))
        return problems;
    EditorState state;
    for (size_t i = 0; i < page.pois.size(); ++i) {
        const CheckedPoi& poi = page.pois[i];
        const std::optional<WorldLocation>& world = worlds[i];
        const std::optional<ImagePoint> share = world ? shareOnPage(state, page.zone, *world) : std::nullopt;
        if (!share)
            continue;
        const double off = std::max(beyond(share->x), beyond(share->y));
        if (off <= kOffZoneShare)
            continue;
        std::string text = "its " + std::string(kWorldValueProperties[0]) + " lies " + percent(off)
            + " of the zone rectangle's size outside it: probably on the wrong zone page";
        for (const PackZonePage& other : others) {
            const std::optional<ImagePoint> there = HasZoneRect(other.zone) ? shareOnPage(state, other.zone, *world)
                                                                            : std::nullopt;
            if (other.zone != page.zone && there && beyond(there->x) == 0 && beyond(there->y) == 0) {
                text += "; the rectangle of " + quoted(other.page) + " holds it";
                break;
            }
        }
        problems.push_back(poiProblem(poi, ProblemKind::OffZone, std::move(text)));
    }
    return problems;
}

std::string ProblemKey(const PageProblem& problem)
{
    if (problem.mistyped)
        return "mistyped";
    const size_t kind = static_cast<size_t>(problem.kind);
    return kind < std::size(kRuleNames) ? kRuleNames[kind] : "problem";
}

IgnoreList IgnoreList::Parse(std::string_view text)
{
    IgnoreList list;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty() || line.front() == '#')
            continue;
        const size_t firstTab = line.find('\t');
        const size_t secondTab = firstTab == std::string_view::npos ? firstTab : line.find('\t', firstTab + 1);
        if (secondTab == std::string_view::npos)
            continue;
        list.m_lines.emplace(std::string(line.substr(0, firstTab)),
                             std::string(line.substr(firstTab + 1, secondTab - firstTab - 1)),
                             std::string(line.substr(secondTab + 1)));
    }
    return list;
}

std::string IgnoreList::Line(const std::string& key, const std::string& page, const std::string& poi)
{
    return key + "\t" + page + "\t" + poi + "\n";
}

bool IgnoreList::holds(const std::string& key, const std::string& page, const std::string& poi) const
{
    return m_lines.count(std::make_tuple(key, page, poi)) > 0;
}

PackRules::PackRules(std::string folder, PackTypeUses uses, IgnoreList ignored, std::vector<PackZonePage> zonePages)
    : m_folder(std::move(folder)), m_uses(std::move(uses)), m_ignored(std::move(ignored)),
      m_zonePages(std::move(zonePages))
{
    if (!m_folder.empty() && m_folder.back() != '/')
        m_folder += '/';
}

std::string PackRules::pageName(const std::string& file, const std::optional<std::string>& zonePage) const
{
    std::string name = file;
    std::replace(name.begin(), name.end(), '\\', '/');
    if (name.compare(0, m_folder.size(), m_folder) == 0)
        name.erase(0, m_folder.size());
    return zonePage ? name + "#" + *zonePage : name;
}

std::vector<PageProblem> PackRules::check(CheckedPage page, const std::string& name, bool poiFile) const
{
    if (poiFile)
        page.vocabulary = PackVocabulary(page.vocabulary, m_uses);
    if (!m_ignored.empty())
        page.ignored = [this, &name](const PageProblem& problem) {
            return m_ignored.holds(ProblemKey(problem), name, problem.poiName);
        };
    std::vector<PageProblem> problems = CheckPage(page);
    std::vector<std::optional<WorldLocation>> worlds(page.pois.size());
    for (size_t i = 0; i < page.pois.size(); ++i) {
        if (page.pois[i].world)
            worlds[i] = WorldLocation::Parse(*page.pois[i].world);
    }
    std::vector<PageProblem> added = RepeatedPoiProblems(page, worlds);
    std::vector<PageProblem> offZone = OffZoneProblems(page, worlds, m_zonePages);
    added.insert(added.end(), offZone.begin(), offZone.end());
    // A repeat says more than "same world location", and a page far off more than "outside the
    // page": the plainer line of that POI goes.
    std::set<std::pair<ProblemKind, int>> said;
    for (const PageProblem& problem : added) {
        said.emplace(problem.kind == ProblemKind::Repeated ? ProblemKind::Duplicate : ProblemKind::Outside,
                     problem.poi);
    }
    std::vector<PageProblem> kept;
    for (PageProblem& problem : problems) {
        const bool plainer = problem.poi >= 0 && problem.pois.empty() && said.count({problem.kind, problem.poi}) > 0
            && (problem.kind == ProblemKind::Outside || problem.text.rfind("same ", 0) == 0);
        if (!plainer)
            kept.push_back(std::move(problem));
    }
    for (PageProblem& problem : added) {
        if (!page.ignored || !page.ignored(problem))
            kept.push_back(std::move(problem));
    }
    std::stable_sort(kept.begin(), kept.end(), [](const PageProblem& a, const PageProblem& b) { return a.poi < b.poi; });
    return kept;
}

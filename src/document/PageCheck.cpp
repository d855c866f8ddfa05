#include "document/PageCheck.h"

#include "document/IconPageFile.h"
#include "document/LocationRepair.h"
#include "document/PoiTypes.h"
#include "mapview/EditorState.h"
#include "mapview/MarkerGeometry.h"
#include "mapview/PoiAnchor.h"
#include "mapview/ZoneFit.h"
#include "support/TextUtil.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <iterator>
#include <map>
#include <tuple>

namespace {

const std::string kNameProperty = "Name";
const std::string kLocationProperty = "Location";
const std::string kSizeProperty = "Size";
const std::string kWorldProperty = "pathfindlocation";

// The data follow the other anchor rule when more than half of the POIs that can tell match it
// and at most a tenth match the page's own; fewer than kMinFitPoints POIs tell nothing.
constexpr int kMostDenominator = 2;
constexpr int kFewDenominator = 10;
constexpr int kNumberBuffer = 64;
constexpr int kShownDecimals = 1;

// One decimal, without a trailing ".0": pixel distances and points read as the user types them.
std::string number(double value)
{
    char buffer[kNumberBuffer];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed,
                                            kShownDecimals);
    if (error != std::errc())
        return "?";
    std::string text(buffer, end);
    if (text.size() > 2 && text.compare(text.size() - 2, 2, ".0") == 0)
        text.resize(text.size() - 2);
    return text == "-0" ? "0" : text;
}

std::string pointText(ImagePoint point)
{
    return number(point.x) + "," + number(point.y);
}

std::string quoted(std::string_view text)
{
    return "\"" + std::string(text) + "\"";
}

double distance(ImagePoint a, ImagePoint b)
{
    return std::hypot(a.x - b.x, a.y - b.y);
}

PoiAnchor otherRule(PoiAnchor anchor)
{
    return anchor == PoiAnchor::Centre ? PoiAnchor::Location : PoiAnchor::Centre;
}

const char* ruleText(PoiAnchor anchor)
{
    return anchor == PoiAnchor::Centre ? "Location + Size/2" : "Location";
}

std::optional<std::string_view> valueOf(const TSimpleXMLProps* props, const std::string& name)
{
    const TSimpleXMLProp* prop = props ? props->Find(name) : nullptr;
    return prop ? std::optional<std::string_view>(prop->Value()) : std::nullopt;
}

// A location read whose height is no number (see MistypedWorldLocation).
std::optional<std::string> mistypedHeight(const WorldLocation& world)
{
    if (ParseDecimal(world.middle))
        return std::nullopt;
    return "looks mistyped: its height " + quoted(world.middle) + " is not a number";
}

// What the check learnt of one POI.
struct Reading {
    std::optional<ImagePoint> point;       // by the page's rule
    std::optional<ImagePoint> otherPoint;  // by the other rule of icon pages
    std::optional<WorldLocation> world;
    std::optional<ImagePoint> worldPoint;  // where the map's rectangle puts the world location
    bool explained = false;                // a page-level line already accounts for its distance
    bool misplaced = false;
};

class Checker {
public:
    explicit Checker(const CheckedPage& page) : m_page(page), m_readings(page.pois.size())
    {
        m_state.ZoneRect = page.zone;
        m_state.PageWidth = page.width;
        m_state.PageHeight = page.height;
        m_hasZone = HasZoneRect(page.zone);
        m_pixels = PlacedByLocation(page.anchor);
    }

    std::vector<PageProblem> run()
    {
        if (m_page.mapImageProblem)
            addPage(ProblemKind::MapImage, *m_page.mapImageProblem);
        if (!m_hasZone && m_page.asksWorld)
            addPage(ProblemKind::NoZone, "map " + quoted(m_page.mapName) + " has no zone rectangle");
        for (size_t i = 0; i < m_page.pois.size(); ++i)
            read(i);
        PoiAnchor fitRule = m_page.anchor;
        if (m_pixels && m_hasZone)
            fitRule = checkAnchor();
        if (m_pixels)
            checkFit(fitRule);
        for (size_t i = 0; i < m_page.pois.size(); ++i) {
            checkOutside(i);
            checkDisagreement(i);
        }
        checkSameName();
        checkSameWorld();
        leaveOutIgnored();
        groupLines();
        // The page's lines first, then each POI's in the order the checks ran.
        std::stable_sort(m_problems.begin(), m_problems.end(),
                         [](const PageProblem& a, const PageProblem& b) { return a.poi < b.poi; });
        return std::move(m_problems);
    }

private:
    PageProblem& addPage(ProblemKind kind, std::string text)
    {
        PageProblem problem;
        problem.kind = kind;
        problem.text = std::move(text);
        m_problems.push_back(std::move(problem));
        m_groupedFrom.push_back(0);
        return m_problems.back();
    }

    PageProblem& addPoi(size_t at, ProblemKind kind, std::string text, int groupedFrom = 0)
    {
        PageProblem& problem = addPage(kind, std::move(text));
        problem.poi = m_page.pois[at].index;
        problem.poiName = std::string(m_page.pois[at].name);
        m_groupedFrom.back() = groupedFrom;
        return problem;
    }

    void leaveOutIgnored()
    {
        if (!m_page.ignored)
            return;
        std::vector<PageProblem> kept;
        std::vector<int> groupedFrom;
        for (size_t i = 0; i < m_problems.size(); ++i) {
            if (m_page.ignored(m_problems[i]))
                continue;
            kept.push_back(std::move(m_problems[i]));
            groupedFrom.push_back(m_groupedFrom[i]);
        }
        m_problems = std::move(kept);
        m_groupedFrom = std::move(groupedFrom);
    }

    // POIs that share a line's text from `groupedFrom` on are said once, with their count.
    void groupLines()
    {
        std::map<std::string, std::vector<size_t>> sharing;
        for (size_t i = 0; i < m_problems.size(); ++i) {
            if (m_groupedFrom[i] > 0)
                sharing[m_problems[i].text].push_back(i);
        }
        std::vector<bool> grouped(m_problems.size(), false);
        std::vector<PageProblem> lines;
        for (const auto& [text, members] : sharing) {
            if (static_cast<int>(members.size()) < m_groupedFrom[members.front()])
                continue;
            PageProblem line;
            line.kind = m_problems[members.front()].kind;
            line.fix = m_problems[members.front()].fix;  // one text, one repair
            line.text = CountText(static_cast<long long>(members.size()), "POI", "POIs") + ": " + text;
            for (const size_t i : members) {
                grouped[i] = true;
                line.pois.push_back(m_problems[i].poi);
            }
            lines.push_back(std::move(line));
        }
        if (lines.empty())
            return;
        // In the order of their first POI, as the lines they stand for were.
        std::sort(lines.begin(), lines.end(),
                  [](const PageProblem& a, const PageProblem& b) { return a.pois.front() < b.pois.front(); });
        std::vector<PageProblem> kept;
        for (size_t i = 0; i < m_problems.size(); ++i) {
            if (!grouped[i])
                kept.push_back(std::move(m_problems[i]));
        }
        kept.insert(kept.end(), std::make_move_iterator(lines.begin()), std::make_move_iterator(lines.end()));
        m_problems = std::move(kept);
    }

    // A property the rule needs is missing or does not read as `form`.
    bool needs(size_t at, const std::optional<std::string_view>& value, const std::string& name, bool reads,
               const char* form)
    {
        if (!value)
            addPoi(at, ProblemKind::Property, "no " + name, kGroupedMissingFrom);
        else if (!reads)
            addPoi(at, ProblemKind::Property, name + " " + quoted(*value) + " does not read as " + form + lineOf(at));
        return value && reads;
    }

    // " (line N)" where the POI's place in the file is known: an author finds the text there.
    std::string lineOf(size_t at) const
    {
        const std::optional<int> line = m_page.lineOf ? m_page.lineOf(m_page.pois[at].index) : std::nullopt;
        return line ? " (line " + std::to_string(*line) + ")" : std::string();
    }

    void read(size_t at)
    {
        const CheckedPoi& poi = m_page.pois[at];
        Reading& reading = m_readings[at];
        if (m_pixels) {
            const std::string_view size = poi.size.value_or(std::string_view());
            if (poi.location)
                reading.point = PointFromLocation(m_page.anchor, *poi.location, size);
            if (reading.point)
                reading.otherPoint = PointFromLocation(otherRule(m_page.anchor), *poi.location, size);
            needs(at, poi.location, kLocationProperty, reading.point.has_value(), "x,y");
            if (m_page.asksSize)
                needs(at, poi.size, kSizeProperty, ParseCommaPair(size, kMarkerPairTailChars).has_value(),
                      "width,height");
        }
        if (poi.world)
            reading.world = WorldLocation::Parse(*poi.world);
        if (m_page.asksWorld) {
            if (!needs(at, poi.world, kWorldProperty, reading.world.has_value(), "x, y, z")) {
                if (poi.world)
                    proposeRepair(m_problems.back(), *poi.world);
            } else if (const std::optional<std::string> slip = mistypedHeight(*reading.world)) {
                proposeRepair(addPoi(at, ProblemKind::Property,
                                     kWorldProperty + " " + quoted(*poi.world) + " " + *slip + lineOf(at)),
                              *poi.world);
            } else if (!IsPlainWorldLocation(*poi.world)) {
                proposeRepair(addPoi(at, ProblemKind::Property,
                                     kWorldProperty + " " + quoted(*poi.world)
                                         + " looks mistyped: it is not three plain numbers" + lineOf(at)),
                              *poi.world);
            }
        }
        if (reading.world && m_hasZone)
            reading.worldPoint = WorldToImagePoint(m_state, reading.world->x, reading.world->z);
        if (!m_pixels)
            reading.point = reading.worldPoint;
        checkType(at);
        if (m_page.poiRule) {
            if (std::optional<std::string> problem = m_page.poiRule(poi.index))
                addPoi(at, ProblemKind::Property, std::move(*problem) + lineOf(at));
        }
    }

    static void proposeRepair(PageProblem& problem, std::string_view world)
    {
        problem.mistyped = true;
        if (const std::optional<std::string> repaired = ProposeLocationRepair(world))
            problem.fix = ProblemFix{ProblemFix::Action::SetValue, kWorldProperty, *repaired};
    }

    void checkType(size_t at)
    {
        const PoiVocabulary& vocabulary = m_page.vocabulary;
        if (vocabulary.typeProperty.empty())
            return;
        const CheckedPoi& poi = m_page.pois[at];
        const std::vector<std::string>& known = vocabulary.knownTypes;
        if (!poi.type) {
            addPoi(at, ProblemKind::Property, "no " + vocabulary.typeProperty, kGroupedMissingFrom);
        } else if (const auto rare = vocabulary.rareTypes.find(*poi.type); rare != vocabulary.rareTypes.end()) {
            std::string text = vocabulary.typeProperty + " " + quoted(*poi.type) + " is used by only "
                + CountText(rare->second.uses, "POI", "POIs") + " of the pack: likely a typo";
            if (!rare->second.nearest.empty())
                text += " of " + quoted(rare->second.nearest);
            PageProblem& line = addPoi(at, ProblemKind::RareType, std::move(text), kGroupedUnknownFrom);
            if (!rare->second.nearest.empty())
                line.fix = ProblemFix{ProblemFix::Action::SetValue, vocabulary.typeProperty, rare->second.nearest};
        } else if (!known.empty() && std::find(known.begin(), known.end(), *poi.type) == known.end()) {
            std::string list;
            for (const std::string& type : known)
                list += (list.empty() ? "" : ", ") + type;
            addPoi(at, ProblemKind::Property,
                   vocabulary.typeProperty + " " + quoted(*poi.type) + " is not a known type (" + list + ")",
                   kGroupedUnknownFrom);
        }
    }

    // The rule the data follow: the page's, unless most POIs match their world location by the
    // other and few by the page's. Their distances by the page's rule then need no line each.
    PoiAnchor checkAnchor()
    {
        int telling = 0;
        int pageOnly = 0;
        int otherOnly = 0;
        for (const Reading& reading : m_readings) {
            if (!reading.point || !reading.worldPoint)
                continue;
            ++telling;
            const bool byPage = distance(*reading.point, *reading.worldPoint) <= kSamePlacePixels;
            const bool byOther = distance(*reading.otherPoint, *reading.worldPoint) <= kSamePlacePixels;
            pageOnly += byPage && !byOther;
            otherOnly += byOther && !byPage;
        }
        const bool other = telling >= kMinFitPoints && otherOnly * kMostDenominator > telling
            && pageOnly * kFewDenominator <= telling;
        if (!other)
            return m_page.anchor;
        const PoiAnchor data = otherRule(m_page.anchor);
        for (Reading& reading : m_readings) {
            if (reading.otherPoint && reading.worldPoint
                && distance(*reading.otherPoint, *reading.worldPoint) <= kSamePlacePixels)
                reading.explained = true;
        }
        const std::string rule = data == PoiAnchor::Centre ? "the POIs' Location is their icon's top-left corner"
                                                           : "the POIs' Location is their point, not their icon's "
                                                             "top-left corner";
        PageProblem& line = addPage(ProblemKind::Anchor,
                                    rule + ": " + std::to_string(otherOnly) + " of " + CountText(telling, "POI", "POIs")
                                        + " match their " + kWorldProperty + " at " + ruleText(data) + ", "
                                        + std::to_string(pageOnly) + " at " + ruleText(m_page.anchor));
        line.dataAnchor = data;
        return data;
    }

    void checkFit(PoiAnchor rule)
    {
        std::vector<ZoneFitPoint> points;
        std::vector<size_t> owners;
        for (size_t i = 0; i < m_readings.size(); ++i) {
            const Reading& reading = m_readings[i];
            if (!reading.point || !reading.world)
                continue;
            points.push_back({pointBy(rule, reading), reading.world->x, reading.world->z});
            owners.push_back(i);
        }
        if (m_hasZone && zoneStands(points, owners, rule))
            return;
        ZoneFitFailure why = ZoneFitFailure::None;
        const std::optional<ZoneFitResult> fit = FitZoneRect(points, m_page.width, m_page.height, &why);
        if (!fit) {
            if (why != ZoneFitFailure::TooFew)
                addPage(ProblemKind::ZoneRect, "no zone rectangle can be fitted: the "
                                                   + CountText(static_cast<long long>(points.size()), "POI", "POIs")
                                                   + " with both locations "
                                                   + (why == ZoneFitFailure::OneLine
                                                          ? "lie on one line across the map"
                                                          : "do not move on the page with their " + kWorldProperty));
            return;
        }
        const std::optional<double> shift = CornerShift(m_page.zone, fit->zone, m_page.width, m_page.height);
        const bool off = !m_hasZone || !shift || *shift > kSamePlacePixels;
        if (off) {
            std::string fitted = "the rectangle fitted to " + CountText(fit->kept, "POI", "POIs");
            const int left = static_cast<int>(points.size()) - fit->kept;
            if (left > 0)
                fitted += " (" + std::to_string(left) + " left out)";
            const std::string quality = " (RMS " + number(fit->rms) + ", largest " + number(fit->largest) + " pixels)";
            std::string text = m_hasZone && shift ? "zone rectangle " + ZoneText(m_page.zone) + " moves a page corner "
                    + number(*shift) + " pixels from " + fitted + ", " + ZoneText(fit->zone) + quality
                                                  : fitted + " is " + ZoneText(fit->zone) + quality;
            addPage(ProblemKind::ZoneRect, std::move(text)).fittedZone = fit->zone;
        }
        EditorState fittedPage = m_state;
        fittedPage.ZoneRect = fit->zone;
        for (size_t k = 0; k < owners.size(); ++k) {
            Reading& reading = m_readings[owners[k]];
            // A rectangle that is off moves every POI: the fit tells which of them are off besides.
            reading.explained = reading.explained || (off && !fit->misplaced[k]);
            reading.misplaced = fit->misplaced[k];
            if (!reading.misplaced)
                continue;
            const std::optional<ImagePoint> target = WorldToImagePoint(fittedPage, reading.world->x, reading.world->z);
            const std::string where = target ? ", " + pointText(*target) : std::string();
            PageProblem& line = addPoi(owners[k], ProblemKind::Misplaced,
                                       "probably misplaced: " + number(fit->residuals[k])
                                           + " pixels from where the fitted rectangle puts its " + kWorldProperty
                                           + where + " (RMS of the others " + number(fit->rms) + ")");
            line.point = points[k].point;
            line.worldPoint = target;
            // With the map's rectangle off, the fitted one is no place to move a marker to.
            line.fixable = !off && rule == m_page.anchor;
        }
    }

    ImagePoint pointBy(PoiAnchor rule, const Reading& reading) const
    {
        return rule == m_page.anchor ? *reading.point : *reading.otherPoint;
    }

    // The map's rectangle stands when enough POIs agree with it: each POI it does not place is
    // then misplaced, and no fit second-guesses the rectangle.
    bool zoneStands(const std::vector<ZoneFitPoint>& points, const std::vector<size_t>& owners, PoiAnchor rule)
    {
        int agreeing = 0;
        for (size_t k = 0; k < owners.size(); ++k) {
            const Reading& reading = m_readings[owners[k]];
            agreeing += reading.worldPoint && distance(points[k].point, *reading.worldPoint) <= kSamePlacePixels;
        }
        const int telling = static_cast<int>(owners.size());
        if (agreeing < kMinFitPoints || agreeing * kMostDenominator < telling)
            return false;
        for (size_t k = 0; k < owners.size(); ++k) {
            Reading& reading = m_readings[owners[k]];
            if (!reading.worldPoint)
                continue;
            const double apart = distance(points[k].point, *reading.worldPoint);
            if (apart <= kSamePlacePixels)
                continue;
            reading.misplaced = true;
            PageProblem& line = addPoi(owners[k], ProblemKind::Misplaced,
                                       "misplaced: " + number(apart) + " pixels from where the zone rectangle puts its "
                                           + kWorldProperty + ", " + pointText(*reading.worldPoint)
                                           + " (the rectangle fits " + std::to_string(agreeing) + " of "
                                           + CountText(telling, "POI", "POIs") + ")");
            line.point = points[k].point;
            line.worldPoint = reading.worldPoint;
            line.fixable = rule == m_page.anchor;
        }
        return true;
    }

    void checkOutside(size_t at)
    {
        const std::optional<ImagePoint>& point = m_readings[at].point;
        if (point && (point->x < 0 || point->y < 0 || point->x > m_page.width || point->y > m_page.height))
            addPoi(at, ProblemKind::Outside,
                   "its point " + pointText(*point) + " lies outside the page (" + std::to_string(m_page.width)
                       + " x " + std::to_string(m_page.height) + ")");
    }

    void checkDisagreement(size_t at)
    {
        const Reading& reading = m_readings[at];
        if (!m_pixels || !reading.point || !reading.worldPoint || reading.explained || reading.misplaced)
            return;
        const double apart = distance(*reading.point, *reading.worldPoint);
        if (apart <= kSamePlacePixels)
            return;
        PageProblem& line = addPoi(at, ProblemKind::Disagree,
                                   kWorldProperty + " falls at " + pointText(*reading.worldPoint) + ", " + number(apart)
                                       + " pixels from its point " + pointText(*reading.point));
        line.point = reading.point;
        line.worldPoint = reading.worldPoint;
        line.fixable = true;
    }

    std::string poiReference(size_t at) const
    {
        return quoted(m_page.pois[at].name) + " (#" + std::to_string(m_page.pois[at].index) + ")";
    }

    // Two POIs of one name standing on each other: the later one is named, once.
    void checkSameName()
    {
        std::vector<size_t> order;
        for (size_t i = 0; i < m_readings.size(); ++i) {
            if (m_readings[i].point && !m_page.pois[i].name.empty())
                order.push_back(i);
        }
        const auto key = [this](size_t i) { return std::make_tuple(m_page.pois[i].name, m_readings[i].point->x, i); };
        std::sort(order.begin(), order.end(), [&key](size_t a, size_t b) { return key(a) < key(b); });
        std::vector<bool> named(m_readings.size(), false);
        for (size_t a = 0; a < order.size(); ++a) {
            const size_t first = order[a];
            for (size_t b = a + 1; b < order.size(); ++b) {
                const size_t second = order[b];
                if (m_page.pois[second].name != m_page.pois[first].name
                    || m_readings[second].point->x - m_readings[first].point->x > kSamePlacePixels)
                    break;
                const double apart = distance(*m_readings[first].point, *m_readings[second].point);
                const size_t later = std::max(first, second);
                if (apart <= kSamePlacePixels && !named[later]) {
                    named[later] = true;
                    addPoi(later, ProblemKind::Duplicate,
                           "same name as #" + std::to_string(m_page.pois[std::min(first, second)].index) + ", "
                               + number(apart) + " pixels away");
                }
            }
        }
    }

    // POIs of one world location: each after the first names the first.
    void checkSameWorld()
    {
        std::vector<size_t> order;
        for (size_t i = 0; i < m_readings.size(); ++i) {
            if (m_readings[i].world)
                order.push_back(i);
        }
        const auto key = [this](size_t i) {
            const WorldLocation& world = *m_readings[i].world;
            return std::tie(world.x, world.z, world.middle);
        };
        std::stable_sort(order.begin(), order.end(), [&key](size_t a, size_t b) { return key(a) < key(b); });
        for (size_t a = 0; a < order.size();) {
            size_t end = a + 1;
            while (end < order.size() && key(order[end]) == key(order[a]))
                ++end;
            for (size_t b = a + 1; b < end; ++b)
                addPoi(order[b], ProblemKind::Duplicate, "same " + kWorldProperty + " as " + poiReference(order[a]));
            a = end;
        }
    }

    const CheckedPage& m_page;
    EditorState m_state;
    bool m_hasZone = false;
    bool m_pixels = true;  // the POIs have a Location (every rule but World)
    std::vector<Reading> m_readings;
    std::vector<PageProblem> m_problems;
    std::vector<int> m_groupedFrom;  // per line: from how many sharing POIs on it is grouped; 0 never
};

}  // namespace

std::optional<std::string> MistypedWorldLocation(std::string_view text)
{
    const std::optional<WorldLocation> world = WorldLocation::Parse(text);
    return world ? mistypedHeight(*world) : std::nullopt;
}

CheckedPage DescribePage(const TSimpleXMLElem& root, const EditorState& state, PoiVocabulary vocabulary,
                         std::optional<std::string> mapImageProblem)
{
    CheckedPage page;
    page.mapName = state.PageName;
    page.anchor = state.Anchor;
    page.width = state.PageWidth;
    page.height = state.PageHeight;
    page.zone = state.ZoneRect;
    page.vocabulary = std::move(vocabulary);
    page.mapImageProblem = std::move(mapImageProblem);
    const TSimpleXMLElems* children = root.ItemsIfAny();
    const int count = children ? children->Count() : 0;
    page.pois.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const TSimpleXMLElem& child = *children->Item(i);
        if (!IsPoiElement(child))
            continue;
        const TSimpleXMLProps* props = child.PropertiesIfAny();
        CheckedPoi poi;
        poi.index = i;
        poi.name = valueOf(props, kNameProperty).value_or(std::string_view());
        poi.location = valueOf(props, kLocationProperty);
        poi.size = valueOf(props, kSizeProperty);
        poi.world = valueOf(props, kWorldProperty);
        poi.tooltip = valueOf(props, kWorldTooltipProperty);
        if (!page.vocabulary.typeProperty.empty())
            poi.type = valueOf(props, page.vocabulary.typeProperty);
        page.pois.push_back(poi);
    }
    return page;
}

std::vector<PageProblem> CheckPage(const CheckedPage& page)
{
    return Checker(page).run();
}

std::string ProblemLine(const PageProblem& problem)
{
    if (problem.poi < 0)
        return "warning: " + problem.text;
    return "warning: POI " + quoted(problem.poiName) + " (#" + std::to_string(problem.poi) + "): " + problem.text;
}

std::string FixLine(const PageProblem& problem)
{
    if (!problem.fix)
        return {};
    if (problem.fix->action == ProblemFix::Action::DeletePoi)
        return "fix: delete POI " + quoted(problem.poiName) + " (#" + std::to_string(problem.poi) + ")";
    return "fix: set " + problem.fix->property + " to " + quoted(problem.fix->value);
}

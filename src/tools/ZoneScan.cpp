#include "tools/ZoneScan.h"

#include "document/EditorSupport.h"
#include "document/IconPageFile.h"
#include "support/FileSystem.h"
#include "support/GamePath.h"
#include "support/TextUtil.h"

#include <algorithm>
#include <numeric>

namespace {

const char* const kPageFolder = "vynmap/";
constexpr std::string_view kPageExtension = ".xml";
const char* const kPageRoot = "Page";
const char* const kZoneNameProperty = "1location";
constexpr unsigned char kLastControlOrBlank = 0x20;

bool hasPageExtension(const std::string& name)
{
    return name.size() >= kPageExtension.size()
        && EqualsNoCase(std::string_view(name).substr(name.size() - kPageExtension.size()), kPageExtension);
}

} // namespace

std::string PageFolder(const std::string& baseFolder)
{
    return GamePath::resolve(baseFolder, kPageFolder);
}

std::vector<std::string> ZoneCandidates(const std::string& folder)
{
    std::vector<std::string> names = FileSystem::folderEntries(folder);
    const auto notPage = [](const std::string& name) { return !hasPageExtension(name); };
    names.erase(std::remove_if(names.begin(), names.end(), notPage), names.end());
    std::sort(names.begin(), names.end());
    return names;
}

bool IsBlankZoneName(std::string_view text)
{
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) <= kLastControlOrBlank; });
}

std::optional<std::string> ReadZoneName(TSimpleXML& loader, const std::string& path)
{
    try {
        // The editor's own reading: byte order mark, parse, "1Location" renamed. A page listed
        // here therefore always opens when chosen.
        LoadIconPageDocument(loader, path);
    } catch (const std::exception&) {
        return std::nullopt;
    }
    const TSimpleXMLProp* zone = loader.Root().Properties().Find(kZoneNameProperty);
    if (!zone || loader.Root().Name() != kPageRoot || IsBlankZoneName(zone->Value()))
        return std::nullopt;
    return zone->Value();
}

void ScanZoneFolder(const std::string& folder, TSimpleXML& loader, const std::function<void(ZonePage)>& found,
                    const std::function<bool()>& stopRequested)
{
    for (std::string& name : ZoneCandidates(folder)) {
        const std::string path = folder + name;
        if (GamePath::fileExists(path)) {
            if (std::optional<std::string> location = ReadZoneName(loader, path))
                found(ZonePage{std::move(*location), std::move(name)});
        }
        if (stopRequested && stopRequested())
            return;
    }
}

QCollator ZoneListCollation()
{
    QCollator collation;
    collation.setCaseSensitivity(Qt::CaseInsensitive);
    return collation;
}

bool ZoneLineLess(const QCollator& collation, const QString& location, int index, const QString& otherLocation,
                  int otherIndex)
{
    const int order = collation.compare(location, otherLocation);
    return order != 0 ? order < 0 : index < otherIndex;
}

std::vector<int> ZoneListOrder(const std::vector<ZonePage>& pages)
{
    std::vector<QString> locations;
    locations.reserve(pages.size());
    for (const ZonePage& page : pages)
        locations.push_back(fromDoc(page.location));
    std::vector<int> order(pages.size());
    std::iota(order.begin(), order.end(), 0);
    const QCollator collation = ZoneListCollation();
    std::sort(order.begin(), order.end(), [&locations, &collation](int a, int b) {
        return ZoneLineLess(collation, locations[a], a, locations[b], b);
    });
    return order;
}

QString MapsLabelText(int count)
{
    return QStringLiteral("%1 Maps").arg(count);
}

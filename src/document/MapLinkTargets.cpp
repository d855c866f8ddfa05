#include "document/MapLinkTargets.h"

#include "document/PackFolder.h"
#include "support/AtomicFile.h"
#include "support/IconPageXml.h"
#include "support/XmlSpans.h"
#include "support/ZonePageFile.h"

#include <QDir>
#include <QFileInfo>

namespace {

const char* const kPoiFolder = "POI";

std::string readBytes(const QString& path)
{
    std::string bytes;
    if (AtomicFile::readWhole(path.toStdString(), bytes) != AtomicFile::ReadResult::Ok)
        return {};
    return bytes;
}

// The Name of an icon page's root, decoded as its values are; empty when it does not read.
std::string iconPageName(const std::string& bytes)
{
    try {
        const XmlSpans spans = XmlSpans::Parse(bytes);
        if (spans.roots.empty())
            return {};
        const XmlSpanProperty* name = spans.elements[static_cast<std::size_t>(spans.roots.front())].find(
            ZonePageNames::kNameProperty);
        std::string value = name ? std::string(name->rawValue) : std::string();
        IconPageDecodeValue(value);
        return value;
    } catch (const XmlSpansError&) {
        return {};
    }
}

bool sameFile(const QString& a, const QString& b)
{
    return QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath();
}

}  // namespace

MapLinkTargets MapLinkTargets::Scan(const std::string& linksPath, const ZonePageFile* own)
{
    MapLinkTargets targets;
    const QString links = QString::fromStdString(linksPath);
    QDir folder = QFileInfo(links).absoluteDir();
    if (folder.dirName().compare(QLatin1String(kPoiFolder), Qt::CaseInsensitive) == 0)
        folder.cdUp();
    const PackFolderFiles files = ListPackFolder(folder.absolutePath());
    // The POI folder's files first: the pack's POIs of a map are what its link is followed for.
    QStringList zoneFiles;
    for (const QString& path : files.zonePageFiles)
        (QFileInfo(path).dir().dirName().compare(QLatin1String(kPoiFolder), Qt::CaseInsensitive) == 0
             ? zoneFiles.prepend(path) : zoneFiles.append(path));
    for (const QString& path : zoneFiles) {
        if (sameFile(path, links))
            continue;
        std::string bytes = readBytes(path);
        if (!ZonePageFile::MayHoldZonePages(bytes))
            continue;
        try {
            const ZonePageFile file(std::move(bytes));
            for (const ZonePageInfo& page : file.pages())
                targets.add(page.name, path.toStdString(), page.name);
        } catch (const XmlSpansError&) {
        }
    }
    for (const QString& path : files.iconPages) {
        const std::string bytes = readBytes(path);
        if (!ZonePageFile::MayHoldZonePages(bytes))
            targets.add(iconPageName(bytes), path.toStdString(), std::string());
    }
    if (own) {
        for (const ZonePageInfo& page : own->pages())
            targets.add(page.name, linksPath, page.name);
    }
    return targets;
}

void MapLinkTargets::add(const std::string& map, const std::string& path, const std::string& page)
{
    if (!map.empty())
        m_places.emplace(map, MapPagePlace{path, page});
}

const MapPagePlace* MapLinkTargets::find(const std::string& map) const
{
    const auto found = m_places.find(map);
    return found == m_places.end() ? nullptr : &found->second;
}

#include "document/PackSurvey.h"

#include "document/PackFolder.h"
#include "document/PageSource.h"
#include "document/PoiTypes.h"
#include "mapview/EditorState.h"
#include "mapview/MapStyle.h"
#include "support/ConfigRules.h"
#include "support/ZonePageFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const char* const kPackSubfolders[] = {"vynmap", "POI"};

std::string cleanPath(const QString& path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath()).toStdString();
}

}  // namespace

void AddToPackSurvey(PackSurvey& index, const QString& path, const PageSource& source)
{
    if (source.offers(PageFeature::LocationField))
        return;
    for (const auto& [type, count] : source.valueUses(source.typeProperty()))
        index.uses[type] += count;
    const PackRules naming(cleanPath(index.folder), {}, {}, {});
    for (const ZonePageInfo& page : source.pages())
        index.zonePages.emplace_back(naming.pageName(cleanPath(path), page.name), page.name);
}

QString PackFolderOfFile(const QString& file)
{
    const QFileInfo info(file);
    QDir folder = info.absoluteDir();
    for (const char* subfolder : kPackSubfolders) {
        if (folder.dirName().compare(QLatin1String(subfolder), Qt::CaseInsensitive) == 0) {
            folder.cdUp();
            break;
        }
    }
    return folder.absolutePath();
}

PackSurvey SurveyPack(const QString& folder)
{
    PackSurvey index;
    const PackFolderFiles files = ListPackFolder(folder);
    index.folder = files.uiFolder;
    // A folder without vynmap/ lists its files as pages of their own: POI files may be among them.
    for (const QString& path : files.zonePageFiles.isEmpty() ? files.iconPages : files.zonePageFiles) {
        const OpenedPageFile opened = OpenPageSource(QFileInfo(path).absoluteFilePath().toStdString());
        if (opened.source && opened.source->offers(PageFeature::PageList))
            AddToPackSurvey(index, path, *opened.source);
    }
    return index;
}

std::shared_ptr<const PackRules> MakePackRules(const PackSurvey& index, const EditorState& configured)
{
    EditorState folders;
    folders.ZoneRectTable = configured.ZoneRectTable;
    folders.BaseFolder = cleanPath(index.folder) + '/';
    folders.DefaultFolder = Config::DefaultFolderOf(folders.BaseFolder);
    std::vector<PackZonePage> zonePages;
    for (const auto& [page, mapName] : index.zonePages) {
        LookupMapStyle(folders, mapName);
        zonePages.push_back({page, folders.ZoneRect});
    }
    IgnoreList ignored;
    QFile file(QDir(index.folder).filePath(QLatin1String(kIgnoreFileName)));
    if (file.open(QIODevice::ReadOnly))
        ignored = IgnoreList::Parse(file.readAll().toStdString());
    return std::make_shared<const PackRules>(cleanPath(index.folder), index.uses, std::move(ignored),
                                             std::move(zonePages));
}

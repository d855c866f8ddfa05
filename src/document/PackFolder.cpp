#include "document/PackFolder.h"

#include <QDir>
#include <QFileInfo>

#include <vector>

namespace {

const char* const kPageFolder = "vynmap";
const char* const kPoiFolder = "POI";
const char* const kMapStyleFile = "core_mapstyles.xml";
const char* const kPageSuffix = ".xml";

QStringList xmlFiles(const QDir& folder)
{
    QStringList files;
    for (const QFileInfo& entry : folder.entryInfoList(QDir::Files, QDir::Name)) {
        if (entry.fileName().endsWith(QLatin1String(kPageSuffix), Qt::CaseInsensitive))
            files << folder.filePath(entry.fileName());
    }
    return files;
}

bool isPageFolderName(const QString& name)
{
    return name.compare(QLatin1String(kPageFolder), Qt::CaseInsensitive) == 0;
}

}  // namespace

PackFolderFiles ListPackFolder(const QString& folder)
{
    PackFolderFiles files;
    const QDir top(folder);
    QString pageFolder = folder;
    for (const QFileInfo& entry : top.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        if (isPageFolderName(entry.fileName()))
            pageFolder = top.filePath(entry.fileName());
    }
    files.uiFolder = pageFolder == folder && isPageFolderName(top.dirName())
        ? QFileInfo(top.absolutePath()).absolutePath() : top.absolutePath();
    for (const QString& path : xmlFiles(QDir(pageFolder))) {
        if (QFileInfo(path).fileName().compare(QLatin1String(kMapStyleFile), Qt::CaseInsensitive) != 0)
            files.iconPages << path;
    }
    if (pageFolder == folder)
        return files;
    // Other UI files sit here too: only those holding zone pages are pages. A map pack keeps its
    // POI files in a POI folder beside them, named in any letter case.
    std::vector<QDir> zoneFolders{top};
    for (const QFileInfo& entry : top.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        if (entry.fileName().compare(QLatin1String(kPoiFolder), Qt::CaseInsensitive) == 0)
            zoneFolders.emplace_back(top.filePath(entry.fileName()));
    }
    for (const QDir& zoneFolder : zoneFolders)
        files.zonePageFiles << xmlFiles(zoneFolder);
    return files;
}

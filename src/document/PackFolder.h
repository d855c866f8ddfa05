#pragma once
// The files of a UI folder (a map pack) that the editor opens: one listing for every command and
// view that covers a whole folder, so that they all cover the same files.

#include <QString>
#include <QStringList>

struct PackFolderFiles {
    // The UI folder whose map styles and maps serve the pages (a vynmap/ folder named stands for
    // the one around it).
    QString uiFolder;
    // The icon pages: the .xml files of its vynmap/ folder (or of itself when it has none), the
    // map style file left out.
    QStringList iconPages;
    // Files that may hold zone pages: the .xml files beside that vynmap/ folder and in the POI/
    // folder there (any letter case); empty when the folder has no vynmap/ folder. Only those
    // whose reading finds zone pages are pages.
    QStringList zonePageFiles;
};

// Lists `folder` in name order; each path is `folder` joined with the file's place in it.
PackFolderFiles ListPackFolder(const QString& folder);

#pragma once
// What the pack's rules need to know of a whole map pack, gathered from its POI files as they are
// opened (or opened here for a single page's check): the types their POIs use and their zone
// pages; the rules are then made with the map styles of the pack's folder.

#include "document/PackCheck.h"

#include <QString>

#include <memory>
#include <string>
#include <utility>
#include <vector>

class PageSource;
struct EditorState;

struct PackSurvey {
    QString folder;  // the pack's UI folder
    PackTypeUses uses;
    // Each zone page of its POI files: the name the check gives it (FILE#PAGE), its map's name.
    std::vector<std::pair<std::string, std::string>> zonePages;
};

// Adds the file of zone pages `source` read from `path`, when it is a POI file (its POIs placed
// by world location alone).
void AddToPackSurvey(PackSurvey& index, const QString& path, const PageSource& source);

// The pack's folder of a page file: the folder around a vynmap/ or POI/ folder it lies in, else
// its own.
QString PackFolderOfFile(const QString& file);

// Opens every POI file of the pack in UI folder `folder` (see ListPackFolder; in a folder without
// vynmap/, its own files) for its index.
PackSurvey SurveyPack(const QString& folder);

// The rules of the indexed pack: its ignore file read, its zone pages' rectangles looked up in
// the map styles of its folder (the rectangle table of `configured` where they have none).
std::shared_ptr<const PackRules> MakePackRules(const PackSurvey& index, const EditorState& configured);

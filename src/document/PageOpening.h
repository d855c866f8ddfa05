#pragma once
// The steps of opening a page that show nothing of it: reading it (and saying why not as the editor
// says it), the texts of its page fields, its map image. The icon page editor takes them in its
// window; --check takes them without one.

#include "document/PageSource.h"
#include "mapview/EditorState.h"
#include "mapview/MapStyle.h"

#include <QImage>
#include <QString>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class PackRules;
class Prompts;

// Whether `path` is a file to open; else says that it is not found.
bool PageFileFound(const QString& path, Prompts& prompts);
// Reads an icon page into `read` (`preread`: its bytes when read already; `stamp` may be null);
// null after showing why it did not read.
std::unique_ptr<PageSource> ReadIconPageOrSay(TSimpleXML& read, const std::string& path, std::string* preread,
                                              FileStamp* stamp, Prompts& prompts);
// Reads page `page` of `source`'s file into `read`; false after showing why not.
bool ReadZonePageOrSay(PageSource& source, int page, TSimpleXML& read, Prompts& prompts);

// What the page fields show of a page: its map name (also state.PageName) and its location name,
// the page's own "1location" or, for a page without one of its own, the map style file's name
// for its map (`zoneLocations`, from MapDisplayNames).
struct PageFieldTexts {
    std::string pageName;
    QString location;
};
PageFieldTexts PageFields(const TSimpleXMLElem& root, const PageSource& source,
                          const std::map<std::string, std::string>& zoneLocations);

// The page size that places the markers: state.PageWidth and PageHeight from the root's Size,
// else the size of the page's map (MapPageSize): the map style lookup comes first.
void TakePageSize(EditorState& state, TSimpleXMLElem& root);

// Shows why the map style file was not read, if it was refused.
void SayLookupRefusal(const MapStyleLookup& style, Prompts& prompts);

// The page check of an open page, as View > Problems lists it, with the rules of `pack` when the
// page is one of a pack. A page whose file keeps its anchor rule offers no other: its problems
// name none.
std::vector<PageProblem> CheckOpenPage(const TSimpleXMLElem& root, const EditorState& state,
                                       const PageSource& source, const PackRules* pack = nullptr);

// The open page's map image as opening reads it (a blank map when there is none, or after a
// notice when its file is cut short); nothing after showing why it did not decode: the page
// stays open without it.
std::optional<QImage> ReadPageMapOrSay(const EditorState& state, Prompts& prompts);
// The same steps and messages without decoding the pixels: true where ReadPageMapOrSay gives an
// image.
bool ProbePageMapOrSay(const EditorState& state, Prompts& prompts);

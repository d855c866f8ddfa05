#pragma once
// How --check opens its pages: in the editor's window, which a report needs for its pictures of
// the map with its markers, or without one, by the same steps on the page and the editor state
// alone. Both tell a page alike; the second spares starting a window and making its markers.

#include "document/PageCheck.h"
#include "document/PageSource.h"
#include "mapview/EditorState.h"

#include <QImage>
#include <QString>

#include <memory>
#include <vector>

class PackRules;
class Prompts;

class CheckOpening {
public:
    virtual ~CheckOpening() = default;
    // The window's ways of opening: a page named (FILE#PAGE for a zone page), a file already read
    // (at page `page` of a file of pages), another zone page of the file open. True when the page
    // is now open; what the editor would show goes to the prompts.
    virtual bool openPage(const QString& target) = 0;
    virtual bool openReadFile(const QString& path, OpenedPageFile opened, int page) = 0;
    virtual bool showZonePage(int page) = 0;
    // Whether the file open is a file of zone pages.
    virtual bool zoneFileOpen() = 0;
    // The open page as its line tells it: POIs listed, page name, location name, zone rectangle.
    virtual QString pageFields() = 0;
    // The page check of the open page, as View > Problems lists it.
    virtual std::vector<PageProblem> problems() = 0;
    // The map with the page's markers and the problems drawn on it; null without a window.
    virtual QImage picture(const std::vector<PageProblem>& problems) = 0;

    // Pages opened from now on take their map styles and maps from the UI folder `uiFolder` (its
    // vynmap/ and images/, then the default folder derived from it), or from the configured
    // folders when it is empty.
    void useFolder(const QString& uiFolder);
    // The pack whose rules join the check of the pages opened from now on; null: none.
    void usePack(std::shared_ptr<const PackRules> pack) { m_pack = std::move(pack); }

protected:
    // The editor state the pages are opened with.
    virtual EditorState& state() = 0;
    const PackRules* pack() const { return m_pack.get(); }

private:
    bool m_keptConfigured = false;
    std::string m_configuredBase;
    std::string m_configuredDefault;
    std::shared_ptr<const PackRules> m_pack;
};

std::unique_ptr<CheckOpening> WindowCheckOpening(const QString& configPath, Prompts& prompts);
// Needs no application object beyond the core one.
std::unique_ptr<CheckOpening> HeadlessCheckOpening(const QString& configPath, Prompts& prompts);

// The two ways --check opens its pages: in the window, or through the window's own page document
// without any view, on one editor state kept from page to page as the window keeps it. A test
// checks many pages both ways and compares every line.
#include "app/CheckOpening.h"

#include "app/CheckReport.h"
#include "app/Configuration.h"
#include "app/Headless.h"
#include "app/MainWindow.h"
#include "app/PageTarget.h"
#include "document/EditorSupport.h"
#include "app/IconPageEditor.h"
#include "document/PageDocument.h"
#include "document/IconPageFile.h"
#include "document/PageOpening.h"
#include "mapview/Language.h"
#include "mapview/MapCoordinates.h"
#include "mapview/MapPanel.h"
#include "mapview/MapStyle.h"
#include "support/ConfigRules.h"
#include "support/TextUtil.h"
#include "support/ZonePageFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>

#include <algorithm>
#include <map>

namespace {

// The page's line after its name: `locationField` is what the location field shows, which a page
// with a zone name of its own prints as its bytes stand.
QString fieldsLine(int listed, const EditorState& state, const TSimpleXMLElem& root, const PageSource& source,
                   const QString& locationField)
{
    const TSimpleXMLProps* props = root.PropertiesIfAny();
    const TSimpleXMLProp* location = props ? props->Find("1location") : nullptr;
    const std::string locationText = source.offers(PageFeature::OwnZoneName)
        ? (location ? location->Value() : std::string())
        : locationField.toStdString();
    const QString zone = HasZoneRect(state.ZoneRect) ? QString::fromStdString(ZoneText(state.ZoneRect))
                                                     : QStringLiteral("none");
    return QStringLiteral("%1, page \"%2\", location \"%3\", zone %4")
        .arg(QString::fromStdString(CountText(listed, "POI", "POIs")))
        .arg(oneLine(state.PageName), oneLine(locationText), zone);
}

}  // namespace

void CheckOpening::useFolder(const QString& uiFolder)
{
    EditorState& folders = state();
    if (!m_keptConfigured) {
        m_configuredBase = folders.BaseFolder;
        m_configuredDefault = folders.DefaultFolder;
        m_keptConfigured = true;
    }
    if (uiFolder.isEmpty()) {
        folders.BaseFolder = m_configuredBase;
        folders.DefaultFolder = m_configuredDefault;
        return;
    }
    folders.BaseFolder = QDir(uiFolder).absolutePath().toStdString() + '/';
    folders.DefaultFolder = Config::DefaultFolderOf(folders.BaseFolder);
}

namespace {

class WindowOpening : public CheckOpening {
public:
    WindowOpening(const QString& configPath, Prompts& prompts) : m_window(configPath, &prompts) {}

    bool openPage(const QString& target) override { return m_window.openPage(target); }
    bool openReadFile(const QString& path, OpenedPageFile opened, int page) override
    {
        return m_window.openReadFile(path, std::move(opened), page);
    }
    bool showZonePage(int page) override { return m_window.showZonePage(page); }
    bool zoneFileOpen() override { return m_window.editor().source().offers(PageFeature::PageList); }

    QString pageFields() override
    {
        IconPageEditor& editor = m_window.editor();
        return fieldsLine(editor.treeModel().rowCount(), m_window.state(), editor.xmlscan().Root(), editor.source(),
                          m_window.findChild<QLineEdit*>(QStringLiteral("FlatEdit4"))->text());
    }

    std::vector<PageProblem> problems() override { return m_window.checkOpenPage(pack()); }

    QImage picture(const std::vector<PageProblem>& problems) override
    {
        const bool mapShown = std::none_of(problems.begin(), problems.end(), [](const PageProblem& problem) {
            return problem.kind == ProblemKind::MapImage;
        });
        const MapPanel& panel = *m_window.mapPanel();
        return DrawReportPicture(mapShown ? panel.mapImage() : QImage(), panel.markerLayer(), m_window.state(),
                                 problems);
    }

protected:
    EditorState& state() override { return m_window.state(); }

private:
    TForm1 m_window;
};

// The same page document as the window's, without its views: what only shows a page (widgets,
// markers, the tree's order, the map's pixels) is left out.
class HeadlessOpening : public CheckOpening {
public:
    HeadlessOpening(const QString& configPath, Prompts& prompts)
        : m_configPath(configPath.toStdString()), m_prompts(prompts), m_language(systemLanguage()),
          m_document(m_state, prompts)
    {
        ConfigureFolders(m_state, QCoreApplication::applicationFilePath().toStdString(), m_configPath);
    }

    bool openPage(const QString& target) override
    {
        return OpenPageTarget(
            target, m_language, m_prompts, [](const PageSource&, const QString&) { return -1; },
            [this](const QString& name, OpenedPageFile opened, int page) {
                return opening(m_document.open(name, std::move(opened), page));
            },
            [this](const QString& name) { return opening(m_document.openIconPage(name)); });
    }

    bool openReadFile(const QString& path, OpenedPageFile opened, int page) override
    {
        return opening(m_document.open(path, std::move(opened), page));
    }

    bool showZonePage(int page) override
    {
        if (page == m_document.source().shownPage())
            return finishOpening();
        return opening(m_document.showPage(page));
    }

    bool zoneFileOpen() override { return m_document.source().offers(PageFeature::PageList); }

    QString pageFields() override
    {
        TSimpleXMLElem& root = m_document.root();
        const TSimpleXMLElems* children = root.ItemsIfAny();
        const int count = children ? children->Count() : 0;
        int listed = 0;
        for (int i = 0; i < count; ++i)
            listed += IsPoiElement(*children->Item(i)) ? 1 : 0;
        return fieldsLine(listed, m_state, root, m_document.source(), m_document.pageFields().location);
    }

    std::vector<PageProblem> problems() override
    {
        return CheckOpenPage(m_document.root(), m_state, m_document.source(), pack());
    }

    QImage picture(const std::vector<PageProblem>&) override { return {}; }

protected:
    EditorState& state() override { return m_state; }

private:
    // The steps of the window's opening after the page was read: what the map style lookup
    // said, and the map looked at as the window reads it, for what that tells (its pixels are not
    // decoded).
    bool opening(bool read)
    {
        if (!read)
            return false;
        SayLookupRefusal(m_document.styleLookup(), m_prompts);
        m_state.CurrentFile = m_document.path();
        m_state.DocLoaded = true;
        ProbePageMapOrSay(m_state, m_prompts);
        return finishOpening();
    }

    bool finishOpening()
    {
        if (m_state.DocLoaded && m_document.source().offers(PageFeature::AnchorOption))
            m_state.Anchor = ChosenPageAnchor(m_configPath, m_state.CurrentFile);
        return true;
    }

    std::string m_configPath;
    Prompts& m_prompts;
    Language m_language;
    EditorState m_state;
    PageDocument m_document;
};

}  // namespace

std::unique_ptr<CheckOpening> WindowCheckOpening(const QString& configPath, Prompts& prompts)
{
    return std::make_unique<WindowOpening>(configPath, prompts);
}

std::unique_ptr<CheckOpening> HeadlessCheckOpening(const QString& configPath, Prompts& prompts)
{
    return std::make_unique<HeadlessOpening>(configPath, prompts);
}

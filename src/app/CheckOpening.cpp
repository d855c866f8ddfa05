// The two ways --check opens its pages. The one without a window takes the editor's own steps of
// opening (PageOpening.h, OpenPageTarget) in the order the icon page editor and the window take
// them, on one editor state kept from page to page as the window keeps it; what only shows a page
// (widgets, markers, the tree's order, the map's pixels) is left out. A test checks many pages
// both ways and compares every line.
#include "app/CheckOpening.h"

#include "app/CheckReport.h"
#include "app/Configuration.h"
#include "app/Headless.h"
#include "app/MainWindow.h"
#include "app/PageTarget.h"
#include "document/EditorSupport.h"
#include "document/IconPageEditor.h"
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
    bool zoneFileOpen() override { return m_window.editor().source().pageFile() != nullptr; }

    QString pageFields() override
    {
        IconPageEditor& editor = m_window.editor();
        return fieldsLine(editor.treeModel().rowCount(), m_window.state(), editor.xmlscan().Root(), editor.source(),
                          m_window.findChild<QLineEdit*>(QStringLiteral("FlatEdit4"))->text());
    }

    std::vector<PageProblem> problems() override { return m_window.checkOpenPage(); }

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

class HeadlessOpening : public CheckOpening {
public:
    HeadlessOpening(const QString& configPath, Prompts& prompts)
        : m_configPath(configPath.toStdString()), m_prompts(prompts), m_language(systemLanguage())
    {
        ConfigureFolders(m_state, QCoreApplication::applicationFilePath().toStdString(), m_configPath);
    }

    bool openPage(const QString& target) override
    {
        if (!openPageOrZone(target))
            return false;
        finishOpening();
        return true;
    }

    bool openReadFile(const QString& path, OpenedPageFile opened, int page) override
    {
        const bool open = openPageFile(path, std::move(opened), page);
        if (open)
            finishOpening();
        return open;
    }

    bool showZonePage(int page) override
    {
        const ZonePageFile* file = m_source->pageFile();
        if (!file || page < 0 || page >= static_cast<int>(file->pages().size()))
            return false;
        if (page != m_source->shownPage()) {
            TSimpleXML read;
            if (!ReadZonePageOrSay(*m_source, page, read, m_prompts))
                return false;
            m_source->switchTo(page, m_document);
            openWith(QString::fromStdString(m_state.CurrentFile), [this, &read]() {
                takePage(read);
                return true;
            });
        }
        finishOpening();
        return true;
    }

    bool zoneFileOpen() override { return m_source->pageFile() != nullptr; }

    QString pageFields() override
    {
        TSimpleXMLElem& root = m_document.Root();
        const TSimpleXMLElems* children = root.ItemsIfAny();
        const int count = children ? children->Count() : 0;
        int listed = 0;
        for (int i = 0; i < count; ++i)
            listed += IsPoiElement(*children->Item(i)) ? 1 : 0;
        return fieldsLine(listed, m_state, root, *m_source, m_locationField);
    }

    std::vector<PageProblem> problems() override
    {
        return CheckOpenPage(m_document.Root(), m_state, *m_source);
    }

    QImage picture(const std::vector<PageProblem>&) override { return {}; }

protected:
    EditorState& state() override { return m_state; }

private:
    bool anchorIsChosen() const { return m_state.DocLoaded && m_source->offers(PageFeature::AnchorOption); }

    void finishOpening()
    {
        if (anchorIsChosen())
            m_state.Anchor = ChosenPageAnchor(m_configPath, m_state.CurrentFile);
    }

    bool openPageOrZone(const QString& path)
    {
        return OpenPageTarget(
            path, m_language, m_prompts, [](const ZonePageFile&, const QString&) { return -1; },
            [this](const QString& name, OpenedPageFile opened, int page) {
                return openPageFile(name, std::move(opened), page);
            },
            [this](const QString& name) { return openIconPage(name, {}); });
    }

    bool openPageFile(const QString& path, OpenedPageFile opened, int page)
    {
        if (!opened.source) {
            m_prompts.showMessage(QString::fromStdString(opened.refusal));
            return false;
        }
        if (opened.source->pageFile())
            return openFilePage(path, std::move(opened.source), page);
        return openIconPage(path, std::move(opened.unread));
    }

    bool openIconPage(const QString& path, std::string preread)
    {
        if (!PageFileFound(path, m_prompts))
            return false;
        return openWith(path, [this, &path, &preread]() {
            TSimpleXML read;
            std::unique_ptr<PageSource> source = ReadIconPageOrSay(
                read, path.toStdString(), preread.empty() ? nullptr : &preread, nullptr, m_prompts);
            if (!source)
                return false;
            m_source = std::move(source);
            m_state.Anchor = m_source->anchor();
            m_document.SwapContent(read);
            const std::string pageName = fillPageFields();
            SayLookupRefusal(LookupMapStyle(m_state, pageName), m_prompts);
            TakePageSize(m_state, m_document.Root());
            return true;
        });
    }

    bool openFilePage(const QString& path, std::unique_ptr<PageSource> source, int page)
    {
        const ZonePageFile* file = source->pageFile();
        if (page < 0 || page >= static_cast<int>(file->pages().size()))
            return false;
        TSimpleXML read;
        if (!ReadZonePageOrSay(*source, page, read, m_prompts))
            return false;
        source->switchTo(page, m_document);
        return openWith(path, [this, &source, &read]() {
            m_source = std::move(source);
            takePage(read);
            return true;
        });
    }

    void takePage(TSimpleXML& read)
    {
        m_document.SwapContent(read);
        m_state.Anchor = m_source->anchor();
        const MapStyleLookup style = LookupMapStyle(m_state, m_source->shownPageName().value_or(std::string()));
        TakePageSize(m_state, m_document.Root());
        m_zoneLocations = MapDisplayNames(m_state);
        fillPageFields();
        SayLookupRefusal(style, m_prompts);
    }

    // What the window's page fields take from a page as its tree is built.
    std::string fillPageFields()
    {
        const PageFieldTexts fields = PageFields(m_document.Root(), *m_source, m_zoneLocations);
        m_state.PageName = fields.pageName;
        m_locationField = fields.location;
        return m_state.PageName;
    }

    // The steps of opening after `load` read the page: its map is read as the window reads it,
    // for what that tells; its pixels are not decoded.
    bool openWith(const QString& path, const std::function<bool()>& load)
    {
        if (!load())
            return false;
        m_state.CurrentFile = path.toStdString();
        m_state.DocLoaded = true;
        ProbePageMapOrSay(m_state, m_prompts);
        return true;
    }

    std::string m_configPath;
    Prompts& m_prompts;
    Language m_language;
    EditorState m_state;
    TSimpleXML m_document;
    std::unique_ptr<PageSource> m_source = IconPageSource();
    std::map<std::string, std::string> m_zoneLocations;
    QString m_locationField;  // what the window's location field shows
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

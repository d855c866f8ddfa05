// Aligning a map by control points (POI > Align Map..., and the status bar's offer on a page
// without a zone rectangle), and choosing a picture for a map whose own is missing.
#include "app/MainWindow.h"

#include "app/Configuration.h"
#include "document/EditorSupport.h"
#include "document/PageCheck.h"
#include "document/PoiTreeModel.h"
#include "mapview/MapImage.h"
#include "mapview/MapPanel.h"
#include "mapview/MapStyle.h"
#include "mapview/WorldLocation.h"
#include "support/GamePath.h"
#include "support/ZoneRectTable.h"
#include "tools/AlignMap.h"
#include "tools/ZoneRectEditor.h"

#include <QAction>
#include <QDir>
#include <QDirIterator>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTreeView>

namespace {

const char* const kAlignAction = "MapAlign";
const char* const kChooseImageAction = "FileChooseMapImage";
const char* const kStyleFolderName = "vynmap/";
const char* const kImagesFolder = "images/";

// Inserts `act` into the menu `menuName` right after the item `after`.
void insertAfter(QMenuBar* bar, const char* menuName, QAction* after, QAction* act)
{
    QMenu* menu = bar->findChild<QMenu*>(QLatin1String(menuName));
    if (!menu)
        return;
    const QList<QAction*> items = menu->actions();
    menu->insertAction(items.value(static_cast<int>(items.indexOf(after)) + 1), act);
}

// A file of name `name` (letter case ignored) anywhere under `folder`, if any.
QString findUnder(const QString& folder, const QString& name)
{
    QDirIterator files(folder, QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString path = files.next();
        if (files.fileName().compare(name, Qt::CaseInsensitive) == 0)
            return path;
    }
    return QString();
}

}  // namespace

AlignMapWindow* TForm1::alignWindow() const
{
    return m_alignWindow;
}

void TForm1::createAlignActions()
{
    for (const char* name : {kAlignAction, kChooseImageAction}) {
        auto* act = new QAction(this);
        act->setObjectName(QLatin1String(name));
        act->setEnabled(false);
        act->setVisible(false);
        m_actions << act;
        addAction(act);
    }
    insertAfter(menuBar(), "N5", action(QStringLiteral("MapAddZonerect")), action(QLatin1String(kAlignAction)));
    insertAfter(menuBar(), "N1", action(QStringLiteral("FileMAP")), action(QLatin1String(kChooseImageAction)));
    // The offer of a page without a rectangle: shown only there, so the described bar stays.
    m_alignOffer = new QLabel(statusBar());
    m_alignOffer->setObjectName(QStringLiteral("AlignOffer"));
    m_alignOffer->setVisible(false);
    statusBar()->addPermanentWidget(m_alignOffer);
}

void TForm1::connectAlignHandlers()
{
    connect(action(QLatin1String(kAlignAction)), &QAction::triggered, this, &TForm1::MapAlignExecute);
    connect(action(QLatin1String(kChooseImageAction)), &QAction::triggered, this, &TForm1::FileChooseMapImageExecute);
    connect(m_alignOffer, &QLabel::linkActivated, this, [this]() { MapAlignExecute(); });
}

void TForm1::MapAlignUpdate()
{
    // The window belongs to the map it was opened on: another page's POIs are not its points.
    if (m_alignWindow && (!m_state.DocLoaded || m_alignWindow->mapName().toStdString() != m_state.PageName))
        m_alignWindow->close();
    // Listed while a page is open: with none, the described POI menu stays as it is.
    QAction* align = action(QLatin1String(kAlignAction));
    if (align->isVisible() != m_state.DocLoaded) {
        align->setVisible(m_state.DocLoaded);
        align->setEnabled(m_state.DocLoaded);
    }
    const bool offered = m_state.DocLoaded && !HasZoneRect(m_state.ZoneRect);
    if (offered && m_alignOffer->text().isEmpty())
        m_alignOffer->setText(caption(m_language, "AlignOffer"));
    if (m_alignOffer->isVisible() != offered)
        m_alignOffer->setVisible(offered);
    // Offered while the map's own picture is missing, and while a chosen one stands in for it.
    // Looking on disk lists folders: done once per page and picture, not at every idle moment.
    const std::string shown = m_state.DocLoaded ? m_state.CurrentFile + '#' + m_state.PageName + '#'
            + m_state.MapImagePath + '#' + m_state.ChosenMapImage : std::string();
    if (shown != m_pictureLookedUpFor) {
        m_pictureLookedUpFor = shown;
        const std::optional<std::string> found = m_state.DocLoaded ? pageMapFile(m_state) : std::nullopt;
        // Listed only then, as File > Zone Page is: the described File menu stays as it is.
        QAction* choose = action(QLatin1String(kChooseImageAction));
        const bool missing = m_state.DocLoaded && (!found || *found == m_state.ChosenMapImage);
        choose->setVisible(missing);
        choose->setEnabled(missing);
    }
}

AlignMapSetup TForm1::alignSetup()
{
    AlignMapSetup setup;
    setup.mapName = QString::fromStdString(m_state.PageName);
    setup.pageWidth = m_state.PageWidth;
    setup.pageHeight = m_state.PageHeight;
    setup.zone = m_state.ZoneRect;
    setup.pagePixels = m_editor->source().offers(PageFeature::LocationField);
    try {
        setup.picture = mapDisplayImage(loadPageMapImage(m_state), pageMapArea(m_state));
    } catch (const std::exception&) {
        setup.picture = blankMap();  // the points can still be placed on a blank page
    }
    const CheckedPage page = DescribePage(m_editor->xmlscan().Root(), m_state, PoiVocabulary{}, std::nullopt);
    for (const CheckedPoi& poi : page.pois) {
        const std::optional<WorldLocation> world = poi.world ? WorldLocation::Parse(*poi.world) : std::nullopt;
        if (!world)
            continue;
        AlignPoi entry{poi.index, fromDoc(std::string(poi.name)), world->x, world->z, std::nullopt};
        if (setup.pagePixels && poi.location)
            entry.pixel = PointFromLocation(m_state.Anchor, *poi.location, poi.size.value_or(std::string_view()));
        setup.pois.push_back(std::move(entry));
    }
    setup.kept = KeptControlPoints(m_configPath.toStdString(), m_state.PageName);
    return setup;
}

void TForm1::MapAlignExecute()
{
    if (!m_state.DocLoaded)
        return;
    applyPendingEdits();
    if (m_alignWindow)
        m_alignWindow->close();
    const std::string mapName = m_state.PageName;
    m_alignWindow = new AlignMapWindow(
        alignSetup(),
        [this, mapName](const ZoneRectangle& zone, bool styleFile) { return applyAlignedZone(mapName, zone, styleFile); },
        m_language, this);
    connect(m_alignWindow, &AlignMapWindow::pointsChanged, this, [this, mapName](const std::vector<ControlPoint>& points) {
        try {
            KeepControlPoints(m_configPath.toStdString(), mapName, points);
        } catch (const std::exception&) {
            // Only a later sitting misses them: the alignment at hand goes on.
        }
    });
    connect(m_alignWindow, &AlignMapWindow::applied, this, [this]() { offerPixelFixes(); });
    if (QItemSelectionModel* tree = m_ui.TreeView1->selectionModel()) {
        connect(tree, &QItemSelectionModel::currentChanged, m_alignWindow, [this](const QModelIndex& node) {
            if (node.isValid() && !PoiTreeModel::isValueNode(node))
                m_alignWindow->setCurrentPoi(PoiTreeModel::poiOf(node));
        });
    }
    const QModelIndex current = m_ui.TreeView1->currentIndex();
    if (current.isValid() && !PoiTreeModel::isValueNode(current))
        m_alignWindow->setCurrentPoi(PoiTreeModel::poiOf(current));
    m_alignWindow->show();
    m_alignWindow->raise();
}

bool TForm1::applyAlignedZone(const std::string& mapName, const ZoneRectangle& zone, bool styleFile)
{
    const std::string text = ZoneText(zone);
    if (styleFile) {
        try {
            UpdateMapStyleFile(GamePath::resolve(m_state.BaseFolder, kStyleFolderName), mapName, text);
        } catch (const ZoneUpdateError& error) {
            m_prompts->showMessage(QString::fromStdString(error.what()));
            return false;
        }
    }
    const std::string config = m_configPath.toStdString();
    if (!WriteZoneDefinition(config, mapName, text) && !styleFile) {
        m_prompts->showMessage(caption(m_language, "AlignNotWritten").arg(m_configPath));
        return false;
    }
    AppendZoneRect(m_state.ZoneRectTable, mapName, text);
    try {
        KeepControlPoints(config, mapName, {});  // applied: a later sitting starts afresh
    } catch (const std::exception&) {
    }
    if (!m_state.DocLoaded || m_state.PageName != mapName)
        return true;
    const MapStyleLookup style = LookupMapStyle(m_state, mapName);
    if (style.label)
        m_ui.Label5->setText(QString::fromStdString(*style.label));
    if (m_state.ZoneRect != zone)
        m_prompts->showMessage(caption(m_language, "AlignStyleDecides"));
    // Markers placed through the rectangle move with it.
    for (int i = 0; i < m_ui.Panel1->markerCount(); ++i)
        m_editor->PlacePoiMarker(i, false);
    updatePlacementNotice();
    scheduleProblemsRefresh();
    return true;
}

void TForm1::offerPixelFixes()
{
    // Pages that hold each POI's pixel: those the rectangle puts elsewhere are for the page
    // check's quick fixes to settle, one by one.
    if (!m_alignWindow || m_alignWindow->pixelsOffFit().empty() || !m_editor->source().offers(PageFeature::LocationField))
        return;
    ViewProblemsExecute();
}

void TForm1::FileChooseMapImageExecute()
{
    if (!m_state.DocLoaded)
        return;
    const QString name = QString::fromStdString(GamePath::fileName(m_state.MapImagePath));
    const QString images = QString::fromStdString(GamePath::resolve(m_state.BaseFolder, kImagesFolder));
    QString chosen;
    const QString found = name.isEmpty() ? QString() : findUnder(images, name);
    if (!found.isEmpty()
        && m_prompts->confirm(caption(m_language, "MapImageFound").arg(name, QDir::toNativeSeparators(found)))) {
        chosen = found;
    } else {
        FileDialogOptions options;
        options.title = caption(m_language, "ChooseMapImageTitle");
        options.filter = caption(m_language, "ChooseMapImageFilter");
        options.initialFolder = QDir(images).exists() ? images : QString::fromStdString(m_state.BaseFolder);
        chosen = m_prompts->openFileName(options);
    }
    if (chosen.isEmpty())
        return;
    try {
        KeepChosenMapImage(m_state, m_configPath.toStdString(), m_state.PageName, QDir::cleanPath(chosen).toStdString());
    } catch (const std::exception& error) {
        m_prompts->showMessage(QString::fromStdString(error.what()));
        return;
    }
    LookupMapStyle(m_state, m_state.PageName);
    try {
        m_ui.Panel1->setMapImage(mapDisplayImage(loadPageMapImage(m_state), pageMapArea(m_state)));
    } catch (const std::exception& error) {
        m_prompts->showMessage(QString::fromStdString(error.what()));
    }
    noteMissingMap();
}

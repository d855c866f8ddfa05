// The main window's page check: View > Problems with its window, and Option > Location is the
// icon's top-left corner, the anchor rule of an icon page remembered per page file.
#include "app/MainWindow.h"

#include "app/Configuration.h"
#include "document/IconPageCommands.h"
#include "app/IconPageEditor.h"
#include "document/PageOpening.h"
#include "document/PoiTreeModel.h"
#include "mapview/MapImage.h"
#include "mapview/PoiAnchor.h"
#include "support/ZonePageFile.h"
#include "tools/PageProblems.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <QTreeView>
#include <QUndoStack>

namespace {

const char* const kProblemsAction = "ViewProblems";
// The properties a quick fix reads and writes, found as the editor finds them.
const char* const kLocationName = "Location";
const char* const kWorldName = "pathfindlocation";
const char* const kSizeName = "Size";
const char* const kTopLeftAction = "OptionTopLeft";
// A zone page inside a file is opened as FILE#PAGE; an icon page is a file of its own.

}  // namespace

void TForm1::createCheckActions()
{
    for (const char* name : {kProblemsAction, kTopLeftAction}) {
        auto* act = new QAction(this);
        act->setObjectName(QLatin1String(name));
        m_actions << act;
        addAction(act);
    }
    QAction* topLeft = action(QLatin1String(kTopLeftAction));
    topLeft->setCheckable(true);
    topLeft->setEnabled(false);
    // Problems heads the View menu, above the zoom steps; the type items follow at its end.
    const QList<QAction*> viewItems = m_viewMenu->actions();
    QAction* first = viewItems.value(0);
    m_viewMenu->insertAction(first, action(QLatin1String(kProblemsAction)));
    m_viewMenu->insertSeparator(first);
    if (QMenu* options = menuBar()->findChild<QMenu*>(QStringLiteral("N12")))
        options->addAction(topLeft);
}

void TForm1::connectCheckHandlers()
{
    connect(action(QLatin1String(kProblemsAction)), &QAction::triggered, this, &TForm1::ViewProblemsExecute);
    connect(action(QLatin1String(kTopLeftAction)), &QAction::triggered, this, &TForm1::OptionTopLeftExecute);
    // Changes come in bursts (an apply refreshes a node, an undo rebuilds the tree): one check
    // runs after each burst, when the window is shown.
    m_problemsRefresh = new QTimer(this);
    m_problemsRefresh->setSingleShot(true);
    m_problemsRefresh->setInterval(0);
    connect(m_problemsRefresh, &QTimer::timeout, this, &TForm1::refreshProblems);
    connect(&m_editor->undoStack(), &QUndoStack::indexChanged, this, &TForm1::scheduleProblemsRefresh);
    QAbstractItemModel* tree = &m_editor->treeModel();
    connect(tree, &QAbstractItemModel::modelReset, this, &TForm1::scheduleProblemsRefresh);
    connect(tree, &QAbstractItemModel::dataChanged, this, &TForm1::scheduleProblemsRefresh);
    connect(tree, &QAbstractItemModel::rowsMoved, this, &TForm1::scheduleProblemsRefresh);
}

void TForm1::OptionTopLeftUpdate()
{
    QAction* act = action(QLatin1String(kTopLeftAction));
    const bool chosen = anchorIsChosen();
    act->setEnabled(chosen);
    act->setChecked(chosen && m_state.Anchor == PoiAnchor::Centre);
}

bool TForm1::anchorIsChosen() const
{
    return m_state.DocLoaded && m_editor->source().offers(PageFeature::AnchorOption);
}

void TForm1::pageOpened(bool open)
{
    if (open && anchorIsChosen()) {
        const PoiAnchor anchor = ChosenPageAnchor(m_configPath.toStdString(), m_state.CurrentFile);
        if (anchor != m_state.Anchor) {
            // The markers were placed by the rule of the page before.
            m_state.Anchor = anchor;
            m_editor->BuildPoiTree();
        }
    }
    scheduleProblemsRefresh();
}

void TForm1::OptionTopLeftExecute()
{
    // The checkable action has already inverted its mark.
    setPageAnchor(action(QLatin1String(kTopLeftAction))->isChecked() ? PoiAnchor::Centre : PoiAnchor::Location);
}

void TForm1::setPageAnchor(PoiAnchor anchor)
{
    if (!anchorIsChosen())
        return;
    // Edits waiting for the apply belong to the rule they were made under.
    applyPendingEdits();
    const int selected = m_editor->currentPoi();
    m_state.Anchor = anchor;
    keepPageAnchor();
    m_editor->BuildPoiTree();
    if (selected >= 0)
        m_editor->SelectPoi(selected);
    OptionTopLeftUpdate();
    scheduleProblemsRefresh();
}

void TForm1::keepPageAnchor()
{
    // A preference that cannot be kept must not stop the editing: the page keeps the rule until
    // it is opened again.
    try {
        KeepPageAnchor(m_configPath.toStdString(), m_state.CurrentFile, m_state.Anchor);
    } catch (const std::exception&) {
    }
}

std::vector<PageProblem> TForm1::checkOpenPage(const PackRules* pack)
{
    return CheckOpenPage(m_editor->xmlscan().Root(), m_state, m_editor->source(), pack ? pack : openPack());
}

void TForm1::ViewProblemsExecute()
{
    if (!m_problemsWindow) {
        m_problemsWindow = new PageProblemsWindow(*m_prompts, m_language, this);
        connect(m_problemsWindow, &PageProblemsWindow::poiChosen, this, [this](int poiIndex) {
            // The same path as a click in the tree: pending edits go to the POI left first.
            m_editor->SelectPoi(poiIndex);
            m_ui.TreeView1->scrollTo(m_editor->PoiNode(poiIndex));
        });
        connect(m_problemsWindow, &PageProblemsWindow::zoneRectChosen, this,
                [this](const QString& zoneText) { MapAddZonerectExecute(zoneText); });
        connect(m_problemsWindow, &PageProblemsWindow::anchorChosen, this, &TForm1::setPageAnchor);
        connect(m_problemsWindow, &PageProblemsWindow::moveMarkerChosen, this,
                [this](int poiIndex) { fixMisplacedPoi(poiIndex, true); });
        connect(m_problemsWindow, &PageProblemsWindow::setWorldChosen, this,
                [this](int poiIndex) { fixMisplacedPoi(poiIndex, false); });
        connect(m_problemsWindow, &PageProblemsWindow::proposedFixChosen, this,
                [this](int row) {
                    const PageProblem problem = m_problemsWindow->problems()[static_cast<size_t>(row)];
                    applyProblemFix(problem);
                });
        connect(m_problemsWindow, &PageProblemsWindow::ignoreChosen, this,
                [this](int row) {
                    const PageProblem problem = m_problemsWindow->problems()[static_cast<size_t>(row)];
                    ignoreProblem(problem);
                });
    }
    m_problemsWindow->show();
    m_problemsWindow->raise();
    m_problemsWindow->activateWindow();
    refreshProblems();
}

void TForm1::fixMisplacedPoi(int poiIndex, bool moveMarker)
{
    if (!m_state.DocLoaded)
        return;
    // Edits waiting for the apply go into their POI first, as their own step.
    applyPendingEdits();
    const TSimpleXMLElems* children = m_editor->xmlscan().Root().ItemsIfAny();
    TSimpleXMLElem* poi =
        children && poiIndex >= 0 && poiIndex < children->Count() ? children->Item(poiIndex) : nullptr;
    const TSimpleXMLProps* props = poi ? poi->PropertiesIfAny() : nullptr;
    const TSimpleXMLProp* location = props ? props->Find(kLocationName) : nullptr;
    const TSimpleXMLProp* world = props ? props->Find(kWorldName) : nullptr;
    const TSimpleXMLProp* size = props ? props->Find(kSizeName) : nullptr;
    if (!location || !world)
        return;
    const std::string sizeText = size ? size->Value() : std::string();
    const std::optional<ImagePoint> point = PointFromLocation(m_state.Anchor, location->Value(), sizeText);
    const std::optional<WorldLocation> parts = WorldLocation::Parse(world->Value());
    if (!point || !parts)
        return;
    std::unique_ptr<TSimpleXMLElem> after = CopyElement(*poi);
    if (moveMarker) {
        const std::optional<ImagePoint> target = WorldToImagePoint(m_state, *parts);
        if (!target)
            return;
        const std::pair<int, int> moved = LocationForPoint(m_state.Anchor, *target, sizeText);
        const std::string text = std::to_string(moved.first) + "," + std::to_string(moved.second);
        after->Properties().Find(kLocationName)->SetValue(text);
    } else {
        after->Properties().Find(kWorldName)->SetValue(ImagePointToWorldText(m_state, *point, parts->middle));
    }
    m_editor->document().editPoi(poiIndex, std::move(after));
}

void TForm1::scheduleProblemsRefresh()
{
    if (m_problemsWindow && m_problemsWindow->isVisible())
        m_problemsRefresh->start();
}

void TForm1::refreshProblems()
{
    if (!m_problemsWindow || !m_problemsWindow->isVisible())
        return;
    const QString page = m_state.DocLoaded ? QFileInfo(QString::fromStdString(m_state.CurrentFile)).fileName() : QString();
    m_problemsWindow->setProblems(checkOpenPage(), page);
}

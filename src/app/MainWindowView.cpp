// The main window's additions beyond its described layout: the Edit menu with Find, the View
// menu (zoom steps and the style groups shown), nudging the selected marker with the arrow keys,
// and File > Export Map Picture. Each hooks into the window through one call.
#include "app/MainWindow.h"

#include "app/PoiSelection.h"

#include "app/Configuration.h"
#include "app/FindBar.h"
#include "app/PoiFind.h"
#include "app/IconPageEditor.h"
#include "document/IconPageFile.h"
#include "app/PoiSelection.h"
#include "document/PoiTreeModel.h"
#include "mapview/DdsExport.h"
#include "mapview/MapPanel.h"
#include "mapview/MarkerGeometry.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTextStream>
#include <QTimer>
#include <QTreeView>

namespace {

const char* const kEditMenu = "EditMenu";
const char* const kViewMenu = "ViewMenu";
const char* const kTypeActionPrefix = "ViewType_";
const char* const kOtherTypeCaption = "ViewTypeOther";
// The configuration keeps the hidden style groups, comma-separated.
const char* const kViewSection = "VIEW";
const char* const kHiddenTypesKey = "HiddenTypes";
const QLatin1Char kListSeparator(',');

struct AddedAction {
    const char* name;
    QKeySequence shortcut;
    QKeySequence alternative;  // e.g. Ctrl+= where "+" needs Shift
};

QSet<QString> readHiddenStyles(const QString& iniPath)
{
    const ProfileFile profile = ConfigurationProfile(iniPath.toStdString());
    const QString text = QString::fromStdString(profile.readString(kViewSection, kHiddenTypesKey));
    const QStringList styles = text.split(kListSeparator, Qt::SkipEmptyParts);
    return QSet<QString>(styles.begin(), styles.end());
}

void writeHiddenStyles(const QString& iniPath, const QSet<QString>& hidden)
{
    QStringList styles;
    for (const QString& group : MarkerStyleGroups())
        if (hidden.contains(group))
            styles << group;
    // A view preference that cannot be kept must not stop the editing: the window still
    // shows the choice until it closes.
    try {
        ConfigurationProfile(iniPath.toStdString()).writeString(kViewSection, kHiddenTypesKey,
                                                       styles.join(kListSeparator).toStdString());
    } catch (const std::exception&) {
    }
}

} // namespace

QMenu* TForm1::editMenu()
{
    if (auto* existing = menuBar()->findChild<QMenu*>(QLatin1String(kEditMenu)))
        return existing;
    auto* menu = new QMenu(menuBar());
    menu->setObjectName(QLatin1String(kEditMenu));
    menu->setTitle(caption(m_language, kEditMenu));
    QMenu* poiMenu = menuBar()->findChild<QMenu*>(QStringLiteral("N5"));
    menuBar()->insertMenu(poiMenu ? poiMenu->menuAction() : nullptr, menu);
    m_menus << menu;
    return menu;
}

void TForm1::createViewMenu()
{
    const AddedAction added[] = {
        {"FileExportPicture", QKeySequence(), QKeySequence()},
        {"EditFind", QKeySequence::Find, QKeySequence()},
        {"ViewZoomIn", QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)},
        {"ViewZoomOut", QKeySequence(Qt::CTRL | Qt::Key_Minus), QKeySequence()},
        {"ViewZoomReset", QKeySequence(Qt::CTRL | Qt::Key_0), QKeySequence()},
    };
    for (const AddedAction& row : added) {
        auto* act = new QAction(this);
        act->setObjectName(QLatin1String(row.name));
        act->setShortcut(row.shortcut);
        if (!row.alternative.isEmpty())
            act->setShortcuts({row.shortcut, row.alternative});
        m_actions << act;
        addAction(act);
    }
    // File > Export Map Picture sits with the map command.
    QMenu* fileMenu = menuBar()->findChild<QMenu*>(QStringLiteral("N1"));
    const QList<QAction*> fileItems = fileMenu->actions();
    const int mapItem = static_cast<int>(fileItems.indexOf(action(QStringLiteral("FileMAP"))));
    fileMenu->insertAction(fileItems.value(mapItem + 1), action(QStringLiteral("FileExportPicture")));

    editMenu()->addAction(action(QStringLiteral("EditFind")));

    m_viewMenu = menuBar()->addMenu(QString());
    m_viewMenu->setObjectName(QLatin1String(kViewMenu));
    for (const char* name : {"ViewZoomIn", "ViewZoomOut", "ViewZoomReset"})
        m_viewMenu->addAction(action(QLatin1String(name)));
    m_viewMenu->addSeparator();
    createMarkerLookMenus();
    m_viewMenu->addSeparator();
    m_menus << m_viewMenu;
}

void TForm1::connectViewHandlers()
{
    MapPanel* panel = m_ui.Panel1;
    m_hiddenStyles = readHiddenStyles(m_configPath);
    panel->setHiddenStyles(m_hiddenStyles);
    connect(m_viewMenu, &QMenu::aboutToShow, this, &TForm1::refreshTypeMenu);
    connect(action(QStringLiteral("ViewZoomIn")), &QAction::triggered, panel,
            [panel]() { panel->zoomIn(panel->viewCentre()); });
    connect(action(QStringLiteral("ViewZoomOut")), &QAction::triggered, panel,
            [panel]() { panel->zoomOut(panel->viewCentre()); });
    connect(action(QStringLiteral("ViewZoomReset")), &QAction::triggered, panel,
            [panel]() { panel->setZoom(1.0, panel->viewCentre()); });
    connect(panel, &MapPanel::nudgeRequested, this, &TForm1::nudgeSelected);
    connect(action(QStringLiteral("EditFind")), &QAction::triggered, this, &TForm1::EditFindExecute);
    connect(action(QStringLiteral("FileExportPicture")), &QAction::triggered, this,
            &TForm1::FileExportPictureExecute);
    connectMarkerLook();
    refreshTypeMenu();
}

void TForm1::layOutGrown(const QSize& client)
{
    const QSize grown = client - m_laidOut;
    if (grown.isNull())
        return;
    m_laidOut += grown;
    const int wider = grown.width();
    const int taller = grown.height();
    QWidget* map = m_ui.Panel1;
    map->resize(map->width() + wider, map->height() + taller);
    Panel2->setGeometry(Panel2->x() + wider, Panel2->y(), Panel2->width(), Panel2->height() + taller);
    QTreeView* tree = m_ui.TreeView1;
    tree->resize(tree->width(), tree->height() + taller);
    for (QWidget* field : Panel2->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        if (field->y() > tree->y())
            field->move(field->x(), field->y() + taller);
    // The notice panel's long texts (a missing map's paths) get the extra width.
    QLabel* notice = statusPanel(0);
    notice->setFixedWidth(notice->width() + wider);
}

void TForm1::refreshTypeMenu()
{
    for (QAction* act : m_typeActions) {
        m_actions.removeOne(act);
        delete act;
    }
    m_typeActions.clear();
    const QSet<QString> present = m_ui.Panel1->markerStyles();
    for (const QString& style : MarkerStyleGroups()) {
        if (!present.contains(style))
            continue;
        const QString name = QLatin1String(kTypeActionPrefix) + style;
        // The styles read as in the page; only the group of the rest has a caption.
        const QString text = style == MarkerStyleGroup("") ? caption(m_language, kOtherTypeCaption) : style;
        auto* act = m_viewMenu->addAction(text);
        act->setObjectName(name);
        act->setCheckable(true);
        act->setChecked(!m_hiddenStyles.contains(style));
        connect(act, &QAction::toggled, this, [this, style](bool shown) { setTypeShown(style, shown); });
        m_typeActions << act;
    }
}

void TForm1::setTypeShown(const QString& style, bool shown)
{
    if (shown)
        m_hiddenStyles.remove(style);
    else
        m_hiddenStyles.insert(style);
    m_ui.Panel1->setHiddenStyles(m_hiddenStyles);
    writeHiddenStyles(m_configPath, m_hiddenStyles);
}

void TForm1::nudgeSelected(QPoint delta)
{
    const int poiIndex = m_editor->currentPoi();
    if (poiIndex < 0 || !m_state.DocLoaded)
        return;
    if (selection().selectedPois().size() > 1) {
        moveSelected(delta);
        return;
    }
    // Each key press is a gesture of its own, one undo step, applied at once: the path field and
    // the coordinate label then show where this press put the POI, not where the one before did.
    // Edits typed before the press are a step of their own.
    m_editor->FlushPendingEdits();
    m_ui.Panel1->nudgeMarker(poiIndex, delta);
    m_editor->FlushPendingEdits();
}

void TForm1::EditFindExecute()
{
    if (!m_findBar) {
        m_findBar = new FindBar(this);
        m_findBar->setWindowTitle(caption(m_language, "FindTitle"));
        m_findBar->setFont(font());
        connect(m_findBar, &FindBar::textTyped, this,
                [this](const QString& text) { findStep(text, 1, true); });
        connect(m_findBar, &FindBar::stepRequested, this,
                [this](int step) { findStep(m_findBar->field()->text(), step, false); });
    }
    m_findBar->open();
}

void TForm1::findStep(const QString& text, int step, bool fromStart)
{
    const PoiTreeModel& tree = m_editor->treeModel();
    QList<FindCandidate> candidates;
    TSimpleXMLElems& pois = m_editor->xmlscan().Root().Items();
    const int rows = tree.rowCount();
    candidates.reserve(rows);
    for (int row = 0; row < rows; ++row) {
        const QModelIndex node = tree.index(row, 0);
        const TSimpleXMLElem* poi = pois.Item(PoiTreeModel::poiOf(node));
        const std::string tooltip = poi ? ValueOrEmpty(*poi, "Tooltip") : std::string();
        candidates << FindCandidate{node.data().toString(), QString::fromStdString(tooltip)};
    }
    const QModelIndex current = m_editor->PoiNode(m_editor->currentPoi());
    const int from = fromStart || !current.isValid() ? -1 : current.row();
    const int match = FindNextMatch(candidates, text, from, step);
    if (match < 0)
        return;
    // The same path as a click in the tree: pending edits go to the POI left first.
    const int found = PoiTreeModel::poiOf(tree.index(match, 0));
    m_editor->SelectPoi(found);
    m_ui.TreeView1->scrollTo(m_editor->PoiNode(found));
}

void TForm1::FileExportPictureExecute()
{
    if (!m_state.DocLoaded) {
        m_prompts->showMessage(QLatin1String(IconPageText::kNoFileLoaded));
        return;
    }
    FileDialogOptions options;
    options.title = caption(m_language, "ExportTitle");
    options.filter = QStringLiteral("PNG image (*.png)");
    options.defaultSuffix = QStringLiteral("png");
    options.mustExist = false;
    const QString chosen = m_prompts->saveFileName(options);
    if (chosen.isEmpty())
        return;
    const bool labels = m_prompts->confirm(caption(m_language, "ExportLabels"), options.title);
    QString why;
    QTextStream err(&why);
    if (writePngFile(m_ui.Panel1->picture(labels), chosen, err) != 0)
        m_prompts->showError(why.trimmed());
}

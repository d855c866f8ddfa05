// The main window's commands on several POIs at once: the selection shown in the tree, on the
// markers and in the status bar, moving the selected POIs together, copy, cut, paste and
// duplicate, and the context menus of the map and the tree. Additions: unused, every described
// command behaves as before.
#include "app/MainWindow.h"

#include "document/IconPageFile.h"
#include "document/PageCheck.h"

#include "document/EditorSupport.h"
#include "document/IconPageCommands.h"
#include "document/IconPageFile.h"
#include "document/PoiGroupCommands.h"
#include "app/PoiSelection.h"
#include "document/PoiTreeModel.h"
#include "mapview/MapCoordinates.h"
#include "mapview/MapPanel.h"
#include "tools/PoiClipboard.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QStatusBar>
#include <QTimer>
#include <QTreeView>
#include <QUndoStack>

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

// The status bar panel that says how many POIs are selected (empty otherwise).
constexpr int kSelectedCountPanel = 5;
// Room around a status text, in pixels.
constexpr int kPanelPadding = 6;
const char* const kDeleteCaption = "VynMAP Editor - Warning";
// How long a passing word stays in the status bar.
constexpr int kStatusMessageMs = 8000;

PoiPageKind pageKindOf(const EditorState& state, IconPageEditor& editor)
{
    return PageKindOf(editor.source(), state);
}

std::vector<const TSimpleXMLElem*> elementsOf(IconPageEditor& editor, const std::vector<int>& pois)
{
    std::vector<const TSimpleXMLElem*> elements;
    TSimpleXMLElems& items = editor.xmlscan().Root().Items();
    for (int poi : pois)
        if (const TSimpleXMLElem* element = items.Item(poi); element && IsPoiElement(*element))
            elements.push_back(element);
    return elements;
}

// The selected POIs' elements, with what the fields hold applied first; none without a page.
std::vector<const TSimpleXMLElem*> selectedElements(const EditorState& state, IconPageEditor& editor,
                                                    const PoiSelection& selection)
{
    if (!state.DocLoaded)
        return {};
    editor.FlushPendingEdits();
    return elementsOf(editor, selection.selectedPois());
}

}  // namespace

void TForm1::showGroupChange(const std::vector<int>& shown, int current)
{
    // A group step changed the page: rebuild the view once, select its POIs.
    m_editor->BuildPoiTree();
    m_selection->select(shown, current);
    // The POIs the fields showed may be gone (delete, cut, an undone paste).
    if (shown.empty())
        m_editor->ShowNoPoi();
}

void TForm1::createGroupActions()
{
    const std::pair<const char*, QKeySequence> added[] = {
        {"EditCopy", QKeySequence(Qt::CTRL | Qt::Key_C)},
        {"EditCut", QKeySequence(Qt::SHIFT | Qt::Key_Delete)},
        {"EditPaste", QKeySequence(Qt::CTRL | Qt::Key_V)},
        {"EditDuplicate", QKeySequence(Qt::CTRL | Qt::Key_D)},
    };
    QMenu* menu = editMenu();
    menu->addSeparator();
    for (const auto& [name, shortcut] : added) {
        auto* act = new QAction(this);
        act->setObjectName(QLatin1String(name));
        act->setShortcut(shortcut);
        m_actions << act;
        addAction(act);
        menu->addAction(act);
    }
    // Keys without a menu item, so that the described POI menu keeps its look: Delete asks as
    // POI > Delete POI does, Escape drops the selection. Text fields keep both keys.
    const std::pair<const char*, Qt::Key> keys[] = {{"KeyDelete", Qt::Key_Delete}, {"KeyEscape", Qt::Key_Escape}};
    for (const auto& [name, key] : keys) {
        auto* act = new QAction(this);
        act->setObjectName(QLatin1String(name));
        act->setShortcut(QKeySequence(key));
        addAction(act);
    }
}

void TForm1::connectGroupHandlers()
{
    m_selection = new PoiSelection(*m_editor, this);
    connect(&m_editor->document(), &PageDocument::groupChanged, this, &TForm1::showGroupChange);
    connect(m_selection, &PoiSelection::shown, this, &TForm1::showSelectedCount);
    MapPanel* panel = m_ui.Panel1;
    connect(panel, &MapPanel::markerToggled, m_selection, &PoiSelection::toggle);
    connect(panel, &MapPanel::groupPressed, m_selection, &PoiSelection::makeCurrent);
    connect(panel, &MapPanel::groupMoved, this, &TForm1::moveSelected);
    connect(panel, &MapPanel::markersBanded, m_selection, &PoiSelection::band);
    connect(panel, &MapPanel::emptyMapClicked, m_selection, &PoiSelection::clear);
    connect(findChild<QAction*>(QStringLiteral("KeyDelete")), &QAction::triggered, this, &TForm1::MAPDELExecute);
    connect(findChild<QAction*>(QStringLiteral("KeyEscape")), &QAction::triggered, m_selection,
            &PoiSelection::clear);
    connect(panel, &MapPanel::contextMenuAt, this,
            [this](QPoint at, QPoint global) { mapContextMenu(at)->popup(global); });
    QTreeView* tree = m_ui.TreeView1;
    tree->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(tree, &QWidget::customContextMenuRequested, this, [this, tree](const QPoint& pos) {
        if (QMenu* menu = treeContextMenu(tree->indexAt(pos)))
            menu->popup(tree->viewport()->mapToGlobal(pos));
    });
    connect(action(QStringLiteral("EditCopy")), &QAction::triggered, this, &TForm1::EditCopyExecute);
    connect(action(QStringLiteral("EditCut")), &QAction::triggered, this, &TForm1::EditCutExecute);
    connect(action(QStringLiteral("EditPaste")), &QAction::triggered, this, [this]() { EditPasteExecute(); });
    connect(action(QStringLiteral("EditDuplicate")), &QAction::triggered, this, &TForm1::EditDuplicateExecute);
}

QString TForm1::mistypedLocationNote() const
{
    // A location whose height is no number still opens and is drawn by its x and z: the user
    // is told, since the x may be only part of what was meant.
    const std::vector<int> selected = m_selection->selectedPois();
    const TSimpleXMLElems* items = m_editor->xmlscan().Root().ItemsIfAny();
    const TSimpleXMLElem* poi = selected.size() == 1 && items ? items->Item(selected.front()) : nullptr;
    if (!poi)
        return QString();
    const std::optional<std::string> slip = MistypedWorldLocation(ValueOrEmpty(*poi, "pathfindlocation"));
    return slip ? caption(m_language, "LocationMistyped").arg(QString::fromStdString(*slip)) : QString();
}

void TForm1::showSelectedCount(int count)
{
    // One POI selected is the described window: the panel stays empty, at its own width. The
    // last panel grows into the free room beside it while the text needs more.
    QLabel* panel = statusPanel(kSelectedCountPanel);
    if (m_selectedPanelWidth < 0)
        m_selectedPanelWidth = panel->width();
    QString text = count > 1 ? caption(m_language, "SelectedCount").arg(count) : QString();
    if (count == 1)
        text = mistypedLocationNote();
    panel->setText(text);
    const int needed = panel->fontMetrics().horizontalAdvance(text) + 2 * panel->frameWidth() + kPanelPadding;
    panel->setFixedWidth(std::max(m_selectedPanelWidth, needed));
}

void TForm1::moveSelected(QPoint delta)
{
    if (!m_state.DocLoaded)
        return;
    m_editor->FlushPendingEdits();
    const std::vector<int> pois = m_selection->selectedPois();
    const int current = m_editor->currentPoi();
    const PoiPageKind page = pageKindOf(m_state, *m_editor);
    std::vector<PoiGroupEditCommand::Change> changes;
    TSimpleXMLElems& items = m_editor->xmlscan().Root().Items();
    for (int poi : pois) {
        const TSimpleXMLElem* element = items.Item(poi);
        if (!element || !IsPoiElement(*element))
            continue;
        std::unique_ptr<TSimpleXMLElem> after = CopyElement(*element);
        MovePoiBy(*after, delta.x(), delta.y(), page, m_state.AutoCalc);
        if (!SameProperties(*element, *after))
            changes.push_back({poi, CopyElement(*element), std::move(after)});
    }
    if (changes.empty()) {
        showGroupChange(pois, current);  // the markers a drag moved go back
        return;
    }
    m_editor->undoStack().push(new PoiGroupEditCommand(m_editor->document(), std::move(changes), current));
}

void TForm1::deleteSelected(bool ask)
{
    const std::vector<int> pois = m_selection->selectedPois();
    if (pois.empty())
        return;
    if (ask && !m_prompts->confirm(caption(m_language, "DeleteSeveral").arg(pois.size()),
                                   QLatin1String(kDeleteCaption)))
        return;
    applyPendingEdits();
    std::vector<PoiGroupInsertCommand::Entry> entries;
    for (int poi : pois)
        entries.push_back({poi, nullptr});
    m_editor->undoStack().push(
        new PoiGroupInsertCommand(m_editor->document(), std::move(entries), false));
}

void TForm1::EditCopyExecute()
{
    // What the fields hold is part of the POI copied.
    const std::vector<const TSimpleXMLElem*> pois = selectedElements(m_state, *m_editor, *m_selection);
    if (pois.empty())
        return;
    auto* data = new QMimeData;
    data->setText(QString::fromStdString(PoisXmlText(pois, m_editor->source())));
    const std::string own = PoisPrivateData(pois, pageKindOf(m_state, *m_editor));
    data->setData(QLatin1String(kPoiClipboardMime), QByteArray(own.data(), static_cast<int>(own.size())));
    QGuiApplication::clipboard()->setMimeData(data);
}

void TForm1::EditCutExecute()
{
    if (m_selection->selectedPois().empty())
        return;
    EditCopyExecute();
    deleteSelected(false);
}

void TForm1::EditPasteExecute(const std::optional<QPoint>& at)
{
    if (!m_state.DocLoaded)
        return;
    if (const std::optional<ClipboardPois> clip = clipboardPois())
        pastePois(*clip, at);
}

std::optional<ClipboardPois> TForm1::clipboardPois() const
{
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data || !m_state.DocLoaded)
        return std::nullopt;
    if (data->hasFormat(QLatin1String(kPoiClipboardMime))) {
        const QByteArray bytes = data->data(QLatin1String(kPoiClipboardMime));
        return ReadPoisPrivateData(std::string_view(bytes.constData(), bytes.size()));
    }
    // Icons copied as text elsewhere, say from a text editor.
    return data->hasText() ? ReadPoisXmlText(data->text().toStdString(), pageKindOf(m_state, *m_editor))
                           : std::nullopt;
}

void TForm1::EditDuplicateExecute()
{
    const std::vector<const TSimpleXMLElem*> pois = selectedElements(m_state, *m_editor, *m_selection);
    if (pois.empty())
        return;
    // Through the clipboard's own form, without touching the clipboard.
    std::optional<ClipboardPois> clip = ReadPoisPrivateData(PoisPrivateData(pois, pageKindOf(m_state, *m_editor)));
    if (!clip)
        return;
    clip->inPlace = true;
    pastePois(*clip, std::nullopt);
}

PasteTarget TForm1::pasteTarget() const
{
    return PasteTargetFor(m_editor->source(), m_state, m_editor->xmlscan().Root(), m_editor->currentPoi());
}

void TForm1::pastePois(const ClipboardPois& clip, const std::optional<QPoint>& at)
{
    m_editor->FlushPendingEdits();
    PasteTarget target = pasteTarget();
    if (at)
        target.at = ImagePoint{double(at->x()), double(at->y())};
    TSimpleXMLElem& root = m_editor->xmlscan().Root();
    const int before = root.ItemCount();
    bool shifted = false;
    try {
        PastePois(clip, root, target, &shifted);
    } catch (const std::exception&) {
        // Half a paste is no paste: what was appended goes again.
    }
    // Made here, inserted by the step, so that undo and redo go the same way.
    std::vector<PoiGroupInsertCommand::Entry> entries;
    for (int index = before; root.ItemCount() > before; ++index)
        entries.push_back({index, root.Items().Take(before)});
    if (entries.empty() || entries.size() != clip.pois.size())
        return;
    m_editor->undoStack().push(
        new PoiGroupInsertCommand(m_editor->document(), std::move(entries), true));
    if (shifted)
        statusBar()->showMessage(caption(m_language, "PasteShifted"), kStatusMessageMs);
}

void TForm1::copyText(const QString& text)
{
    QGuiApplication::clipboard()->setText(text);
}

QMenu* TForm1::mapContextMenu(QPoint imagePos)
{
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("MapContextMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    auto add = [this, menu](const char* name, bool enabled, const std::function<void()>& run) {
        QAction* item = menu->addAction(caption(m_language, name), this, run);
        item->setObjectName(QLatin1String(name));
        item->setEnabled(enabled);
    };
    const bool canPaste = clipboardPois().has_value();
    add("MapAddHere", m_state.DocLoaded, [this, imagePos]() { addPoi(imagePos); });
    add("MapPasteHere", m_state.DocLoaded && canPaste, [this, imagePos]() { EditPasteExecute(imagePos); });
    add("CopyWorldLocation", m_state.DocLoaded && HasZoneRect(m_state.ZoneRect), [this, imagePos]() {
        copyText(QString::fromStdString(StatusWorldText(m_state, imagePos.x(), imagePos.y())));
    });
    return menu;
}

QMenu* TForm1::treeContextMenu(const QModelIndex& node)
{
    const int poi = PoiTreeModel::poiOf(node);
    if (poi < 0)
        return nullptr;
    // The line clicked joins no selection it is not part of: it is selected as a click would.
    const std::vector<int> selected = m_selection->selectedPois();
    if (std::find(selected.begin(), selected.end(), poi) == selected.end())
        m_editor->SelectPoi(poi);
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("TreeContextMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    auto add = [this, menu](const char* name, const std::function<void()>& run) {
        menu->addAction(caption(m_language, name), this, run)->setObjectName(QLatin1String(name));
    };
    add("TreeDelete", [this]() { MAPDELExecute(); });
    add("TreeCopy", [this]() { EditCopyExecute(); });
    add("TreeDuplicate", [this]() { EditDuplicateExecute(); });
    add("CopyWorldLocation", [this, poi]() {
        if (const TSimpleXMLElem* element = m_editor->xmlscan().Root().Items().Item(poi))
            copyText(fromDoc(ValueOrEmpty(*element, "pathfindlocation")));
    });
    add("TreeCentre", [this, poi]() {
        const TSimpleXMLElem* element = m_editor->xmlscan().Root().Items().Item(poi);
        const std::optional<ImagePoint> point =
            element ? PoiPoint(*element, pageKindOf(m_state, *m_editor)) : std::nullopt;
        if (point)
            m_ui.Panel1->centreOn(QPoint(int(std::lround(point->x)), int(std::lround(point->y))));
    });
    addLinkItems(*menu, poi);
    return menu;
}

#include "app/IconPageEditor.h"

#include "support/Prefetch.h"

#include "document/EditorSupport.h"
#include "document/IconPageCommands.h"
#include "document/IconPageFile.h"
#include "document/PageOpening.h"
#include "document/PoiTreeModel.h"
#include "document/PoiTypes.h"
#include "mapview/MapImage.h"
#include "mapview/MapPanel.h"
#include "mapview/MapStyle.h"
#include "mapview/MarkerGeometry.h"
#include "support/AtomicFile.h"
#include "support/DdsImage.h"
#include "support/GamePath.h"

#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTimer>
#include <QTreeView>
#include <QUndoStack>

#include <future>
#include <iterator>
#include <limits>
#include <map>

namespace {

const char* const kWindowTitlePrefix = "VynMAP Editor [";
const char* const kSaveAsTitle = "Save As";
const char* const kPageFilter = "Map icon File (icons_*.xml)";
const char* const kPageSuffix = "xml";
const char kUnsavedMark = '*';
// Between the tooltip and the description field below it.
constexpr int kDescriptionGap = 2;

} // namespace

IconPageEditor::IconPageEditor(EditorState& state, Prompts& prompts, const EditorControls& controls,
                               QObject* parent)
    : QObject(parent),
      m_state(state),
      m_prompts(prompts),
      m_controls(controls),
      m_document(new PageDocument(state, prompts, this)),
      m_pending(m_document->pendingEdit())
{
    // A line edit cuts its text at 32767 characters by default; a longer value shown there
    // would be written back cut at the next apply.
    for (QLineEdit* field : {m_controls.FlatEdit2, m_controls.FlatEdit4, m_controls.FlatEdit3,
                             m_controls.FlatEdit1, m_controls.FlatEdit5})
        field->setMaxLength(std::numeric_limits<int>::max());
    m_tree = new PoiTreeModel(this);
    m_controls.TreeView1->setModel(m_tree);
    // Every row is one line of the same font: the view need not measure thousands of them.
    m_controls.TreeView1->setUniformRowHeights(true);
    // Marker i is child i of the root: its texts are read from there when shown.
    m_controls.Panel1->setMarkerTextSource([this](int index, MarkerText which) {
        const TSimpleXMLElem* poi = Poi(index);
        if (!poi || !IsPoiElement(*poi))
            return QString();
        if (which == MarkerText::Label)
            return fromDoc(source().markerLabel(*poi));
        return fromDoc(ValueOrEmpty(*poi, which == MarkerText::Tooltip ? "Tooltip" : "Name"));
    });
    connectDocument();
    connectControls();
}

IconPageEditor::~IconPageEditor()
{
    // The window the document reports to may be going already.
    m_document->blockSignals(true);
}

void IconPageEditor::connectDocument()
{
    connect(m_document, &PageDocument::modifiedChanged, this, &IconPageEditor::UpdateTitleMark);
    connect(m_document, &PageDocument::pageLeaving, this, &IconPageEditor::leavePage);
    connect(m_document, &PageDocument::pageTaken, this, &IconPageEditor::takePage);
    connect(m_document, &PageDocument::poisChanged, this, &IconPageEditor::showChange);
}

TSimpleXMLElem* IconPageEditor::Poi(int poiIndex)
{
    return m_document->root().Items().Item(poiIndex);
}

QModelIndex IconPageEditor::PoiNode(int poiIndex) const
{
    return m_tree->poiNode(poiIndex);
}

void IconPageEditor::clearTree()
{
    m_controls.TreeView1->setCurrentIndex(QModelIndex());
    m_tree->reset(nullptr);
}

namespace {
// The coordinate label's text before any zone text was found.
constexpr const char* kNoZoneLabel = "0, 0, 0";
}  // namespace

bool IconPageEditor::OpenIconPage(const QString& path, std::string preread)
{
    return openWith([this, &path, &preread]() { return m_document->openIconPage(path, std::move(preread)); });
}

bool IconPageEditor::OpenPageFile(const QString& path, OpenedPageFile opened, int page)
{
    return openWith([this, &path, &opened, page]() { return m_document->open(path, std::move(opened), page); });
}

bool IconPageEditor::ShowZonePage(int page)
{
    if (page == source().shownPage())
        return page >= 0;
    FlushPendingEdits();
    return openWith([this, page]() { return m_document->showPage(page); });
}

bool IconPageEditor::openWith(const std::function<bool()>& load)
{
    // `load` reads the whole page before it gives up the one shown: after a failure the window
    // still shows that page, under its own name, with its unsaved edits.
    if (!load())
        return false;
    m_state.CurrentFile = m_document->path();
    setTitle();
    m_state.DocLoaded = true;

    const std::optional<QImage> map = ReadPageMapOrSay(m_state, m_prompts);
    // The page stays open without its map; only the rest of the opening is skipped.
    if (!map)
        return true;
    m_controls.Panel1->setMapImage(mapDisplayImage(map->isNull() ? blankMap() : *map, pageMapArea(m_state)));

    ResetEditor();
    m_controls.MAPADD->setEnabled(true);
    m_controls.MAPNAMES->setChecked(false);
    m_controls.FlatEdit2->setReadOnly(true);
    m_controls.FlatEdit4->setReadOnly(true);
    // Clearing the editor is no edit of the user's: neither pending nor a typed world location
    // (a stale PathEdited would make the first apply move the POI to its old world location).
    m_state.EditsPending = false;
    m_state.PathEdited = false;
    return true;
}

void IconPageEditor::setTitle()
{
    m_titleBase = QLatin1String(kWindowTitlePrefix) + source().title(QString::fromStdString(m_document->path()))
        + QLatin1Char(']');
    m_controls.window->setWindowTitle(m_titleBase);
    UpdateTitleMark();
}

void IconPageEditor::leavePage()
{
    // Edits still waiting belong to the page being left, which the user was asked about.
    m_controls.Timer1->stop();
    m_state.EditsPending = false;
    m_controls.MAPLOCAUTO->setChecked(false);
    UpdatingGuard updating(m_state.Updating);
    clearTree();
    // Markers of the previous page must not outlive its tree.
    m_controls.Panel1->clearMarkers();
}

void IconPageEditor::takePage()
{
    m_tree->setValueProperties(source().valueProperties());
    m_tree->setNameNote(source().nameNoteProperty());
    showDescriptionField(source().offers(PageFeature::Description));
    BuildPoiTree();
    const MapStyleLookup& style = m_document->styleLookup();
    // A page inside a file without a zone text of its own must not show the rectangle of the
    // page left.
    if (!style.label && source().shownPageName())
        m_controls.Label5->setText(QLatin1String(kNoZoneLabel));
    showLookupResult(style);
}

void IconPageEditor::showLookupResult(const MapStyleLookup& style)
{
    if (style.label)
        m_controls.Label5->setText(fromDoc(*style.label));
    SayLookupRefusal(style, m_prompts);
    // What the label shows while no POI is selected.
    m_pageLabel = m_controls.Label5->text();
}

void IconPageEditor::ResetEditor()
{
    setPropertyFieldsEnabled(true);
    m_controls.ed_locX->setValue(0);
    m_controls.ed_locY->setValue(0);
    m_controls.cb_icontype->setCurrentIndex(-1);
    m_controls.FlatEdit3->setText(QString());
    m_controls.FlatEdit1->setText(QString());
    m_controls.FlatEdit5->setText(QString());
    if (!m_controls.FlatMemo1->toPlainText().isEmpty())
        m_controls.FlatMemo1->setPlainText(QString());
}

namespace {

// A POI, its properties and its values lie in three places in memory, far from the last POI's:
// making markers in page order, each is asked for a few POIs ahead, the item furthest, then
// its properties, then its bytes in the page.
void PrefetchAhead(const TSimpleXMLElems* pois, int index)
{
    constexpr int kItemAhead = 12;
    constexpr int kPropertiesAhead = 8;
    constexpr int kBytesAhead = 4;
    constexpr int kLine = 64;
    constexpr int kLines = 5;  // a POI's properties, and its values in the page, take about as many
    if (pois == nullptr)
        return;
    if (const TSimpleXMLElem* item = pois->Item(index + kItemAhead))
        PrefetchBytes(item);
    if (const TSimpleXMLElem* item = pois->Item(index + kPropertiesAhead))
        if (const TSimpleXMLProps* props = item->PropertiesIfAny())
            for (int line = 0; line < kLines; ++line)
                PrefetchBytes(reinterpret_cast<const char*>(props) + line * kLine);
    if (const TSimpleXMLElem* item = pois->Item(index + kBytesAhead))
        if (const TSimpleXMLProps* props = item->PropertiesIfAny(); props && props->Count() > 0)
            for (int line = 0; line < kLines; ++line)
                PrefetchBytes(props->Item(0)->Value().data() + line * kLine);
}

}  // namespace

std::string IconPageEditor::BuildPoiTree()
{
    UpdatingGuard updating(m_state.Updating);
    clearTree();
    m_pending.poi = -1;
    m_controls.Panel1->clearMarkers();

    TSimpleXMLElem& root = m_document->root();
    const PageFieldTexts fields = PageFields(root, source(), m_document->zoneLocations());
    m_controls.FlatEdit2->setText(fromDoc(fields.pageName));
    m_controls.FlatEdit4->setText(fields.location);
    m_controls.FlatEdit2->setModified(false);
    m_controls.FlatEdit4->setModified(false);
    m_state.PageName = fields.pageName;
    showOwnTypeValues();

    // Every POI is listed, whatever it lacks: a missing value shows as an empty value node.
    // The names are sorted on a second thread while the markers are made: both only read the
    // page, and each takes as long as the other on a big one.
    std::future<std::vector<int>> order =
        std::async(std::launch::async, [&root]() { return PoiTreeModel::sortedPois(&root); });
    // Marker i belongs to child i, so a child without a marker still takes its place.
    const TSimpleXMLElems* const pois = root.ItemsIfAny();
    m_controls.Panel1->appendMarkers(root.ItemCount(), [this, pois](int i) {
        PrefetchAhead(pois, i);
        return PoiMarker(i);
    });
    m_tree->reset(&root, order.get());

    m_controls.Panel1->setPositionButtonGeometry(
        QRect(QPoint(0, 0), m_controls.Panel1->positionButtonGeometry().size()));
    m_controls.Panel1->setPositionButtonVisible(false);
    return m_state.PageName;
}

void IconPageEditor::PlacePoiMarker(int poiIndex, bool newMarker)
{
    const Marker marker = PoiMarker(poiIndex);
    MapPanel* panel = m_controls.Panel1;
    if (newMarker) {
        panel->appendMarker(marker);
    } else if (poiIndex < panel->markerCount()) {
        panel->setMarker(poiIndex, marker);
    }
}

Marker IconPageEditor::PoiMarker(int poiIndex)
{
    TSimpleXMLElem* poi = Poi(poiIndex);
    if (!poi)
        throw MissingPropertyError("Location");
    // A POI without Location has no place on the map: its marker is empty, never drawn or hit.
    // A missing Size gives the default icon size, as one that does not read.
    const TSimpleXMLProps* properties = poi->PropertiesIfAny();
    QRect rect;
    if (!source().offers(PageFeature::LocationField)) {
        // Placed by the world location alone, where the zone rectangle puts it.
        const std::optional<std::pair<int, int>> at = IsPoiElement(*poi) ? worldPixel(*poi) : std::nullopt;
        if (at)
            rect = MarkerRect(IntPair{at->first, at->second}, kDefaultIconSize);
    } else if (const TSimpleXMLProp* location = properties ? properties->Find("Location") : nullptr;
               location && IsPoiElement(*poi)) {
        const IntPair at = MarkerLocation(location->Value());
        const IntPairShift shift = anchorShift(poi);
        rect = MarkerRect({at.first + shift.x, at.second + shift.y}, MarkerSize(ValueOrEmpty(*poi, "Size")));
    }
    MarkerStyleLook look = LookOfStyle(source().markerStyle(*poi));
    // The texts are left to the panel's text source.
    return Marker{rect, look.fill, QString(), std::move(look.group), QString()};
}

IntPairShift IconPageEditor::anchorShift(const TSimpleXMLElem* poi) const
{
    if (m_state.Anchor != PoiAnchor::Centre || !poi)
        return {};
    const IntPair size = MarkerSize(ValueOrEmpty(*poi, "Size"));
    return {HalfDown(size.first), HalfDown(size.second)};
}

ImagePoint IconPageEditor::anchorOffset(const TSimpleXMLElem& poi) const
{
    return AnchorOffset(m_state.Anchor, ValueOrEmpty(poi, "Size"));
}

void IconPageEditor::showDescriptionField(bool shown)
{
    QLineEdit* description = m_controls.FlatEdit5;
    if (description->isVisibleTo(description->parentWidget()) == shown)
        return;
    // The field takes the tooltip's last line and a gap, and gives them back.
    QRect memo = m_controls.FlatMemo1->geometry();
    const int room = description->height() + kDescriptionGap;
    memo.setHeight(memo.height() + (shown ? -room : room));
    m_controls.FlatMemo1->setGeometry(memo);
    description->setVisible(shown);
}

void IconPageEditor::showOwnTypeValues()
{
    if (!source().offers(PageFeature::OwnTypeValues))
        return;
    // The page's own type values join the list while it is shown, so each icon shows its own.
    QComboBox* types = m_controls.cb_icontype;
    while (types->count() > static_cast<int>(std::size(kPoiTypes)))
        types->removeItem(types->count() - 1);
    const char* property = source().typeProperty();
    TSimpleXMLElem& root = m_document->root();
    for (int i = 0; i < root.ItemCount(); ++i) {
        const QString value = fromDoc(ValueOrEmpty(*root.Items().Item(i), property));
        if (!value.isEmpty() && types->findText(value, Qt::MatchFixedString | Qt::MatchCaseSensitive) < 0)
            types->addItem(value);
    }
}

bool IconPageEditor::FileSaveExecute(bool saveAs)
{
    FlushPendingEdits();
    const bool saved = m_document->save(saveAs);
    if (m_state.CurrentFile != m_document->path()) {
        // Saved under another name: that file is the one open from now on.
        m_state.CurrentFile = m_document->path();
        setTitle();
    }
    return saved;
}

void IconPageEditor::UpdateTitleMark()
{
    if (m_titleBase.isEmpty())
        return;
    const QString wanted = IsModified() ? m_titleBase + QLatin1Char(kUnsavedMark) : m_titleBase;
    if (m_controls.window->windowTitle() != wanted)
        m_controls.window->setWindowTitle(wanted);
}

void IconPageEditor::FlushPendingEdits()
{
    if (m_state.DocLoaded && m_state.EditsPending) {
        m_controls.Timer1->stop();
        ApplyData();
    }
}

void IconPageEditor::Undo()
{
    // Edits still waiting are the latest step: they are undone first.
    FlushPendingEdits();
    undoStack().undo();
}

void IconPageEditor::Redo()
{
    // An edit still waiting is a new step, which ends what could be redone.
    FlushPendingEdits();
    undoStack().redo();
}

int IconPageEditor::currentPoi() const
{
    return PoiTreeModel::poiOf(m_controls.TreeView1->currentIndex());
}

void IconPageEditor::rebuildSelecting(int selectPoi)
{
    BuildPoiTree();
    SelectPoi(selectPoi);
}

void IconPageEditor::showChange(int selectPoi, bool dropGone)
{
    if (selectPoi == PageDocument::kCurrentPoi)
        selectPoi = currentPoi();
    rebuildSelecting(selectPoi);
    // The fields must not go on showing a POI taken away.
    if (dropGone && !PoiNode(selectPoi).isValid())
        ShowNoPoi();
}

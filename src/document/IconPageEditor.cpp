#include "document/IconPageEditor.h"

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
    : QObject(parent), m_state(state), m_prompts(prompts), m_controls(controls)
{
    ConfigureIconPageDocument(m_xmlscan);
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
            return fromDoc(m_source->markerLabel(*poi));
        return fromDoc(ValueOrEmpty(*poi, which == MarkerText::Tooltip ? "Tooltip" : "Name"));
    });
    m_undo = new QUndoStack(this);
    connect(m_undo, &QUndoStack::cleanChanged, this, &IconPageEditor::UpdateTitleMark);
    connectControls();
}

IconPageEditor::~IconPageEditor()
{
    // The history goes with the editor, and the window it reports to may be going already.
    m_undo->blockSignals(true);
}

TSimpleXMLElem* IconPageEditor::Poi(int poiIndex)
{
    return m_xmlscan.Root().Items().Item(poiIndex);
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
    if (!PageFileFound(path, m_prompts))
        return false;
    return openWith(path, QFileInfo(path).fileName(), [this, &path, &preread]() {
        return LoadIconPage(path.toStdString(), preread.empty() ? nullptr : &preread);
    });
}

bool IconPageEditor::OpenPageFile(const QString& path, OpenedPageFile opened, int page)
{
    if (!opened.source) {
        m_prompts.showMessage(QString::fromStdString(opened.refusal));
        return false;
    }
    // A file of pages is opened at one of them; a page of its own reads itself.
    if (opened.source->pageFile())
        return openFilePage(path, std::move(opened.source), page);
    return OpenIconPage(path, std::move(opened.unread));
}

bool IconPageEditor::openFilePage(const QString& path, std::unique_ptr<PageSource> source, int page)
{
    const ZonePageFile* file = source->pageFile();
    if (page < 0 || page >= static_cast<int>(file->pages().size()))
        return false;
    const FileStamp stamp = FileStamps::of(path.toStdString(), file->bytes());
    // Read before anything of the open document is given up.
    TSimpleXML read;
    if (!readPage(*source, page, read))
        return false;
    source->switchTo(page, m_xmlscan);
    const QString title = source->title(path);
    return openWith(path, title, [this, &source, &read, &stamp]() {
        m_diskStamp = stamp;
        m_source = std::move(source);
        m_unrecordedChange = false;
        takePage(read);
        return true;
    });
}

bool IconPageEditor::ShowZonePage(int page)
{
    const ZonePageFile* file = m_source->pageFile();
    if (!file || page < 0 || page >= static_cast<int>(file->pages().size()))
        return false;
    if (page == m_source->shownPage())
        return true;
    FlushPendingEdits();
    // Read first: a page that does not read leaves the one shown as it was, with its edits.
    TSimpleXML read;
    if (!readPage(*m_source, page, read))
        return false;
    // The history of one zone page means nothing on another; its changes stay unsaved.
    const bool modified = IsModified();
    {
        UpdatingGuard updating(m_state.Updating);
        clearTree();
    }
    m_source->switchTo(page, m_xmlscan);
    const QString path = QString::fromStdString(m_state.CurrentFile);
    openWith(path, m_source->title(path), [this, &read]() {
        takePage(read);
        return true;
    });
    m_unrecordedChange = modified;
    UpdateTitleMark();
    return true;
}

bool IconPageEditor::openWith(const QString& path, const QString& title, const std::function<bool()>& load)
{
    // `load` reads the whole page before it gives up the one shown: after a failure the window
    // still shows that page, under its own name, with its unsaved edits.
    const bool loaded = load();
    disposeLeftPage();
    if (!loaded)
        return false;
    m_state.CurrentFile = path.toStdString();
    m_titleBase = QLatin1String(kWindowTitlePrefix) + title + QLatin1Char(']');
    m_controls.window->setWindowTitle(m_titleBase);
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

bool IconPageEditor::readPage(PageSource& source, int page, TSimpleXML& read)
{
    return ReadZonePageOrSay(source, page, read, m_prompts);
}

void IconPageEditor::leaveDocument(TSimpleXML& read)
{
    // Edits still waiting belong to the page being left, which the user was asked about.
    m_controls.Timer1->stop();
    m_state.EditsPending = false;
    m_controls.MAPLOCAUTO->setChecked(false);
    m_state.AutoCalc = false;
    // Another page: the history of this one means nothing there.
    m_undo->clear();
    {
        UpdatingGuard updating(m_state.Updating);
        clearTree();
        // Markers of the previous page must not outlive its tree.
        m_controls.Panel1->clearMarkers();
    }
    m_xmlscan.SwapContent(read);
    disposeLater(read);
}

void IconPageEditor::disposeLater(TSimpleXML& left)
{
    // Taking a big page apart took as long as making its markers; nothing refers to it any more,
    // so a thread of its own does it once the next page is built (while it is shown), when the
    // parse and the tree no longer want the second processor. One at a time.
    constexpr int kBigPage = 2000;
    if (left.Root().ItemCount() < kBigPage)
        return;
    if (m_disposal.valid())
        m_disposal.wait();
    m_leftPage = std::make_unique<TSimpleXML>();
    m_leftPage->SwapContent(left);
}

void IconPageEditor::disposeLeftPage()
{
    if (!m_leftPage)
        return;
    m_disposal = std::async(std::launch::async, [page = std::move(m_leftPage)]() mutable { page.reset(); });
}

void IconPageEditor::takePage(TSimpleXML& read)
{
    leaveDocument(read);
    m_state.Anchor = m_source->anchor();
    m_tree->setValueProperties(m_source->valueProperties());
    m_tree->setNameNote(m_source->nameNoteProperty());
    showDescriptionField(m_source->offers(PageFeature::Description));
    // The zone rectangle and the page size (the map's, for a page without Size) place the
    // markers: known before the tree is built.
    const MapStyleLookup style = LookupMapStyle(m_state, m_source->shownPageName().value_or(std::string()));
    TakePageSize(m_state, m_xmlscan.Root());
    // Read once per page shown, not at every rebuild of the tree.
    m_zoneLocations = MapDisplayNames(m_state);
    BuildPoiTree();
    // A zone page without a zone text of its own must not show the rectangle of the page left.
    if (!style.label)
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

bool IconPageEditor::LoadIconPage(const std::string& path, std::string* preread)
{
    // The whole page is read into a document of its own before the one shown is given up.
    TSimpleXML read;
    FileStamp stamp;
    std::unique_ptr<PageSource> source = ReadIconPageOrSay(read, path, preread, &stamp, m_prompts);
    if (!source)
        return false;
    // An icon page of its own: whatever file of zone pages was open is left.
    m_source = std::move(source);
    m_state.Anchor = m_source->anchor();
    m_tree->setValueProperties(m_source->valueProperties());
    m_tree->setNameNote(m_source->nameNoteProperty());
    showDescriptionField(m_source->offers(PageFeature::Description));
    leaveDocument(read);
    m_unrecordedChange = false;
    m_diskStamp = stamp;

    const std::string pageName = BuildPoiTree();
    const MapStyleLookup style = LookupMapStyle(m_state, pageName);
    showLookupResult(style);
    TakePageSize(m_state, m_xmlscan.Root());
    return true;
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
    m_filledPoi = -1;
    m_controls.Panel1->clearMarkers();

    TSimpleXMLElem& root = m_xmlscan.Root();
    const PageFieldTexts fields = PageFields(root, *m_source, m_zoneLocations);
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
    if (!PlacedByLocation(m_state.Anchor)) {
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
    MarkerStyleLook look = LookOfStyle(m_source->markerStyle(*poi));
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
    if (!m_source->offers(PageFeature::OwnTypeValues))
        return;
    // The page's own type values join the list while it is shown, so each icon shows its own.
    QComboBox* types = m_controls.cb_icontype;
    while (types->count() > static_cast<int>(std::size(kPoiTypes)))
        types->removeItem(types->count() - 1);
    const char* property = m_source->typeProperty();
    TSimpleXMLElem& root = m_xmlscan.Root();
    for (int i = 0; i < root.ItemCount(); ++i) {
        const QString value = fromDoc(ValueOrEmpty(*root.Items().Item(i), property));
        if (!value.isEmpty() && types->findText(value, Qt::MatchFixedString | Qt::MatchCaseSensitive) < 0)
            types->addItem(value);
    }
}

bool IconPageEditor::FileSaveExecute(bool saveAs)
{
    const std::string before = m_state.CurrentFile;
    const bool saved = saveDocument(saveAs);
    if (m_state.CurrentFile != before) {
        if (saved) {
            // Saved under another name: that file is the one open from now on.
            m_titleBase = QLatin1String(kWindowTitlePrefix) + m_source->title(QString::fromStdString(m_state.CurrentFile))
                + QLatin1Char(']');
            UpdateTitleMark();
        } else {
            // Nothing was written there: the page still belongs to the file it came from.
            m_state.CurrentFile = before;
        }
    }
    return saved;
}

bool IconPageEditor::saveDocument(bool saveAs)
{
    if (!m_state.DocLoaded) {
        m_prompts.showMessage(QLatin1String(IconPageText::kNoFileLoaded));
        return false;
    }
    FlushPendingEdits();
    switch (beforeSave(saveAs)) {
    case SaveStep::Stop:
        return false;
    case SaveStep::Done:
        return true;
    case SaveStep::Write:
        break;
    }
    try {
        if (m_source->prepareSave(m_xmlscan, m_state)) {
            // The steps hold POIs in their old property order: stepping back over this save would
            // make a page that was never saved look saved.
            m_undo->clear();
            m_unrecordedChange = true;
        }
    } catch (const std::exception&) {
        m_prompts.showMessage(QLatin1String(IconPageText::kArrangeError));
        return false;
    }
    if (saveAs && !askSaveAsName())
        return false;
    return writeDocument([this, saveAs]() {
        std::string bytes = m_source->bytes(m_xmlscan, m_state);
        writeChecked(bytes, saveAs);
        m_source->written(std::move(bytes), m_xmlscan.Root());
    });
}

bool IconPageEditor::writeDocument(const std::function<void()>& write)
{
    try {
        write();
    } catch (const std::exception& error) {
        // The old file stays as it was: the page is written beside it, then replaces it.
        m_prompts.showMessage(QLatin1String(IconPageText::kSavingError) + QLatin1Char('\n') + SaveFailureReason(error));
        return false;
    }
    m_unrecordedChange = false;
    m_undo->setClean();
    UpdateTitleMark();
    return true;
}

bool IconPageEditor::askSaveAsName()
{
    {
        const QFileInfo current(QString::fromStdString(m_state.CurrentFile));
        FileDialogOptions options;
        options.title = QLatin1String(kSaveAsTitle);
        options.filter = QLatin1String(kPageFilter);
        options.defaultSuffix = QLatin1String(kPageSuffix);
        options.initialFolder = current.absolutePath();
        options.initialFile = current.fileName();
        options.mustExist = false;
        const QString chosen = m_prompts.saveFileName(options);
        if (chosen.isEmpty())
            return false;
        m_state.CurrentFile = chosen.toStdString();
    }
    return true;
}

bool IconPageEditor::IsModified() const
{
    return m_state.DocLoaded && (!m_undo->isClean() || m_unrecordedChange || m_state.EditsPending);
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
    m_undo->undo();
}

void IconPageEditor::Redo()
{
    // An edit still waiting is a new step, which ends what could be redone.
    FlushPendingEdits();
    m_undo->redo();
}

void IconPageEditor::RecordAddedPoi(int poiIndex)
{
    m_undo->push(new AddPoiCommand(*this, poiIndex));
}

void IconPageEditor::DeletePoi(int poiIndex)
{
    if (!Poi(poiIndex))
        return;
    m_undo->push(new DeletePoiCommand(*this, poiIndex));
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

void IconPageEditor::restorePoi(int poiIndex, const TSimpleXMLElem& state)
{
    if (TSimpleXMLElem* poi = Poi(poiIndex))
        poi->Assign(state);
    rebuildSelecting(poiIndex);
}

std::unique_ptr<TSimpleXMLElem> IconPageEditor::takePoi(int poiIndex, int selectPoi)
{
    std::unique_ptr<TSimpleXMLElem> taken = m_xmlscan.Root().Items().Take(poiIndex);
    rebuildSelecting(selectPoi);
    // The fields must not go on showing the POI just taken away.
    if (!PoiNode(selectPoi).isValid())
        ShowNoPoi();
    return taken;
}

void IconPageEditor::insertPoi(int poiIndex, std::unique_ptr<TSimpleXMLElem> poi, int selectPoi)
{
    if (poi)
        m_xmlscan.Root().Items().Insert(poiIndex, std::move(poi));
    rebuildSelecting(selectPoi);
}

void IconPageEditor::restorePageField(const std::string& property, const std::string& value)
{
    if (TSimpleXMLProp* prop = m_xmlscan.Root().Properties().Find(property))
        prop->SetValue(value);
    rebuildSelecting(currentPoi());
}

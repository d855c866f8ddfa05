#include "document/PageDocument.h"

#include "document/IconPageCommands.h"
#include "document/IconPageFile.h"
#include "mapview/MapStyle.h"
#include "support/ZonePageFile.h"

#include <QFileInfo>
#include <QUndoStack>

#include <utility>

namespace {

const char* const kSaveAsTitle = "Save As";
const char* const kPageFilter = "Map icon File (icons_*.xml)";
const char* const kPageSuffix = "xml";

}  // namespace

PageDocument::PageDocument(EditorState& state, Prompts& prompts, QObject* parent)
    : QObject(parent), m_state(state), m_prompts(prompts)
{
    ConfigureIconPageDocument(m_xml);
    m_undo = new QUndoStack(this);
    connect(m_undo, &QUndoStack::cleanChanged, this, &PageDocument::modifiedChanged);
}

PageDocument::~PageDocument()
{
    // The history goes with the document, and the views it reports to may be going already.
    m_undo->blockSignals(true);
    if (m_disposal.valid())
        m_disposal.wait();
}

bool PageDocument::open(const QString& path, int page)
{
    return open(path, OpenPageSource(path.toStdString()), page);
}

bool PageDocument::open(const QString& path, OpenedPageFile opened, int page)
{
    if (!opened.source) {
        m_prompts.showMessage(QString::fromStdString(opened.refusal));
        return false;
    }
    // A file of pages is opened at one of them; a page of its own reads itself.
    if (opened.source->offers(PageFeature::PageList))
        return openFilePage(path, std::move(opened.source), page);
    return openIconPage(path, std::move(opened.unread));
}

bool PageDocument::openIconPage(const QString& path, std::string preread)
{
    return PageFileFound(path, m_prompts) && readIconPage(path, std::move(preread));
}

bool PageDocument::readIconPage(const QString& path, std::string preread)
{
    // The whole page is read into a document of its own before the one shown is given up.
    TSimpleXML read;
    FileStamp stamp;
    std::unique_ptr<PageSource> source =
        ReadIconPageOrSay(read, path.toStdString(), preread.empty() ? nullptr : &preread, &stamp, m_prompts);
    if (!source)
        return false;
    // An icon page of its own: whatever file of zone pages was open is left.
    emit pageLeaving();
    m_source = std::move(source);
    m_diskStamp = stamp;
    m_unrecordedChange = false;
    m_path = path.toStdString();
    takePage(read);
    disposeLeftPage();
    return true;
}

bool PageDocument::openFilePage(const QString& path, std::unique_ptr<PageSource> source, int page)
{
    if (page < 0 || page >= static_cast<int>(source->pages().size()))
        return false;
    const FileStamp stamp = FileStamps::of(path.toStdString(), source->fileBytes());
    // Read before anything of the open document is given up.
    TSimpleXML read;
    if (!ReadZonePageOrSay(*source, page, read, m_prompts))
        return false;
    emit pageLeaving();
    source->switchTo(page, m_xml);
    m_diskStamp = stamp;
    m_source = std::move(source);
    m_unrecordedChange = false;
    m_path = path.toStdString();
    takePage(read);
    disposeLeftPage();
    return true;
}

bool PageDocument::showPage(int page)
{
    if (!m_open || page < 0 || page >= static_cast<int>(m_source->pages().size()))
        return false;
    if (page == m_source->shownPage())
        return true;
    // Read first: a page that does not read leaves the one shown as it was, with its edits.
    TSimpleXML read;
    if (!ReadZonePageOrSay(*m_source, page, read, m_prompts))
        return false;
    // The history of one zone page means nothing on another; its changes stay unsaved.
    const bool modified = isModified();
    emit pageLeaving();
    m_source->switchTo(page, m_xml);
    takePage(read);
    disposeLeftPage();
    m_unrecordedChange = modified;
    emit modifiedChanged();
    return true;
}

void PageDocument::leavePage(TSimpleXML& read)
{
    // Edits still waiting belong to the page being left, which the user was asked about.
    m_state.EditsPending = false;
    m_state.AutoCalc = false;
    m_pending.fill(-1);
    m_selection.clear();
    m_current = -1;
    // Another page: the history of this one means nothing there.
    m_undo->clear();
    m_xml.SwapContent(read);
    disposeLater(read);
}

void PageDocument::takePage(TSimpleXML& read)
{
    emit pageLeaving();
    leavePage(read);
    m_open = true;
    takePageState();
    emit pageTaken();
}

void PageDocument::takePageState()
{
    m_state.Anchor = m_source->anchor();
    // The zone rectangle and the page size (the map's, for a page without Size) place the
    // markers: known before anything is drawn.
    const std::optional<std::string> shownName = m_source->shownPageName();
    const PageFieldTexts own = PageFields(m_xml.Root(), *m_source, {});
    m_style = LookupMapStyle(m_state, shownName.value_or(own.pageName));
    TakePageSize(m_state, m_xml.Root());
    // A page named inside its file takes its location name from the map style file.
    // A page without a zone name of its own takes its location name from the map style file.
    if (!m_source->offers(PageFeature::OwnZoneName))
        m_zoneLocations = MapDisplayNames(m_state);
    m_fields = PageFields(m_xml.Root(), *m_source, m_zoneLocations);
    m_state.PageName = m_fields.pageName;
}

void PageDocument::disposeLater(TSimpleXML& left)
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

void PageDocument::disposeLeftPage()
{
    if (!m_leftPage)
        return;
    m_disposal = std::async(std::launch::async, [page = std::move(m_leftPage)]() mutable { page.reset(); });
}

bool PageDocument::isModified() const
{
    return m_open && (!m_undo->isClean() || m_unrecordedChange || m_state.EditsPending);
}

void PageDocument::setSelection(std::vector<int> pois, int current)
{
    m_selection = std::move(pois);
    m_current = current;
}

void PageDocument::recordPoiEdit(int poiIndex, std::unique_ptr<TSimpleXMLElem> before)
{
    if (TSimpleXMLElem* changed = poi(poiIndex))
        m_undo->push(new PoiEditCommand(*this, poiIndex, std::move(before), CopyElement(*changed)));
}

void PageDocument::editPoi(int poiIndex, std::unique_ptr<TSimpleXMLElem> after)
{
    const TSimpleXMLElem* current = poi(poiIndex);
    if (!current || SameProperties(*current, *after))
        return;
    std::unique_ptr<TSimpleXMLElem> before = CopyElement(*current);
    // Made as the command's redo makes it, then recorded: one step, undone as any other.
    restorePoi(poiIndex, *after);
    m_undo->push(new PoiEditCommand(*this, poiIndex, std::move(before), std::move(after)));
}

void PageDocument::recordAddedPoi(int poiIndex)
{
    m_undo->push(new AddPoiCommand(*this, poiIndex));
}

void PageDocument::deletePoi(int poiIndex)
{
    if (!poi(poiIndex))
        return;
    m_undo->push(new DeletePoiCommand(*this, poiIndex));
}

void PageDocument::editPageField(const char* property, std::string value)
{
    TSimpleXMLProp* prop = m_xml.Root().Properties().Find(property);
    if (!prop)
        return;
    std::string before = prop->Value();
    prop->SetValue(std::move(value));
    if (prop->Value() != before)
        m_undo->push(new PageFieldCommand(*this, property, std::move(before), prop->Value()));
}

void PageDocument::restorePoi(int poiIndex, const TSimpleXMLElem& state)
{
    if (TSimpleXMLElem* target = poi(poiIndex))
        target->Assign(state);
    emit poisChanged(poiIndex, false);
}

std::unique_ptr<TSimpleXMLElem> PageDocument::takePoi(int poiIndex, int selectPoi)
{
    std::unique_ptr<TSimpleXMLElem> taken = m_xml.Root().Items().Take(poiIndex);
    // The fields must not go on showing the POI just taken away.
    emit poisChanged(selectPoi, true);
    return taken;
}

void PageDocument::insertPoi(int poiIndex, std::unique_ptr<TSimpleXMLElem> element, int selectPoi)
{
    if (element)
        m_xml.Root().Items().Insert(poiIndex, std::move(element));
    emit poisChanged(selectPoi, false);
}

void PageDocument::restorePageField(const std::string& property, const std::string& value)
{
    if (TSimpleXMLProp* prop = m_xml.Root().Properties().Find(property))
        prop->SetValue(value);
    emit poisChanged(kCurrentPoi, false);
}

void PageDocument::showPois(const std::vector<int>& pois, int current)
{
    emit groupChanged(pois, current);
}

bool PageDocument::save(bool saveAs)
{
    const std::string before = m_path;
    const bool saved = saveDocument(saveAs);
    if (m_path != before) {
        if (saved)
            emit renamed();
        else
            m_path = before;  // nothing was written there: the page still belongs to its file
    }
    return saved;
}

bool PageDocument::saveDocument(bool saveAs)
{
    if (!m_open) {
        m_prompts.showMessage(QLatin1String(IconPageText::kNoFileLoaded));
        return false;
    }
    switch (beforeSave(saveAs)) {
    case SaveStep::Stop:
        return false;
    case SaveStep::Done:
        return true;
    case SaveStep::Write:
        break;
    }
    try {
        if (m_source->prepareSave(m_xml, m_state)) {
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
    return writeDocument(saveAs);
}

bool PageDocument::writeDocument(bool saveAs)
{
    try {
        std::string bytes = m_source->bytes(m_xml, m_state);
        writeChecked(bytes, saveAs);
        m_source->written(std::move(bytes), m_xml.Root());
    } catch (const std::exception& error) {
        // The old file stays as it was: the page is written beside it, then replaces it.
        m_prompts.showMessage(QLatin1String(IconPageText::kSavingError) + QLatin1Char('\n') + SaveFailureReason(error));
        return false;
    }
    markSaved();
    return true;
}

void PageDocument::markSaved()
{
    m_unrecordedChange = false;
    m_undo->setClean();
    emit modifiedChanged();
}

bool PageDocument::askSaveAsName()
{
    const QFileInfo current(QString::fromStdString(m_path));
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
    m_path = chosen.toStdString();
    return true;
}

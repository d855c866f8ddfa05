#include "document/PackIndex.h"

#include "document/EditorSupport.h"
#include "document/IconPageFile.h"
#include "document/PackFolder.h"
#include "document/PageOpening.h"
#include "document/PageSource.h"
#include "mapview/MapStyle.h"
#include "mapview/Prompts.h"
#include "support/ConfigRules.h"
#include "support/ZonePageFile.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <map>
#include <mutex>

namespace {

// What reading a page would show, kept as the reason it did not read.
class KeptPrompts : public Prompts {
public:
    QStringList shown;
    void showMessage(const QString& text) override { shown << text.split(QLatin1Char('\n')); }
    void showError(const QString& text) override { shown << text; }
    void showNotice(const QString&) override {}
    bool confirm(const QString&, const QString&) override { return false; }
    SaveAnswer askSave(const SaveQuestion&) override { return SaveAnswer::Discard; }
    QString openFileName(const FileDialogOptions&) override { return {}; }
    QString saveFileName(const FileDialogOptions&) override { return {}; }
    bool interactive() const override { return false; }
};

std::uint32_t addText(std::string& texts, std::string_view text)
{
    const auto at = static_cast<std::uint32_t>(texts.size());
    texts.append(text);
    texts += '\0';
    return at;
}

std::string_view textAt(const std::string& texts, std::uint32_t at)
{
    return std::string_view(texts.c_str() + at);
}

// One page read: its counts and its POIs as find matches them. The state is opened the way the
// window opens the page, so that its problems are those View > Problems lists.
void indexPage(PackIndexFile& file, const std::string& mapName, TSimpleXML& read, PageSource& source,
               EditorState& state, const PackIndexSettings& settings)
{
    TSimpleXMLElem& root = read.Root();
    state.CurrentFile = file.path.toStdString();
    state.DocLoaded = true;
    state.Anchor = source.anchor();
    if (source.offers(PageFeature::AnchorOption) && settings.chosenAnchor)
        state.Anchor = settings.chosenAnchor(state.CurrentFile, state.Anchor);
    LookupMapStyle(state, mapName);
    TakePageSize(state, root);

    PackIndexPage page;
    page.name = mapName;
    page.problems = static_cast<int>(CheckOpenPage(root, state, source).size());
    const int pageIndex = static_cast<int>(file.pages.size());
    const TSimpleXMLElems* children = root.ItemsIfAny();
    const int count = children ? children->Count() : 0;
    for (int i = 0; i < count; ++i) {
        const TSimpleXMLElem& element = *children->Item(i);
        if (!IsPoiElement(element))
            continue;
        const PackFindPoi found = ReadFindPoi(element, source);
        PackIndexPoi poi;
        poi.page = pageIndex;
        poi.poi = i;
        poi.texts = addText(file.texts, found.name);
        addText(file.texts, found.type);
        addText(file.texts, found.world);
        addText(file.texts, found.tooltipLine);
        poi.searched = static_cast<std::uint32_t>(file.texts.size());
        file.texts += found.searched;
        poi.foldedType = addText(file.texts, found.foldedType);
        if (found.location) {
            poi.located = true;
            poi.x = found.location->x;
            poi.z = found.location->z;
        }
        file.pois.push_back(poi);
        ++page.pois;
    }
    file.pages.push_back(std::move(page));
}

QString reasonOf(const KeptPrompts& prompts)
{
    return prompts.shown.isEmpty() ? QStringLiteral("not read") : prompts.shown.join(QStringLiteral("; "));
}

}  // namespace

std::size_t PackIndexFile::memoryBytes() const
{
    std::size_t bytes = sizeof(*this) + texts.capacity() + pois.capacity() * sizeof(PackIndexPoi)
        + pages.capacity() * sizeof(PackIndexPage) + static_cast<std::size_t>(path.capacity()) * sizeof(QChar);
    for (const PackIndexPage& page : pages)
        bytes += page.name.capacity() > 15 ? page.name.capacity() : 0;
    return bytes;
}

OpenedPageFile ListPackFile(PackIndexFile& file, const QString& uiFolder, const PackIndexSettings& settings)
{
    file.pages.clear();
    file.pois.clear();
    file.texts.clear();
    file.failure.clear();
    file.checked = false;
    // Stamped before the read: a change while it is read is seen next time.
    const QFileInfo info(file.path);
    file.size = info.exists() ? info.size() : -1;
    file.modified = info.lastModified();
    OpenedPageFile opened = OpenPageSource(file.path.toStdString());
    PageSource* source = opened.source.get();
    const bool pages = source && source->offers(PageFeature::PageList);
    if (file.zonePageFolder && !pages) {
        // Files beside the pages that hold none are other UI files.
        file.kind = PackFileKind::NotPage;
    } else if (!source) {
        file.kind = PackFileKind::Unread;
        file.failure = QString::fromStdString(opened.refusal);
    } else if (pages) {
        file.kind = PackFileKind::ZonePages;
        for (const ZonePageInfo& page : source->pages())
            file.pages.push_back({page.name, page.poiCount, -1});
        return opened;
    } else {
        // A page of its own is read whole to be counted: the check follows on the same read.
        file.kind = PackFileKind::IconPage;
        CheckPackFile(file, uiFolder, settings, std::move(opened));
    }
    file.checked = true;
    return {};
}

void CheckPackFile(PackIndexFile& file, const QString& uiFolder, const PackIndexSettings& settings,
                   OpenedPageFile opened, const std::atomic<bool>* cancelled)
{
    if (file.checked || !opened.source)
        return;
    file.checked = true;
    EditorState state = settings.state;
    state.BaseFolder = QDir(uiFolder).absolutePath().toStdString() + '/';
    state.DefaultFolder = Config::DefaultFolderOf(state.BaseFolder);
    KeptPrompts prompts;
    PageSource& source = *opened.source;
    if (source.offers(PageFeature::PageList)) {
        const std::vector<PackIndexPage> listed = std::move(file.pages);
        file.pages.clear();
        std::size_t icons = 0;
        for (const PackIndexPage& page : listed)
            icons += static_cast<std::size_t>(page.pois);
        file.pois.reserve(icons);
        file.texts.reserve(source.fileBytes().size() / 2);
        for (int i = 0; i < static_cast<int>(listed.size()); ++i) {
            if (cancelled && *cancelled)
                return;  // dropped unfinished: nobody will see it
            TSimpleXML read;
            if (ReadZonePageOrSay(source, i, read, prompts)) {
                indexPage(file, listed[static_cast<std::size_t>(i)].name, read, source, state, settings);
            } else {
                // Listed all the same, so that opening it tells why.
                file.pages.push_back(listed[static_cast<std::size_t>(i)]);
            }
        }
    } else {
        TSimpleXML read;
        const std::string path = file.path.toStdString();
        std::unique_ptr<PageSource> page =
            ReadIconPageOrSay(read, path, opened.unread.empty() ? nullptr : &opened.unread, nullptr, prompts);
        if (!page) {
            file.kind = PackFileKind::Unread;
            file.failure = reasonOf(prompts);
            return;
        }
        file.texts.reserve(opened.unread.size() / 2);
        indexPage(file, PageFields(read.Root(), *page, {}).pageName, read, *page, state, settings);
    }
    file.texts.shrink_to_fit();
    file.pois.shrink_to_fit();
}

void IndexPackFile(PackIndexFile& file, const QString& uiFolder, const PackIndexSettings& settings)
{
    CheckPackFile(file, uiFolder, settings, ListPackFile(file, uiFolder, settings));
}

// What the threads of one opening share: the files, listed first (each task one file), then
// checked from the same read (task N + i checks file i once its listing is done).
struct PackIndex::Job {
    std::vector<PackIndexFile> files;
    std::vector<OpenedPageFile> opened;
    std::unique_ptr<std::atomic<bool>[]> listedDone;
    QString uiFolder;
    PackIndexSettings settings;
    std::atomic<std::size_t> next{0};
    std::atomic<bool> cancelled{false};
};

PackIndex::PackIndex(QObject* parent) : QObject(parent) {}

PackIndex::~PackIndex()
{
    stop();
}

void PackIndex::stop()
{
    if (m_job)
        m_job->cancelled = true;
    for (std::thread& thread : m_threads)
        thread.join();
    m_threads.clear();
    m_job.reset();
}

void PackIndex::open(const QString& folder, PackIndexSettings settings, int threads)
{
    stop();
    ++m_generation;
    m_folder = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    m_files.clear();
    const PackFolderFiles folderFiles = ListPackFolder(m_folder);
    m_uiFolder = folderFiles.uiFolder;
    const auto add = [this](const QString& path, bool zonePageFolder) {
        PackIndexFile file;
        file.path = QFileInfo(path).absoluteFilePath();
        file.zonePageFolder = zonePageFolder;
        m_files.push_back(std::move(file));
    };
    for (const QString& path : folderFiles.iconPages)
        add(path, false);
    for (const QString& path : folderFiles.zonePageFiles)
        add(path, true);
    m_listWaiting = m_checkWaiting = static_cast<int>(m_files.size());
    m_settings = std::move(settings);
    emit listed();
    if (m_files.empty()) {
        emit filled();
        emit checked();
        return;
    }
    auto job = std::make_shared<Job>();
    job->files = m_files;
    job->opened.resize(m_files.size());
    job->listedDone = std::make_unique<std::atomic<bool>[]>(m_files.size());
    job->uiFolder = m_uiFolder;
    job->settings = m_settings;
    m_job = job;
    const int generation = m_generation;
    const int count = std::max(1, std::min(threads, static_cast<int>(m_files.size())));
    for (int t = 0; t < count; ++t)
        m_threads.emplace_back([this, job, generation]() { work(*job, generation); });
}

void PackIndex::work(Job& job, int generation)
{
    const std::size_t files = job.files.size();
    for (std::size_t task = job.next++; task < 2 * files && !job.cancelled; task = job.next++) {
        const std::size_t i = task % files;
        PackIndexFile& file = job.files[i];
        PackIndexFile delivered;
        if (task < files) {
            job.opened[i] = ListPackFile(file, job.uiFolder, job.settings);
            // The listing goes to the window as a copy made before the check may go on from it.
            delivered = file;
            job.listedDone[i] = true;
        } else {
            while (!job.listedDone[i] && !job.cancelled)
                std::this_thread::yield();
            CheckPackFile(file, job.uiFolder, job.settings, std::move(job.opened[i]), &job.cancelled);
            job.opened[i] = {};
            delivered = std::move(file);
        }
        QMetaObject::invokeMethod(
            this, [this, generation, i, listing = task < files, read = std::move(delivered)]() mutable {
                deliver(generation, static_cast<int>(i), std::move(read), listing);
            },
            Qt::QueuedConnection);
    }
}

void PackIndex::deliver(int generation, int file, PackIndexFile read, bool listing)
{
    if (generation != m_generation || file >= static_cast<int>(m_files.size()))
        return;
    PackIndexFile& entry = m_files[static_cast<std::size_t>(file)];
    // A file read again on the window's thread meanwhile keeps that newer reading.
    if (listing ? entry.kind != PackFileKind::Waiting : entry.checked)
        return countDelivered(listing);
    entry = std::move(read);
    emit fileIndexed(file);
    countDelivered(listing);
}

void PackIndex::countDelivered(bool listing)
{
    if (listing) {
        if (--m_listWaiting == 0)
            emit filled();
        return;
    }
    if (--m_checkWaiting == 0) {
        for (std::thread& thread : m_threads)
            thread.join();
        m_threads.clear();
        m_job.reset();
        emit checked();
    }
}

int PackIndex::fileOf(const QString& path) const
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    for (std::size_t i = 0; i < m_files.size(); ++i) {
        if (m_files[i].path == absolute)
            return static_cast<int>(i);
    }
    return -1;
}

bool PackIndex::refreshIfChanged(int file)
{
    if (file < 0 || file >= static_cast<int>(m_files.size()))
        return false;
    PackIndexFile& entry = m_files[static_cast<std::size_t>(file)];
    if (entry.kind == PackFileKind::Waiting || !entry.checked)
        return false;
    const QFileInfo info(entry.path);
    if (entry.kind != PackFileKind::Unread && info.exists() && info.size() == entry.size
        && info.lastModified() == entry.modified)
        return false;
    IndexPackFile(entry, m_uiFolder, m_settings);
    emit fileIndexed(file);
    return true;
}

std::vector<PackIndexHit> PackIndex::find(const PackFindQuery& query, std::size_t limit) const
{
    const PreparedFind prepared = PrepareFind(query);
    std::vector<PackIndexHit> hits;
    for (std::size_t f = 0; f < m_files.size() && hits.size() < limit; ++f) {
        const PackIndexFile& file = m_files[f];
        const char* texts = file.texts.c_str();
        for (const PackIndexPoi& poi : file.pois) {
            const std::string_view searched(texts + poi.searched, poi.foldedType - poi.searched);
            const std::optional<WorldLocation> location =
                poi.located ? std::optional<WorldLocation>(WorldLocation{poi.x, {}, poi.z}) : std::nullopt;
            if (!FindMatches(prepared, searched, textAt(file.texts, poi.foldedType), location))
                continue;
            PackIndexHit hit;
            hit.file = static_cast<int>(f);
            hit.page = poi.page;
            hit.hit.poi = poi.poi;
            std::uint32_t at = poi.texts;
            const auto next = [&]() {
                const std::string_view text = textAt(file.texts, at);
                at += static_cast<std::uint32_t>(text.size() + 1);
                return std::string(text);
            };
            hit.hit.name = next();
            hit.hit.type = next();
            std::string world = next();
            if (!world.empty())
                hit.hit.world = std::move(world);
            hit.hit.tooltipLine = next();
            hits.push_back(std::move(hit));
            if (hits.size() >= limit)
                break;
        }
    }
    return hits;
}

std::size_t PackIndex::memoryBytes() const
{
    std::size_t bytes = m_files.capacity() * sizeof(PackIndexFile);
    for (const PackIndexFile& file : m_files)
        bytes += file.memoryBytes() - sizeof(PackIndexFile);
    return bytes;
}

qint64 PackIndex::fileBytes() const
{
    qint64 bytes = 0;
    for (const PackIndexFile& file : m_files)
        bytes += std::max<qint64>(file.size, 0);
    return bytes;
}

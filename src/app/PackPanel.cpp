#include "app/PackPanel.h"

#include "app/Captions.h"
#include "app/Headless.h"
#include "app/PageTarget.h"
#include "document/PackIndex.h"

#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QSplitter>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int kFileRole = Qt::UserRole;
constexpr int kPageRole = Qt::UserRole + 1;  // -1: the file itself is the page
constexpr int kPoiRole = Qt::UserRole + 2;
constexpr int kPanelWidth = 320;
// Results come in as the index fills: asked again once files stop arriving for a moment.
constexpr int kFindAgainMs = 100;

QString countText(int count)
{
    return count < 0 ? QStringLiteral("…") : QString::number(count);
}

// A list whose first column takes the room the counts leave (`stretched`), or whose columns
// all keep their texts' width, scrolled sideways.
QTreeWidget* newList(const QStringList& headers, bool stretched, QWidget* parent)
{
    auto* list = new QTreeWidget(parent);
    list->setHeaderLabels(headers);
    list->setRootIsDecorated(stretched);
    list->setUniformRowHeights(true);
    list->header()->setStretchLastSection(false);
    list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    if (stretched)
        list->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    return list;
}

}  // namespace

PackPanel::PackPanel(Language language, PackIndex& index, QWidget* parent)
    : QDockWidget(parent), m_language(language), m_index(index)
{
    setObjectName(QStringLiteral("PackPanel"));
    setWindowTitle(caption(language, "PackPanel"));
    setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    auto* body = new QSplitter(Qt::Vertical, this);
    // Of one width: the window grows by it to keep the described controls as they are.
    setFixedWidth(kPanelWidth);

    m_pages = newList({caption(language, "PackPanel.page"), caption(language, "PackPanel.pois"),
                       caption(language, "PackPanel.problems")},
                      true, body);
    m_pages->setObjectName(QStringLiteral("PackPages"));

    auto* findBox = new QWidget(body);
    auto* findLayout = new QVBoxLayout(findBox);
    findLayout->setContentsMargins(0, 0, 0, 0);
    auto* fields = new QHBoxLayout;
    m_find = new QLineEdit(findBox);
    m_find->setObjectName(QStringLiteral("PackFind"));
    m_find->setPlaceholderText(caption(language, "PackPanel.find"));
    m_find->setClearButtonEnabled(true);
    m_type = new QLineEdit(findBox);
    m_type->setObjectName(QStringLiteral("PackFindType"));
    m_type->setPlaceholderText(caption(language, "PackPanel.type"));
    m_type->setMaximumWidth(kPanelWidth / 3);
    fields->addWidget(m_find);
    fields->addWidget(m_type);
    findLayout->addLayout(fields);
    m_found = new QLabel(findBox);
    m_found->setObjectName(QStringLiteral("PackFound"));
    findLayout->addWidget(m_found);
    m_results = newList({caption(language, "PackPanel.page"), caption(language, "PackPanel.poi"),
                         caption(language, "PackPanel.poiType"), caption(language, "PackPanel.world")},
                        false, findBox);
    m_results->setObjectName(QStringLiteral("PackResults"));
    findLayout->addWidget(m_results);
    setWidget(body);

    m_findAgain = new QTimer(this);
    m_findAgain->setSingleShot(true);
    m_findAgain->setInterval(kFindAgainMs);
    connect(m_findAgain, &QTimer::timeout, this, &PackPanel::findNow);
    connect(&m_index, &PackIndex::listed, this, &PackPanel::listFiles);
    connect(&m_index, &PackIndex::fileIndexed, this, [this](int file) {
        showFile(file);
        if (!m_find->text().isEmpty() || !m_type->text().isEmpty())
            m_findAgain->start();
    });
    connect(m_find, &QLineEdit::textChanged, this, &PackPanel::findNow);
    connect(m_type, &QLineEdit::textChanged, this, &PackPanel::findNow);
    connect(m_pages, &QTreeWidget::itemActivated, this, &PackPanel::choosePage);
    connect(m_results, &QTreeWidget::itemClicked, this, &PackPanel::chooseResult);
    connect(m_results, &QTreeWidget::itemActivated, this, &PackPanel::chooseResult);
    listFiles();
}

void PackPanel::focusFind()
{
    m_find->setFocus();
    m_find->selectAll();
}

void PackPanel::listFiles()
{
    m_pages->clear();
    m_fileItems.clear();
    const QDir folder(m_index.folder());
    for (int i = 0; i < static_cast<int>(m_index.files().size()); ++i) {
        const PackIndexFile& file = m_index.files()[static_cast<std::size_t>(i)];
        auto* item = new QTreeWidgetItem(m_pages);
        item->setText(0, QDir::toNativeSeparators(folder.relativeFilePath(file.path)));
        item->setToolTip(0, QDir::toNativeSeparators(file.path));
        item->setData(0, kFileRole, i);
        item->setData(0, kPageRole, -1);
        m_fileItems.push_back(item);
        showFile(i);
    }
    findNow();
}

void PackPanel::showFile(int file)
{
    if (file < 0 || file >= static_cast<int>(m_fileItems.size()))
        return;
    const PackIndexFile& entry = m_index.files()[static_cast<std::size_t>(file)];
    QTreeWidgetItem* item = m_fileItems[static_cast<std::size_t>(file)];
    item->setHidden(!entry.shown());
    qDeleteAll(item->takeChildren());
    if (entry.kind == PackFileKind::Unread) {
        item->setText(1, QString());
        item->setText(2, caption(m_language, "PackPanel.unread"));
        item->setToolTip(2, entry.failure);
        return;
    }
    int pois = entry.kind == PackFileKind::Waiting ? -1 : 0;
    int problems = entry.checked ? 0 : -1;
    for (int page = 0; page < static_cast<int>(entry.pages.size()); ++page) {
        const PackIndexPage& shown = entry.pages[static_cast<std::size_t>(page)];
        pois += shown.pois;
        if (problems >= 0)
            problems = shown.problems < 0 ? -1 : problems + shown.problems;
        if (entry.kind != PackFileKind::ZonePages)
            continue;
        auto* child = new QTreeWidgetItem(item);
        child->setText(0, QString::fromStdString(shown.name));
        child->setText(1, countText(shown.pois));
        child->setText(2, countText(shown.problems));
        child->setData(0, kFileRole, file);
        child->setData(0, kPageRole, page);
    }
    item->setText(1, countText(pois));
    item->setText(2, countText(problems));
}

QString PackPanel::targetOf(int file, int page) const
{
    const PackIndexFile& entry = m_index.files()[static_cast<std::size_t>(file)];
    if (page < 0 || entry.kind != PackFileKind::ZonePages || page >= static_cast<int>(entry.pages.size()))
        return entry.path;
    return JoinPageTarget({entry.path, QString::fromStdString(entry.pages[static_cast<std::size_t>(page)].name)});
}

void PackPanel::choosePage(QTreeWidgetItem* item)
{
    const int file = item->data(0, kFileRole).toInt();
    const int page = item->data(0, kPageRole).toInt();
    const PackIndexFile& entry = m_index.files()[static_cast<std::size_t>(file)];
    // A file of zone pages opens by its pages; a double click on it folds it.
    if (page < 0 && entry.kind == PackFileKind::ZonePages)
        return;
    const QString target = targetOf(file, page);
    // A file changed on disk since it was listed is read again: its line shows what opens.
    if (m_index.refreshIfChanged(file))
        findNow();
    emit pageChosen(target);
}

void PackPanel::chooseResult(QTreeWidgetItem* item)
{
    const int file = item->data(0, kFileRole).toInt();
    const int page = item->data(0, kPageRole).toInt();
    const int poi = item->data(0, kPoiRole).toInt();
    // A result from a file changed on disk since may name another POI now: the list is made
    // again from the file as it is, to be clicked again.
    if (m_index.refreshIfChanged(file)) {
        findNow();
        return;
    }
    emit poiChosen(targetOf(file, page), poi);
}

void PackPanel::findNow()
{
    m_results->clear();
    PackFindQuery query;
    query.text = m_find->text();
    query.type = m_type->text().trimmed();
    if (query.text.isEmpty() && query.type.isEmpty()) {
        m_found->clear();
        return;
    }
    const std::vector<PackIndexHit> hits = m_index.find(query, kShownResults + 1);
    const QDir folder(m_index.folder());
    QList<QTreeWidgetItem*> items;
    for (std::size_t i = 0; i < hits.size() && i < static_cast<std::size_t>(kShownResults); ++i) {
        const PackIndexHit& found = hits[i];
        const PackIndexFile& file = m_index.files()[static_cast<std::size_t>(found.file)];
        QString page = QDir::toNativeSeparators(folder.relativeFilePath(file.path));
        if (file.kind == PackFileKind::ZonePages)
            page = JoinPageTarget({page, QString::fromStdString(file.pages[static_cast<std::size_t>(found.page)].name)});
        auto* item = new QTreeWidgetItem;
        item->setText(0, page);
        item->setText(1, oneLine(found.hit.name));
        item->setText(2, oneLine(found.hit.type));
        item->setText(3, found.hit.world ? oneLine(*found.hit.world) : QString());
        item->setToolTip(1, QString::fromStdString(found.hit.tooltipLine));
        item->setData(0, kFileRole, found.file);
        item->setData(0, kPageRole, found.page);
        item->setData(0, kPoiRole, found.hit.poi);
        items << item;
    }
    m_results->addTopLevelItems(items);
    m_found->setText(hits.size() > static_cast<std::size_t>(kShownResults)
                         ? caption(m_language, "PackPanel.many").arg(kShownResults)
                         : caption(m_language, "PackPanel.found").arg(hits.size()));
}

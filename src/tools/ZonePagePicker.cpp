#include "tools/ZonePagePicker.h"

#include "tools/ZoneScan.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <numeric>

namespace {

enum Column { ColumnName, ColumnLocation, ColumnCount, ColumnTotal };
constexpr int kPageRole = Qt::UserRole;
constexpr int kPickerWidth = 460;
constexpr int kPickerHeight = 420;

struct PickerTexts {
    const char* title;
    const char* filter;
    const char* name;
    const char* location;
    const char* count;
};

const PickerTexts kEnglish{"Zone Page", "Filter", "Zone page", "Location", "POIs"};
const PickerTexts kKorean{"존 페이지", "거르기", "존 페이지", "지역", "POI"};

QString sortKey(const ZonePageLine& line)
{
    return line.location.isEmpty() ? line.name : line.location;
}

}  // namespace

std::vector<int> ZonePageOrder(const std::vector<ZonePageLine>& lines)
{
    std::vector<int> order(lines.size());
    std::iota(order.begin(), order.end(), 0);
    const QCollator collation = ZoneListCollation();
    std::stable_sort(order.begin(), order.end(), [&lines, &collation](int a, int b) {
        return ZoneLineLess(collation, sortKey(lines[static_cast<std::size_t>(a)]), a,
                            sortKey(lines[static_cast<std::size_t>(b)]), b);
    });
    return order;
}

bool ZonePageMatches(const ZonePageLine& line, const QString& filter)
{
    const QString text = filter.trimmed();
    return text.isEmpty() || line.name.contains(text, Qt::CaseInsensitive)
        || line.location.contains(text, Qt::CaseInsensitive);
}

ZonePagePicker::ZonePagePicker(const std::vector<ZonePageLine>& lines, Language language, QWidget* parent)
    : QDialog(parent), m_lines(lines)
{
    const PickerTexts& texts = language == Language::Korean ? kKorean : kEnglish;
    setObjectName(QStringLiteral("ZonePagePicker"));
    setWindowTitle(QString::fromUtf8(texts.title));
    resize(kPickerWidth, kPickerHeight);
    m_filter = new QLineEdit(this);
    m_filter->setObjectName(QStringLiteral("ZonePageFilter"));
    m_filter->setPlaceholderText(QString::fromUtf8(texts.filter));
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("ZonePageList"));
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setColumnCount(ColumnTotal);
    m_list->setHeaderLabels({QString::fromUtf8(texts.name), QString::fromUtf8(texts.location),
                             QString::fromUtf8(texts.count)});
    // The count stays in sight however long the names are: the two name columns share the
    // room left beside it and cut their texts (each line's tooltip shows them whole).
    QHeaderView* header = m_list->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(ColumnName, QHeaderView::Stretch);
    header->setSectionResizeMode(ColumnLocation, QHeaderView::Stretch);
    header->setSectionResizeMode(ColumnCount, QHeaderView::ResizeToContents);
    m_list->setTextElideMode(Qt::ElideRight);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_filter);
    layout->addWidget(m_list);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &ZonePagePicker::acceptCurrent);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_list, &QTreeWidget::itemActivated, this, [this]() { acceptCurrent(); });
    connect(m_filter, &QLineEdit::textChanged, this, &ZonePagePicker::fillList);
    // Enter in the filter takes the line the filter left selected.
    connect(m_filter, &QLineEdit::returnPressed, this, &ZonePagePicker::acceptCurrent);
    fillList();
}

void ZonePagePicker::fillList()
{
    const int current = m_list->currentItem() ? m_list->currentItem()->data(ColumnName, kPageRole).toInt() : -1;
    m_list->clear();
    for (const int index : ZonePageOrder(m_lines)) {
        const ZonePageLine& line = m_lines[static_cast<std::size_t>(index)];
        if (!ZonePageMatches(line, m_filter->text()))
            continue;
        auto* item = new QTreeWidgetItem(m_list, {line.name, line.location, QString::number(line.poiCount)});
        item->setData(ColumnName, kPageRole, index);
        item->setTextAlignment(ColumnCount, Qt::AlignRight | Qt::AlignVCenter);
        item->setToolTip(ColumnName, line.name);
        item->setToolTip(ColumnLocation, line.location);
        if (index == current)
            m_list->setCurrentItem(item);
    }
    if (!m_list->currentItem() && m_list->topLevelItemCount() > 0)
        m_list->setCurrentItem(m_list->topLevelItem(0));
}

void ZonePagePicker::setCurrentPage(int page)
{
    for (int i = 0; i < m_list->topLevelItemCount(); ++i)
        if (m_list->topLevelItem(i)->data(ColumnName, kPageRole).toInt() == page)
            m_list->setCurrentItem(m_list->topLevelItem(i));
}

void ZonePagePicker::acceptCurrent()
{
    if (!m_list->currentItem())
        return;
    m_chosen = m_list->currentItem()->data(ColumnName, kPageRole).toInt();
    accept();
}

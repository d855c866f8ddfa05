#include "document/PoiTreeItem.h"

PoiTreeItem::PoiTreeItem(const QString& text, int datum) : QTreeWidgetItem(kItemType)
{
    setText(0, text);
    setData(0, Qt::UserRole, datum);
}

int PoiTreeItem::datum() const
{
    return NodeDatum(this);
}

void PoiTreeItem::setData(int column, int role, const QVariant& value)
{
    QTreeWidgetItem::setData(column, role, value);
    if (column == 0 && (role == Qt::DisplayRole || role == Qt::EditRole))
        m_sortText = text(0);
}

bool PoiTreeItem::operator<(const QTreeWidgetItem& other) const
{
    if (other.type() == kItemType)
        return PoiTextLess(m_sortText, static_cast<const PoiTreeItem&>(other).m_sortText);
    return PoiTextLess(text(0), other.text(0));
}

int NodeDatum(const QTreeWidgetItem* node)
{
    return node ? node->data(0, Qt::UserRole).toInt() : PoiTreeItem::kValueNodeDatum;
}

bool PoiTextLess(const QString& a, const QString& b)
{
    const int folded = QString::compare(a, b, Qt::CaseInsensitive);
    if (folded != 0)
        return folded < 0;
    return QString::compare(a, b, Qt::CaseSensitive) < 0;
}

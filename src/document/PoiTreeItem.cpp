#include "document/PoiTreeItem.h"

PoiTreeItem::PoiTreeItem(const QString& text, int datum)
    : QTreeWidgetItem(QStringList{text}, QTreeWidgetItem::UserType)
{
    setData(0, Qt::UserRole, datum);
}

int PoiTreeItem::datum() const
{
    return NodeDatum(this);
}

bool PoiTreeItem::operator<(const QTreeWidgetItem& other) const
{
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

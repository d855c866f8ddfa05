#include "document/PoiTreeItem.h"

#include <algorithm>
#include <optional>

PoiTreeItem::PoiTreeItem(const QString& text, int datum) : QTreeWidgetItem(kItemType)
{
    setText(0, text);
    // A node without a datum reads as the value node datum; most nodes are value nodes, and
    // leaving theirs unset spares each its own list of role data.
    if (datum != kValueNodeDatum)
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

namespace {

constexpr char16_t kAsciiEnd = 0x80;
constexpr char16_t kAsciiCaseBit = 0x20;

char16_t foldAscii(char16_t c)
{
    return c >= u'A' && c <= u'Z' ? char16_t(c | kAsciiCaseBit) : c;
}

// The letter-case-ignoring order for text that is ASCII up to its first difference; nullopt
// when a character outside ASCII comes first, whose folding needs the full Unicode tables.
std::optional<int> compareAsciiFolded(const QString& a, const QString& b)
{
    const qsizetype common = std::min(a.size(), b.size());
    const QChar* pa = a.constData();
    const QChar* pb = b.constData();
    for (qsizetype i = 0; i < common; ++i) {
        const char16_t ca = pa[i].unicode();
        const char16_t cb = pb[i].unicode();
        if (ca >= kAsciiEnd || cb >= kAsciiEnd)
            return std::nullopt;
        const char16_t fa = foldAscii(ca);
        const char16_t fb = foldAscii(cb);
        if (fa != fb)
            return fa < fb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

} // namespace

bool PoiTextLess(const QString& a, const QString& b)
{
    // Sorting thousands of nodes: most names differ within their ASCII start.
    const std::optional<int> ascii = compareAsciiFolded(a, b);
    const int folded = ascii ? *ascii : QString::compare(a, b, Qt::CaseInsensitive);
    if (folded != 0)
        return folded < 0;
    return QString::compare(a, b, Qt::CaseSensitive) < 0;
}

#include "document/PoiTreeModel.h"

#include "support/Prefetch.h"

#include "document/EditorSupport.h"
#include "document/IconPageFile.h"
#include "document/PoiTextOrder.h"
#include "support/IconPageXml.h"
#include "support/TextUtil.h"

#include <algorithm>
#include <charconv>
#include <optional>

namespace {

// A POI node's internal id; a value node's is its POI index plus one, which stays right when
// its parent moves.
constexpr quintptr kPoiNodeId = 0;

// Between a name and its note.
const char* const kNoteSeparator = "  ";
// A localisation token at the start of a game text: ":" letters, digits and "_" ":".
constexpr char kTokenMark = ':';
constexpr int kHexBase = 16;
constexpr int kDecimalBase = 10;

bool isTokenCharacter(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

std::size_t afterToken(std::string_view text)
{
    if (text.empty() || text[0] != kTokenMark)
        return 0;
    std::size_t end = 1;
    while (end < text.size() && isTokenCharacter(text[end]))
        ++end;
    return end > 1 && end < text.size() && text[end] == kTokenMark ? end + 1 : 0;
}

// Whether a well-formed numeric reference ("&#xA;", "&#13;") names a line break.
bool isLineBreakReference(std::string_view reference)
{
    const bool hex = reference[2] == 'x' || reference[2] == 'X';
    const std::size_t digits = hex ? 3 : 2;
    unsigned long code = 0;
    std::from_chars(reference.data() + digits, reference.data() + reference.size() - 1, code,
                    hex ? kHexBase : kDecimalBase);
    return code == '\n' || code == '\r';
}

} // namespace

std::string NameNoteText(std::string_view text)
{
    const std::size_t begin = afterToken(text);
    std::size_t end = begin;
    for (; end < text.size() && text[end] != '\n' && text[end] != '\r'; ++end) {
        const std::size_t reference = text[end] == '&' ? NumericReferenceLength(text, end) : 0;
        if (reference != 0 && isLineBreakReference(text.substr(end, reference)))
            break;
    }
    return TrimBlanks(text.substr(begin, end - begin));
}

PoiTreeModel::PoiTreeModel(QObject* parent) : QAbstractItemModel(parent)
{
    std::copy(std::begin(kPoiValueProperties), std::end(kPoiValueProperties), m_valueProperties.begin());
}

const TSimpleXMLElem* PoiTreeModel::poi(int poiIndex) const
{
    const TSimpleXMLElems* children = m_root ? m_root->ItemsIfAny() : nullptr;
    return children ? children->Item(poiIndex) : nullptr;
}

std::string_view PoiTreeModel::nameOf(int poiIndex) const
{
    const TSimpleXMLElem* element = poi(poiIndex);
    return element ? std::string_view(ValueOrEmpty(*element, "Name")) : std::string_view();
}

QString PoiTreeModel::poiText(int poiIndex) const
{
    const TSimpleXMLElem* element = m_nameNote ? poi(poiIndex) : nullptr;
    const std::string note = element ? NameNoteText(ValueOrEmpty(*element, m_nameNote)) : std::string();
    if (note.empty())
        return fromDoc(nameOf(poiIndex));
    return fromDoc(std::string(nameOf(poiIndex)) + kNoteSeparator + note);
}

void PoiTreeModel::reset(const TSimpleXMLElem* root)
{
    reset(root, sortedPois(root));
}

void PoiTreeModel::reset(const TSimpleXMLElem* root, std::vector<int> order)
{
    beginResetModel();
    m_root = root;
    m_order = std::move(order);
    m_replacingValues = -1;
    const TSimpleXMLElems* children = root ? root->ItemsIfAny() : nullptr;
    m_rowOf.assign(static_cast<size_t>(children ? children->Count() : 0), -1);
    for (size_t row = 0; row < m_order.size(); ++row)
        m_rowOf[static_cast<size_t>(m_order[row])] = static_cast<int>(row);
    endResetModel();
}

std::vector<int> PoiTreeModel::sortedPois(const TSimpleXMLElem* root)
{
    const TSimpleXMLElems* children = root ? root->ItemsIfAny() : nullptr;
    const int count = children ? children->Count() : 0;
    std::vector<std::string_view> names(static_cast<size_t>(count));
    struct Entry {
        PoiTextKey key;
        int poiIndex;
    };
    std::vector<Entry> entries;
    entries.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const TSimpleXMLElem& child = *children->Item(i);
        if (IsPoiElement(child)) {
            names[static_cast<size_t>(i)] = ValueOrEmpty(child, "Name");
            entries.push_back({PoiTextKey(), i});
        }
    }
    // The names lie in the page's bytes, a few hundred bytes apart: each is asked for well
    // before its key is made, or every key waits for memory.
    constexpr std::size_t kAhead = 16;
    for (std::size_t e = 0; e < entries.size(); ++e) {
        if (e + kAhead < entries.size())
            PrefetchBytes(names[static_cast<size_t>(entries[e + kAhead].poiIndex)].data());
        entries[e].key = MakePoiTextKey(names[static_cast<size_t>(entries[e].poiIndex)]);
    }
    // Names that their ASCII start does not order (Korean ones, say) are compared as text,
    // each converted once rather than at every comparison; most pages never need one.
    std::vector<std::optional<QString>> texts;
    auto text = [&](int poiIndex) -> const QString& {
        if (texts.empty())
            texts.resize(static_cast<size_t>(count));
        std::optional<QString>& converted = texts[static_cast<size_t>(poiIndex)];
        if (!converted)
            converted = fromDoc(names[static_cast<size_t>(poiIndex)]);
        return *converted;
    };
    // Stable: POIs of equal names keep the page's order.
    std::stable_sort(entries.begin(), entries.end(), [&](const Entry& a, const Entry& b) {
        if (const std::optional<bool> byKey = PoiTextKeyLess(a.key, b.key))
            return *byKey;
        const std::optional<bool> ascii = PoiTextLessAsciiStart(names[static_cast<size_t>(a.poiIndex)],
                                                                names[static_cast<size_t>(b.poiIndex)]);
        return ascii ? *ascii : PoiTextLess(text(a.poiIndex), text(b.poiIndex));
    });
    std::vector<int> order;
    order.reserve(entries.size());
    for (const Entry& entry : entries)
        order.push_back(entry.poiIndex);
    return order;
}

QModelIndex PoiTreeModel::poiNode(int poiIndex) const
{
    if (poiIndex < 0 || poiIndex >= static_cast<int>(m_rowOf.size()) || m_rowOf[static_cast<size_t>(poiIndex)] < 0)
        return {};
    return createIndex(m_rowOf[static_cast<size_t>(poiIndex)], 0, kPoiNodeId);
}

int PoiTreeModel::poiOf(const QModelIndex& node)
{
    if (!node.isValid())
        return -1;
    const auto* model = static_cast<const PoiTreeModel*>(node.model());
    if (node.internalId() != kPoiNodeId)
        return static_cast<int>(node.internalId() - 1);
    const auto row = static_cast<size_t>(node.row());
    return row < model->m_order.size() ? model->m_order[row] : -1;
}

QModelIndex PoiTreeModel::index(int row, int column, const QModelIndex& parent) const
{
    if (row < 0 || column != 0 || row >= rowCount(parent))
        return {};
    if (!parent.isValid())
        return createIndex(row, 0, kPoiNodeId);
    return createIndex(row, 0, static_cast<quintptr>(poiOf(parent)) + 1);
}

QModelIndex PoiTreeModel::parent(const QModelIndex& child) const
{
    if (!child.isValid() || child.internalId() == kPoiNodeId)
        return {};
    return poiNode(static_cast<int>(child.internalId() - 1));
}

int PoiTreeModel::rowCount(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return static_cast<int>(m_order.size());
    if (parent.internalId() != kPoiNodeId || poiOf(parent) == m_replacingValues)
        return 0;
    return kValueCount;
}

int PoiTreeModel::columnCount(const QModelIndex&) const
{
    return 1;
}

bool PoiTreeModel::hasChildren(const QModelIndex& parent) const
{
    return rowCount(parent) > 0;
}

QStringList PoiTreeModel::valueTexts(int poiIndex) const
{
    QStringList texts;
    if (const TSimpleXMLElem* element = poi(poiIndex)) {
        for (const char* property : m_valueProperties)
            texts << fromDoc(ValueOrEmpty(*element, property));
    }
    std::stable_sort(texts.begin(), texts.end(), PoiTextLess);
    return texts;
}

QVariant PoiTreeModel::data(const QModelIndex& node, int role) const
{
    if (!node.isValid())
        return {};
    const bool valueNode = node.internalId() != kPoiNodeId;
    if (role == Qt::UserRole)
        return valueNode ? kValueNodeDatum : poiOf(node);
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    if (!valueNode)
        return poiText(poiOf(node));
    const QStringList texts = valueTexts(poiOf(node));
    return node.row() < texts.size() ? texts[node.row()] : QString();
}

Qt::ItemFlags PoiTreeModel::flags(const QModelIndex& node) const
{
    if (!node.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags result = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    if (node.internalId() != kPoiNodeId)
        result |= Qt::ItemNeverHasChildren;
    return result;
}

int PoiTreeModel::sortedRow(int row) const
{
    // The place among the other nodes: before the first of an equal name, except that a node
    // equal to the one before it stays where it is.
    const std::string_view name = nameOf(m_order[static_cast<size_t>(row)]);
    auto less = [this](int poiIndex, std::string_view text) { return PoiTextLessUtf8(nameOf(poiIndex), text); };
    const auto below = m_order.begin() + row;
    int place = static_cast<int>(std::lower_bound(m_order.begin(), below, name, less) - m_order.begin());
    if (place == row)
        place += static_cast<int>(std::lower_bound(below + 1, m_order.end(), name, less) - (below + 1));
    if (place < row) {
        const std::string_view before = nameOf(m_order[static_cast<size_t>(row - 1)]);
        if (!PoiTextLessUtf8(name, before) && !PoiTextLessUtf8(before, name))
            return row;
    }
    return place;
}

void PoiTreeModel::moveRow(int from, int to)
{
    // As a layout change, like the item tree's re-sort: selection and expansion follow the node.
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const int moved = m_order[static_cast<size_t>(from)];
    m_order.erase(m_order.begin() + from);
    m_order.insert(m_order.begin() + to, moved);
    for (int row = std::min(from, to); row <= std::max(from, to); ++row)
        m_rowOf[static_cast<size_t>(m_order[static_cast<size_t>(row)])] = row;
    // The moved node goes to `to`; the nodes it passed shift by one towards where it was.
    const int shift = from < to ? -1 : 1;
    const QModelIndexList persistent = persistentIndexList();
    QModelIndexList moves;
    moves.reserve(persistent.size());
    for (const QModelIndex& node : persistent) {
        int row = node.row();
        // Value nodes keep their rows under their own POI.
        if (node.internalId() == kPoiNodeId) {
            if (row == from)
                row = to;
            else if (row >= std::min(from, to) && row <= std::max(from, to))
                row += shift;
        }
        moves << createIndex(row, 0, node.internalId());
    }
    changePersistentIndexList(persistent, moves);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void PoiTreeModel::refreshPoi(int poiIndex)
{
    const QModelIndex node = poiNode(poiIndex);
    if (!node.isValid())
        return;
    beginRemoveRows(node, 0, kValueCount - 1);
    m_replacingValues = poiIndex;
    endRemoveRows();

    emit dataChanged(node, node, {Qt::DisplayRole, Qt::EditRole});
    const int row = m_rowOf[static_cast<size_t>(poiIndex)];
    const int place = sortedRow(row);
    if (place != row)
        moveRow(row, place);

    const QModelIndex moved = poiNode(poiIndex);
    beginInsertRows(moved, 0, kValueCount - 1);
    m_replacingValues = -1;
    endInsertRows();
}

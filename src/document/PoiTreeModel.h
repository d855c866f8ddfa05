#pragma once
// The POI tree's model: a node per POI element of the open page, sorted by name, each with its
// four values as child nodes, sorted too. Texts are read from the document when the view asks,
// so listing a page of thousands of POIs costs one sort of an index array.

#include "support/xml/SimpleXml.h"

#include <QAbstractItemModel>

#include <array>

#include <string>
#include <string_view>
#include <vector>

// What a POI node shows of a text beside the name: its first line (up to a line break, or up to
// a numeric reference to one as the editor shows them), without a leading localisation token
// such as ":0df33755464a2ea6_1:" and without the blanks around it.
std::string NameNoteText(std::string_view text);

class PoiTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    // What Qt::UserRole gives for a value node; a POI node gives its POI index.
    static constexpr int kValueNodeDatum = 0;
    // Value nodes per POI node.
    static constexpr int kValueCount = 4;

    explicit PoiTreeModel(QObject* parent = nullptr);

    // Lists the POIs among `root`'s children afresh (null: none). The model reads the element
    // until the next reset, so every change to its children must be followed by a reset, and
    // every change to a POI's values by refreshPoi.
    void reset(const TSimpleXMLElem* root);
    // The same with the rows already sorted by sortedPois(root).
    void reset(const TSimpleXMLElem* root, std::vector<int> order);
    // The POI index of each row for `root`: the POIs among its children sorted by name. Only
    // reads the page, so it may run on another thread while nothing changes it.
    static std::vector<int> sortedPois(const TSimpleXMLElem* root);
    // The properties whose values a POI node lists (kValueCount of them): an icon page's
    // Location, world location, type and tooltip by default. Takes effect at the next reset.
    void setValueProperties(const std::array<const char*, kValueCount>& properties) { m_valueProperties = properties; }
    // The property whose NameNoteText a POI node shows after its name and two blanks, so that
    // POIs named by a number are told apart by eye; null (the default) shows the name alone.
    // Nodes stay sorted by name. Takes effect at the next reset.
    void setNameNote(const char* property) { m_nameNote = property; }
    // A POI's values changed: its value nodes are made anew (which moves a selection on one of
    // them to the POI's node) and its node moves to its sorted place.
    void refreshPoi(int poiIndex);

    // The node of a POI, or an invalid index for a child that is no POI.
    QModelIndex poiNode(int poiIndex) const;
    // The POI of a node: its own for a POI node, its parent's for a value node; -1 for none.
    static int poiOf(const QModelIndex& node);
    static bool isValueNode(const QModelIndex& node) { return node.isValid() && node.parent().isValid(); }

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& node, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& node) const override;

private:
    const TSimpleXMLElem* poi(int poiIndex) const;
    std::string_view nameOf(int poiIndex) const;
    // A POI node's text: the name, and the note where the page has one.
    QString poiText(int poiIndex) const;
    // The texts of a POI's value nodes in their sorted order.
    QStringList valueTexts(int poiIndex) const;
    // The row a POI whose name changed belongs at, as the item tree placed it.
    int sortedRow(int row) const;
    void moveRow(int from, int to);

    const TSimpleXMLElem* m_root = nullptr;
    std::vector<int> m_order;  // the POI index of each top-level row
    std::vector<int> m_rowOf;  // the top-level row of each child of the root, -1 for no POI
    // The POI whose value nodes are being replaced, so that it has none meanwhile.
    int m_replacingValues = -1;
    std::array<const char*, kValueCount> m_valueProperties{};
    const char* m_nameNote = nullptr;
};


#pragma once
// A node of the POI tree: sorted by text the way a file manager sorts (letter case ignored, with
// a case-sensitive tie-break so "apple" and "Apple" sit together in a stable order), carrying
// the POI index as its datum.

#include <QTreeWidgetItem>

class PoiTreeItem : public QTreeWidgetItem {
public:
    // The datum of value nodes; only top-level nodes carry a POI index.
    static constexpr int kValueNodeDatum = 0;
    // The item type of POI tree nodes, so sorting can tell them from other items.
    static constexpr int kItemType = QTreeWidgetItem::UserType + 1;

    PoiTreeItem(const QString& text, int datum);

    int datum() const;
    bool operator<(const QTreeWidgetItem& other) const override;
    void setData(int column, int role, const QVariant& value) override;

private:
    // Column 0's text, held apart so that sorting thousands of nodes compares without copying
    // the text out of the item's variant at every comparison.
    QString m_sortText;
};

// The datum of a node (its POI index for a top-level node).
int NodeDatum(const QTreeWidgetItem* node);

// Orders two node texts as the tree does.
bool PoiTextLess(const QString& a, const QString& b);

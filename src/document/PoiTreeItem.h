#pragma once
// A node of the POI tree: sorted by text the way a file manager sorts (letter case ignored, with
// a case-sensitive tie-break so "apple" and "Apple" sit together in a stable order), carrying
// the POI index as its datum.

#include <QTreeWidgetItem>

class PoiTreeItem : public QTreeWidgetItem {
public:
    // The datum of value nodes; only top-level nodes carry a POI index.
    static constexpr int kValueNodeDatum = 0;

    PoiTreeItem(const QString& text, int datum);

    int datum() const;
    bool operator<(const QTreeWidgetItem& other) const override;
};

// The datum of a node (its POI index for a top-level node).
int NodeDatum(const QTreeWidgetItem* node);

// Orders two node texts as the tree does.
bool PoiTextLess(const QString& a, const QString& b);

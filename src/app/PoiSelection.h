#pragma once
// The POIs selected together: the tree's selection (a value node stands for its POI), shown on
// the markers as well. A plain click still selects one POI; Ctrl, Shift and a rubber band select
// several. The tree's current node stays the POI the property panel shows.

#include <QObject>

#include <vector>

class IconPageEditor;

class PoiSelection : public QObject {
    Q_OBJECT
public:
    explicit PoiSelection(IconPageEditor& editor, QObject* parent = nullptr);

    // The selected POIs, ascending.
    std::vector<int> selectedPois() const;
    // Selects exactly `pois`; `current` (else the current POI when among them, else the first)
    // becomes the tree's current node.
    void select(const std::vector<int>& pois, int current = -1);
    // Ctrl and a click: a POI joins the selection (and becomes current) or leaves it.
    void toggle(int poi);
    // A rubber band closed over `pois`: they become the selection, or join it with `add`.
    void band(const std::vector<int>& pois, bool add);
    // The POI becomes the current one; the selection stays as it is.
    void makeCurrent(int poi);
    // Nothing is selected any more, not even the POI the property panel showed (its pending
    // edits are applied first).
    void clear();

signals:
    // The number of selected POIs changed.
    void countChanged(int count);
    // The markers shown selected were set again (the same count may be other POIs).
    void shown(int count);

private:
    void showOnMarkers();

    IconPageEditor& m_editor;
    int m_count = 0;
};

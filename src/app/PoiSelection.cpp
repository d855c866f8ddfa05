#include "app/PoiSelection.h"

#include "app/IconPageEditor.h"
#include "document/PoiTreeModel.h"
#include "mapview/MapPanel.h"

#include <QItemSelectionModel>
#include <QTreeView>

#include <algorithm>

PoiSelection::PoiSelection(IconPageEditor& editor, QObject* parent) : QObject(parent), m_editor(editor)
{
    QTreeView* tree = m_editor.controls().TreeView1;
    tree->setSelectionMode(QAbstractItemView::ExtendedSelection);
    connect(tree->selectionModel(), &QItemSelectionModel::selectionChanged, this, &PoiSelection::showOnMarkers);
    // A reset empties the selection without a word.
    connect(&m_editor.treeModel(), &QAbstractItemModel::modelReset, this, &PoiSelection::showOnMarkers);
}

std::vector<int> PoiSelection::selectedPois() const
{
    const QItemSelectionModel* model = m_editor.controls().TreeView1->selectionModel();
    std::vector<char> seen(static_cast<size_t>(std::max(m_editor.xmlscan().Root().ItemCount(), 0)), 0);
    std::vector<int> pois;
    for (const QItemSelectionRange& range : model->selection()) {
        for (int row = range.top(); row <= range.bottom(); ++row) {
            const int poi = PoiTreeModel::poiOf(range.model()->index(row, 0, range.parent()));
            if (poi >= 0 && size_t(poi) < seen.size() && !seen[size_t(poi)]) {
                seen[size_t(poi)] = 1;
                pois.push_back(poi);
            }
        }
    }
    std::sort(pois.begin(), pois.end());
    return pois;
}

void PoiSelection::select(const std::vector<int>& pois, int current)
{
    const PoiTreeModel& tree = m_editor.treeModel();
    QItemSelectionModel* model = m_editor.controls().TreeView1->selectionModel();
    if (pois.empty()) {
        model->clearSelection();
        return;
    }
    if (std::find(pois.begin(), pois.end(), current) == pois.end()) {
        const int shown = m_editor.currentPoi();
        current = std::find(pois.begin(), pois.end(), shown) != pois.end() ? shown : pois.front();
    }
    // Pending edits go to the POI left, as at a click.
    makeCurrent(current);
    // Rows next to each other make one range: a band over thousands of POIs stays cheap.
    std::vector<int> rows;
    rows.reserve(pois.size());
    for (int poi : pois) {
        const QModelIndex node = tree.poiNode(poi);
        if (node.isValid())
            rows.push_back(node.row());
    }
    std::sort(rows.begin(), rows.end());
    QItemSelection selection;
    for (size_t i = 0; i < rows.size();) {
        size_t last = i;
        while (last + 1 < rows.size() && rows[last + 1] == rows[last] + 1)
            ++last;
        selection.append(QItemSelectionRange(tree.index(rows[i], 0), tree.index(rows[last], 0)));
        i = last + 1;
    }
    model->select(selection, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void PoiSelection::toggle(int poi)
{
    const QModelIndex node = m_editor.PoiNode(poi);
    if (!node.isValid())
        return;
    QItemSelectionModel* model = m_editor.controls().TreeView1->selectionModel();
    const bool joins = !model->isRowSelected(node.row(), node.parent());
    if (joins)
        makeCurrent(poi);
    model->select(m_editor.PoiNode(poi), QItemSelectionModel::Toggle | QItemSelectionModel::Rows);
}

void PoiSelection::band(const std::vector<int>& pois, bool add)
{
    std::vector<int> chosen = pois;
    if (add) {
        const std::vector<int> before = selectedPois();
        chosen.insert(chosen.end(), before.begin(), before.end());
        std::sort(chosen.begin(), chosen.end());
        chosen.erase(std::unique(chosen.begin(), chosen.end()), chosen.end());
    }
    select(chosen);
}

void PoiSelection::makeCurrent(int poi)
{
    const QModelIndex node = m_editor.PoiNode(poi);
    QTreeView* tree = m_editor.controls().TreeView1;
    if (node.isValid() && tree->currentIndex() != node)
        tree->selectionModel()->setCurrentIndex(node, QItemSelectionModel::NoUpdate);
}

void PoiSelection::clear()
{
    QItemSelectionModel* model = m_editor.controls().TreeView1->selectionModel();
    if (!model->currentIndex().isValid() && !model->hasSelection())
        return;
    m_editor.FlushPendingEdits();
    model->clear();
    m_editor.ShowNoPoi();
}

void PoiSelection::showOnMarkers()
{
    const std::vector<int> pois = selectedPois();
    m_editor.controls().Panel1->setSelectedMarkers(pois);
    m_editor.document().setSelection(pois, m_editor.currentPoi());
    const int count = static_cast<int>(pois.size());
    if (count != m_count) {
        m_count = count;
        emit countChanged(count);
    }
    emit shown(count);
}

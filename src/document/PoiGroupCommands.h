#pragma once
// The undoable changes to several POIs at once, each one step: a group moved (or otherwise
// edited) and POIs added or removed together. Each rebuilds the view once and selects the POIs
// it concerns.

#include "support/xml/SimpleXml.h"

#include <QUndoCommand>

#include <functional>
#include <memory>
#include <vector>

class IconPageEditor;

// Rebuilds the view and selects these POIs (none: nothing selected).
using ShowPois = std::function<void(const std::vector<int>& pois)>;

// Several POIs changed together; each holds its state before and after.
class PoiGroupEditCommand : public QUndoCommand {
public:
    struct Change {
        int poiIndex = -1;
        std::unique_ptr<TSimpleXMLElem> before;
        std::unique_ptr<TSimpleXMLElem> after;
    };
    // Pushing makes the change.
    PoiGroupEditCommand(IconPageEditor& editor, std::vector<Change> changes, ShowPois show);
    void undo() override;
    void redo() override;

private:
    void assign(bool after);

    IconPageEditor& m_editor;
    std::vector<Change> m_changes;
    ShowPois m_show;
};

// POIs inserted or removed together, at ascending indices of the page.
class PoiGroupInsertCommand : public QUndoCommand {
public:
    struct Entry {
        int poiIndex = -1;
        std::unique_ptr<TSimpleXMLElem> element;  // held while it is out of the page
    };
    // `inserting`: pushing inserts the entries (a paste); else pushing removes the POIs at
    // their indices (a delete), whose elements the entries need not hold.
    PoiGroupInsertCommand(IconPageEditor& editor, std::vector<Entry> entries, bool inserting, ShowPois show);
    void undo() override;
    void redo() override;

private:
    void insert();
    void remove();

    IconPageEditor& m_editor;
    std::vector<Entry> m_entries;
    bool m_inserting = true;
    ShowPois m_show;
};

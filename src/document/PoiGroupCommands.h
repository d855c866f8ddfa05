#pragma once
// The undoable changes to several POIs at once, each one step: a group moved (or otherwise
// edited) and POIs added or removed together. Each says once which POIs it concerns, for the
// views to rebuild and select them.

#include "support/xml/SimpleXml.h"

#include <QUndoCommand>

#include <memory>
#include <vector>

class PageDocument;

// Several POIs changed together; each holds its state before and after.
class PoiGroupEditCommand : public QUndoCommand {
public:
    struct Change {
        int poiIndex = -1;
        std::unique_ptr<TSimpleXMLElem> before;
        std::unique_ptr<TSimpleXMLElem> after;
    };
    // Pushing makes the change; the views show the POIs changed selected, `current` (if among
    // them) the one the property panel shows.
    PoiGroupEditCommand(PageDocument& document, std::vector<Change> changes, int current = -1);
    void undo() override;
    void redo() override;

private:
    void assign(bool after);

    PageDocument& m_document;
    std::vector<Change> m_changes;
    int m_current = -1;
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
    PoiGroupInsertCommand(PageDocument& document, std::vector<Entry> entries, bool inserting);
    void undo() override;
    void redo() override;

private:
    void insert();
    void remove();

    PageDocument& m_document;
    std::vector<Entry> m_entries;
    bool m_inserting = true;
};

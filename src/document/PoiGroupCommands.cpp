#include "document/PoiGroupCommands.h"

#include "document/PageDocument.h"

#include <utility>

PoiGroupEditCommand::PoiGroupEditCommand(PageDocument& document, std::vector<Change> changes, int current)
    : m_document(document), m_changes(std::move(changes)), m_current(current)
{
}

void PoiGroupEditCommand::undo()
{
    assign(false);
}

void PoiGroupEditCommand::redo()
{
    assign(true);
}

void PoiGroupEditCommand::assign(bool after)
{
    TSimpleXMLElems& pois = m_document.root().Items();
    std::vector<int> shown;
    shown.reserve(m_changes.size());
    for (const Change& change : m_changes) {
        if (TSimpleXMLElem* poi = pois.Item(change.poiIndex))
            poi->Assign(after ? *change.after : *change.before);
        shown.push_back(change.poiIndex);
    }
    m_document.showPois(shown, m_current);
}

PoiGroupInsertCommand::PoiGroupInsertCommand(PageDocument& document, std::vector<Entry> entries, bool inserting)
    : m_document(document), m_entries(std::move(entries)), m_inserting(inserting)
{
}

void PoiGroupInsertCommand::undo()
{
    if (m_inserting)
        remove();
    else
        insert();
}

void PoiGroupInsertCommand::redo()
{
    if (m_inserting)
        insert();
    else
        remove();
}

void PoiGroupInsertCommand::insert()
{
    TSimpleXMLElems& pois = m_document.root().Items();
    std::vector<int> shown;
    for (Entry& entry : m_entries) {
        if (entry.element)
            pois.Insert(entry.poiIndex, std::move(entry.element));
        shown.push_back(entry.poiIndex);
    }
    m_document.showPois(shown, -1);
}

void PoiGroupInsertCommand::remove()
{
    TSimpleXMLElems& pois = m_document.root().Items();
    // From the last, so the indices before stay as they were.
    for (auto it = m_entries.rbegin(); it != m_entries.rend(); ++it)
        it->element = pois.Take(it->poiIndex);
    m_document.showPois({}, -1);
}

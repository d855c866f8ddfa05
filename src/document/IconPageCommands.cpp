#include "document/IconPageCommands.h"

#include "document/PageDocument.h"

#include <utility>

std::unique_ptr<TSimpleXMLElem> CopyElement(const TSimpleXMLElem& element)
{
    std::unique_ptr<TSimpleXMLElem> copy = element.CreateEmpty(nullptr);
    copy->Assign(element);
    return copy;
}

bool SameProperties(const TSimpleXMLElem& a, const TSimpleXMLElem& b)
{
    const TSimpleXMLProps* left = a.PropertiesIfAny();
    const TSimpleXMLProps* right = b.PropertiesIfAny();
    const int leftCount = left ? left->Count() : 0;
    const int rightCount = right ? right->Count() : 0;
    if (leftCount != rightCount)
        return false;
    for (int i = 0; i < leftCount; ++i) {
        const TSimpleXMLProp& x = *left->Item(i);
        const TSimpleXMLProp& y = *right->Item(i);
        if (x.Name() != y.Name() || x.NameSpace() != y.NameSpace() || x.Value() != y.Value())
            return false;
    }
    return true;
}

PoiEditCommand::PoiEditCommand(PageDocument& document, int poiIndex, std::unique_ptr<TSimpleXMLElem> before,
                               std::unique_ptr<TSimpleXMLElem> after)
    : m_document(document), m_poiIndex(poiIndex), m_before(std::move(before)), m_after(std::move(after))
{
}

void PoiEditCommand::undo()
{
    m_document.restorePoi(m_poiIndex, *m_before);
}

void PoiEditCommand::redo()
{
    // Pushing runs redo once: the apply has already made the change and refreshed the view.
    if (!std::exchange(m_pushed, true))
        return;
    m_document.restorePoi(m_poiIndex, *m_after);
}

AddPoiCommand::AddPoiCommand(PageDocument& document, int poiIndex) : m_document(document), m_poiIndex(poiIndex)
{
}

void AddPoiCommand::undo()
{
    m_removed = m_document.takePoi(m_poiIndex, -1);
}

void AddPoiCommand::redo()
{
    if (!std::exchange(m_pushed, true))
        return;
    m_document.insertPoi(m_poiIndex, std::move(m_removed), m_poiIndex);
}

DeletePoiCommand::DeletePoiCommand(PageDocument& document, int poiIndex) : m_document(document), m_poiIndex(poiIndex)
{
}

void DeletePoiCommand::undo()
{
    m_document.insertPoi(m_poiIndex, std::move(m_removed), m_poiIndex);
}

void DeletePoiCommand::redo()
{
    m_removed = m_document.takePoi(m_poiIndex, -1);
}

PageFieldCommand::PageFieldCommand(PageDocument& document, std::string property, std::string before,
                                   std::string after)
    : m_document(document), m_property(std::move(property)), m_before(std::move(before)), m_after(std::move(after))
{
}

void PageFieldCommand::undo()
{
    m_document.restorePageField(m_property, m_before);
}

void PageFieldCommand::redo()
{
    if (!std::exchange(m_pushed, true))
        return;
    m_document.restorePageField(m_property, m_after);
}

bool PageFieldCommand::mergeWith(const QUndoCommand* other)
{
    const auto* next = static_cast<const PageFieldCommand*>(other);
    if (next->m_property != m_property)
        return false;
    m_after = next->m_after;
    // Typed back to where it started: no step at all.
    setObsolete(m_after == m_before);
    return true;
}

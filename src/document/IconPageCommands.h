#pragma once
// The undoable changes to an open icon page, one command class per kind of change. Each holds the
// page state before and after its change and lets the icon page editor rebuild its view from it.

#include "support/xml/SimpleXml.h"

#include <QUndoCommand>

#include <memory>
#include <string>

class PageDocument;

// A detached copy of a POI element, properties and children alike.
std::unique_ptr<TSimpleXMLElem> CopyElement(const TSimpleXMLElem& element);
// Whether two elements hold the same properties, in the same order, with the same values.
bool SameProperties(const TSimpleXMLElem& a, const TSimpleXMLElem& b);

// One apply of the property fields to a POI (a drag, an edit, a recomputed location).
class PoiEditCommand : public QUndoCommand {
public:
    PoiEditCommand(PageDocument& document, int poiIndex, std::unique_ptr<TSimpleXMLElem> before,
                   std::unique_ptr<TSimpleXMLElem> after);
    void undo() override;
    void redo() override;

private:
    PageDocument& m_document;
    int m_poiIndex = -1;
    std::unique_ptr<TSimpleXMLElem> m_before;
    std::unique_ptr<TSimpleXMLElem> m_after;
    bool m_pushed = false;  // the change was made before the command was pushed
};

// A POI appended by the Add POI command.
class AddPoiCommand : public QUndoCommand {
public:
    AddPoiCommand(PageDocument& document, int poiIndex);
    void undo() override;
    void redo() override;

private:
    PageDocument& m_document;
    int m_poiIndex = -1;
    std::unique_ptr<TSimpleXMLElem> m_removed;  // held while undone
    bool m_pushed = false;
};

// A POI deleted; undo puts the very element back at its old index.
class DeletePoiCommand : public QUndoCommand {
public:
    DeletePoiCommand(PageDocument& document, int poiIndex);
    void undo() override;
    void redo() override;

private:
    PageDocument& m_document;
    int m_poiIndex = -1;
    std::unique_ptr<TSimpleXMLElem> m_removed;  // held while done
};

// Typing in the page name or zone name field under mark-up; keystrokes in one field merge.
class PageFieldCommand : public QUndoCommand {
public:
    static constexpr int kMergeId = 1;

    PageFieldCommand(PageDocument& document, std::string property, std::string before, std::string after);
    void undo() override;
    void redo() override;
    int id() const override { return kMergeId; }
    bool mergeWith(const QUndoCommand* other) override;

private:
    PageDocument& m_document;
    std::string m_property;
    std::string m_before;
    std::string m_after;
    bool m_pushed = false;
};

#pragma once
// The window's view of the page document shown: the POI tree and the markers built from it, the
// property panel with its delayed apply, the page fields and the title. It hands what the user
// does to the document and shows what the document says changed.

#include "document/PageDocument.h"
#include "document/PageSource.h"
#include "mapview/EditorState.h"
#include "mapview/MarkerLayer.h"
#include "mapview/Prompts.h"
#include "mapview/PoiAnchor.h"
#include "support/xml/SimpleXml.h"

#include <QModelIndex>
#include <QObject>
#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class MapPanel;
class PoiTreeModel;
class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QSpinBox;
class QTimer;
class QTreeView;
class QUndoStack;

// A shift in whole pixels from a Location to the POI's point.
struct IntPairShift {
    int x = 0;
    int y = 0;
};

// The main window's controls that the icon page editor fills and reads.
struct EditorControls {
    QWidget* window = nullptr;  // its title names the open page
    QLineEdit* FlatEdit2 = nullptr;
    QLineEdit* FlatEdit4 = nullptr;
    QTreeView* TreeView1 = nullptr;  // the editor gives it its model
    QSpinBox* ed_locX = nullptr;
    QSpinBox* ed_locY = nullptr;
    QComboBox* cb_icontype = nullptr;
    QLineEdit* FlatEdit3 = nullptr;
    QLineEdit* FlatEdit1 = nullptr;
    QPlainTextEdit* FlatMemo1 = nullptr;
    // A world-only POI's description, shown under the tooltip only while such POIs are open.
    QLineEdit* FlatEdit5 = nullptr;
    QLabel* Label5 = nullptr;
    QTimer* Timer1 = nullptr;
    MapPanel* Panel1 = nullptr;
    QAction* MAPADD = nullptr;
    QAction* MAPNAMES = nullptr;
    QAction* MAPLOCAUTO = nullptr;
};

class IconPageEditor : public QObject {
    Q_OBJECT
public:
    // The tree reports a new selection this long after it changed.
    static constexpr int kSelectionDelayMs = 10;

    IconPageEditor(EditorState& state, Prompts& prompts, const EditorControls& controls,
                   QObject* parent = nullptr);
    ~IconPageEditor() override;

    // The document shown.
    PageDocument& document() const { return *m_document; }
    TSimpleXML& xmlscan() { return m_document->xml(); }
    const EditorControls& controls() const { return m_controls; }

    // Opening: steps after a file was chosen (existence check, title, reading, map image,
    // resetting the editor). True when this page is now open; a missing file changes nothing.
    // `preread`: the file's bytes when the caller has read them already (not read again).
    bool OpenIconPage(const QString& path, std::string preread = {});
    // Opens a file read and told by OpenPageSource: page `page` of a file of pages, else the
    // page the file is; a refused file is refused with its reason and changes nothing.
    bool OpenPageFile(const QString& path, OpenedPageFile opened, int page);
    // Shows another zone page of the open file; edits of the one shown stay with the file until
    // it is saved. False when no such page.
    bool ShowZonePage(int page);
    // Where the open page comes from: what differs between the kinds of file is asked of it.
    PageSource& source() const { return m_document->source(); }
    std::string BuildPoiTree();
    void PlacePoiMarker(int poiIndex, bool newMarker);
    // The marker of child poiIndex of the root (an empty one for a child that is no POI).
    Marker PoiMarker(int poiIndex);

    // The tree node of a POI, or an invalid index.
    QModelIndex PoiNode(int poiIndex) const;
    PoiTreeModel& treeModel() { return *m_tree; }
    // The POI of the tree's current node (its parent's for a value node), or -1.
    int currentPoi() const;
    // Selects a POI's node through the same path as a click in the tree.
    void SelectPoi(int poiIndex);

    // Property editor.
    void TreeView1Changing(const QModelIndex& leaving);
    void TreeView1Change();
    void FlatEdit3Change(QObject* control);
    void Timer1Timer();
    void ApplyData();
    void FlatEdit2Change();
    void FlatEdit4Change();
    // A marker drag set the location fields: both count as the user's, even one that kept its
    // value (the other may not have been filled from the POI).
    void LocationDragged(int x, int y);

    // Saving; `saveAs` asks for the file name first. True when the page was written.
    bool FileSaveExecute(bool saveAs);

    // The question asked when a save finds the file changed on disk ("%1": the file's name).
    void setChangedQuestion(const ChangedQuestion& question) { m_document->setChangedQuestion(question); }
    // Whether the open file on disk is there with other bytes than last read or saved;
    // `AcceptDiskState` takes those bytes as known, so that nobody is asked about them twice.
    bool ChangedOnDisk() const { return m_document->changedOnDisk(); }
    void AcceptDiskState() { m_document->acceptDiskState(); }

    // The page's change history; its clean state is the page as last read or saved.
    QUndoStack& undoStack() { return m_document->undoStack(); }
    // The open page differs from what was last read or saved (edits waiting to apply count).
    bool IsModified() const { return m_document->isModified(); }
    // Shows or clears the unsaved-changes mark after the file name in the window title.
    void UpdateTitleMark();
    // Edits waiting for the apply timer go into their POI now.
    void FlushPendingEdits();
    void Undo();
    void Redo();
    // Records a POI just appended at poiIndex as one undoable step.
    void RecordAddedPoi(int poiIndex) { m_document->recordAddedPoi(poiIndex); }
    // Deletes a POI as one undoable step.
    void DeletePoi(int poiIndex) { m_document->deletePoi(poiIndex); }

    // Clears the editor fields as an opening does (each real change counts as an edit).
    void ResetEditor();
    // The property panel shows no POI (its POI is gone, or nothing is selected): cleared and
    // closed to input until a POI is selected again.
    void ShowNoPoi();

private:
    void connectControls();
    void connectDocument();
    // The common steps of opening: reading (by `load`, which changes nothing when it fails),
    // title, map image, editor reset.
    bool openWith(const std::function<bool()>& load);
    // The document lets go of the page shown / took a new one.
    void leavePage();
    void takePage();
    // The document's POIs changed under the history: rebuild, select `selectPoi`.
    void showChange(int selectPoi, bool dropGone);
    void setTitle();
    // The map style lookup's label and refusal, after a page was read.
    void showLookupResult(const MapStyleLookup& style);
    // The page's own type values in the type list, where the source offers them.
    void showOwnTypeValues();
    // From a POI's Location to its point, halves kept (the icon's centre where the page lays
    // icons out by their top-left corner), and the same in whole pixels as markers use it.
    ImagePoint anchorOffset(const TSimpleXMLElem& poi) const;
    IntPairShift anchorShift(const TSimpleXMLElem* poi) const;
    static constexpr unsigned kLocationFields = PendingEdit::kLocation;

    // Hands the fields to the document for the POI of `node`, and shows what it gives back.
    void applyTo(const QModelIndex& node);
    void showApplied(int poiIndex, const PoiFieldValues& fields);
    void finishApply();
    // Shows the description field (world-only POIs) or gives its room back to the tooltip.
    void showDescriptionField(bool shown);
    // The property holding the POI's type, and the type list's line of a value (-1: none).
    const char* typeProperty() const;
    int findType(const QString& type) const;
    void fillEditorFrom(int poiIndex);
    // A world-only POI's pixel on the map, or nothing (no zone rectangle, out of pixel range).
    std::optional<std::pair<int, int>> worldPixel(const TSimpleXMLElem& poi) const;
    // The position fields for such a POI: its pixel, else empty and closed to input.
    void showWorldPosition(const std::optional<std::pair<int, int>>& at);
    void setPositionFieldsEnabled(bool enabled);
    // Every field of the property panel, the position fields included.
    void setPropertyFieldsEnabled(bool enabled);
    unsigned fieldOf(const QObject* control) const;
    void writePageField(QLineEdit* field, const char* property);
    void placePositionButton(int centreX, int centreY, const std::string& sizeText, int tailChars);
    TSimpleXMLElem* Poi(int poiIndex);
    QString locationText() const;
    // The Tooltip value for the memo's content; `stored` is the POI's current value.
    std::string memoValue(const std::string& stored) const;
    void rebuildSelecting(int selectPoi);
    // Empties the tree as a clear of the old item tree did: edits pending for the current node are
    // applied to it first.
    void clearTree();

    EditorState& m_state;
    Prompts& m_prompts;
    EditorControls m_controls;
    PageDocument* m_document = nullptr;
    PendingEdit& m_pending;  // the document's
    PoiTreeModel* m_tree = nullptr;  // the POI tree, reading the document
    QTimer* m_selectionDelay = nullptr;  // the tree's delayed selection notice
    // An apply is running: refreshing the tree under it must not start another.
    bool m_applying = false;
    QString m_titleBase;  // the window title without the unsaved-changes mark
    QString m_pageLabel;  // the coordinate label as the page's opening left it
};

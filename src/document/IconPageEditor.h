#pragma once
// The open icon page and everything that edits it: opening and reading a page, the POI tree and
// the markers built from it, the property editor with its delayed apply, and saving. The main
// window hands it its controls and the editor state; it never reaches the window itself.

#include "mapview/EditorState.h"
#include "mapview/Prompts.h"
#include "support/xml/SimpleXml.h"

#include <QObject>
#include <QString>

#include <vector>

class MapPanel;
class PoiTreeItem;
class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QSpinBox;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;

// The main window's controls that the icon page editor fills and reads.
struct EditorControls {
    QWidget* window = nullptr;  // its title names the open page
    QLineEdit* FlatEdit2 = nullptr;
    QLineEdit* FlatEdit4 = nullptr;
    QTreeWidget* TreeView1 = nullptr;
    QSpinBox* ed_locX = nullptr;
    QSpinBox* ed_locY = nullptr;
    QComboBox* cb_icontype = nullptr;
    QLineEdit* FlatEdit3 = nullptr;
    QLineEdit* FlatEdit1 = nullptr;
    QPlainTextEdit* FlatMemo1 = nullptr;
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

    TSimpleXML& xmlscan() { return m_xmlscan; }
    const EditorControls& controls() const { return m_controls; }

    // Opening: steps after a file was chosen (existence check, title, reading, map image,
    // resetting the editor). True when this page is now open; a missing file changes nothing.
    bool OpenIconPage(const QString& path);
    bool LoadIconPage(const std::string& path);
    std::string BuildPoiTree();
    void PlacePoiMarker(int poiIndex, bool newMarker);

    // The tree node of a POI, or null.
    QTreeWidgetItem* PoiNode(int poiIndex) const;
    // Selects a POI's node through the same path as a click in the tree.
    void SelectPoi(int poiIndex);

    // Property editor.
    void TreeView1Changing(QTreeWidgetItem* leaving);
    void TreeView1Change();
    void FlatEdit3Change(QObject* control);
    void Timer1Timer();
    void ApplyData();
    void FlatEdit2Change();
    void FlatEdit4Change();

    // Saving; `saveAs` asks for the file name first.
    void FileSaveExecute(bool saveAs);

    // Clears the editor fields as an opening does (each real change counts as an edit).
    void ResetEditor();

private:
    void connectControls();
    void applyTo(QTreeWidgetItem* node);
    void fillEditorFrom(int poiIndex);
    void refreshNode(QTreeWidgetItem* node, TSimpleXMLElem& poi);
    void writePageField(QLineEdit* field, const char* property);
    void placePositionButton(int centreX, int centreY, const std::string& sizeText, int tailChars);
    TSimpleXMLElem* Poi(int poiIndex);
    QString locationText() const;
    // The Tooltip value for the memo's content; `stored` is the POI's current value.
    std::string memoValue(const std::string& stored) const;

    EditorState& m_state;
    Prompts& m_prompts;
    EditorControls m_controls;
    TSimpleXML m_xmlscan;
    std::string m_trailer;  // what followed the root element in the file, written back on save
    std::vector<QTreeWidgetItem*> m_poiNodes;  // top-level node per listed POI index
    QTimer* m_selectionDelay = nullptr;  // the tree's delayed selection notice
    // The user picked a type for the selected POI; until then an unknown type is kept.
    bool m_typePicked = false;
    // The POI whose values the editor fields show in full, or -1; only it receives an apply.
    int m_filledPoi = -1;
};

#pragma once
// The editor's main window: map panel, page fields, POI tree, property editor, actions, menus and
// status bar. It owns the editor state and composes the layers; nothing below calls up into it.

#include "app/Captions.h"
#include "app/IconPageEditor.h"
#include "document/PageCheck.h"
#include "mapview/EditorState.h"
#include "mapview/Prompts.h"

#include <QMainWindow>
#include <QModelIndex>
#include <QPointer>
#include <QPoint>
#include <QSet>

#include <memory>
#include <optional>
#include <string>
#include <vector>

class AlignMapWindow;
struct AlignMapSetup;
class FindBar;
class PackIndex;
class PackPanel;
class PoiSelection;
struct ClipboardPois;
struct PasteTarget;
class ZonePageFile;
struct ZonePageLine;
class IconPageEditor;
class MapPanel;
class PackRules;
class PageProblemsWindow;
class QAction;
class QCloseEvent;
class QComboBox;
class QDragEnterEvent;
class QDropEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QSpinBox;
class QTimer;
class QTreeView;

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    // configPath: the configuration file; prompts: message boxes and dialogs (null = real ones).
    explicit TForm1(const QString& configPath, Prompts* prompts = nullptr, QWidget* parent = nullptr);
    ~TForm1() override;

    EditorState& state() { return m_state; }
    Language language() const { return m_language; }
    Prompts& prompts() { return *m_prompts; }
    QString poiUrl() const { return m_poiUrl; }
    QString configPath() const { return m_configPath; }

    // The action of the given object name, or null.
    QAction* action(const QString& name) const;
    QLabel* statusPanel(int index) const;

    // Runs every Update handler; called whenever the event loop is about to go idle.
    void updateActions();

    IconPageEditor& editor() { return *m_editor; }
    MapPanel* mapPanel() const { return m_ui.Panel1; }

    // Opens an icon page as if chosen in the open dialog; returns whether it is open.
    bool openPage(const QString& path);
    // As openPage, for a file read already by OpenPageSource (the page check reads each file
    // once): its page `page` where it holds pages, else the page it is.
    bool openReadFile(const QString& path, OpenedPageFile opened, int page);
    // Shows another zone page of the open file, as File > Zone Page does; false when none shows.
    bool showZonePage(int page);
    // Opens a page the user chose in the window: asks about unsaved changes first and lists the
    // page under File > Recent (MainWindowRecent.cpp). False when cancelled or not opened.
    bool openPageAsked(const QString& path);
    // The unsaved-changes question (MainWindowUndo.cpp): true when the action may go on.
    bool maybeSave();
    // File > Recent, newest first.
    QStringList recentPages() const;
    void openRecentPage(const QString& path);
    // Opens a dropped file: an icon page as File > Open would, a DDS file as the map image.
    bool openDroppedFile(const QString& path);
    // The open page as File > Recent and the command line name it ("FILE#PAGE" for a zone page).
    QString openPageName() const;
    // Zone pages (MainWindowZones.cpp): File > Zone Page switches to another page of the file.
    void FileZonePageExecute();

    void FileOpenExecute(const QString& actionName);
    void FileSaveExecute(const QString& actionName);
    void FileMAPExecute();
    void MAPLOCAUTOExecute();
    void FileExitExecute();
    void Help1Click();
    void MAPPOIExecute();
    void FileSaveBOMExecute();
    void FileSaveARRExecute();

    // Several POIs at once (MainWindowGroup.cpp): the selection, the clipboard, context menus.
    PoiSelection& selection() { return *m_selection; }
    void EditCopyExecute();
    void EditCutExecute();
    // `at`: where the first POI's point goes (image pixels); none: where the POIs were.
    void EditPasteExecute(const std::optional<QPoint>& at = std::nullopt);
    void EditDuplicateExecute();
    // Moves the selected POIs by `delta` image pixels as one step.
    void moveSelected(QPoint delta);
    // The menus of a right click on empty map and on a tree line.
    QMenu* mapContextMenu(QPoint imagePos);
    QMenu* treeContextMenu(const QModelIndex& node);

    // Editing commands (MainWindowTools.cpp).
    void MAPADDExecute();
    // Add POI with the point `at` (image pixels) in the dialog.
    void addPoi(const std::optional<QPoint>& at);
    void MAPDELExecute();
    void MAPNAMESExecute();
    // `zoneText`: the rectangle the dialog starts with; empty: the map's own.
    void MapAddZonerectExecute(const QString& zoneText = QString());

    // Additions beyond the described window (MainWindowView.cpp).
    // The Edit menu, created between File and POI on first use.
    QMenu* editMenu();
    void EditFindExecute();
    void FileExportPictureExecute();
    // One checkable View item per style group present on the page.
    void refreshTypeMenu();
    FindBar* findBar() const { return m_findBar; }
    // Edit menu (MainWindowUndo.cpp).
    void EditUndoExecute();
    void EditRedoExecute();

    // The page check (MainWindowCheck.cpp).
    // The problems of the open page, as --check --strict prints them; none without a page.
    std::vector<PageProblem> checkOpenPage(const PackRules* pack = nullptr);
    void ViewProblemsExecute();
    PageProblemsWindow* problemsWindow() const { return m_problemsWindow; }
    // Option > Location is the icon's top-left corner: the open icon page's anchor rule.
    void OptionTopLeftExecute();

    // Aligning a map by control points, choosing a missing map picture (MainWindowAlign.cpp).
    void MapAlignExecute();
    void FileChooseMapImageExecute();
    AlignMapWindow* alignWindow() const;
    // A whole map pack (MainWindowPack.cpp): File > Open Folder, View > Pack, Find in pack.
    void FileOpenFolderExecute();
    void ViewPackExecute();
    void EditFindInPackExecute();
    // Indexes `folder` and shows the Pack panel.
    void openPackFolder(const QString& folder);
    // At start with no page named: the configured UI folder, its panel shown.
    void openConfiguredPack();
    PackPanel* packPanel() const { return m_packPanel; }
    PackIndex* packIndex() const { return m_packIndex; }

private:
    // Open by map name: the page the dialog returns opens as if chosen in the open dialog.
    void FileOpenZoneExecute();
    void FormCreate();
    void FormDestroy();
    void createControls();
    void createActions();
    void createMenus();
    void createStatusBar();
    void applyLanguage();
    void connectHandlers();
    void connectEditingTools();
    void applyPendingEdits();

    void MAPDELUpdate();
    void MAPPOIUpdate();
    void MAPLOCAUTOUpdate();
    void FileSaveBOMUpdate();
    void FileSaveARRUpdate();
    void FileZonePageUpdate();
    void createZonePageAction();
    void createAlignActions();
    void connectAlignHandlers();
    void MapAlignUpdate();
    AlignMapSetup alignSetup();
    // Writes `zone` as map `mapName`'s rectangle as Add ZoneRect does; false when nothing was written.
    bool applyAlignedZone(const std::string& mapName, const std::array<int, 4>& zone, bool styleFile);
    // After an apply on a page that holds its POIs' pixels: the page check's quick fixes.
    void offerPixelFixes();
    QPointer<AlignMapWindow> m_alignWindow;
    QLabel* m_alignOffer = nullptr;
    std::string m_pictureLookedUpFor;  // the page and picture Choose Map Image was last judged for
    // Says in the status bar when the open page's POIs cannot be placed on its map, and when
    // its map image is not found (m_mapNotice, with the paths looked for) or does not decode.
    void updatePlacementNotice();
    void noteMissingMap();
    // A map image the user chose is shown: the missing map is no longer worth a word.
    void mapChosen();
    QString m_mapNotice;
    // What follows every successful opening of a page or switch of zone page.
    void finishOpening();
    // An icon page, or a zone page of a file ("FILE#PAGE", or picked from the file's list).
    bool openPageOrZone(const QString& path);
    // The user's pick among the file's zone pages (`current` preselected), or -1.
    int pickZonePage(const PageSource& file, const QString& path, int current);
    std::vector<ZonePageLine> zonePageLines(const PageSource& file) const;

    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

    // Undo, the unsaved-changes question and the title mark (MainWindowUndo.cpp).
    void createEditMenu();
    void connectUndoHandlers();
    void updateUndoActions();
    // Undo and redo keys work in the editor's own tool windows that are not modal (Problems,
    // Find) as in the main window; `shown` is any widget just shown.
    void shareUndoKeys(QWidget* shown);
    // Recent pages and dropped files (MainWindowRecent.cpp).
    void createRecentMenu();
    void fillRecentMenu();
    void rememberRecentPage(const QString& path);
    QMenu* m_recentMenu = nullptr;

    // Files changed on disk by another program (MainWindowDisk.cpp).
    void connectDiskHandlers();
    void offerReload();
    bool m_offeringReload = false;

    // The page check's menu items, the anchor rule remembered per page, the Problems window.
    void createCheckActions();
    void connectCheckHandlers();
    void OptionTopLeftUpdate();
    void pageOpened(bool open);
    // A page is open whose anchor rule is the user's to choose (Option menu), kept per page file.
    bool anchorIsChosen() const;
    void setPageAnchor(PoiAnchor anchor);
    // Records the open icon page's anchor rule under its file's name in the configuration.
    void keepPageAnchor();
    // The quick fixes of a misplaced POI, one undo step each: its marker to where the map's
    // rectangle puts its world location, or its world location from its marker.
    void fixMisplacedPoi(int poiIndex, bool moveMarker);
    void scheduleProblemsRefresh();
    void refreshProblems();
    // The pack's rules for the open page's folder, its proposed repairs and its ignore file
    // (MainWindowFixes.cpp).
    const PackRules* openPack();
    void applyProblemFix(const PageProblem& problem);
    void ignoreProblem(const PageProblem& problem);
    bool mistypedSaveAllowed();
    std::shared_ptr<const PackRules> m_pack;
    QString m_packFolder;
    PageProblemsWindow* m_problemsWindow = nullptr;
    QTimer* m_problemsRefresh = nullptr;

    // A window grown past its described size: the map panel takes the extra room, the POI tree
    // the extra height; the fields under the tree move down with it (MainWindowView.cpp).
    void layOutGrown(const QSize& client);
    QSize m_laidOut;  // the client area the controls are laid out for

    void createViewMenu();
    // View > Marker Style and Marker Size (MainWindowMarkers.cpp).
    void createMarkerLookMenus();
    void connectMarkerLook();
    void markerLookChosen();
    void connectViewHandlers();
    void setTypeShown(const QString& style, bool shown);
    void nudgeSelected(QPoint delta);
    void createGroupActions();
    void connectGroupHandlers();
    void showSelectedCount(int count);
    // What the status bar says of the one POI selected: that its world location looks mistyped.
    QString mistypedLocationNote() const;
    // Deletes the selected POIs as one step (after the question, with `ask`).
    void deleteSelected(bool ask);
    // A group step of the document changed its POIs: rebuild the view once, select them.
    void showGroupChange(const std::vector<int>& shown, int current);
    // Pastes `clip` into the page shown, as one step; the pasted POIs are selected.
    void pastePois(const ClipboardPois& clip, const std::optional<QPoint>& at);
    PasteTarget pasteTarget() const;
    // The POIs the clipboard holds (the editor's own format, else Icon elements as text), if any.
    std::optional<ClipboardPois> clipboardPois() const;
    // Copies a world location text to the clipboard.
    void copyText(const QString& text);
    PoiSelection* m_selection = nullptr;
    int m_selectedPanelWidth = -1;  // the selection count panel's own width
    void findStep(const QString& text, int step, bool fromStart);

    EditorState m_state;
    Language m_language = Language::English;
    QString m_configPath;
    QString m_poiUrl;
    std::unique_ptr<Prompts> m_ownedPrompts;
    Prompts* m_prompts = nullptr;

    // Controls, named as the editor names them.
    IconPageEditor* m_editor = nullptr;
    // The controls the icon page editor shares; the other controls are the window's alone.
    EditorControls m_ui;
    QWidget* Panel2 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QList<QLabel*> m_statusPanels;
    QList<QAction*> m_actions;
    QList<QMenu*> m_menus;
    QAction* Help1 = nullptr;

    // Following links to other maps (MainWindowLinks.cpp): double click, the tree's "Open
    // linked map", and Alt+Left back to the page a link was followed from.
    void connectLinkHandlers();
    void addLinkItems(QMenu& menu, int poi);
    void followLink(int poi);
    void followLinkBack();
    bool showLinkedPage(const QString& target);
    QStringList m_linkHistory;  // the pages links were followed from, latest last

    QMenu* m_viewMenu = nullptr;
    QList<QAction*> m_typeActions;
    QSet<QString> m_hiddenStyles;  // style groups whose markers are hidden, as configured
    FindBar* m_findBar = nullptr;

    void createPackActions();
    PackPanel& ensurePackPanel();
    void showPackPanel(bool shown);
    void openPackPoi(const QString& target, int poi);
    PackIndex* m_packIndex = nullptr;
    PackPanel* m_packPanel = nullptr;
    int m_packPanelWidth = 0;  // what the window grew by to show the panel beside the map
};

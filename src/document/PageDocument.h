#pragma once
// One open file of POIs with the page of it shown: its source and XML, its history of edits, the
// selection and the property panel's pending edit as data, the unsaved state and the file as last
// read or saved. It reads, changes and writes the page and says what changed; it never touches a
// widget. The window's tree, property panel and markers are views that observe it, and the
// headless commands open pages through it too. Any number can be open at once, each with its own
// history and unsaved state.

#include "document/PageOpening.h"
#include "document/PageSource.h"
#include "mapview/EditorState.h"
#include "mapview/Prompts.h"
#include "support/FileStamp.h"
#include "support/xml/SimpleXml.h"

#include <QObject>
#include <QString>

#include <future>
#include <optional>
#include <utility>
#include <map>
#include <memory>
#include <string>
#include <vector>

class QUndoStack;

// Why a save failed, in words for the user: the reason of a file error as the system gives it;
// a failure inside the editor says that the file was left as it was.
QString SaveFailureReason(const std::exception& error);

// The property panel's edit not yet applied, as data: the POI its fields were filled from (-1:
// none), the fields that show that POI's own values and the fields the user changed since.
struct PendingEdit {
    enum Field : unsigned {
        X = 1u << 0,
        Y = 1u << 1,
        Type = 1u << 2,
        Name = 1u << 3,
        Path = 1u << 4,
        Tooltip = 1u << 5,
        Description = 1u << 6,
    };
    static constexpr unsigned kLocation = X | Y;

    int poi = -1;
    unsigned shown = 0;
    unsigned edited = 0;

    void fill(int poiIndex)
    {
        poi = poiIndex;
        shown = 0;
        edited = 0;
    }
};

// What the property panel's fields hold, handed to the document at an apply, and what the apply
// gives back for the fields to show.
struct PoiFieldValues {
    // What the fields show: the position, the type list's text (and whether the POI's own stored
    // type is one of its lines), the name, the world location, and the values the tooltip and
    // description fields stand for (the stored bytes while they still show them).
    int x = 0;
    int y = 0;
    std::string type;
    bool storedTypeListed = true;
    std::string name;
    std::string path;
    std::string tooltip;
    std::string description;

    // Given back: the position and world location the fields show now; the coordinate label
    // (empty: the page's own); the size of the position button where it is shown; a world-only
    // POI's pixel; whether the description changed with its world location; whether the stored
    // type stayed.
    std::string label;
    std::optional<std::string> buttonSize;
    std::optional<std::pair<int, int>> worldAt;
    bool descriptionChanged = false;
    bool keepType = false;
};

class PageDocument : public QObject {
    Q_OBJECT
public:
    // What poisChanged selects after a change of the page's own fields: the POI shown before.
    static constexpr int kCurrentPoi = -2;

    // `state` holds the folders and save options, and the shown page's geometry, which the
    // document keeps up to date for its page; `prompts` says what fails and asks questions.
    PageDocument(EditorState& state, Prompts& prompts, QObject* parent = nullptr);
    ~PageDocument() override;

    // Opening. Each reads the whole page before anything of the one open is given up: a failure
    // leaves the document as it was, with its edits, after saying why.
    // A file read and told by OpenPageSource: page `page` of a file of pages, else the page the
    // file is; a refused file is refused with its reason.
    bool open(const QString& path, OpenedPageFile opened, int page);
    // A file named, told and read here; `page` as above.
    bool open(const QString& path, int page = 0);
    // An icon page (`preread`: its bytes when read already); `readIconPage` does not first ask
    // whether the file is there, and lets its reader say why it does not read.
    bool openIconPage(const QString& path, std::string preread = {});
    bool readIconPage(const QString& path, std::string preread = {});
    // Another page of the open file; the edits of the one shown stay with the file until it is
    // saved. False when no such page or when it does not read.
    bool showPage(int page);

    bool isOpen() const { return m_open; }
    const std::string& path() const { return m_path; }
    TSimpleXML& xml() { return m_xml; }
    TSimpleXMLElem& root() { return m_xml.Root(); }
    PageSource& source() const { return *m_source; }
    EditorState& state() const { return m_state; }
    Prompts& prompts() const { return m_prompts; }
    // What the page fields show of the page shown (its map name is also state().PageName), and
    // what the map style lookup said of it.
    const PageFieldTexts& pageFields() const { return m_fields; }
    const MapStyleLookup& styleLookup() const { return m_style; }
    // The map style file's location names, as read when the page was shown.
    const std::map<std::string, std::string>& zoneLocations() const { return m_zoneLocations; }

    // The history; its clean state is the page as last read or saved.
    QUndoStack& undoStack() { return *m_undo; }
    // The page differs from what was last read or saved (edits waiting to apply count).
    bool isModified() const;
    // The edit of the property panel waiting for its apply.
    PendingEdit& pendingEdit() { return m_pending; }

    // The POIs selected (ascending) and the one the property panel shows (-1: none), as the
    // views last set them.
    const std::vector<int>& selection() const { return m_selection; }
    int currentPoi() const { return m_current; }
    void setSelection(std::vector<int> pois, int current);

    // The property panel's fields applied to POI `poiIndex`, the one its pending edit was filled
    // from (PageDocumentApply.cpp): true when the POI changed, as one step.
    bool applyFields(int poiIndex, PoiFieldValues& fields);
    // A POI's pixel on the map as the position fields show it, or nothing (no point, or out of
    // the range of a pixel).
    std::optional<std::pair<int, int>> worldPixel(const TSimpleXMLElem& poi) const;

    // Edits, each one step of the history.
    // POI `poiIndex` was changed in place from `before` (an apply of the fields, a quick fix).
    void recordPoiEdit(int poiIndex, std::unique_ptr<TSimpleXMLElem> before);
    // Makes POI `poiIndex` like `after` as one step.
    void editPoi(int poiIndex, std::unique_ptr<TSimpleXMLElem> after);
    // A POI just appended at poiIndex.
    void recordAddedPoi(int poiIndex);
    void deletePoi(int poiIndex);
    // A property of the page's root typed by the user.
    void editPageField(const char* property, std::string value);

    // For the commands: change the page and say so, selecting `selectPoi` (-1: none).
    void restorePoi(int poiIndex, const TSimpleXMLElem& state);
    std::unique_ptr<TSimpleXMLElem> takePoi(int poiIndex, int selectPoi);
    void insertPoi(int poiIndex, std::unique_ptr<TSimpleXMLElem> poi, int selectPoi);
    void restorePageField(const std::string& property, const std::string& value);
    // Several POIs changed: the views show them selected, `current` the one the panel shows.
    void showPois(const std::vector<int>& pois, int current);

    // Saving; `saveAs` asks for the file name first. True when the page was written (or the file
    // held it already).
    bool save(bool saveAs);
    // The question asked when a save finds the file changed on disk ("%1": the file's name).
    void setChangedQuestion(const ChangedQuestion& question) { m_changedQuestion = question; }
    // Whether the file on disk is there with other bytes than last read or saved;
    // `acceptDiskState` takes those bytes as known, so that nobody is asked about them twice.
    bool changedOnDisk() const;
    void acceptDiskState();

signals:
    // A new page is about to replace the one shown (open, another page): views let go of it.
    void pageLeaving();
    // A new page is shown; its state (anchor, lookup, size, fields) is taken.
    void pageTaken();
    // POIs changed by the history: views rebuild and select `selectPoi`; `dropGone`: a POI the
    // panel showed may be gone.
    void poisChanged(int selectPoi, bool dropGone);
    // Several POIs changed together (see showPois).
    void groupChanged(const std::vector<int>& pois, int current);
    // The unsaved state may have changed.
    void modifiedChanged();
    // Saved under another name.
    void renamed();

private:
    bool openFilePage(const QString& path, std::unique_ptr<PageSource> source, int page);
    // Gives up the page shown for `read`'s content and takes its state.
    void takePage(TSimpleXML& read);
    void leavePage(TSimpleXML& read);
    void takePageState();
    // Keeps a big page left, to be taken apart on another thread once the next is built.
    void disposeLater(TSimpleXML& left);
    void disposeLeftPage();

    bool saveDocument(bool saveAs);
    bool writeDocument(bool saveAs);
    bool askSaveAsName();
    // Before a save (PageDocumentDisk.cpp): nothing to write, or the file on disk changed since
    // it was read (a file of zone pages takes the edits over to the new bytes where it can; else
    // the user chooses, and Save As sets `saveAs`), or a write.
    enum class SaveStep { Write, Done, Stop };
    SaveStep beforeSave(bool& saveAs);
    // Writes `bytes` over the file as checked by beforeSave unless `saveAs`.
    void writeChecked(const std::string& bytes, bool saveAs);
    void markSaved();
    TSimpleXMLElem* poi(int poiIndex) { return m_xml.Root().Items().Item(poiIndex); }
    // Whether the apply may write `property` from `fields`: the user edited them (a missing
    // property is then added), or they show the POI's own value of a property it has.
    bool mayWrite(const TSimpleXMLElem& poi, const char* property, unsigned fields) const;
    void writeField(TSimpleXMLElem& poi, const char* property, unsigned fields, std::string value) const;
    void applyLocation(TSimpleXMLElem& poi, PoiFieldValues& fields);
    // A world-only POI has no Location: its move rewrites its world location.
    void applyWorldOnly(TSimpleXMLElem& poi, PoiFieldValues& fields);

    EditorState& m_state;
    Prompts& m_prompts;
    TSimpleXML m_xml;
    std::unique_ptr<PageSource> m_source = IconPageSource();
    bool m_open = false;
    std::string m_path;
    PageFieldTexts m_fields;
    MapStyleLookup m_style;
    std::map<std::string, std::string> m_zoneLocations;
    std::unique_ptr<TSimpleXML> m_leftPage;  // a big page left, to be taken apart
    std::future<void> m_disposal;            // a page left, being taken apart
    QUndoStack* m_undo = nullptr;
    // A change the history cannot step back over (rearranging on save) is not yet saved.
    bool m_unrecordedChange = false;
    // The file on disk as last read or saved, and the one a save may replace (the same, or what
    // the user chose to overwrite).
    FileStamp m_diskStamp;
    FileStamp m_replaceStamp;
    ChangedQuestion m_changedQuestion;
    PendingEdit m_pending;
    std::vector<int> m_selection;
    int m_current = -1;
};

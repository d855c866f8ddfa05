#pragma once
// The index of a map pack: every file of a UI folder that the editor opens, each with its pages,
// their POI and problem counts and what find matches of their POIs. Built in the background, each
// file's bytes read once; a file changed on disk since is read again when asked for. No widget:
// the Pack panel shows it and find in pack asks it.

#include "document/PackFind.h"
#include "document/PageSource.h"
#include "mapview/EditorState.h"
#include "mapview/PoiAnchorRule.h"

#include <QDateTime>
#include <QObject>
#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

enum class PackFileKind {
    Waiting,    // found in the folder, not read yet
    IconPage,   // a page of its own
    ZonePages,  // a file of zone pages
    NotPage,    // a file beside the pages that holds none: not shown
    Unread,     // a page that does not read; `failure` says why
};

struct PackIndexPage {
    std::string name;  // the zone page's name; for an icon page, its map name
    int pois = 0;
    int problems = -1;  // -1: not checked yet
};

// A POI as find matches it, its texts in the file's arena of texts.
struct PackIndexPoi {
    std::uint32_t texts = 0;     // name, type, world location, tooltip line, each ended by a zero
    std::uint32_t searched = 0;  // PackFindPoi::searched
    std::uint32_t foldedType = 0;
    std::int32_t page = 0;
    std::int32_t poi = 0;  // its index among the page's children
    bool located = false;
    double x = 0;
    double z = 0;
};

struct PackIndexFile {
    QString path;        // absolute
    bool zonePageFolder = false;  // found where files of zone pages are (not in vynmap/)
    PackFileKind kind = PackFileKind::Waiting;
    QString failure;
    std::vector<PackIndexPage> pages;
    bool checked = false;  // the problem counts and POIs below are in
    std::vector<PackIndexPoi> pois;
    std::string texts;
    // The file on disk as read: a change of either reads it again.
    qint64 size = -1;
    QDateTime modified;

    bool shown() const { return kind != PackFileKind::NotPage; }
    // The bytes the index keeps for the file.
    std::size_t memoryBytes() const;
};

// How pages are checked: the editor state they open with (its folders are set to the pack's), and
// the anchor rule a page of its own was given, where it chooses one.
struct PackIndexSettings {
    EditorState state;
    std::function<PoiAnchor(const std::string& file, PoiAnchor own)> chosenAnchor;
};

// Reads one file of the pack into its entry: its kind, pages and their POI counts. Gives the file
// as read where the check is still to come. Runs on any thread, as do the two below.
OpenedPageFile ListPackFile(PackIndexFile& file, const QString& uiFolder, const PackIndexSettings& settings);
// Checks each page of a file listed: problem counts and POIs, from the same read. Stops between
// pages once `cancelled` is set.
void CheckPackFile(PackIndexFile& file, const QString& uiFolder, const PackIndexSettings& settings,
                   OpenedPageFile opened, const std::atomic<bool>* cancelled = nullptr);
// Both.
void IndexPackFile(PackIndexFile& file, const QString& uiFolder, const PackIndexSettings& settings);

struct PackIndexHit {
    int file = 0;
    int page = 0;
    PackFindHit hit;
};

class PackIndex : public QObject {
    Q_OBJECT
public:
    explicit PackIndex(QObject* parent = nullptr);
    ~PackIndex() override;

    // Lists `folder` at once and reads its files in the background on `threads` threads: first
    // each file's pages and POI counts (filled() when all are in), then from the same reads each
    // page's problems and POIs (checked()). Each file is delivered on this object's thread
    // (fileIndexed). A folder opened before is dropped.
    void open(const QString& folder, PackIndexSettings settings, int threads = 2);
    QString folder() const { return m_folder; }
    QString uiFolder() const { return m_uiFolder; }
    bool isFilled() const { return m_listWaiting == 0; }
    bool isChecked() const { return m_checkWaiting == 0; }
    const std::vector<PackIndexFile>& files() const { return m_files; }
    // The entry of `path`, or -1.
    int fileOf(const QString& path) const;

    // Reads file `file` again when it changed on disk since it was read (or last failed); true
    // when it did. Runs on this thread.
    bool refreshIfChanged(int file);

    // The POIs that `query` matches, file by file in page order; at most `limit`.
    std::vector<PackIndexHit> find(const PackFindQuery& query, std::size_t limit = SIZE_MAX) const;

    // What the index holds, in bytes (the files' entries and texts).
    std::size_t memoryBytes() const;
    // The bytes of the files it read.
    qint64 fileBytes() const;

signals:
    void listed();
    void fileIndexed(int file);
    void filled();
    void checked();

private:
    struct Job;
    void stop();
    void work(Job& job, int generation);
    void deliver(int generation, int file, PackIndexFile read, bool listing);
    void countDelivered(bool listing);

    QString m_folder;
    QString m_uiFolder;
    std::vector<PackIndexFile> m_files;
    int m_listWaiting = 0;
    int m_checkWaiting = 0;
    int m_generation = 0;
    std::shared_ptr<Job> m_job;
    std::vector<std::thread> m_threads;
    PackIndexSettings m_settings;
};

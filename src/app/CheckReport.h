#pragma once
// The page check as a report to look at: a folder with index.html (one section per page with
// problems: its lines and a PNG of its map showing them) and those PNGs. Plain HTML in UTF-8, no
// script, readable offline.

#include "document/PageCheck.h"

#include <QImage>
#include <QMutex>
#include <QString>
#include <QStringList>
#include <QThreadPool>

#include <map>
#include <string>
#include <vector>

class MarkerLayer;
class QTextStream;

// Colours of the report's pictures: what a misplaced POI's arrow and the page's corners under
// each rectangle are drawn in.
constexpr QRgb kReportArrowColour = 0xFFFF00FF;
constexpr QRgb kReportMapZoneColour = 0xFF00C0FF;
constexpr QRgb kReportFittedZoneColour = 0xFFFF8000;
constexpr QRgb kReportCanvasColour = 0xFF808080;
constexpr QRgb kReportHaloColour = 0xC0FFFFFF;  // under the labels, so they read on any map

// The picture of one page: `map` (null: a grey canvas of the page's size) with the markers of
// `markers`; for each misplaced POI an arrow from its point to where its world location falls;
// for a blamed rectangle, the page's corners under the map's rectangle and under the fitted one.
QImage DrawReportPicture(const QImage& map, const MarkerLayer& markers, const EditorState& state,
                         const std::vector<PageProblem>& problems);

class CheckReport {
public:
    // Writes into `folder`, made when missing.
    explicit CheckReport(QString folder);
    // Waits for the pictures still being written.
    ~CheckReport();

    // One page's section: its lines (the page line first), its picture (written at once) and its
    // problems, counted in the contents and the summary of kinds.
    void addPage(const QString& name, const QStringList& lines, const QImage& picture,
                 const std::vector<PageProblem>& problems = {});
    // Writes index.html after the pages, with the check's last line; false after telling `err`
    // what could not be written.
    bool finish(const QString& summary, QTextStream& err);

private:
    // A page's part of index.html, kept until the contents can be sorted.
    struct Section {
        QString name;  // as the check named it
        int id = 0;
        int problems = 0;
        QString body;
    };
    QString m_folder;
    std::vector<Section> m_sections;
    std::map<std::string, int> m_kinds;  // by the name the summary gives the kind
    QMutex m_failuresLock;
    QStringList m_failures;  // files not written; the writer adds to it
    QThreadPool m_writers;   // last: waited for before the rest goes
    int m_pages = 0;
};

#pragma once
// The command line of the editor: `vynmap-editor [--config FILE] [PAGE]` starts the window;
// `--check [--strict] PAGE...`, `--find TEXT ... DIR|FILE`, `--list-maps`, `--decode-dds FILE --output OUT.png` and
// `--export-png PAGE --output OUT.png [--labels]` run headless.

#include "document/PackFind.h"

#include <QString>
#include <QStringList>

#include <memory>

class TForm1;

struct CommandLine {
    enum class Mode { Editor, Check, Find, ListMaps, DecodeDds, ExportPng, Help, Error };
    Mode mode = Mode::Editor;
    QString configPath;   // empty: the executable's path + ".INI"
    QString page;         // a page to open at start
    QStringList pages;    // --check
    QString ddsFile;      // --decode-dds
    QString outputFile;   // --output
    QString exportPage;   // --export-png
    bool labels = false;  // --labels: the exported picture names the POIs
    bool strict = false;  // --strict: --check also lists each page's problems
    QString reportFolder; // --report: --check also writes a report there
    PackFindQuery find;   // --find, --type, --near, --radius
    QString error;        // why parsing failed
};

// Parses the arguments after the program name.
CommandLine parseCommandLine(const QStringList& arguments);
QString usageText();

// The configuration file for an executable: its path with ".INI" appended.
QString defaultConfigPath(const QString& executablePath);

class QTextStream;

// Loads each page through the editor's own opening code and prints what it found; 1 when any
// page could not be read. A folder stands for the pages of its vynmap/ folder (or its own) and
// the files of zone pages beside them and in its POI/ folder; a file of zone pages for each of its zone pages. With
// `strict`, each page's line is followed by one line per problem of the page check, and a last
// line counts them; 1 also when there is any. With `reportFolder`, the pages with problems are
// also written there as index.html and a PNG each.
// `way`: in the editor's window, or without one by the same steps (a report always takes the
// window, which draws its pictures); both print the same.
enum class CheckWay { Window, Headless };
int checkPages(const QString& configPath, const QStringList& pages, QTextStream& out, bool strict = false,
               const QString& reportFolder = QString(), CheckWay way = CheckWay::Window);

// The pages of a check, listed, with the first file being read; made before the application
// object so that reading a big page overlaps starting the window.
struct PlannedCheck;
std::shared_ptr<PlannedCheck> planCheck(const QStringList& pages);
// Runs a planned check as checkPages does without a window (with one for a report) and ends the
// process with its status.
[[noreturn]] void checkPagesAndExit(PlannedCheck& plan, const QString& configPath, QTextStream& out,
                                    bool strict, const QString& reportFolder);

// Prints one line per POI of `where` (a UI folder as --check covers it, a file of pages, FILE#PAGE)
// that `query` finds, naming the file relative to a folder; a file that does not read is said on
// `err`. 0 with hits, 1 without.
int findInPack(const PackFindQuery& query, const QString& where, QTextStream& out, QTextStream& err);

// Opens `page` as the editor does and writes its map at 100 % with every visible marker (and,
// with `labels`, the POI names) as a PNG to `out`; 1 after telling `err` why it could not.
int exportPagePicture(const QString& configPath, const QString& page, const QString& out, bool labels,
                      QTextStream& err);

// Names the application; sets no display name, so window titles reach the platform unchanged.
void configureApplication();

// Scans the configured page folder as the open-by-map-name dialog does and prints its lines in
// its order, "location<TAB>file name" each, then the count label ("12 Maps").
void listMaps(const QString& configPath, const QString& executablePath, QTextStream& out);

// Opens the page named on the command line in the started window, listed under File > Recent.
bool openStartPage(TForm1& window, const QString& page);

// Runs the program; returns the process exit status.
int runEditor(int argc, char** argv);

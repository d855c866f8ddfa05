#pragma once
// What names a page to open: a file, or one zone page of a file as "FILE#PAGE" (from the command
// line, File > Recent and scripts).

#include "document/PageSource.h"
#include "mapview/Language.h"

#include <QString>
#include <QStringList>

#include <functional>

class Prompts;
class ZonePageFile;

struct PageTarget {
    QString file;
    QString page;  // the zone page's Name; empty: the file as a whole
};

// A path naming an existing file is that file, even with a '#' in its name; otherwise the text
// after the last '#' names a zone page of the file before it.
PageTarget SplitPageTarget(const QString& path);

// "FILE#PAGE", or the file alone for an empty page name.
QString JoinPageTarget(const PageTarget& target);

// A page target as the user reads and writes it (tooltips, File > Recent, the configuration's
// RECENT section): the file's path with the system's separators, backslashes on Windows; the zone
// page's name as it stands.
QString NativePageTarget(const QString& path);
// The page target the user's text names, with '/' separators as the editor keeps paths; a text
// with either separator is read on Windows.
QString PageTargetFromNative(const QString& path);

// Opens what `path` names as every way of opening does: a file that is not there by `openMissing`
// (which says so); else the file is read once and `open` opens it, at the zone page named, or
// the one `pick` chooses (-1: none) for a file of zone pages named as a whole. Without anyone to
// ask, and for a page the file does not hold, it says why and opens nothing.
using ZonePagePick = std::function<int(const PageSource& file, const QString& path)>;
using PageFileOpen = std::function<bool(const QString& path, OpenedPageFile opened, int page)>;
bool OpenPageTarget(const QString& path, Language language, Prompts& prompts, const ZonePagePick& pick,
                    const PageFileOpen& open, const std::function<bool(const QString& path)>& openMissing);

#pragma once
// What names a page to open: a file, or one zone page of a file as "FILE#PAGE" (from the command
// line, File > Recent and scripts).

#include <QString>
#include <QStringList>

struct PageTarget {
    QString file;
    QString page;  // the zone page's Name; empty: the file as a whole
};

// A path naming an existing file is that file, even with a '#' in its name; otherwise the text
// after the last '#' names a zone page of the file before it.
PageTarget SplitPageTarget(const QString& path);

// "FILE#PAGE", or the file alone for an empty page name.
QString JoinPageTarget(const PageTarget& target);

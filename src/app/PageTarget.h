#pragma once
// What names a page to open: a file, or one zone page of a file as "FILE#PAGE" (from the command
// line, File > Recent and scripts).

#include <QString>
#include <QStringList>

#include <memory>
#include <string>

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

// The file as zone pages, or null when it holds none (an icon page, or a file the icon page
// reader will refuse with its own message).
// `iconPageBytes`, when given, receives the bytes of a file read that holds no zone pages, so
// that opening it as an icon page need not read it again.
// A file that nests pages but cannot be mapped byte for byte is refused, never left to the icon
// page reader, whose save would rewrite all of it: `refusal` then receives the message to show.
std::unique_ptr<ZonePageFile> ReadZonePageFile(const QString& path, std::string* iconPageBytes = nullptr,
                                               QString* refusal = nullptr);


#include "app/PageTarget.h"

#include "document/EditorSupport.h"
#include "support/AtomicFile.h"
#include "support/ZonePageFile.h"

#include <QFileInfo>

namespace {
constexpr QChar kPageMark = QLatin1Char('#');
}

PageTarget SplitPageTarget(const QString& path)
{
    const qsizetype mark = path.lastIndexOf(kPageMark);
    if (mark < 0 || QFileInfo(path).exists())
        return {path, QString()};
    return {path.left(mark), path.mid(mark + 1)};
}

QString JoinPageTarget(const PageTarget& target)
{
    return target.page.isEmpty() ? target.file : target.file + kPageMark + target.page;
}

std::unique_ptr<ZonePageFile> ReadZonePageFile(const QString& path, std::string* iconPageBytes)
{
    std::string bytes;
    if (AtomicFile::readWhole(path.toStdString(), bytes) != AtomicFile::ReadResult::Ok)
        return nullptr;
    if (!ZonePageFile::MayHoldZonePages(bytes)) {
        if (iconPageBytes)
            *iconPageBytes = std::move(bytes);
        return nullptr;
    }
    try {
        auto file = std::make_unique<ZonePageFile>(std::move(bytes));
        if (!file->pages().empty())
            return file;
    } catch (const XmlSpansError&) {
    }
    return nullptr;
}

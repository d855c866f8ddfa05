#include "app/PageTarget.h"

#include "document/EditorSupport.h"
#include "document/IconPageFile.h"
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

namespace {

const char* const kNoZonePage = "the file holds pages inside pages, but none of them is a page of icons";

}  // namespace

std::unique_ptr<ZonePageFile> ReadZonePageFile(const QString& path, std::string* iconPageBytes, QString* refusal)
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
        // Pages inside pages are a UI file, not an icon page: read as one, its save would
        // rewrite every widget of it in the icon page layout.
        if (refusal && file->nestsPages())
            *refusal = QString::fromStdString(LoadingErrorText(kNoZonePage));
        else if (iconPageBytes)
            *iconPageBytes = file->bytes();
        return nullptr;
    } catch (const XmlSpansError& error) {
        if (refusal)
            *refusal = QString::fromStdString(LoadingErrorText(error.what()));
        return nullptr;
    }
    return nullptr;
}

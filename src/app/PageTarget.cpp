#include "app/PageTarget.h"

#include "app/Captions.h"
#include "mapview/Prompts.h"
#include "support/ZonePageFile.h"

#include <QDir>
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

QString NativePageTarget(const QString& path)
{
    const PageTarget target = SplitPageTarget(path);
    return JoinPageTarget({QDir::toNativeSeparators(target.file), target.page});
}

QString PageTargetFromNative(const QString& path)
{
    const PageTarget target = SplitPageTarget(path);
    return JoinPageTarget({QDir::fromNativeSeparators(target.file), target.page});
}

bool OpenPageTarget(const QString& path, Language language, Prompts& prompts, const ZonePagePick& pick,
                    const PageFileOpen& open, const std::function<bool(const QString& path)>& openMissing)
{
    const PageTarget target = SplitPageTarget(path);
    // A file that is not there is not read: the editor says so.
    if (!QFileInfo(target.file).isFile())
        return openMissing(target.file);
    OpenedPageFile opened = OpenPageSource(target.file.toStdString());
    const PageSource* file = opened.source && opened.source->offers(PageFeature::PageList) ? opened.source.get() : nullptr;
    int page = -1;
    if (file && target.page.isEmpty()) {
        if (!prompts.interactive()) {
            prompts.showMessage(caption(language, "ZonePageNeeded").arg(QFileInfo(target.file).fileName()));
            return false;
        }
        page = pick(*file, target.file);
        if (page < 0)
            return false;
    } else if (opened.source && !target.page.isEmpty()) {
        // A page named: the file must hold it.
        page = file ? file->findPage(target.page.toStdString()) : -1;
        if (page < 0) {
            prompts.showMessage(
                caption(language, "ZonePageMissing").arg(target.page, QFileInfo(target.file).fileName()));
            return false;
        }
    }
    return open(target.file, std::move(opened), page);
}

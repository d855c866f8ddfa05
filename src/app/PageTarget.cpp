#include "app/PageTarget.h"

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

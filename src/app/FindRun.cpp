// --find: the POIs of a map pack, a file or one page that hold a text, each page read through the
// editor's own reading code.
#include "app/CommandLine.h"
#include "app/Headless.h"
#include "app/PageTarget.h"
#include "document/EditorSupport.h"
#include "document/PackFind.h"
#include "document/PackFolder.h"
#include "document/PageOpening.h"
#include "support/ZonePageFile.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>

namespace {

constexpr int kExitNoHit = 1;

class FindRun {
public:
    FindRun(const PackFindQuery& query, QTextStream& out, QTextStream& err) : m_query(query), m_out(out), m_err(err) {}

    // `path` names a file or FILE#PAGE; `shown` is how its lines name the file (without the page).
    void findIn(const QString& path, const QString& shown)
    {
        const PageTarget target = SplitPageTarget(path);
        const QString absolute = QFileInfo(target.file).absoluteFilePath();
        if (!PageFileFound(absolute, m_prompts))
            return sayFailure(shown);
        findIn(absolute, OpenPageSource(absolute.toStdString()), target.page, shown);
    }

    // A file read already: its page `named`, or each of its pages when that is empty.
    void findIn(const QString& absolute, OpenedPageFile opened, const QString& named, const QString& shown)
    {
        if (!opened.source) {
            m_prompts.showMessage(QString::fromStdString(opened.refusal));
            return sayFailure(shown);
        }
        if (!opened.source->offers(PageFeature::PageList)) {
            TSimpleXML read;
            std::unique_ptr<PageSource> source =
                ReadIconPageOrSay(read, absolute.toStdString(), opened.unread.empty() ? nullptr : &opened.unread,
                                  nullptr, m_prompts);
            if (!source)
                return sayFailure(shown);
            report(shown, read.Root(), *source);
            return;
        }
        findInZonePages(*opened.source, named, shown);
    }

    int status() const { return m_hits > 0 ? 0 : kExitNoHit; }

private:
    void findInZonePages(PageSource& source, const QString& named, const QString& shown)
    {
        const std::vector<ZonePageInfo>& pages = source.pages();
        bool found = named.isEmpty();
        for (int i = 0; i < static_cast<int>(pages.size()); ++i) {
            const QString name = fromDoc(pages[i].name);
            if (!named.isEmpty() && name != named)
                continue;
            found = true;
            const QString page = JoinPageTarget({shown, name});
            TSimpleXML read;
            if (ReadZonePageOrSay(source, i, read, m_prompts))
                report(page, read.Root(), source);
            else
                sayFailure(page);
        }
        if (!found)
            m_err << oneLine(JoinPageTarget({shown, named})) << ": no such zone page\n";
    }

    void report(const QString& page, const TSimpleXMLElem& root, const PageSource& source)
    {
        for (const PackFindHit& hit : FindInPage(root, source, m_query)) {
            ++m_hits;
            m_out << oneLine(page) << ": POI \"" << oneLine(hit.name) << "\" (#" << hit.poi << "): "
                  << oneLine(hit.type) << " at "
                  << (hit.world ? oneLine(*hit.world) : QStringLiteral("no world location")) << ": "
                  << oneLine(hit.tooltipLine) << "\n";
        }
    }

    void sayFailure(const QString& shown)
    {
        const QString why = m_prompts.shown.isEmpty() ? QStringLiteral("not read") : m_prompts.shown.join(QStringLiteral("; "));
        m_err << oneLine(shown) << ": " << oneLine(why) << "\n";
        m_prompts.shown.clear();
    }

    const PackFindQuery& m_query;
    QTextStream& m_out;
    QTextStream& m_err;
    CollectingPrompts m_prompts;
    int m_hits = 0;
};

}  // namespace

int findInPack(const PackFindQuery& query, const QString& where, QTextStream& out, QTextStream& err)
{
    FindRun run(query, out, err);
    if (QFileInfo(where).isDir()) {
        // Files are named as --check names them: relative to the folder, in the platform's form.
        const QDir folder(QFileInfo(where).absoluteFilePath());
        const PackFolderFiles files = ListPackFolder(where);
        for (const QString& path : files.iconPages)
            run.findIn(path, QDir::toNativeSeparators(folder.relativeFilePath(QFileInfo(path).absoluteFilePath())));
        for (const QString& path : files.zonePageFiles) {
            const QString absolute = QFileInfo(path).absoluteFilePath();
            OpenedPageFile opened = OpenPageSource(absolute.toStdString());
            // Files there that hold no zone pages are other UI files, not pages.
            if (opened.source && opened.source->offers(PageFeature::PageList))
                run.findIn(absolute, std::move(opened), QString(),
                           QDir::toNativeSeparators(folder.relativeFilePath(absolute)));
        }
    } else {
        run.findIn(where, SplitPageTarget(where).file);
    }
    out.flush();
    err.flush();
    return run.status();
}

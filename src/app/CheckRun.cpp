// --check: each page named, each page of a folder, each zone page of a file, loaded through the
// editor's own opening code; with --strict their problems, with --report a report to look at.
#include "app/CheckOpening.h"
#include "app/CheckReport.h"
#include "app/CommandLine.h"
#include "app/Configuration.h"
#include "app/Headless.h"
#include "app/PageTarget.h"
#include "document/EditorSupport.h"
#include "document/PackFolder.h"
#include "document/PackSurvey.h"
#include "support/Console.h"
#include "support/TextUtil.h"
#include "support/ZonePageFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <map>
#include <memory>
#include <optional>

namespace {

constexpr int kExitFailure = 1;

// One file to check: an icon page or one named zone page, or a file of zone pages read once.
struct CheckUnit {
    QString shown;  // as the lines name it
    std::optional<OpenedPageFile> file;  // read once, when its turn comes or to find its pages
    bool emptyFolder = false;  // a folder named that holds no page
    std::future<OpenedPageFile> ahead;  // the file being read while the unit before it is checked
    QString uiFolder;  // a page of a folder named: the UI folder whose map styles and maps serve it
    QString packFolder;  // the pack it belongs to: the folder named, else the file's
};

// Whether the unit is a whole file still to be read: a named zone page is opened by name.
bool readsWholeFile(const CheckUnit& unit)
{
    return !unit.emptyFolder && !unit.file && !unit.ahead.valid() && SplitPageTarget(unit.shown).page.isEmpty();
}

// Reads the unit's file on a thread of its own: reading a big page takes as long as starting
// the window, or checking the page before it.
void readAhead(CheckUnit& unit)
{
    if (!readsWholeFile(unit))
        return;
    const std::string path = QFileInfo(unit.shown).absoluteFilePath().toStdString();
    unit.ahead = std::async(std::launch::async, [path]() { return OpenPageSource(path); });
}

// A file named on the command line or found in a folder: it is read when its turn comes.
void addFile(const QString& path, std::vector<CheckUnit>& units)
{
    units.push_back({path, std::nullopt, false, {}, QString(), QString()});
}

// A folder: every page of its vynmap/ folder (or of itself when it has none) but the map style
// file, then every file of zone pages beside that folder. The folder is a UI folder (a vynmap/
// folder named stands for the one around it): its own map styles and maps serve its pages.
void addFolder(const QString& folder, std::vector<CheckUnit>& units, std::map<QString, PackSurvey>& packs)
{
    const PackFolderFiles files = ListPackFolder(folder);
    // The pack's index is taken from the files as they are read here, not read again (once, where
    // a folder is named twice).
    const bool indexed = packs.count(files.uiFolder) > 0;
    PackSurvey& pack = packs[files.uiFolder];
    pack.folder = files.uiFolder;
    // The names made here are printed: in the platform's form, as the folder named may be.
    for (const QString& page : files.iconPages)
        units.push_back({QDir::toNativeSeparators(page), std::nullopt, false, {}, files.uiFolder, files.uiFolder});
    for (const QString& path : files.zonePageFiles) {
        OpenedPageFile file = OpenPageSource(QFileInfo(path).absoluteFilePath().toStdString());
        if (!file.source || !file.source->offers(PageFeature::PageList))
            continue;
        if (!indexed)
            AddToPackSurvey(pack, path, *file.source);
        units.push_back({QDir::toNativeSeparators(path), std::move(file), false, {}, files.uiFolder, files.uiFolder});
    }
    // A folder without vynmap/ lists its POI files among its pages: the pack indexes them itself.
    if (!indexed && pack.zonePages.empty())
        packs.erase(files.uiFolder);
}

}  // namespace

// The units of a check: its pages, listed before anything is checked, and the packs of the
// folders named as their files were listed.
struct PlannedCheck {
    std::vector<CheckUnit> units;
    std::map<QString, PackSurvey> packs;
};

namespace {

class CheckRun {
public:
    // A report draws its pages' maps with their markers: it needs the window.
    CheckRun(const QString& configPath, QTextStream& out, bool strict, const QString& reportFolder, bool window,
             std::map<QString, PackSurvey>& packs)
        : m_pages(window || !reportFolder.isEmpty() ? WindowCheckOpening(configPath, m_prompts)
                                                   : HeadlessCheckOpening(configPath, m_prompts)),
          m_out(out), m_strict(strict), m_packs(packs)
    {
        if (!reportFolder.isEmpty())
            m_report = std::make_unique<CheckReport>(reportFolder);
        ConfigureFolders(m_configured, QCoreApplication::applicationFilePath().toStdString(),
                         configPath.toStdString());
    }

    void check(CheckUnit& unit)
    {
        if (unit.emptyFolder) {
            // Nothing to check is no success: the folder was likely not the one meant.
            m_allRead = false;
            ++m_problems;
            m_out << oneLine(unit.shown) << ": no pages found\n";
            return;
        }
        m_pages->useFolder(unit.uiFolder);
        if (m_strict || m_report)
            m_pages->usePack(packOf(unit));
        const QString absolute = QFileInfo(unit.shown).absoluteFilePath();
        // Each file is read once: a file of zone pages is indexed once for all its pages, and
        // an icon page opens from the bytes read to tell its kind.
        if (unit.ahead.valid())
            unit.file = unit.ahead.get();
        else if (readsWholeFile(unit))
            unit.file = OpenPageSource(absolute.toStdString());
        const PageSource* zones = unit.file && unit.file->source ? unit.file->source.get() : nullptr;
        if (!zones || !zones->offers(PageFeature::PageList)) {
            m_prompts.shown.clear();
            page(unit.shown, unit.file ? m_pages->openReadFile(absolute, std::move(*unit.file), -1)
                                       : m_pages->openPage(absolute));
            return;
        }
        QStringList names;
        for (const ZonePageInfo& zone : zones->pages())
            names << fromDoc(zone.name);
        if (const char* kind = unit.file->source->listedKind())
            m_out << oneLine(unit.shown) << ": " << kind << ", "
                  << QString::fromStdString(CountText(names.size(), "page", "pages")) << "\n";
        for (int i = 0; i < names.size(); ++i) {
            m_prompts.shown.clear();
            bool read = false;
            if (i == 0)
                read = m_pages->openReadFile(absolute, std::move(*unit.file), 0);
            else if (m_pages->zoneFileOpen())
                read = m_pages->showZonePage(i);
            else
                read = m_pages->openPage(JoinPageTarget({absolute, names[i]}));
            page(JoinPageTarget({unit.shown, names[i]}), read);
        }
    }

    int finish(QTextStream& err)
    {
        const QString summary = QString::fromStdString(CountText(m_problems, "problem", "problems") + " in "
                                                       + CountText(m_pageCount, "page", "pages"));
        if (m_strict)
            m_out << summary << "\n";
        m_out.flush();
        const bool written = !m_report || m_report->finish(summary, err);
        // Plain --check fails on a page that cannot be read only; the report's count is its own.
        const bool clean = m_allRead && (!m_strict || m_problems == 0);
        return clean && written ? 0 : kExitFailure;
    }

private:
    void page(const QString& shown, bool read)
    {
        ++m_pageCount;
        QStringList lines{oneLine(shown) + QStringLiteral(": ") + (read ? pageLine() : failureLine())};
        std::vector<PageProblem> problems;
        if (!read) {
            m_allRead = false;
            ++m_problems;  // the page's line tells why
        } else if (m_strict || m_report) {
            problems = m_pages->problems();
            for (const PageProblem& problem : problems) {
                lines << oneLine(shown) + QStringLiteral(": ") + QString::fromStdString(ProblemLine(problem));
                if (problem.fix)
                    lines << oneLine(shown) + QStringLiteral(": ") + QString::fromStdString(FixLine(problem));
            }
        }
        m_problems += static_cast<int>(problems.size());
        if (m_strict) {
            m_out << lines.join(QLatin1Char('\n')) << "\n";
        } else {
            m_out << lines.front() << "\n";
        }
        if (m_report && (!read || !problems.empty()))
            m_report->addPage(shown, lines, read ? m_pages->picture(problems) : QImage(), problems);
    }

    // The rules of the unit's pack, made once per pack; a file named alone takes its folder's.
    std::shared_ptr<const PackRules> packOf(const CheckUnit& unit)
    {
        const QString folder = unit.packFolder.isEmpty() ? PackFolderOfFile(SplitPageTarget(unit.shown).file)
                                                         : unit.packFolder;
        std::shared_ptr<const PackRules>& rules = m_packRules[folder];
        if (!rules) {
            auto indexed = m_packs.find(folder);
            if (indexed == m_packs.end())
                indexed = m_packs.emplace(folder, SurveyPack(folder)).first;
            rules = MakePackRules(indexed->second, m_configured);
        }
        return rules;
    }

    QString pageLine()
    {
        QString line = m_pages->pageFields();
        if (!m_prompts.shown.isEmpty())
            line += QStringLiteral("; ") + oneLine(m_prompts.shown.join(QStringLiteral("; ")));
        return line;
    }

    QString failureLine() const
    {
        return m_prompts.shown.isEmpty() ? QStringLiteral("not read")
                                         : oneLine(m_prompts.shown.join(QStringLiteral("; ")));
    }

    CollectingPrompts m_prompts;
    std::unique_ptr<CheckOpening> m_pages;
    QTextStream& m_out;
    bool m_strict = false;
    std::unique_ptr<CheckReport> m_report;
    std::map<QString, PackSurvey>& m_packs;
    std::map<QString, std::shared_ptr<const PackRules>> m_packRules;
    EditorState m_configured;  // the configuration's folders and rectangle table
    bool m_allRead = true;
    int m_problems = 0;
    int m_pageCount = 0;
};

}  // namespace


std::shared_ptr<PlannedCheck> planCheck(const QStringList& pages)
{
    auto plan = std::make_shared<PlannedCheck>();
    std::vector<CheckUnit>& units = plan->units;
    for (const QString& page : pages) {
        if (QFileInfo(page).isDir()) {
            const size_t before = units.size();
            addFolder(page, units, plan->packs);
            if (units.size() == before)
                units.push_back({page, std::nullopt, true, {}, QString(), QString()});
        } else {
            addFile(page, units);
        }
    }
    if (!units.empty())
        readAhead(units.front());
    return plan;
}

namespace {

int runCheck(CheckRun& run, PlannedCheck& plan)
{
    std::vector<CheckUnit>& units = plan.units;
    for (size_t i = 0; i < units.size(); ++i) {
        if (i + 1 < units.size())
            readAhead(units[i + 1]);
        run.check(units[i]);
    }
    QTextStream err(stderr);
    return run.finish(err);
}

}  // namespace

int checkPages(const QString& configPath, const QStringList& pages, QTextStream& out, bool strict,
               const QString& reportFolder, CheckWay way)
{
    const std::shared_ptr<PlannedCheck> plan = planCheck(pages);
    CheckRun run(configPath, out, strict, reportFolder, way == CheckWay::Window, plan->packs);
    return runCheck(run, *plan);
}

void checkPagesAndExit(PlannedCheck& plan, const QString& configPath, QTextStream& out, bool strict,
                       const QString& reportFolder)
{
    // Never freed: once the lines are out, the process ends without taking apart the window and
    // every page object one by one, which took as long as reading a big page.
    auto* run = new CheckRun(configPath, out, strict, reportFolder, false, plan.packs);
    const int status = runCheck(*run, plan);
    out.flush();
    std::fflush(nullptr);
    Console::restoreOutput();
    std::_Exit(status);
}

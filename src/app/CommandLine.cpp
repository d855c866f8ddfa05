#include "app/CommandLine.h"

#include "app/Configuration.h"
#include "app/MainWindow.h"
#include "app/PageTarget.h"
#include "document/IconPageEditor.h"
#include "document/EditorSupport.h"
#include "document/IconPageFile.h"
#include "document/PoiTreeModel.h"
#include "mapview/DdsExport.h"
#include "mapview/MapCoordinates.h"
#include "mapview/MapImage.h"
#include "mapview/MapPanel.h"
#include "support/FileSystem.h"
#include "support/ZonePageFile.h"
#include "tools/ZoneScan.h"

#include <QApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QTextStream>

#include <cstdio>
#include <cstdlib>
#include <functional>

namespace {

constexpr int kExitUsage = 2;
constexpr int kExitFailure = 1;

bool hasDisplay()
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty())
        return true;
#if defined(Q_OS_LINUX)
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
#else
    return true;
#endif
}

// Collects what the editor would show instead of showing it; every dialog is cancelled.
class CollectingPrompts : public Prompts {
public:
    QStringList shown;
    void showMessage(const QString& text) override { shown << text; }
    void showError(const QString& text) override { shown << text; }
    bool confirm(const QString&, const QString&) override { return false; }
    SaveAnswer askSave(const SaveQuestion&) override { return SaveAnswer::Discard; }
    QString openFileName(const FileDialogOptions&) override { return {}; }
    QString saveFileName(const FileDialogOptions&) override { return {}; }
    bool interactive() const override { return false; }
};

// Each page is one line: a line break or tab inside a name is written as \r, \n or \t.
QString oneLine(QString text)
{
    return text.replace(QLatin1Char('\r'), QLatin1String("\\r"))
        .replace(QLatin1Char('\n'), QLatin1String("\\n"))
        .replace(QLatin1Char('\t'), QLatin1String("\\t"));
}

QString oneLine(const std::string& text)
{
    return oneLine(QString::fromStdString(text));
}

} // namespace

int checkPages(const QString& configPath, const QStringList& pages, QTextStream& out, bool strict)
{
    CollectingPrompts prompts;
    TForm1 window(configPath, &prompts);
    bool allRead = true;
    int problems = 0;
    int checked = 0;
    // One page's line (and with strict, its problems), after open() has tried to open it.
    const auto checkPage = [&](const QString& page, const std::function<bool()>& open) {
        ++checked;
        prompts.shown.clear();
        const bool read = open();
        const EditorState& state = window.state();
        out << oneLine(page) << ": ";
        if (read) {
            const int listed = window.editor().treeModel().rowCount();
            const QString zone = HasZoneRect(state.ZoneRect)
                ? QString::fromStdString(ZoneText(state.ZoneRect))
                : QStringLiteral("none");
            // The zone name as the open-by-map-name list shows it.
            const TSimpleXMLProp* location = window.editor().xmlscan().Root().Properties().Find("1location");
            // A zone page has no zone name of its own: its location name is the map style file's.
            const std::string locationText = window.editor().zoneFile()
                ? window.findChild<QLineEdit*>(QStringLiteral("FlatEdit4"))->text().toStdString()
                : (location ? location->Value() : std::string());
            out << listed << " POIs, page \"" << oneLine(state.PageName) << "\", location \""
                << oneLine(locationText) << "\", zone " << zone;
            if (!prompts.shown.isEmpty())
                out << "; " << oneLine(prompts.shown.join(QStringLiteral("; ")));
        } else {
            allRead = false;
            // The page's line tells why: it counts as one problem.
            ++problems;
            const QString why = prompts.shown.join(QStringLiteral("; "));
            out << (prompts.shown.isEmpty() ? QStringLiteral("not read") : oneLine(why));
        }
        out << "\n";
        if (strict && read) {
            for (const PageProblem& problem : window.checkOpenPage()) {
                out << page << ": " << QString::fromStdString(ProblemLine(problem)) << "\n";
                ++problems;
            }
        }
        return read;
    };
    for (const QString& page : pages) {
        const QString path = QFileInfo(page).absoluteFilePath();
        if (!SplitPageTarget(page).page.isEmpty() || !QFileInfo(page).isFile()) {
            checkPage(page, [&] { return window.openPage(path); });
            continue;
        }
        // Each file is read, and a file of zone pages indexed, once: its zone pages are then
        // checked one after another as File > Zone Page shows them.
        std::string iconPageBytes;
        std::unique_ptr<ZonePageFile> file = ReadZonePageFile(page, &iconPageBytes);
        if (!file) {
            checkPage(page, [&] {
                return iconPageBytes.empty() ? window.openPage(path)
                                             : window.openReadFile(path, nullptr, std::move(iconPageBytes), -1);
            });
            continue;
        }
        // As "FILE#PAGE" names each: the first zone page of that name.
        std::vector<std::pair<QString, int>> zones;
        for (const ZonePageInfo& zone : file->pages())
            zones.emplace_back(JoinPageTarget({page, fromDoc(zone.name)}), file->findPage(zone.name));
        bool fileOpen = false;
        for (const std::pair<QString, int>& zone : zones) {
            const QString& target = zone.first;
            const int index = zone.second;
            fileOpen = checkPage(target, [&] {
                if (file)
                    return window.openReadFile(path, std::move(file), std::string(), index);
                // After a page that did not open, the file is read afresh, as for "FILE#PAGE".
                return fileOpen ? window.showZonePage(index) : window.openPage(QFileInfo(target).absoluteFilePath());
            });
        }
    }
    if (strict) {
        out << problems << (problems == 1 ? " problem in " : " problems in ") << checked
            << (checked == 1 ? " page\n" : " pages\n");
    }
    out.flush();
    return allRead && problems == 0 ? 0 : kExitFailure;
}

int exportPagePicture(const QString& configPath, const QString& page, const QString& out, bool labels,
                      QTextStream& err)
{
    CollectingPrompts prompts;
    TForm1 window(configPath, &prompts);
    const bool read = window.openPage(QFileInfo(page).absoluteFilePath());
    for (const QString& text : prompts.shown)
        err << page << ": " << text << "\n";
    // Without its map the picture would be markers on nothing: no success to report.
    const bool mapFound = read && pageMapFile(window.state());
    if (read && !mapFound) {
        QStringList looked;
        for (const std::string& path : pageMapCandidates(window.state()))
            looked << QLatin1Char('"') + QString::fromStdString(path) + QLatin1Char('"');
        err << page << ": map image not found at " << looked.join(QStringLiteral(" or ")) << "\n";
    }
    if (!mapFound || window.mapPanel()->mapImage().isNull()) {
        err << page << ": no picture written\n";
        err.flush();
        return kExitFailure;
    }
    err.flush();
    return writePngFile(window.mapPanel()->picture(labels), out, err);
}

void configureApplication()
{
    // No display name: the X11 platform would append it to every window title, and the titles
    // must read exactly as the editor sets them.
    QCoreApplication::setApplicationName(QStringLiteral("vynmap-editor"));
}

void listMaps(const QString& configPath, const QString& executablePath, QTextStream& out)
{
    EditorState state;
    ConfigureFolders(state, executablePath.toStdString(), configPath.toStdString());
    TSimpleXML loader;
    ConfigureIconPageDocument(loader);
    std::vector<ZonePage> pages;
    ScanZoneFolder(PageFolder(state.BaseFolder), loader, [&pages](ZonePage page) { pages.push_back(std::move(page)); },
                   nullptr);
    for (const int index : ZoneListOrder(pages)) {
        out << oneLine(pages[index].location) << '\t' << oneLine(pages[index].fileName) << '\n';
    }
    out << MapsLabelText(static_cast<int>(pages.size())) << '\n';
    out.flush();
}

QString usageText()
{
    return QStringLiteral(
        "Usage: vynmap-editor [--config FILE] [PAGE]\n"
        "       vynmap-editor [--config FILE] --check [--strict] PAGE...\n"
        "       vynmap-editor [--config FILE] --list-maps\n"
        "       vynmap-editor --decode-dds FILE --output OUT.png\n"
        "       vynmap-editor [--config FILE] --export-png PAGE --output OUT.png [--labels]\n"
        "\n"
        "  --config FILE      use FILE as the configuration file\n"
        "                     (default: the executable's path with \".INI\" appended)\n"
        "  PAGE               an icon page to open at start; FILE#PAGE names one zone page\n"
        "                     of a file that holds many (every PAGE argument takes this form)\n"
        "  --check PAGE...    load each page as the editor does and report what was found\n"
        "  --strict           with --check, also list each page's problems (POIs whose\n"
        "                     two locations disagree, a zone rectangle off the POIs, ...)\n"
        "  --list-maps        list the pages of the configured folder by location name, as\n"
        "                     File > Open Zone does: location, a tab, file name; then the count\n"
        "  --decode-dds FILE  decode a DDS texture and write it as a PNG (with --output)\n"
        "  --export-png PAGE  write the page's map with its shown markers as a PNG (with\n"
        "                     --output); --labels writes the POI names beside them\n"
        "  --help             show this text\n");
}

QString defaultConfigPath(const QString& executablePath)
{
    return executablePath + QStringLiteral(".INI");
}

CommandLine parseCommandLine(const QStringList& arguments)
{
    CommandLine result;
    auto fail = [&result](const QString& why) {
        result.mode = CommandLine::Mode::Error;
        result.error = why;
        return result;
    };
    QStringList positional;
    bool check = false;
    bool listMapsWanted = false;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        auto value = [&](QString& into) {
            if (i + 1 >= arguments.size())
                return false;
            into = arguments[++i];
            return true;
        };
        if (arg == QLatin1String("--config")) {
            if (!value(result.configPath))
                return fail(QStringLiteral("--config needs a file"));
        } else if (arg == QLatin1String("--decode-dds")) {
            if (!value(result.ddsFile))
                return fail(QStringLiteral("--decode-dds needs a file"));
        } else if (arg == QLatin1String("--output")) {
            if (!value(result.outputFile))
                return fail(QStringLiteral("--output needs a file"));
        } else if (arg == QLatin1String("--export-png")) {
            if (!value(result.exportPage))
                return fail(QStringLiteral("--export-png needs a page"));
        } else if (arg == QLatin1String("--labels")) {
            result.labels = true;
        } else if (arg == QLatin1String("--check")) {
            check = true;
        } else if (arg == QLatin1String("--strict")) {
            result.strict = true;
        } else if (arg == QLatin1String("--list-maps")) {
            listMapsWanted = true;
        } else if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            result.mode = CommandLine::Mode::Help;
            return result;
        } else if (arg == QLatin1String("--")) {
            positional << arguments.mid(i + 1);
            break;
        } else if (arg.startsWith(QLatin1Char('-')) && arg.size() > 1) {
            return fail(QStringLiteral("unknown option %1").arg(arg));
        } else {
            positional << arg;
        }
    }
    if (result.strict && !check)
        return fail(QStringLiteral("--strict goes with --check"));
    if (!result.exportPage.isEmpty()) {
        if (result.outputFile.isEmpty() || !result.ddsFile.isEmpty() || check || listMapsWanted
            || !positional.isEmpty())
            return fail(QStringLiteral("--export-png needs exactly PAGE and --output OUT.png"));
        result.mode = CommandLine::Mode::ExportPng;
    } else if (result.labels) {
        return fail(QStringLiteral("--labels goes with --export-png"));
    } else if (!result.ddsFile.isEmpty() || !result.outputFile.isEmpty()) {
        if (result.ddsFile.isEmpty() || result.outputFile.isEmpty() || check || listMapsWanted
            || !positional.isEmpty())
            return fail(QStringLiteral("--decode-dds needs exactly FILE and --output OUT.png"));
        result.mode = CommandLine::Mode::DecodeDds;
    } else if (listMapsWanted) {
        if (check || !positional.isEmpty())
            return fail(QStringLiteral("--list-maps takes no pages"));
        result.mode = CommandLine::Mode::ListMaps;
    } else if (check) {
        if (positional.isEmpty())
            return fail(QStringLiteral("--check needs at least one page"));
        result.mode = CommandLine::Mode::Check;
        result.pages = positional;
    } else {
        if (positional.size() > 1)
            return fail(QStringLiteral("only one page can be opened at start"));
        result.page = positional.value(0);
    }
    return result;
}

int runEditor(int argc, char** argv)
{
    QStringList arguments;
    for (const std::string& argument : FileSystem::programArguments(argc, argv))
        arguments << QString::fromStdString(argument);
    const CommandLine cmd = parseCommandLine(arguments);

    QTextStream out(stdout);
    QTextStream err(stderr);
    switch (cmd.mode) {
    case CommandLine::Mode::Help:
        out << usageText();
        return 0;
    case CommandLine::Mode::Error:
        err << "vynmap-editor: " << cmd.error << "\n" << usageText();
        return kExitUsage;
    case CommandLine::Mode::Check:
    case CommandLine::Mode::ListMaps:
    case CommandLine::Mode::DecodeDds:
    case CommandLine::Mode::ExportPng:
        // Headless: never needs a display.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        break;
    case CommandLine::Mode::Editor:
        if (!hasDisplay()) {
            err << "vynmap-editor: no display found; start it under a virtual display with: "
                   "xvfb-run -a "
                << QString::fromLocal8Bit(argv[0]) << "\n";
            return kExitFailure;
        }
        break;
    }

    QApplication app(argc, argv);
    configureApplication();
    const QString configPath = cmd.configPath.isEmpty()
        ? defaultConfigPath(QCoreApplication::applicationFilePath())
        : cmd.configPath;

    if (cmd.mode == CommandLine::Mode::Check)
        return checkPages(configPath, cmd.pages, out, cmd.strict);
    if (cmd.mode == CommandLine::Mode::ListMaps) {
        listMaps(configPath, QCoreApplication::applicationFilePath(), out);
        return 0;
    }
    if (cmd.mode == CommandLine::Mode::ExportPng)
        return exportPagePicture(configPath, cmd.exportPage, cmd.outputFile, cmd.labels, err);
    if (cmd.mode == CommandLine::Mode::DecodeDds)
        return decodeDdsToPng(cmd.ddsFile, cmd.outputFile, err);

    TForm1 window(configPath);
    window.show();
    if (!cmd.page.isEmpty())
        window.openPage(QFileInfo(cmd.page).absoluteFilePath());
    return app.exec();
}

#include "app/CommandLine.h"

#include "app/Configuration.h"
#include "app/Headless.h"
#include "app/MainWindow.h"
#include "app/PageTarget.h"
#include "app/IconPageEditor.h"
#include "document/EditorSupport.h"
#include "document/IconPageFile.h"
#include "document/PoiTreeModel.h"
#include "mapview/DdsExport.h"
#include "mapview/MapCoordinates.h"
#include "mapview/MapImage.h"
#include "mapview/MapPanel.h"
#include "support/Console.h"
#include "support/FileSystem.h"
#include "support/ZonePageFile.h"
#include "tools/ZoneScan.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QStandardPaths>
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

CommandLine usageError(CommandLine result, const QString& why)
{
    result.mode = CommandLine::Mode::Error;
    result.error = why;
    return result;
}

// The rest of a --find command line, checked.
CommandLine findCommand(CommandLine result, const QStringList& positional, const QString& near,
                        const QString& radius, bool otherMode)
{
    auto fail = [&result](const QString& why) { return usageError(result, why); };
    if (result.find.text.isEmpty())
        return fail(QStringLiteral("--find needs a text"));
    if (otherMode || !result.exportPage.isEmpty() || !result.ddsFile.isEmpty() || !result.outputFile.isEmpty()
        || result.labels || result.strict || !result.reportFolder.isEmpty() || positional.size() != 1)
        return fail(QStringLiteral("--find needs exactly TEXT and one DIR or FILE"));
    if (near.isEmpty() != radius.isEmpty())
        return fail(QStringLiteral("--near and --radius go together"));
    if (!near.isEmpty()) {
        result.find.near = ParseNearLocation(near);
        if (!result.find.near)
            return fail(QStringLiteral("--near needs a world location \"x,y,z\", not \"%1\"").arg(near));
        bool number = false;
        result.find.radius = radius.toDouble(&number);
        if (!number || result.find.radius < 0)
            return fail(QStringLiteral("--radius needs a distance, not \"%1\"").arg(radius));
    }
    result.mode = CommandLine::Mode::Find;
    result.pages = positional;
    return result;
}

} // namespace

int exportPagePicture(const QString& configPath, const QString& page, const QString& out, bool labels,
                      QTextStream& err)
{
    CollectingPrompts prompts;
    TForm1 window(configPath, &prompts);
    const bool read = window.openPage(QFileInfo(page).absoluteFilePath());
    for (const QString& text : prompts.shown)
        err << page << ": " << text << "\n";
    // Without its map the picture would be markers on nothing (or on the blank map of one that
    // does not decode): no success to report.
    const bool mapFound = read && pageMapFile(window.state());
    if (read && !mapFound) {
        QStringList looked;
        for (const std::string& path : pageMapCandidates(window.state()))
            looked << QLatin1Char('"') + QDir::toNativeSeparators(QString::fromStdString(path)) + QLatin1Char('"');
        err << page << ": map image not found at " << looked.join(QStringLiteral(" or ")) << "\n";
    }
    const std::optional<std::string> mapProblem = mapFound ? PageMapImageProblem(window.state()) : std::nullopt;
    if (mapProblem && prompts.shown.isEmpty())
        err << page << ": " << QString::fromStdString(*mapProblem) << "\n";
    if (!mapFound || mapProblem || window.mapPanel()->mapImage().isNull()) {
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
        "       vynmap-editor [--config FILE] --check [--strict] [--report DIR] PAGE...\n"
        "       vynmap-editor [--config FILE] --find TEXT [--type T] [--near \"x,y,z\" --radius R] DIR|FILE\n"
        "       vynmap-editor [--config FILE] --list-maps\n"
        "       vynmap-editor --decode-dds FILE --output OUT.png\n"
        "       vynmap-editor [--config FILE] --export-png PAGE --output OUT.png [--labels]\n"
        "\n"
        "  --config FILE      use FILE as the configuration file\n"
        "                     (default: the executable's path with \".INI\" appended)\n"
        "  PAGE               an icon page to open at start; FILE#PAGE names one zone page\n"
        "                     of a file that holds many (every PAGE argument takes this form)\n"
        "  --check PAGE...    load each page as the editor does and report what was found;\n"
        "                     a folder stands for the pages of its vynmap folder (else its\n"
        "                     own) and the files of zone pages beside that vynmap folder\n"
        "                     and in its POI folder\n"
        "  --strict           with --check, also list each page's problems (POIs whose\n"
        "                     two locations disagree, a zone rectangle off the POIs, ...)\n"
        "  --report DIR       with --check, also write DIR/index.html: each page with\n"
        "                     problems, its lines and a picture of its map\n"
        "  --find TEXT        list the POIs whose name, tooltip or description holds TEXT\n"
        "                     (letter case ignored), one line each: FILE#PAGE, name, index,\n"
        "                     type, world location, tooltip; DIR covers the files --check\n"
        "                     does, FILE all its pages, FILE#PAGE one; exit 1 when none\n"
        "  --type T           with --find, only POIs of type T\n"
        "  --near \"x,y,z\"     with --find and --radius R, only POIs within R world\n"
        "                     units (x and z) of that world location\n"
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
    auto fail = [&result](const QString& why) { return usageError(result, why); };
    QStringList positional;
    bool check = false;
    bool listMapsWanted = false;
    bool find = false;
    QString near;
    QString radius;
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
        } else if (arg == QLatin1String("--report")) {
            if (!value(result.reportFolder))
                return fail(QStringLiteral("--report needs a folder"));
        } else if (arg == QLatin1String("--strict")) {
            result.strict = true;
        } else if (arg == QLatin1String("--find")) {
            find = true;
            if (!value(result.find.text))
                return fail(QStringLiteral("--find needs a text"));
        } else if (arg == QLatin1String("--type")) {
            if (!value(result.find.type))
                return fail(QStringLiteral("--type needs a type"));
        } else if (arg == QLatin1String("--near")) {
            if (!value(near))
                return fail(QStringLiteral("--near needs a world location"));
        } else if (arg == QLatin1String("--radius")) {
            if (!value(radius))
                return fail(QStringLiteral("--radius needs a distance"));
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
    if (!result.reportFolder.isEmpty() && !check)
        return fail(QStringLiteral("--report goes with --check"));
    if (!find && (!result.find.type.isEmpty() || !near.isEmpty() || !radius.isEmpty()))
        return fail(QStringLiteral("--type, --near and --radius go with --find"));
    if (find)
        return findCommand(result, positional, near, radius, check || listMapsWanted);
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
    // Every mode but the window prints names, Korean ones too.
    if (cmd.mode != CommandLine::Mode::Editor)
        Console::useUtf8Output();

    QTextStream out(stdout);
    QTextStream err(stderr);
    switch (cmd.mode) {
    case CommandLine::Mode::Help:
        out << usageText();
        return 0;
    case CommandLine::Mode::Error:
        err << "vynmap-editor: " << cmd.error << "\n" << usageText();
        return kExitUsage;
    case CommandLine::Mode::Find:
        // Reads pages only: no application object, no configuration.
        return findInPack(cmd.find, cmd.pages.front(), out, err);
    case CommandLine::Mode::Check:
    case CommandLine::Mode::ListMaps:
    case CommandLine::Mode::DecodeDds:
    case CommandLine::Mode::ExportPng:
        // Headless: never needs a display.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
#ifdef Q_OS_WIN
        // There the offscreen platform reads fonts only from Qt's own lib/fonts, which a copy
        // beside the executable has not: labels of an exported picture need Windows' fonts.
        if (qEnvironmentVariableIsEmpty("QT_QPA_FONTDIR"))
            qputenv("QT_QPA_FONTDIR",
                    QStandardPaths::writableLocation(QStandardPaths::FontsLocation).toLocal8Bit());
#endif
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

    std::shared_ptr<PlannedCheck> check;
    if (cmd.mode == CommandLine::Mode::Check)
        check = planCheck(cmd.pages);
    // A check without a report opens no window: the core application is all it needs.
    std::unique_ptr<QCoreApplication> app;
    if (check && cmd.reportFolder.isEmpty())
        app = std::make_unique<QCoreApplication>(argc, argv);
    else
        app = std::make_unique<QApplication>(argc, argv);
    configureApplication();
    const QString configPath = cmd.configPath.isEmpty()
        ? defaultConfigPath(QCoreApplication::applicationFilePath())
        : cmd.configPath;

    if (check)
        checkPagesAndExit(*check, configPath, out, cmd.strict, cmd.reportFolder);
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
    // With no page named, the configured UI folder is the work: its Pack panel shows.
    if (!cmd.page.isEmpty())
        openStartPage(window, cmd.page);
    else
        window.openConfiguredPack();
    return app->exec();
}

bool openStartPage(TForm1& window, const QString& page)
{
    // Opened as the user would open it in the window, so File > Recent lists it too.
    return window.openPageAsked(QFileInfo(page).absoluteFilePath());
}

#include "app/Configuration.h"

#include <QTemporaryDir>
#include <QtTest>

#include <fstream>

#ifndef _WIN32
#include <sys/stat.h>
#endif
#include <string>

// Start-up configuration read from real files in a temporary folder.
class ConfigurationTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir;

    std::string iniWith(const char* name, const std::string& bytes)
    {
        const std::string path = dir.filePath(QString::fromUtf8(name)).toStdString();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

private slots:
    void missingFileKeepsDefaults()
    {
        EditorState state;
        state.BaseFolder = "/opt/vynmap/";
        ReadConfiguration(state, dir.filePath("absent.INI").toStdString());
        QCOMPARE(state.BaseFolder, std::string("/opt/vynmap/"));
        QCOMPARE(state.MapGamma, Config::kDefaultMapGamma);
        QVERIFY(state.ZoneRectTable.empty());
    }

    void valuesAreReadWithCaseFreeNames()
    {
        EditorState state;
        const std::string ini = iniWith("values.INI", "[config]\r\nmapgamma = 1.5 \r\npath=/games/X/UI/MySkin/\r\n");
        ConfigureFolders(state, "/opt/vynmap/vynmap-editor", ini);
        QCOMPARE(state.MapGamma, 1.5);
        QCOMPARE(state.BaseFolder, std::string("/games/X/UI/MySkin/"));
        QCOMPARE(state.DefaultFolder, std::string("/games/X/UI/Default/"));
    }

    void badGammaGivesTheDefault()
    {
        EditorState state;
        state.MapGamma = 2.0;
        ReadConfiguration(state, iniWith("gamma.INI", "[CONFIG]\nMAPGAMMA=0,9\n"));
        QCOMPARE(state.MapGamma, Config::kDefaultMapGamma);
    }

    void pathWithBackslashesAndWithoutTrailingSeparator()
    {
        EditorState state;
        ConfigureFolders(state, "/opt/vynmap/vynmap-editor",
                         iniWith("back.INI", "[CONFIG]\nPATH=C:\\Games\\X\\ui\\MySkin\\\n"));
        QCOMPARE(state.BaseFolder, std::string("C:/Games/X/ui/MySkin/"));
        QCOMPARE(state.DefaultFolder, std::string("C:/Games/X/ui/Default/"));

        // Used unchanged: later paths are appended directly, as the file says.
        ConfigureFolders(state, "/opt/vynmap/vynmap-editor", iniWith("bare.INI", "[CONFIG]\nPATH=/games/skin\n"));
        QCOMPARE(state.BaseFolder, std::string("/games/skin"));
    }

    void noPathKeepsTheExecutableFolder()
    {
        EditorState state;
        ConfigureFolders(state, "/opt/vynmap/vynmap-editor", iniWith("nopath.INI", "[CONFIG]\nUSER=me\n"));
        QCOMPARE(state.BaseFolder, std::string("/opt/vynmap/"));
        QCOMPARE(state.DefaultFolder, std::string("/opt/vynmap/"));
    }

    void zoneRowsAreTrimmedAndWinOverEarlierRows()
    {
        EditorState state;
        AppendZoneRect(state.ZoneRectTable, "mymap", "9,9,9,9");  // an earlier row for the same map
        ReadConfiguration(state, iniWith("zones.INI",
                                         "[MAPZONEDEF]\r\n  mymap = 1,2,3,4 \r\n; comment\r\nlone line\r\n"
                                         "Cave=0,0,0,0\r\n[MAPZONEDEF]\r\nlater=5,5,5,5\r\n"));
        const std::vector<std::string> expected{"mymap", "9,9,9,9", "mymap", "1,2,3,4", "lone line", "", "Cave", "0,0,0,0"};
        QCOMPARE(state.ZoneRectTable, expected);
        QCOMPARE(FindZoneRect(state.ZoneRectTable, "MYMAP").value_or(""), std::string("1,2,3,4"));
    }

    // Anything but a regular file of at most 1 MB reads as a missing file, and never blocks.
    void onlyBoundedRegularFilesAreRead_data()
    {
        QTest::addColumn<QString>("kind");
#ifndef _WIN32  // neither FIFOs nor device files there
        QTest::newRow("FIFO") << "fifo";
        QTest::newRow("link to a device") << "device";
#endif
        QTest::newRow("above 1 MB") << "large";
    }

    void onlyBoundedRegularFilesAreRead()
    {
        QFETCH(QString, kind);
        const std::string path = dir.filePath(kind + QStringLiteral(".INI")).toStdString();
        if (kind == QLatin1String("fifo")) {
#ifndef _WIN32
            QVERIFY(::mkfifo(path.c_str(), 0600) == 0);
#endif
        } else if (kind == QLatin1String("device")) {
            QVERIFY(QFile::link(QStringLiteral("/dev/zero"), QString::fromStdString(path)));
        } else {
            iniWith("large.INI", "[CONFIG]\nPATH=/from/large/\n[MAPZONEDEF]\nm=1,2,3,4\n");
            QVERIFY(QFile::resize(QString::fromStdString(path), qint64(Config::kMaxConfigBytes) + 1));
        }
        EditorState state;
        state.BaseFolder = "/opt/vynmap/";
        ReadConfiguration(state, path);
        QCOMPARE(state.BaseFolder, std::string("/opt/vynmap/"));
        QVERIFY(state.ZoneRectTable.empty());
        QVERIFY(!ConfigurationProfile(path).loaded());
    }

    void unreadableFileChangesNothing()
    {
        EditorState state;
        state.BaseFolder = "/opt/vynmap/";
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("folder.INI")));
        ReadConfiguration(state, dir.filePath("folder.INI").toStdString());
        QCOMPARE(state.BaseFolder, std::string("/opt/vynmap/"));
        QVERIFY(state.ZoneRectTable.empty());
    }

    // Align Map's points and the chosen map picture are kept per map beside what the user's
    // file holds, read back at the next start, and cleared without a trace.
    void alignEntriesAreWrittenAndReadBack()
    {
        const std::string head = "; mine\r\n[CONFIG]\r\nPATH=/games/UI/\r\n";
        const std::string ini = iniWith("align.INI", head);
        const std::vector<ControlPoint> points{{-407.89, -589.43, {195, 107}}, {111.47, -400.77, {93, 144}}};
        KeepControlPoints(ini, "harbor=town", points);
        KeepControlPoints(ini, "greenwood", {points[1]});
        EditorState kept;
        KeepChosenMapImage(kept, ini, "harbor=town", "/pictures/harbour map.png");
        QCOMPARE(KeptControlPoints(ini, "harbor=town"), points);
        QCOMPARE(KeptControlPoints(ini, "GREENWOOD"), std::vector<ControlPoint>{points[1]});
        QVERIFY(KeptControlPoints(ini, "hanok_village").empty());

        EditorState state;
        ReadConfiguration(state, ini);
        QCOMPARE(state.BaseFolder, std::string("/games/UI/"));
        QCOMPARE(FindZoneRect(state.ChosenMapImages, "harbor=town").value_or(""), std::string("/pictures/harbour map.png"));
        QCOMPARE(state.ChosenMapImages, kept.ChosenMapImages);

        KeepControlPoints(ini, "harbor=town", {});
        KeepControlPoints(ini, "greenwood", {});
        KeepChosenMapImage(kept, ini, "harbor=town", "");
        QVERIFY(KeptControlPoints(ini, "harbor=town").empty());
        QCOMPARE(FindZoneRect(kept.ChosenMapImages, "harbor=town").value_or("none"), std::string());
        // Only the empty sections are left of what was added.
        QCOMPARE(ConfigurationProfile(ini).text(), head + "\r\n[ALIGNMAP]\r\n\r\n[MAPIMAGE]\r\n");
    }
};

QTEST_GUILESS_MAIN(ConfigurationTest)
#include "ConfigurationTest.moc"

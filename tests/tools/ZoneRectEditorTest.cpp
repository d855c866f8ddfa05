// The zone rectangle dialog and its logic: the rectangle computed from a page's POIs, and the
// apply that writes the configuration and edits the map style file in place with one backup.
#include "helpers/ScriptedPrompts.h"
#include "support/ProfileFile.h"
#include "tools/ZoneRectEditor.h"
#include "tools/addZone.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

// One POI line of an icon page: image position and world location.
QByteArray poiLine(const QByteArray& location, const QByteArray& path)
{
    return "<Icon Name=\"p\" Location=\"" + location + "\" pathfindlocation=\"" + path + "\"/>\r\n";
}

QByteArray pageWith(const QByteArray& lines, const QByteArray& size = "436,506")
{
    return "<Page Name=\"m\" 1location=\"z\" Size=\"" + size + "\">\r\n" + lines + "</Page>\r\n";
}

// The two POIs of the worked example: scale 1 in both axes.
const QByteArray kExamplePois =
    poiLine("10,20", "500, 0, -300") + poiLine("410,480", "100, 0, 160");
const QByteArray kExampleZone = "-510,-320,-74,186";

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// A map style file as the game ships it: a byte order mark, CR LF, comments, tabs and many
// top-level ImageStyle elements without a root.
QByteArray fragmentStyles(int count, const QByteArray& targetName, const QByteArray& targetProperties)
{
    QByteArray bytes = "\xEF\xBB\xBF<!-- map styles -->\r\n";
    for (int i = 0; i < count; ++i) {
        const QByteArray name = "map_" + QByteArray::number(i);
        if (i == count / 2)
            bytes += "<ImageStyle Name=\"" + targetName + "\"" + targetProperties + ">\r\n";
        else
            bytes += "<ImageStyle Name=\"" + name + "\" zonerect=\"" + QByteArray::number(-i) + ", 1.5, 2, 3\">\r\n";
        bytes += "\t<Image Source=\"images\\maps\\" + name + ".dds\" />\r\n</ImageStyle>\r\n";
        if (i % 100 == 0)
            bytes += "<!-- group " + QByteArray::number(i) + " & more -->\r\n";
    }
    return bytes;
}

}  // namespace

class ZoneRectEditorTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    ScriptedPrompts m_prompts;
    TSimpleXML m_page;

    QString styleFolder() const { return m_dir.filePath(QStringLiteral("vynmap/")); }
    QString stylePath() const { return styleFolder() + QStringLiteral("core_mapstyles.xml"); }
    QString backupPath() const { return stylePath() + QStringLiteral(".old"); }
    QString configPath() const { return m_dir.filePath(QStringLiteral("editor.INI")); }

    // A dialog over m_page, as the main window sets it up.
    std::unique_ptr<TForm4> dialog(bool pageOpen = true)
    {
        auto form = std::make_unique<TForm4>(m_prompts, nullptr, Language::English);
        ZoneDialogSetup setup;
        setup.configPath = configPath().toStdString();
        setup.document = &m_page;
        setup.pageOpen = pageOpen;
        setup.styleFolder = styleFolder().toStdString();
        form->setSetup(setup);
        return form;
    }

    template <typename T>
    static T* control(TForm4& form, const char* name)
    {
        T* found = form.findChild<T*>(QLatin1String(name));
        if (!found)
            qFatal("no control %s", name);
        return found;
    }

    // Applies through the dialog's own controls.
    void apply(const QByteArray& mapName, const QByteArray& zone, bool updateStyles)
    {
        auto form = dialog();
        form->setZone(QString::fromUtf8(mapName), QString::fromUtf8(zone));
        control<QCheckBox>(*form, "CheckBox1")->setChecked(updateStyles);
        QTest::mouseClick(control<QPushButton>(*form, "Button1"), Qt::LeftButton);
        QCOMPARE(form->result(), int(QDialog::Accepted));
    }

    std::string configuredZone(const char* mapName) const
    {
        return ProfileFile(configPath().toStdString()).readString("MAPZONEDEF", mapName, "<none>");
    }

private slots:
    void init()
    {
        m_prompts = ScriptedPrompts();
        QDir(styleFolder()).removeRecursively();
        QDir().mkpath(styleFolder());
        QFile::remove(configPath());
        m_page.LoadFromString("<Page/>");
    }

    void computeFromPois_data()
    {
        QTest::addColumn<QByteArray>("page");
        QTest::addColumn<QString>("zone");
        QTest::addColumn<QString>("scales");

        QTest::newRow("worked example") << pageWith(kExamplePois) << QString(kExampleZone) << "1 / 1";
        // Positions outside 0..435 / 0..505 never become references, nor do unreadable POIs.
        QTest::newRow("outliers and unreadable POIs ignored")
            << pageWith(poiLine("-3,-4", "900, 0, 900") + kExamplePois + poiLine("436,506", "-900, 0, -900")
                        + poiLine("20,30", "oops, 0, 1") + poiLine("20", "1, 0, 1") + poiLine("20,30", "1, 0"))
            << QString(kExampleZone) << "1 / 1";
        // Equal coordinates: the later POI is the reference.
        QTest::newRow("later POI on a shared coordinate wins")
            << pageWith(poiLine("10,20", "9999, 0, 9999") + kExamplePois) << QString(kExampleZone) << "1 / 1";
        // Only the edge extrapolation uses the page's own size (here 500 x 600).
        QTest::newRow("page size") << pageWith(kExamplePois, "500,600") << "-510,-320,-10,280" << "1 / 1";
        // Exact halves go to the even neighbour: -R(0.5) = 0, -R(-435.5) = 436, R(0.5) = 0, R(506.5) = 506.
        QTest::newRow("halves to even")
            << pageWith(poiLine("0,0", "0.5, 0, 0.5") + poiLine("1,1", "-0.5, 0, 1.5")) << "0,0,436,506" << "1 / 1";
        QTest::newRow("fractional scales")
            << pageWith(poiLine("0,0", "0, 0, 0") + poiLine("3,3", "-1, 0, 2")) << "0,0,145,337"
            << "0.333333333333333 / 0.666666666666667";
    }

    void computeFromPois()
    {
        QFETCH(QByteArray, page);
        QFETCH(QString, zone);
        QFETCH(QString, scales);
        m_page.LoadFromString(page.toStdString());
        auto form = dialog();
        // The dialog reads the page size from the main window; take it from the page here.
        ZoneDialogSetup setup;
        setup.document = &m_page;
        setup.pageOpen = true;
        const QList<QByteArray> size = QByteArray(m_page.Root().Properties().Find("Size")->Value().c_str()).split(',');
        setup.pageWidth = size[0].toInt();
        setup.pageHeight = size[1].toInt();
        form->setSetup(setup);
        QTest::mouseClick(control<QPushButton>(*form, "Button3"), Qt::LeftButton);
        QCOMPARE(control<QLineEdit>(*form, "FlatEdit2")->text(), zone);
        QCOMPARE(control<QLabel>(*form, "Label3")->text(), scales);
        QVERIFY(m_prompts.messages.isEmpty());
    }

    void computeStopsAndKeepsFields_data()
    {
        QTest::addColumn<QByteArray>("page");
        QTest::addColumn<QStringList>("messages");

        QTest::newRow("one POI") << pageWith(poiLine("10,20", "500, 0, -300")) << QStringList{"Need two POIs or above"};
        // A comment is no POI: still only one.
        QTest::newRow("one POI and a comment")
            << pageWith("<!-- c -->\r\n" + poiLine("10,20", "500, 0, -300")) << QStringList{"Need two POIs or above"};
        QTest::newRow("vertical line")
            << pageWith(poiLine("10,20", "500, 0, -300") + poiLine("10,480", "100, 0, 160")) << QStringList{};
        QTest::newRow("one without pathfindlocation")
            << pageWith(poiLine("10,20", "500, 0, -300") + "<Icon Location=\"410,480\"/>\r\n") << QStringList{};
        // No readable POI: the starting references must not turn into a rectangle.
        QTest::newRow("nothing readable")
            << pageWith(poiLine("a,b", "1, 0, 1") + poiLine("c,d", "2, 0, 2")) << QStringList{};
        // Every x beyond 435: no largest-x reference.
        QTest::newRow("no largest-x reference")
            << pageWith(poiLine("440,20", "500, 0, -300") + poiLine("450,480", "100, 0, 160")) << QStringList{};
    }

    void computeStopsAndKeepsFields()
    {
        QFETCH(QByteArray, page);
        QFETCH(QStringList, messages);
        m_page.LoadFromString(page.toStdString());
        auto form = dialog();
        form->setZone(QStringLiteral("m"), QStringLiteral("1,2,3,4"));
        QTest::mouseClick(control<QPushButton>(*form, "Button3"), Qt::LeftButton);
        QCOMPARE(control<QLineEdit>(*form, "FlatEdit2")->text(), QStringLiteral("1,2,3,4"));
        QCOMPARE(control<QLabel>(*form, "Label3")->text(), QStringLiteral("0 / 0"));
        QCOMPARE(m_prompts.messages, messages);
    }

    void fragmentKeepsEveryOtherByte_data()
    {
        QTest::addColumn<QByteArray>("targetProperties");
        QTest::addColumn<QByteArray>("editedProperties");
        QTest::addColumn<int>("outcome");

        QTest::newRow("replaced") << QByteArray(" zonerect=\"1, 2, 3, 4\" Flags=\"x\"")
                                  << QByteArray(" zonerect=\"-9,-8,7,6\" Flags=\"x\"") << int(MapStyleUpdate::Replaced);
        QTest::newRow("added as last property")
            << QByteArray(" Flags=\"x\"") << QByteArray(" Flags=\"x\" zonerect=\"-9,-8,7,6\"")
            << int(MapStyleUpdate::Added);
    }

    void fragmentKeepsEveryOtherByte()
    {
        QFETCH(QByteArray, targetProperties);
        QFETCH(QByteArray, editedProperties);
        QFETCH(int, outcome);
        const int kStyles = 1500;
        const QByteArray original = fragmentStyles(kStyles, "target", targetProperties);
        writeFile(stylePath(), original);

        auto form = dialog();
        form->setZone(QStringLiteral("target"), QStringLiteral("-9,-8,7,6"));
        control<QCheckBox>(*form, "CheckBox1")->setChecked(true);
        QTest::mouseClick(control<QPushButton>(*form, "Button1"), Qt::LeftButton);

        QVERIFY(m_prompts.messages.isEmpty());
        QCOMPARE(int(*form->mapStyleUpdate()), outcome);
        QCOMPARE(readFile(stylePath()), fragmentStyles(kStyles, "target", editedProperties));
        QCOMPARE(readFile(backupPath()), original);
        QCOMPARE(configuredZone("target"), std::string("-9,-8,7,6"));
        // Nothing left behind but the file and its backup.
        QCOMPARE(QDir(styleFolder()).entryList(QDir::Files | QDir::Hidden).size(), 2);
    }

    void escapedZoneTextAndCaseSensitiveName()
    {
        const QByteArray original = fragmentStyles(3, "Target", " zonerect=\"1,2,3,4\"");
        writeFile(stylePath(), original);
        apply("target", "1,2,3,4", true);  // other letter case: no match
        QCOMPARE(readFile(stylePath()), original);
        apply("Target", "a\"<&", true);
        QCOMPARE(readFile(stylePath()), fragmentStyles(3, "Target", " zonerect=\"a&quot;&lt;&amp;\""));
    }

    void backupRotation()
    {
        const QByteArray first = fragmentStyles(4, "m", " zonerect=\"1,1,1,1\"");
        writeFile(stylePath(), first);
        writeFile(backupPath(), "an older backup");
        apply("m", "2,2,2,2", true);
        const QByteArray second = readFile(stylePath());
        QCOMPARE(second, fragmentStyles(4, "m", " zonerect=\"2,2,2,2\""));
        QCOMPARE(readFile(backupPath()), first);

        apply("m", "3,3,3,3", true);
        QCOMPARE(readFile(stylePath()), fragmentStyles(4, "m", " zonerect=\"3,3,3,3\""));
        QCOMPARE(readFile(backupPath()), second);
        QCOMPARE(configuredZone("m"), std::string("3,3,3,3"));  // the later apply wins
    }

    void noMatchRewritesNothing()
    {
        const QByteArray styles = fragmentStyles(4, "m", " zonerect=\"1,1,1,1\"");
        writeFile(stylePath(), styles);
        writeFile(backupPath(), "backup");
        const QDateTime modified = QFileInfo(stylePath()).lastModified();
        auto form = dialog();
        form->setZone(QStringLiteral("unknown"), QStringLiteral("5,5,5,5"));
        control<QCheckBox>(*form, "CheckBox1")->setChecked(true);
        QTest::mouseClick(control<QPushButton>(*form, "Button1"), Qt::LeftButton);
        QCOMPARE(int(*form->mapStyleUpdate()), int(MapStyleUpdate::NoMatch));
        QCOMPARE(readFile(stylePath()), styles);
        QCOMPARE(QFileInfo(stylePath()).lastModified(), modified);
        QCOMPARE(readFile(backupPath()), QByteArray("backup"));
        QCOMPARE(configuredZone("unknown"), std::string("5,5,5,5"));
    }

    void uncheckedOrNoPageWritesOnlyConfiguration_data()
    {
        QTest::addColumn<bool>("checked");
        QTest::addColumn<bool>("pageOpen");
        QTest::newRow("box unchecked") << false << true;
        QTest::newRow("no page open") << true << false;
    }

    void uncheckedOrNoPageWritesOnlyConfiguration()
    {
        QFETCH(bool, checked);
        QFETCH(bool, pageOpen);
        const QByteArray styles = fragmentStyles(4, "m", " zonerect=\"1,1,1,1\"");
        writeFile(stylePath(), styles);
        const QDateTime modified = QFileInfo(stylePath()).lastModified();
        auto form = dialog(pageOpen);
        form->setZone(QStringLiteral("m"), QStringLiteral("5,5,5,5"));
        control<QCheckBox>(*form, "CheckBox1")->setChecked(checked);
        QTest::mouseClick(control<QPushButton>(*form, "Button1"), Qt::LeftButton);
        QVERIFY(!form->mapStyleUpdate());
        QCOMPARE(readFile(stylePath()), styles);
        QCOMPARE(QFileInfo(stylePath()).lastModified(), modified);
        QVERIFY(!QFile::exists(backupPath()));
        QCOMPARE(configuredZone("m"), std::string("5,5,5,5"));
    }

    void failuresKeepTheFile_data()
    {
        QTest::addColumn<QByteArray>("styles");
        QTest::addColumn<bool>("backupIsFolder");
        QTest::addColumn<QString>("message");

        const QByteArray good = fragmentStyles(3, "m", " zonerect=\"1,1,1,1\"");
        QTest::newRow("old backup cannot be deleted") << good << true << "Delete Fail";
        QTest::newRow("style without Name")
            << QByteArray("<S>\r\n<ImageStyle zonerect=\"1\"/>\r\n<ImageStyle Name=\"m\"/>\r\n</S>\r\n") << false
            << "Map style file: an ImageStyle element has no Name property";
    }

    void failuresKeepTheFile()
    {
        QFETCH(QByteArray, styles);
        QFETCH(bool, backupIsFolder);
        QFETCH(QString, message);
        writeFile(stylePath(), styles);
        if (backupIsFolder) {
            QDir().mkpath(backupPath());
            writeFile(backupPath() + QStringLiteral("/keep"), "x");
        }
        apply("m", "5,5,5,5", true);
        QCOMPARE(m_prompts.messages, QStringList{message});
        QCOMPARE(readFile(stylePath()), styles);
        QCOMPARE(QFileInfo(backupPath()).isDir(), backupIsFolder);
        // No temporary file is left behind.
        QCOMPARE(QDir(styleFolder()).entryList(QDir::Files | QDir::Hidden).size(), 1);
        QCOMPARE(configuredZone("m"), std::string("5,5,5,5"));
    }

    void missingFileWritesOnlyConfiguration()
    {
        auto form = dialog();
        form->setZone(QStringLiteral("m"), QStringLiteral("5,5,5,5"));
        control<QCheckBox>(*form, "CheckBox1")->setChecked(true);
        QTest::mouseClick(control<QPushButton>(*form, "Button1"), Qt::LeftButton);
        QCOMPARE(int(*form->mapStyleUpdate()), int(MapStyleUpdate::FileMissing));
        QVERIFY(m_prompts.messages.isEmpty());
        QVERIFY(!QFile::exists(stylePath()));
        QCOMPARE(configuredZone("m"), std::string("5,5,5,5"));
    }
};

QTEST_MAIN(ZoneRectEditorTest)
#include "ZoneRectEditorTest.moc"

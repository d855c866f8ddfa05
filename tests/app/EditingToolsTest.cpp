// The main window's editing commands driven as a user drives them: Add POI through its dialog,
// Delete POI through a value node, the map name mark-up, and the zone rectangle dialog.
#include "document/IconPageFixture.h"
#include "mapview/MarkerGeometry.h"
#include "helpers/ModalDialog.h"
#include "support/ProfileFile.h"
#include "tools/AddpointF.h"
#include "tools/addZone.h"

#include <QCheckBox>
#include <QPushButton>

namespace {

using PageText::Poi;

// Three POIs; Alpha and Beta alone give the rectangle -510,-320,-74,186.
QList<Poi> threePois()
{
    Poi alpha{"Alpha", "10,20"};
    alpha.path = "500, 0, -300";
    Poi beta{"Beta", "410,480"};
    beta.path = "100, 0, 160";
    Poi gamma{"Gamma", "10,20"};
    gamma.path = "500, 0, -300";
    return {alpha, beta, gamma};
}

const QStringList kPropertyOrder = {"IconStyle", "IconType", "Location",     "Name",    "OnHoverIn",
                                    "pathfindlocation", "ScrollExtent", "Size", "Tooltip", "TreatAsButton"};
const char* const kOnHoverIn =
    "Parent.Parent.Parent.Parent.WC_Titlebar.QM_LocEntry.QM_LocText.LocalText=pathfindlocation";

QStringList propertyNames(TSimpleXMLElem& element)
{
    QStringList names;
    for (int i = 0; i < element.Properties().Count(); ++i)
        names << QString::fromStdString(element.Properties().Item(i)->Name());
    return names;
}

template <typename T>
T* inDialog(QDialog* dialog, const char* name)
{
    T* found = dialog->findChild<T*>(QLatin1String(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

}  // namespace

class EditingToolsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<UiFolder> m_folder;
    std::unique_ptr<EditorWindow> m_editor;

    EditorWindow& w() { return *m_editor; }
    TSimpleXMLElem& root() { return w().editor().xmlscan().Root(); }
    std::string documentBytes() { return w().editor().xmlscan().SaveToString(); }

    void openPage(const QByteArray& childLines)
    {
        const QString path = m_folder->writePage(QStringLiteral("icons_test.xml"), PageText::page(childLines));
        QVERIFY(w().openShown(path));
    }

    // Each listed POI node names the element its datum points at.
    void verifyTreeMatchesDocument()
    {
        for (int i = 0; i < w().topLevelCount(); ++i) {
            const QModelIndex node = w().topLevel(i);
            const int index = w().datum(node);
            QVERIFY(index >= 0 && index < root().Items().Count());
            QCOMPARE(w().text(node), QString::fromStdString(w().value(index, "Name")));
        }
    }

    void applyZone(const QString& zoneText, bool updateStyles)
    {
        whenModal<TForm4>([zoneText, updateStyles](TForm4* dialog) {
            inDialog<QLineEdit>(dialog, "FlatEdit2")->setText(zoneText);
            inDialog<QCheckBox>(dialog, "CheckBox1")->setChecked(updateStyles);
            QTest::mouseClick(inDialog<QPushButton>(dialog, "Button1"), Qt::LeftButton);
        });
        w().trigger("MapAddZonerect");
    }

private slots:
    void init()
    {
        m_folder = std::make_unique<UiFolder>();
        m_editor = std::make_unique<EditorWindow>(*m_folder);
    }

    void cleanup()
    {
        m_editor.reset();
        m_folder.reset();
    }

    void addPoi_data()
    {
        QTest::addColumn<QByteArray>("childLines");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QPoint>("location");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("tooltip");
        QTest::addColumn<QStringList>("values");  // in property order

        const QByteArray pois = PageText::iconLines(threePois());
        QTest::newRow("untouched dialog")
            << pois << QString() << QString() << QPoint() << QString() << QString()
            << QStringList{"CLST", "map", "0,0", "Anywhere", kOnHoverIn, "0, 0, 0", "12,12", "12,12", "AnyWhere",
                           "true"};
        QTest::newRow("zone with a two-line tooltip")
            << pois << "Gate" << "ZONE" << QPoint(120, 341) << "1.5, 2, -3" << "first\nsecond"
            << QStringList{"ZONE", "map", "120,341", "Gate", kOnHoverIn, "1.5, 2, -3", "14,14", "14,14",
                           "first\r\nsecond", "true"};
        QTest::newRow("after a child that is no Icon")
            << pois + "<Region Name=\"Other\" Location=\"1,1\" pathfindlocation=\"0, 0, 0\" IconStyle=\"LOC\""
                      " Tooltip=\"\" Size=\"12,12\"/>\r\n"
            << "Late" << "NPC" << QPoint(-5, 7) << "x" << "t"
            << QStringList{"NPC", "map", "-5,7", "Late", kOnHoverIn, "x", "12,12", "12,12", "t", "true"};
        QTest::newRow("empty page")
            << QByteArray() << "First" << "QST" << QPoint(1, 2) << "1, 2, 3" << "t"
            << QStringList{"QST", "map", "1,2", "First", kOnHoverIn, "1, 2, 3", "12,12", "12,12", "t", "true"};
    }

    void addPoi()
    {
        QFETCH(QByteArray, childLines);
        QFETCH(QString, name);
        QFETCH(QString, type);
        QFETCH(QPoint, location);
        QFETCH(QString, path);
        QFETCH(QString, tooltip);
        QFETCH(QStringList, values);
        openPage(childLines);
        const int before = root().Items().Count();

        whenModal<TForm3>([=](TForm3* dialog) {
            if (!name.isEmpty()) {
                inDialog<QLineEdit>(dialog, "ed_name")->setText(name);
                auto* types = inDialog<QComboBox>(dialog, "cb_icontype");
                types->setCurrentIndex(types->findText(type));
                inDialog<QSpinBox>(dialog, "ed_locx")->setValue(location.x());
                inDialog<QSpinBox>(dialog, "ed_locy")->setValue(location.y());
                inDialog<QLineEdit>(dialog, "ed_path")->setText(path);
                inDialog<QPlainTextEdit>(dialog, "ed_tooltip")->setPlainText(tooltip);
            }
            QTest::mouseClick(inDialog<QPushButton>(dialog, "Button1"), Qt::LeftButton);
        });
        w().trigger("MAPADD");

        QCOMPARE(root().Items().Count(), before + 1);
        TSimpleXMLElem& added = w().poi(before);
        QCOMPARE(QString::fromStdString(added.Name()), QStringLiteral("Icon"));
        QCOMPARE(propertyNames(added), kPropertyOrder);
        QStringList stored;
        for (int i = 0; i < added.Properties().Count(); ++i)
            stored << QString::fromStdString(added.Properties().Item(i)->Value());
        QCOMPARE(stored, values);
        QCOMPARE(added.ItemCount(), 0);

        // The new POI is listed, selected and on the map.
        const QModelIndex node = w().editor().PoiNode(before);
        QVERIFY(node.isValid());
        QCOMPARE(w().text(node), values[3]);
        QCOMPARE(w().current(), node);
        QTRY_COMPARE(w().name()->text(), values[3]);
        QCOMPARE(w().panel()->markerCount(), before + 1);
        QCOMPARE(w().panel()->markerRect(before),
                 MarkerRect({location.x(), location.y()}, MarkerSize(values[7].toStdString())));
        verifyTreeMatchesDocument();
    }

    void addPoiOnPageWithIncompletePoi()
    {
        QList<Poi> pois = threePois();
        QByteArray lines = PageText::iconLine(pois[0]);
        lines += "<Icon Name=\"NoPath\" Location=\"5,5\" IconStyle=\"NPC\" Size=\"12,12\" Tooltip=\"t\"/>\r\n";
        lines += PageText::iconLine(pois[1]);
        openPage(lines);
        whenModal<TForm3>([](TForm3* dialog) {
            inDialog<QLineEdit>(dialog, "ed_name")->setText(QStringLiteral("New"));
            QTest::mouseClick(inDialog<QPushButton>(dialog, "Button1"), Qt::LeftButton);
        });
        w().trigger("MAPADD");
        QCOMPARE(root().Items().Count(), 4);
        QCOMPARE(propertyNames(w().poi(3)), kPropertyOrder);
        QVERIFY(w().prompts.messages.isEmpty());
        // Every POI is listed, the one without a path too; the new one is selected and on the map.
        verifyTreeMatchesDocument();
        QCOMPARE(w().topLevelCount(), 4);
        QCOMPARE(w().current(), w().editor().PoiNode(3));
        QCOMPARE(w().panel()->markerRect(3), MarkerRect({0, 0}, {12, 12}));
    }

    void addPoiCancelChangesNothing()
    {
        openPage(PageText::iconLines(threePois()));
        w().clickPoi(QStringLiteral("Beta"));
        const std::string bytes = documentBytes();
        const QStringList texts = w().topLevelTexts();
        whenModal<TForm3>([](TForm3* dialog) {
            inDialog<QLineEdit>(dialog, "ed_name")->setText(QStringLiteral("Discarded"));
            QTest::mouseClick(inDialog<QPushButton>(dialog, "Button2"), Qt::LeftButton);
        });
        w().trigger("MAPADD");
        QCOMPARE(documentBytes(), bytes);
        QCOMPARE(w().topLevelTexts(), texts);
        QCOMPARE(w().current(), w().topLevelNamed(QStringLiteral("Beta")));
        QCOMPARE(w().panel()->markerCount(), 3);
    }

    void addPoiWithoutPageOpensNothing()
    {
        bool opened = false;
        whenModal<TForm3>([&opened](TForm3* dialog) {
            opened = true;
            dialog->reject();
        }, 5);
        w().window.MAPADDExecute();
        runEventLoopFor(20);
        QVERIFY(!opened);
        QCOMPARE(root().Items().Count(), 0);
    }

    void deleteThroughValueNode_data()
    {
        QTest::addColumn<bool>("answer");
        QTest::addColumn<QStringList>("remaining");
        QTest::newRow("yes") << true << QStringList{"Alpha", "Gamma"};
        QTest::newRow("no") << false << QStringList{"Alpha", "Beta", "Gamma"};
    }

    void deleteThroughValueNode()
    {
        QFETCH(bool, answer);
        QFETCH(QStringList, remaining);
        openPage(PageText::iconLines(threePois()));
        const QModelIndex beta = w().topLevelNamed(QStringLiteral("Beta"));
        w().tree()->expand(beta);
        w().clickNode(w().child(beta, 0));
        const std::string bytes = documentBytes();
        w().prompts.confirmAnswers.enqueue(answer);
        w().trigger("MAPDEL");

        QCOMPARE(w().prompts.questions, QStringList{"Delete This POI?"});
        QCOMPARE(w().prompts.questionCaptions, QStringList{"VynMAP Editor - Warning"});
        QStringList names;
        for (int i = 0; i < root().Items().Count(); ++i)
            names << QString::fromStdString(w().value(i, "Name"));
        QCOMPARE(names, remaining);
        QCOMPARE(w().topLevelTexts(), remaining);
        QCOMPARE(w().panel()->markerCount(), remaining.size());
        verifyTreeMatchesDocument();
        if (!answer)
            QCOMPARE(documentBytes(), bytes);
    }

    void markUpWritesRootAtEveryKey_data()
    {
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<QByteArray>("property");
        QTest::addColumn<QString>("initial");
        QTest::newRow("page name") << QByteArray("FlatEdit2") << QByteArray("Name") << "test_map";
        QTest::newRow("zone name") << QByteArray("FlatEdit4") << QByteArray("1location") << "Test Zone";
    }

    void markUpWritesRootAtEveryKey()
    {
        QFETCH(QByteArray, field);
        QFETCH(QByteArray, property);
        QFETCH(QString, initial);
        openPage(PageText::iconLines(threePois()));
        auto* edit = w().control<QLineEdit>(field.constData());
        QVERIFY(edit->isReadOnly());
        w().trigger("MAPNAMES");
        QVERIFY(w().window.action(QStringLiteral("MAPNAMES"))->isChecked());
        QVERIFY(!edit->isReadOnly());

        edit->setFocus();
        edit->end(false);
        QString expected = initial;
        for (const QChar key : QStringLiteral("X1")) {
            QTest::keyClick(edit, key.toLatin1());
            expected += key;
            QCOMPARE(QString::fromStdString(root().Properties().Find(property.toStdString())->Value()), expected);
        }
        w().trigger("MAPNAMES");
        QVERIFY(w().control<QLineEdit>("FlatEdit2")->isReadOnly());
        QVERIFY(w().control<QLineEdit>("FlatEdit4")->isReadOnly());
        QTest::keyClick(edit, 'Z');
        QCOMPARE(QString::fromStdString(root().Properties().Find(property.toStdString())->Value()), expected);
    }

    void markUpWithoutPageChangesNothing()
    {
        w().window.show();
        w().trigger("MAPNAMES");
        auto* edit = w().control<QLineEdit>("FlatEdit2");
        QVERIFY(!edit->isReadOnly());
        QTest::keyClicks(edit, QStringLiteral("abc"));
        QCOMPARE(root().Properties().Count(), 0);
        // Opening a page ends the mark-up.
        openPage(PageText::iconLines(threePois()));
        QVERIFY(!w().window.action(QStringLiteral("MAPNAMES"))->isChecked());
        QVERIFY(edit->isReadOnly());
    }

    void zoneComputedAndAppliedTakesEffect()
    {
        m_folder->writeMapStyles("\xEF\xBB\xBF<ImageStyle Name=\"other\"/>\r\n"
                                 "<ImageStyle Name=\"test_map\" zonerect=\"1,2,3,4\">\r\n"
                                 "\t<Image Source=\"images\\maps\\none.dds\"/>\r\n</ImageStyle>\r\n");
        openPage(PageText::iconLines(threePois()));
        QCOMPARE(w().state().ZoneRect, (ZoneRectangle{1, 2, 3, 4}));
        QString shownId;
        QString shownZone;
        whenModal<TForm4>([&](TForm4* dialog) {
            shownId = dialog->zoneId();
            shownZone = dialog->zoneText();
            QTest::mouseClick(inDialog<QPushButton>(dialog, "Button3"), Qt::LeftButton);
            inDialog<QCheckBox>(dialog, "CheckBox1")->setChecked(true);
            QTest::mouseClick(inDialog<QPushButton>(dialog, "Button1"), Qt::LeftButton);
        });
        w().trigger("MapAddZonerect");

        QCOMPARE(shownId, QStringLiteral("test_map"));
        QCOMPARE(shownZone, QStringLiteral("1,2,3,4"));
        const std::vector<std::string>& table = w().state().ZoneRectTable;
        QVERIFY(table.size() >= 2);
        QCOMPARE(table[table.size() - 2], std::string("test_map"));
        QCOMPARE(table.back(), std::string("-510,-320,-74,186"));
        // The updated file is read at once.
        QCOMPARE(w().state().ZoneRect, (ZoneRectangle{-510, -320, -74, 186}));
        QCOMPARE(w().label5()->text(), QStringLiteral("-510,-320,-74,186"));
        QCOMPARE(readFile(m_folder->pagePath(QStringLiteral("core_mapstyles.xml.old"))).left(3),
                 QByteArray("\xEF\xBB\xBF"));
    }

    void twoAppliesLaterWins()
    {
        m_folder->writeMapStyles("<ImageStyle Name=\"test_map\"/>\r\n<ImageStyle Name=\"x\"/>\r\n");
        openPage(PageText::iconLines(threePois()));
        const std::size_t rows = w().state().ZoneRectTable.size();
        applyZone(QStringLiteral("1,2,3,4"), false);
        applyZone(QStringLiteral("5,6,7,8"), false);
        QCOMPARE(w().state().ZoneRectTable.size(), rows + 4);
        QCOMPARE(w().state().ZoneRect, (ZoneRectangle{5, 6, 7, 8}));
        QCOMPARE(w().label5()->text(), QStringLiteral("5,6,7,8"));
        const ProfileFile config(m_folder->configPath().toStdString());
        QCOMPARE(config.readString("MAPZONEDEF", "test_map"), std::string("5,6,7,8"));
        // The box was unchecked: the map style file is as it was.
        QCOMPARE(readFile(m_folder->pagePath(QStringLiteral("core_mapstyles.xml"))),
                 QByteArray("<ImageStyle Name=\"test_map\"/>\r\n<ImageStyle Name=\"x\"/>\r\n"));
    }

    void zoneCancelChangesNothing()
    {
        openPage(PageText::iconLines(threePois()));
        const auto table = w().state().ZoneRectTable;
        const QByteArray config = readFile(m_folder->configPath());
        whenModal<TForm4>([](TForm4* dialog) {
            QTest::mouseClick(inDialog<QPushButton>(dialog, "Button3"), Qt::LeftButton);
            QTest::mouseClick(inDialog<QPushButton>(dialog, "Button2"), Qt::LeftButton);
        });
        w().trigger("MapAddZonerect");
        QCOMPARE(w().state().ZoneRectTable, table);
        QCOMPARE(readFile(m_folder->configPath()), config);
    }
};

QTEST_MAIN(EditingToolsTest)
#include "EditingToolsTest.moc"

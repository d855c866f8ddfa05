#pragma once
// Shared pieces of the icon page tests: a temporary UI folder whose configuration file points at
// it, a main window on scripted prompts, page texts in the writer's own layout (so an unchanged
// save must give the same bytes), and the window's controls by object name.

#include "app/MainWindow.h"
#include "app/IconPageEditor.h"
#include "document/IconPageFile.h"
#include "document/PoiTreeModel.h"
#include "helpers/EventLoop.h"
#include "helpers/ScriptedPrompts.h"
#include "mapview/MapPanel.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <string>

namespace PageText {

inline const QByteArray kBom = "\xEF\xBB\xBF";
inline const QByteArray kCrLf = "\r\n";
inline const QByteArray kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
inline const QByteArray kRootProperties = "Name=\"test_map\" 1location=\"Test Zone\" Size=\"436,506\"";

// One POI with the properties the editor reads and writes, as they stand in the file.
struct Poi {
    QByteArray name;
    QByteArray location = "100,200";
    QByteArray style = "NPC";
    QByteArray size = "12,12";
    QByteArray tooltip = "tip";
    QByteArray path = "1.00, 5, 2.00";
};

// The element line of a POI, properties in the rearranged order.
inline QByteArray iconLine(const Poi& poi)
{
    return "<Icon IconStyle=\"" + poi.style + "\" Location=\"" + poi.location + "\" Name=\"" + poi.name
        + "\" pathfindlocation=\"" + poi.path + "\" ScrollExtent=\"" + poi.size + "\" Size=\""
        + poi.size + "\" Tooltip=\"" + poi.tooltip + "\"/>" + kCrLf;
}

inline QByteArray iconLines(const QList<Poi>& pois)
{
    QByteArray lines;
    for (const Poi& poi : pois)
        lines += iconLine(poi);
    return lines;
}

// A whole page without byte order mark, every line ended by CR LF, as the editor writes it.
inline QByteArray page(const QByteArray& childLines, const QByteArray& rootProperties = kRootProperties)
{
    const QByteArray root = "<Page " + rootProperties;
    if (childLines.isEmpty())
        return kDeclaration + kCrLf + root + "/>" + kCrLf;
    return kDeclaration + kCrLf + root + ">" + kCrLf + childLines + "</Page>" + kCrLf;
}

// The same bytes as written with the byte order mark: the first line end becomes a single LF.
inline QByteArray withBom(QByteArray bytes)
{
    bytes.replace(bytes.indexOf(kCrLf), kCrLf.size(), "\n");
    return kBom + bytes;
}

}  // namespace PageText

inline void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    QCOMPARE(file.write(bytes), bytes.size());
}

inline QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A UI folder in a temporary directory: "<tmp>/UI/vynmap/" for pages and the map style file, and
// a configuration file whose [CONFIG] PATH points at the UI folder.
class UiFolder {
public:
    UiFolder()
    {
        QDir().mkpath(pageFolder());
        writeFile(configPath(), "[CONFIG]\r\nPATH=" + root().toUtf8() + "\r\n");
    }

    QString root() const { return m_dir.path() + QStringLiteral("/UI/"); }
    QString pageFolder() const { return root() + QStringLiteral("vynmap/"); }
    QString pagePath(const QString& fileName) const { return pageFolder() + fileName; }
    QString configPath() const { return m_dir.filePath(QStringLiteral("editor.INI")); }

    QString writePage(const QString& fileName, const QByteArray& bytes) const
    {
        writeFile(pagePath(fileName), bytes);
        return pagePath(fileName);
    }

    void writeMapStyles(const QByteArray& bytes) const
    {
        writeFile(pagePath(QStringLiteral("core_mapstyles.xml")), bytes);
    }

private:
    QTemporaryDir m_dir;
};

// The zone rectangle of the map "test_map" used by the coordinate tests.
inline const QByteArray kTestZoneText = "-585,-1135,1635,1445";
inline QByteArray mapStylesFor(const QByteArray& mapName, const QByteArray& zoneText)
{
    return PageText::kDeclaration + "\r\n<MapStyles>\r\n<ImageStyle Name=\"" + mapName + "\" zonerect=\""
        + zoneText + "\">\r\n<Image Source=\"images\\maps\\map_" + mapName
        + ".dds\"/>\r\n</ImageStyle>\r\n</MapStyles>\r\n";
}

// The main window over a UI folder with scripted prompts, and its controls by name.
class EditorWindow {
public:
    explicit EditorWindow(const UiFolder& folder) : window(folder.configPath(), &prompts) {}

    ScriptedPrompts prompts;  // declared first: the window holds a reference to it
    TForm1 window;

    template <typename T>
    T* control(const char* name)
    {
        T* found = window.findChild<T*>(QLatin1String(name));
        if (!found)
            qFatal("no control %s", name);
        return found;
    }

    IconPageEditor& editor() { return window.editor(); }
    EditorState& state() { return window.state(); }
    QTreeView* tree() { return control<QTreeView>("TreeView1"); }
    QAbstractItemModel* treeModel() { return tree()->model(); }
    int topLevelCount() { return treeModel()->rowCount(); }
    QModelIndex topLevel(int row) { return treeModel()->index(row, 0); }
    QModelIndex current() { return tree()->currentIndex(); }
    int childCount(const QModelIndex& node) { return treeModel()->rowCount(node); }
    QModelIndex child(const QModelIndex& node, int row) { return treeModel()->index(row, 0, node); }
    // The POI index a node carries (0 on value nodes).
    static int datum(const QModelIndex& node) { return node.data(Qt::UserRole).toInt(); }
    static QString text(const QModelIndex& node) { return node.data().toString(); }
    QSpinBox* locX() { return control<QSpinBox>("ed_locX"); }
    QSpinBox* locY() { return control<QSpinBox>("ed_locY"); }
    QComboBox* type() { return control<QComboBox>("cb_icontype"); }
    QLineEdit* name() { return control<QLineEdit>("FlatEdit3"); }
    QLineEdit* path() { return control<QLineEdit>("FlatEdit1"); }
    QPlainTextEdit* memo() { return control<QPlainTextEdit>("FlatMemo1"); }
    QLabel* label5() { return control<QLabel>("Label5"); }
    QTimer* timer1() { return control<QTimer>("Timer1"); }
    MapPanel* panel() { return window.mapPanel(); }

    // A POI element of the open document by index.
    TSimpleXMLElem& poi(int index) { return *editor().xmlscan().Root().Items().Item(index); }
    std::string value(int index, const char* property)
    {
        const TSimpleXMLProp* prop = poi(index).Properties().Find(property);
        return prop ? prop->Value() : std::string("<missing>");
    }

    QStringList topLevelTexts()
    {
        QStringList texts;
        for (int i = 0; i < topLevelCount(); ++i)
            texts << text(topLevel(i));
        return texts;
    }

    QModelIndex topLevelNamed(const QString& name)
    {
        for (int i = 0; i < topLevelCount(); ++i)
            if (text(topLevel(i)) == name)
                return topLevel(i);
        return {};
    }

    // Clicks a node as the user does and waits for the tree's delayed selection notice.
    void clickNode(const QModelIndex& node)
    {
        QVERIFY(node.isValid());
        tree()->scrollTo(node);
        const QRect rect = tree()->visualRect(node);
        QVERIFY(!rect.isEmpty());
        QTest::mouseClick(tree()->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
        QCOMPARE(current(), node);
        runEventLoopFor(IconPageEditor::kSelectionDelayMs * 3);
    }

    void clickPoi(const QString& text) { clickNode(topLevelNamed(text)); }

    // The apply timer running out, without waiting its second.
    void runOutApplyTimer()
    {
        QVERIFY(timer1()->isActive());
        QMetaObject::invokeMethod(timer1(), "timeout", Qt::DirectConnection);
    }

    void trigger(const char* actionName)
    {
        QAction* act = window.action(QLatin1String(actionName));
        QVERIFY2(act, actionName);
        act->trigger();
    }

    // Opens a page and shows the window, so clicks reach the tree.
    bool openShown(const QString& path)
    {
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            return false;
        return window.openPage(path);
    }
};

// The POI tree's model against the item tree it replaced: a sorted QTreeWidget holding the same
// texts is the oracle for the order of POI nodes (ties included), the order of value nodes and
// where a renamed node goes. Qt's model tester watches every reset and refresh for broken
// indexes, parents and signals.
#include "document/EditorSupport.h"
#include "document/IconPageFile.h"
#include "document/PoiTextOrder.h"
#include "document/PoiTreeModel.h"
#include "document/PoiTypes.h"

#include <QAbstractItemModelTester>
#include <QTreeView>
#include <QTreeWidget>
#include <QtTest>

#include <random>

namespace {

// An item ordered by the tree's text order, as the item tree's nodes were.
class OrderedItem : public QTreeWidgetItem {
public:
    OrderedItem(const QString& text, int datum)
    {
        setText(0, text);
        setData(0, Qt::UserRole, datum);
    }
    bool operator<(const QTreeWidgetItem& other) const override { return PoiTextLess(text(0), other.text(0)); }
};

// A page root whose children are POIs with random names and values from a small alphabet, so
// that equal names, letter case ties and non-ASCII texts are common; every fifth child is a
// comment, which is no POI.
std::unique_ptr<TSimpleXMLElemClassic> randomRoot(std::mt19937& random, int children, const QStringList& alphabet)
{
    // Names up to twelve characters, so that many share the start the sort key holds.
    auto text = [&]() {
        QString t;
        const int length = int(random() % 13);
        for (int i = 0; i < length; ++i)
            t += alphabet.at(int(random() % alphabet.size()));
        return t.toStdString();
    };
    auto root = std::make_unique<TSimpleXMLElemClassic>();
    root->SetName("Page");
    for (int i = 0; i < children; ++i) {
        if (i % 5 == 4) {
            root->Items().Append(std::make_unique<TSimpleXMLElemComment>(root.get()));
            continue;
        }
        TSimpleXMLElemClassic* poi = root->Items().Add("Icon");
        // Some POIs lack a name or a value: they show as empty texts.
        if (random() % 4 != 0)
            poi->Properties().Add("Name", text());
        for (const char* property : kPoiValueProperties)
            if (random() % 4 != 0)
                poi->Properties().Add(property, text());
    }
    return root;
}

// The item tree the old code built for the same root, sorted once.
void fillOracle(QTreeWidget& oracle, const TSimpleXMLElem& root)
{
    oracle.setSortingEnabled(false);
    oracle.clear();
    QList<QTreeWidgetItem*> nodes;
    for (int i = 0; i < root.ItemCount(); ++i) {
        const TSimpleXMLElem& poi = *root.ItemsIfAny()->Item(i);
        if (!IsPoiElement(poi))
            continue;
        auto* node = new OrderedItem(fromDoc(ValueOrEmpty(poi, "Name")), i);
        for (const char* property : kPoiValueProperties)
            node->addChild(new OrderedItem(fromDoc(ValueOrEmpty(poi, property)), PoiTreeModel::kValueNodeDatum));
        nodes << node;
    }
    oracle.addTopLevelItems(nodes);
    oracle.setSortingEnabled(true);
    oracle.sortByColumn(0, Qt::AscendingOrder);
}

QStringList modelRows(const PoiTreeModel& model)
{
    QStringList rows;
    for (int row = 0; row < model.rowCount(); ++row) {
        const QModelIndex node = model.index(row, 0);
        QStringList values;
        for (int v = 0; v < model.rowCount(node); ++v)
            values << model.index(v, 0, node).data().toString();
        rows << QStringLiteral("%1 #%2 [%3]").arg(node.data().toString()).arg(node.data(Qt::UserRole).toInt())
                    .arg(values.join(QLatin1Char('|')));
    }
    return rows;
}

QStringList oracleRows(const QTreeWidget& oracle)
{
    QStringList rows;
    for (int row = 0; row < oracle.topLevelItemCount(); ++row) {
        const QTreeWidgetItem* node = oracle.topLevelItem(row);
        QStringList values;
        for (int v = 0; v < node->childCount(); ++v)
            values << node->child(v)->text(0);
        rows << QStringLiteral("%1 #%2 [%3]").arg(node->text(0)).arg(node->data(0, Qt::UserRole).toInt())
                    .arg(values.join(QLatin1Char('|')));
    }
    return rows;
}

QTreeWidgetItem* oracleNode(QTreeWidget& oracle, int poiIndex)
{
    for (int row = 0; row < oracle.topLevelItemCount(); ++row)
        if (oracle.topLevelItem(row)->data(0, Qt::UserRole).toInt() == poiIndex)
            return oracle.topLevelItem(row);
    return nullptr;
}

} // namespace

class PoiTreeModelTest : public QObject {
    Q_OBJECT

private slots:
    void ordersAndRenamesAsTheItemTree_data()
    {
        QTest::addColumn<QStringList>("alphabet");
        QTest::addColumn<int>("children");
        QTest::newRow("few letters, many ties") << QStringList{"a", "A", "b"} << 30;
        QTest::newRow("letters and digits") << QStringList{"a", "B", "c", "1", " "} << 60;
        QTest::newRow("non-ASCII and case folding") << QStringList{"e", QStringLiteral("\u00E9"), QStringLiteral("\u00C9"),
                                                                   QStringLiteral("\uB300"), "E"} << 40;
    }

    // Each rename moves the node where the item tree's re-sort moved it, and the current node
    // stays on the renamed POI.
    void ordersAndRenamesAsTheItemTree()
    {
        QFETCH(QStringList, alphabet);
        QFETCH(int, children);
        constexpr int kRounds = 40;
        std::mt19937 random(children);
        std::unique_ptr<TSimpleXMLElemClassic> root = randomRoot(random, children, alphabet);
        PoiTreeModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QTreeView view;
        view.setModel(&model);
        model.reset(root.get());
        QTreeWidget oracle;
        fillOracle(oracle, *root);
        QCOMPARE(modelRows(model), oracleRows(oracle));

        for (int round = 0; round < kRounds; ++round) {
            int poiIndex = int(random() % root->ItemCount());
            if (!IsPoiElement(*root->Items().Item(poiIndex)))
                --poiIndex;
            const QString name = alphabet.at(int(random() % alphabet.size())) + alphabet.at(int(random() % alphabet.size()));
            TSimpleXMLElem& poi = *root->Items().Item(poiIndex);
            if (TSimpleXMLProp* prop = poi.Properties().Find("Name"))
                prop->SetValue(name.toStdString());
            else
                poi.Properties().Add("Name", name.toStdString());
            view.setCurrentIndex(model.poiNode(poiIndex));
            model.refreshPoi(poiIndex);
            QCOMPARE(PoiTreeModel::poiOf(view.currentIndex()), poiIndex);
            oracleNode(oracle, poiIndex)->setText(0, name);
            QCOMPARE(modelRows(model), oracleRows(oracle));
        }
    }

    void poiOfNodes()
    {
        auto root = std::make_unique<TSimpleXMLElemClassic>();
        root->Items().Append(std::make_unique<TSimpleXMLElemText>(root.get()));
        root->Items().Add("Icon")->Properties().Add("Name", "b");
        root->Items().Add("Icon")->Properties().Add("Name", "a");
        PoiTreeModel model;
        model.reset(root.get());
        QCOMPARE(model.rowCount(), 2);
        QCOMPARE(PoiTreeModel::poiOf(model.index(0, 0)), 2);
        QCOMPARE(PoiTreeModel::poiOf(model.index(1, 0)), 1);
        const QModelIndex value = model.index(3, 0, model.index(0, 0));
        QVERIFY(PoiTreeModel::isValueNode(value));
        QCOMPARE(PoiTreeModel::poiOf(value), 2);
        QCOMPARE(value.data(Qt::UserRole).toInt(), PoiTreeModel::kValueNodeDatum);
        QCOMPARE(PoiTreeModel::poiOf(QModelIndex()), -1);
        QVERIFY(!model.poiNode(0).isValid());  // a text child has no node
        QVERIFY(!model.poiNode(3).isValid());
        model.reset(nullptr);
        QCOMPARE(model.rowCount(), 0);
    }

    // A POI named by a number shows its tooltip's first line beside the name, where the page
    // asks for it; the values listed under it and the page stay as they are.
    void nameNoteFollowsTheName_data()
    {
        QTest::addColumn<QString>("tooltip");
        QTest::addColumn<bool>("noted");
        QTest::addColumn<QString>("text");
        QTest::newRow("token and line break reference")
            << ":0df33755464a2ea6_1:Old Tom &#xA;Banker" << true << "ID33483  Old Tom";
        QTest::newRow("decimal reference") << " Cave &#10;deep" << true << "ID33483  Cave";
        QTest::newRow("line break as read") << QStringLiteral("\uB300\uC7A5\r\nsmith") << true
                                            << QStringLiteral("ID33483  \uB300\uC7A5");
        QTest::newRow("a colon that is no token") << "Note: :bring: rope&amp;" << true << "ID33483  Note: :bring: rope&amp;";
        QTest::newRow("empty first line") << "&#xA;Old Tom" << true << "ID33483";
        QTest::newRow("icon page") << "Old Tom" << false << "ID33483";
    }

    void nameNoteFollowsTheName()
    {
        QFETCH(QString, tooltip);
        QFETCH(bool, noted);
        QFETCH(QString, text);
        auto root = std::make_unique<TSimpleXMLElemClassic>();
        TSimpleXMLElemClassic* poi = root->Items().Add("Icon");
        poi->Properties().Add("Name", "ID33483");
        poi->Properties().Add("Tooltip", tooltip.toStdString());
        root->Items().Add("Icon")->Properties().Add("Name", "ID33482");
        PoiTreeModel model;
        model.setValueProperties(kWorldValueProperties);
        model.setNameNote(noted ? kWorldTooltipProperty : nullptr);
        model.reset(root.get());
        const QModelIndex node = model.poiNode(0);
        QCOMPARE(node.data().toString(), text);
        QCOMPARE(model.poiNode(1).data().toString(), QStringLiteral("ID33482"));
        QCOMPARE(node.row(), 1);  // sorted by name
        QStringList values;
        for (int v = 0; v < model.rowCount(node); ++v)
            values << model.index(v, 0, node).data().toString();
        QVERIFY(values.contains(tooltip));
        QCOMPARE(std::string(poi->Properties().Find("Tooltip")->Value()), tooltip.toStdString());

        poi->Properties().Find("Tooltip")->SetValue("Young Tom");
        model.refreshPoi(0);
        QCOMPARE(model.poiNode(0).data().toString(), noted ? QStringLiteral("ID33483  Young Tom") : QStringLiteral("ID33483"));
    }
};

QTEST_MAIN(PoiTreeModelTest)
#include "PoiTreeModelTest.moc"

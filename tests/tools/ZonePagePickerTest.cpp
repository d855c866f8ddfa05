// The zone page picker as it is shown: every column in sight, however long the names.
#include "tools/ZonePagePicker.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QTest>
#include <QTreeWidget>

Q_DECLARE_METATYPE(Language)

class ZonePagePickerTest : public QObject {
    Q_OBJECT

private slots:
    void countColumnIsInSight_data()
    {
        QTest::addColumn<Language>("language");
        QTest::addColumn<int>("nameLength");
        QTest::newRow("English, short names") << Language::English << 8;
        QTest::newRow("English, long names") << Language::English << 120;
        QTest::newRow("Korean, long names") << Language::Korean << 120;
    }

    void countColumnIsInSight()
    {
        QFETCH(Language, language);
        QFETCH(int, nameLength);
        const QString name = QString(nameLength, QLatin1Char('n'));
        const QString location = QString(nameLength, QLatin1Char('a'));
        ZonePagePicker picker({{name, location, 12345}, {QStringLiteral("b"), QString(), 7}}, language);
        picker.show();
        QVERIFY(QTest::qWaitForWindowExposed(&picker));
        auto* list = picker.findChild<QTreeWidget*>(QStringLiteral("ZonePageList"));
        QVERIFY(list);
        // The view lays its columns out when the event loop runs.
        QTest::qWait(20);
        QCOMPARE(list->horizontalScrollBar()->maximum(), 0);
        QHeaderView* header = list->header();
        QVERIFY(header->sectionViewportPosition(2) + header->sectionSize(2) <= list->viewport()->width());
        QTreeWidgetItem* first = list->topLevelItem(0);
        const QRect count = list->visualItemRect(first).intersected(
            QRect(list->header()->sectionViewportPosition(2), 0, list->header()->sectionSize(2), list->viewport()->height()));
        QVERIFY(!count.isEmpty());
        QVERIFY(list->viewport()->rect().contains(count));
        // The whole count fits its column, and the cut names stay readable in their tooltips.
        QVERIFY(list->header()->sectionSize(2) >= list->fontMetrics().horizontalAdvance(QStringLiteral("12345")));
        QCOMPARE(first->toolTip(0), name);
        QCOMPARE(first->toolTip(1), location);
    }
};

QTEST_MAIN(ZonePagePickerTest)
#include "ZonePagePickerTest.moc"

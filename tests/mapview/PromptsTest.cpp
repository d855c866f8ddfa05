// The editor's message boxes as the user meets them: caption, icon and buttons.
#include "helpers/ModalDialog.h"
#include "mapview/Prompts.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QtTest>

class PromptsTest : public QObject {
    Q_OBJECT

private slots:
    void boxes_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("icon");
        QTest::newRow("plain message") << "message" << int(QMessageBox::NoIcon);
        QTest::newRow("question") << "question" << int(QMessageBox::NoIcon);
        QTest::newRow("error") << "error" << int(QMessageBox::Critical);
    }

    void boxes()
    {
        QFETCH(QString, kind);
        QFETCH(int, icon);
        QWidget owner;
        WidgetPrompts prompts(&owner);
        int shownIcon = -1;
        QString caption;
        whenModal<QMessageBox>([&](QMessageBox* box) {
            shownIcon = box->icon();
            caption = box->windowTitle();
            box->buttons().constFirst()->click();
        });
        if (kind == QLatin1String("message"))
            prompts.showMessage(QStringLiteral("No File Loaded"));
        else if (kind == QLatin1String("question"))
            prompts.confirm(QStringLiteral("Delete This POI?"), QString());
        else
            prompts.showError(QStringLiteral("Out of memory."));
        QCOMPARE(shownIcon, icon);
        QCOMPARE(caption, QStringLiteral("VynMAP Editor"));
    }
};

QTEST_MAIN(PromptsTest)
#include "PromptsTest.moc"

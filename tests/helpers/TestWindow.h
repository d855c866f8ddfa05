#pragma once
// A shown main window of a test, on a configuration whose PATH is a test's UI folder.

#include "app/MainWindow.h"
#include "helpers/ScriptedPrompts.h"
#include "helpers/TestFiles.h"

#include <QTest>

#include <memory>

inline void startTestWindow(std::unique_ptr<TForm1>& window, ScriptedPrompts& prompts, const QString& configPath,
                            const QString& uiFolder)
{
    writeTestFile(configPath, "[CONFIG]\r\nPATH=" + uiFolder.toUtf8() + "\r\n");
    prompts = ScriptedPrompts();
    window = std::make_unique<TForm1>(configPath, &prompts);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
}

// A whole map pack in the window: File > Open Folder indexes a UI folder, View > Pack shows its
// files and pages beside the map, Find in pack searches all their POIs. Pages open through the
// window's own ways of opening, as if chosen in the open dialog or under File > Zone Page.
#include "app/Configuration.h"
#include "app/MainWindow.h"
#include "app/PackPanel.h"
#include "app/PageTarget.h"
#include "document/EditorSupport.h"
#include "document/PackIndex.h"
#include "support/ZonePageFile.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>

namespace {

const char* const kOpenFolderAction = "FileOpenFolder";
const char* const kPackAction = "ViewPack";
const char* const kFindInPackAction = "EditFindInPack";

bool sameFile(const QString& one, const QString& other)
{
    return QFileInfo(one).absoluteFilePath() == QFileInfo(other).absoluteFilePath();
}

}  // namespace

void TForm1::createPackActions()
{
    for (const char* name : {kOpenFolderAction, kPackAction, kFindInPackAction}) {
        auto* act = new QAction(caption(m_language, name), this);
        act->setObjectName(QLatin1String(name));
        m_actions << act;
        addAction(act);
    }
    QAction* pack = action(QLatin1String(kPackAction));
    pack->setCheckable(true);
    action(QLatin1String(kFindInPackAction))->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F));

    // Open Folder follows the other ways of opening; Pack follows Problems; Find in Pack, Find.
    QMenu* fileMenu = menuBar()->findChild<QMenu*>(QStringLiteral("N1"));
    const QList<QAction*> fileItems = fileMenu->actions();
    fileMenu->insertAction(fileItems.value(fileItems.indexOf(action(QStringLiteral("FileOpenZone"))) + 1),
                           action(QLatin1String(kOpenFolderAction)));
    const QList<QAction*> viewItems = m_viewMenu->actions();
    m_viewMenu->insertAction(viewItems.value(viewItems.indexOf(action(QStringLiteral("ViewProblems"))) + 1), pack);
    const QList<QAction*> editItems = editMenu()->actions();
    editMenu()->insertAction(editItems.value(editItems.indexOf(action(QStringLiteral("EditFind"))) + 1),
                             action(QLatin1String(kFindInPackAction)));

    connect(action(QLatin1String(kOpenFolderAction)), &QAction::triggered, this, &TForm1::FileOpenFolderExecute);
    connect(pack, &QAction::triggered, this, &TForm1::ViewPackExecute);
    connect(action(QLatin1String(kFindInPackAction)), &QAction::triggered, this, &TForm1::EditFindInPackExecute);
}

PackPanel& TForm1::ensurePackPanel()
{
    if (!m_packPanel) {
        m_packIndex = new PackIndex(this);
        m_packPanel = new PackPanel(m_language, *m_packIndex, this);
        m_packPanel->setFont(font());
        // Shown and hidden by View > Pack only: the window grows by its width and gives it back.
        m_packPanel->setFeatures(QDockWidget::NoDockWidgetFeatures);
        m_packPanel->hide();
        addDockWidget(Qt::LeftDockWidgetArea, m_packPanel);
        connect(m_packPanel, &PackPanel::pageChosen, this, [this](const QString& target) { openPackPoi(target, -1); });
        connect(m_packPanel, &PackPanel::poiChosen, this, &TForm1::openPackPoi);
    }
    return *m_packPanel;
}

void TForm1::showPackPanel(bool shown)
{
    PackPanel& panel = ensurePackPanel();
    action(QLatin1String(kPackAction))->setChecked(shown);
    if (shown == !panel.isHidden())
        return;
    // The described controls keep their size: the panel takes room the window grows by.
    if (shown) {
        m_packPanelWidth = panel.width() + style()->pixelMetric(QStyle::PM_DockWidgetSeparatorExtent, nullptr, this);
        const int before = width();
        setMinimumWidth(minimumWidth() + m_packPanelWidth);
        panel.show();
        resize(before + m_packPanelWidth, height());
    } else {
        panel.hide();
        setMinimumWidth(minimumWidth() - m_packPanelWidth);
        resize(width() - m_packPanelWidth, height());
        m_packPanelWidth = 0;
    }
}

void TForm1::ViewPackExecute()
{
    showPackPanel(action(QLatin1String(kPackAction))->isChecked());
}

void TForm1::FileOpenFolderExecute()
{
    FileDialogOptions options;
    options.title = caption(m_language, "OpenFolderTitle");
    options.folder = true;
    options.initialFolder = m_packIndex && !m_packIndex->folder().isEmpty()
        ? m_packIndex->folder() : QString::fromStdString(m_state.BaseFolder);
    const QString chosen = m_prompts->openFileName(options);
    if (!chosen.isEmpty())
        openPackFolder(chosen);
}

void TForm1::openPackFolder(const QString& folder)
{
    ensurePackPanel();
    PackIndexSettings settings;
    settings.state = m_state;
    const std::string config = m_configPath.toStdString();
    settings.chosenAnchor = [config](const std::string& file, PoiAnchor) { return ChosenPageAnchor(config, file); };
    m_packIndex->open(folder, std::move(settings));
    showPackPanel(true);
}

void TForm1::openConfiguredPack()
{
    const QString folder = QString::fromStdString(m_state.BaseFolder);
    if (!folder.isEmpty() && QFileInfo(folder).isDir())
        openPackFolder(folder);
}

void TForm1::EditFindInPackExecute()
{
    if (!m_packIndex || m_packIndex->folder().isEmpty())
        openConfiguredPack();
    showPackPanel(true);
    m_packPanel->focusFind();
}

void TForm1::openPackPoi(const QString& target, int poi)
{
    const PageTarget wanted = SplitPageTarget(target);
    bool shown = m_state.DocLoaded && sameFile(QString::fromStdString(m_state.CurrentFile), wanted.file);
    if (shown && !wanted.page.isEmpty()) {
        // Another page of the file open: switched to as File > Zone Page does, its edits kept.
        const int page = m_editor->source().findPage(wanted.page.toStdString());
        shown = page >= 0 && (page == m_editor->source().shownPage() || showZonePage(page));
    }
    if (!shown && !openPageAsked(target))
        return;
    if (poi >= 0)
        m_editor->SelectPoi(poi);
}

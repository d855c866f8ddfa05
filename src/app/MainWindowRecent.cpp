// The main window's File > Recent list and opening files dropped on the window.
#include "app/MainWindow.h"

#include "app/Configuration.h"
#include "app/PageTarget.h"
#include "app/RecentPages.h"
#include "mapview/MapImage.h"
#include "mapview/MapPanel.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QUrl>

#include <exception>

namespace {

const char* const kPageSuffix = "xml";
const char* const kMapSuffix = "dds";

bool hasSuffix(const QString& path, const char* suffix)
{
    return QFileInfo(path).suffix().compare(QLatin1String(suffix), Qt::CaseInsensitive) == 0;
}

// The first dropped local file the window can open, or empty.
QString droppedFile(const QMimeData* data)
{
    if (!data || !data->hasUrls())
        return {};
    for (const QUrl& url : data->urls()) {
        const QString path = url.toLocalFile();
        if (!path.isEmpty() && (hasSuffix(path, kPageSuffix) || hasSuffix(path, kMapSuffix)))
            return path;
    }
    return {};
}

// The list as the configuration keeps it: paths as the user writes them.
std::vector<std::string> toStored(const QStringList& pages)
{
    std::vector<std::string> list;
    for (const QString& page : pages)
        list.push_back(NativePageTarget(page).toStdString());
    return list;
}

} // namespace

void TForm1::createRecentMenu()
{
    m_recentMenu = new QMenu(this);
    m_recentMenu->setObjectName(QStringLiteral("FileRecent"));
    // In the File menu, right before the separator above Exit.
    QMenu* fileMenu = m_menus.value(0);
    QAction* exitAction = action(QStringLiteral("FileExit"));
    const QList<QAction*> items = fileMenu->actions();
    const int exitAt = items.indexOf(exitAction);
    QAction* before = exitAt > 0 ? items.at(exitAt - 1) : exitAction;
    fileMenu->insertMenu(before, m_recentMenu);
    m_menus << m_recentMenu;
    connect(m_recentMenu, &QMenu::aboutToShow, this, &TForm1::fillRecentMenu);
    fillRecentMenu();
}

QStringList TForm1::recentPages() const
{
    QStringList pages;
    for (const std::string& page : RecentPages::read(ConfigurationProfile(m_configPath.toStdString())))
        pages << PageTargetFromNative(QString::fromStdString(page));
    return pages;
}

void TForm1::fillRecentMenu()
{
    m_recentMenu->clear();
    const QStringList pages = recentPages();
    for (const QString& page : pages) {
        QAction* item = m_recentMenu->addAction(QFileInfo(page).fileName());
        item->setToolTip(NativePageTarget(page));
        connect(item, &QAction::triggered, this, [this, page]() { openRecentPage(page); });
    }
    m_recentMenu->menuAction()->setEnabled(!pages.isEmpty());
}

void TForm1::openRecentPage(const QString& path)
{
    if (!QFileInfo(SplitPageTarget(path).file).isFile()) {
        try {
            RecentPages::write(m_configPath.toStdString(), RecentPages::withoutPage(toStored(recentPages()),
                                                                                  NativePageTarget(path).toStdString()));
        } catch (const std::exception&) {
            // The list is a convenience: a configuration file that cannot be written keeps it.
        }
        m_prompts->showMessage(caption(m_language, "RecentMissing").arg(NativePageTarget(path)));
        fillRecentMenu();
        return;
    }
    openPageAsked(path);
}

void TForm1::rememberRecentPage(const QString& path)
{
    const PageTarget target = SplitPageTarget(path);
    const QString file = QFileInfo(target.file).absoluteFilePath();
    const QString absolute = JoinPageTarget({file, target.page});
    // One entry per file: a file of zone pages is listed once, with the zone page last shown.
    QStringList others;
    for (const QString& page : recentPages())
        if (QFileInfo(SplitPageTarget(page).file).absoluteFilePath() != file)
            others << page;
    try {
        RecentPages::write(m_configPath.toStdString(),
                           RecentPages::withPage(toStored(others), NativePageTarget(absolute).toStdString()));
    } catch (const std::exception&) {
        // As above: failing to remember a page never stands in the way of opening it.
    }
    fillRecentMenu();
}

bool TForm1::openPageAsked(const QString& path)
{
    if (!maybeSave())
        return false;
    const bool opened = openPage(path);
    if (opened)
        rememberRecentPage(openPageName());
    return opened;
}

bool TForm1::openDroppedFile(const QString& path)
{
    if (hasSuffix(path, kPageSuffix))
        return openPageAsked(path);
    if (!hasSuffix(path, kMapSuffix))
        return false;
    const std::optional<QImage> image = openChosenMapImage(path, m_state, *m_prompts);
    if (!image)
        return false;
    mapPanel()->setMapImage(mapDisplayImage(*image, pageMapArea(m_state)));
    mapChosen();
    return true;
}

void TForm1::dragEnterEvent(QDragEnterEvent* event)
{
    if (!droppedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event)
{
    const QString path = droppedFile(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    openDroppedFile(path);
}

// Files that hold zone pages (the game's map window file, the map pack's POI files): opening one
// through every way of opening a page, picking a zone page, switching between them.
#include "app/MainWindow.h"

#include "app/ElidedLabel.h"
#include "app/PageTarget.h"
#include "document/EditorSupport.h"
#include "mapview/MapCoordinates.h"
#include "mapview/MapImage.h"
#include "mapview/MapStyle.h"
#include "support/AtomicFile.h"
#include "support/ZonePageFile.h"
#include "tools/ZonePagePicker.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QLabel>
#include <QMenuBar>

namespace {
// The status bar panel left free by the described window.
constexpr int kNoticePanel = 0;
}  // namespace


std::vector<ZonePageLine> TForm1::zonePageLines(const PageSource& file) const
{
    const std::map<std::string, std::string> names = MapDisplayNames(m_state);
    std::vector<ZonePageLine> lines;
    for (std::size_t i = 0; i < file.pages().size(); ++i) {
        const ZonePageInfo& page = file.pages()[i];
        const auto location = names.find(page.name);
        int count = page.poiCount;
        if (&file == &m_editor->source() && static_cast<int>(i) == file.shownPage())
            count = ZonePageFile::IconCount(m_editor->xmlscan().Root());
        lines.push_back({fromDoc(page.name), location == names.end() ? QString() : fromDoc(location->second), count});
    }
    return lines;
}

int TForm1::pickZonePage(const PageSource& file, const QString& path, int current)
{
    if (!m_prompts->interactive()) {
        m_prompts->showMessage(caption(m_language, "ZonePageNeeded").arg(QFileInfo(path).fileName()));
        return -1;
    }
    ZonePagePicker picker(zonePageLines(file), m_language, this);
    picker.setFont(font());
    if (current >= 0)
        picker.setCurrentPage(current);
    return picker.exec() == QDialog::Accepted ? picker.chosenPage() : -1;
}

bool TForm1::openPage(const QString& path)
{
    // A failed open changed nothing: the page shown stays as it was, and so does the window.
    if (!openPageOrZone(path))
        return false;
    finishOpening();
    return true;
}

bool TForm1::openReadFile(const QString& path, OpenedPageFile opened, int page)
{
    const bool open = m_editor->OpenPageFile(path, std::move(opened), page);
    if (open)
        finishOpening();
    return open;
}

bool TForm1::showZonePage(int page)
{
    const bool shown = m_editor->ShowZonePage(page);
    if (shown)
        finishOpening();
    return shown;
}

void TForm1::finishOpening()
{
    pageOpened(true);
    refreshTypeMenu();
    noteMissingMap();
}

void TForm1::noteMissingMap()
{
    // A map that is not found, or does not decode, leaves the map area blank: the user is told
    // where it was looked for, or why.
    const bool found = !m_state.DocLoaded || pageMapFile(m_state).has_value();
    QStringList looked;
    for (const std::string& path : found ? std::vector<std::string>() : pageMapCandidates(m_state))
        looked << QDir::toNativeSeparators(QString::fromStdString(path));
    m_mapNotice = found ? QString() : caption(m_language, "MapNotFound").arg(looked.join(QLatin1String("; ")));
    if (found && m_state.DocLoaded) {
        if (const std::optional<std::string> problem = PageMapDecodeProblem(m_state))
            m_mapNotice = caption(m_language, "MapNotDecoded").arg(QString::fromStdString(*problem));
    }
    updatePlacementNotice();
}

void TForm1::mapChosen()
{
    m_mapNotice.clear();
    updatePlacementNotice();
}

void TForm1::updatePlacementNotice()
{
    // World-only POIs are placed through the zone rectangle alone: without one they are listed
    // but have no marker, which the user should not have to guess.
    const bool unplaced = m_state.DocLoaded && !m_editor->source().offers(PageFeature::LocationField) && !HasZoneRect(m_state.ZoneRect);
    QStringList notices;
    if (unplaced)
        notices << caption(m_language, "CannotPlace");
    if (!m_mapNotice.isEmpty())
        notices << m_mapNotice;
    const QString text = notices.join(QLatin1String(" | "));
    // The panel is narrow: the middle of a long text gives way, so the file name stays in sight.
    static_cast<ElidedLabel*>(statusPanel(kNoticePanel))->setFullText(text);
}

bool TForm1::openPageOrZone(const QString& path)
{
    return OpenPageTarget(
        path, m_language, *m_prompts,
        [this](const PageSource& file, const QString& name) { return pickZonePage(file, name, -1); },
        [this](const QString& name, OpenedPageFile opened, int page) {
            return m_editor->OpenPageFile(name, std::move(opened), page);
        },
        [this](const QString& name) { return m_editor->OpenIconPage(name); });
}

QString TForm1::openPageName() const
{
    const QString file = QString::fromStdString(m_state.CurrentFile);
    const std::optional<std::string> page = m_editor->source().shownPageName();
    return page ? JoinPageTarget({file, fromDoc(*page)}) : file;
}

void TForm1::FileZonePageExecute()
{
    PageSource& source = m_editor->source();
    if (!source.offers(PageFeature::PageList) || !m_state.DocLoaded)
        return;
    const int page = pickZonePage(source, QString::fromStdString(m_state.CurrentFile), source.shownPage());
    if (page < 0 || page == source.shownPage())
        return;
    // A page that could not be read changed nothing: the page shown stays, with its edits.
    if (!m_editor->ShowZonePage(page))
        return;
    rememberRecentPage(openPageName());
    finishOpening();
}

void TForm1::FileZonePageUpdate()
{
    const PageSource& source = m_editor->source();
    const bool pages = source.offers(PageFeature::PageList);
    // Shown only while such a file is open: the menu of an icon page stays as it is.
    QAction* zonePage = action(QStringLiteral("FileZonePage"));
    zonePage->setVisible(pages);
    zonePage->setEnabled(pages && m_state.DocLoaded);
    // A save of such a file changes only the edited bytes: these options have nothing to do.
    const bool saveOptions = source.offers(PageFeature::SaveOptions);
    for (const char* name : {"FileSaveBOM", "FileSaveARR"}) {
        QAction* act = action(QLatin1String(name));
        const QString text = saveOptions ? caption(m_language, name)
                                         : caption(m_language, name) + caption(m_language, "NotForZoneFile");
        if (act->text() != text)
            act->setText(text);
        act->setEnabled(saveOptions);
    }
}

void TForm1::createZonePageAction()
{
    auto* act = new QAction(this);
    act->setObjectName(QStringLiteral("FileZonePage"));
    act->setVisible(false);
    m_actions << act;
    addAction(act);
    QMenu* fileMenu = menuBar()->findChild<QMenu*>(QStringLiteral("N1"));
    const QList<QAction*> fileItems = fileMenu->actions();
    const int zoneItem = static_cast<int>(fileItems.indexOf(action(QStringLiteral("FileOpenZone"))));
    fileMenu->insertAction(fileItems.value(zoneItem + 1), act);
    connect(act, &QAction::triggered, this, &TForm1::FileZonePageExecute);
}

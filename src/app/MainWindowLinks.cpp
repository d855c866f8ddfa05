// Following links to other maps: a double click on a link's marker, or the tree's "Open linked
// map", opens the page of the map it names where the pack has one, else shows that map alone;
// Alt+Left goes back to the page the link was followed from, as a browser does.
#include "app/MainWindow.h"

#include "app/Captions.h"
#include "app/PageTarget.h"
#include "document/EditorSupport.h"
#include "app/IconPageEditor.h"
#include "document/MapLinkTargets.h"
#include "mapview/MapImage.h"
#include "mapview/MapPanel.h"
#include "mapview/MapStyle.h"
#include "mapview/Prompts.h"
#include "support/ZonePageFile.h"

#include <QAction>
#include <QDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QPixmap>
#include <QVBoxLayout>

namespace {

const char* const kLinkBackAction = "LinkBack";
const char* const kLinkedMapWindow = "LinkedMapWindow";

bool sameFile(const QString& a, const std::string& b)
{
    return QFileInfo(a).absoluteFilePath() == QFileInfo(QString::fromStdString(b)).absoluteFilePath();
}

}  // namespace

void TForm1::connectLinkHandlers()
{
    connect(m_ui.Panel1, &MapPanel::markerDoubleClicked, this, &TForm1::followLink);
    auto* back = new QAction(this);
    back->setObjectName(QLatin1String(kLinkBackAction));
    back->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Left));
    connect(back, &QAction::triggered, this, &TForm1::followLinkBack);
    addAction(back);
}

void TForm1::addLinkItems(QMenu& menu, int poi)
{
    const TSimpleXMLElems* items = m_editor->xmlscan().Root().ItemsIfAny();
    const TSimpleXMLElem* element = items ? items->Item(poi) : nullptr;
    if (!element || !m_editor->source().linkedMap(*element))
        return;
    menu.addAction(caption(m_language, "OpenLinkedMap"), this, [this, poi]() { followLink(poi); })
        ->setObjectName(QStringLiteral("OpenLinkedMap"));
}

void TForm1::followLink(int poi)
{
    if (!m_state.DocLoaded)
        return;
    const TSimpleXMLElems* items = m_editor->xmlscan().Root().ItemsIfAny();
    const TSimpleXMLElem* element = items ? items->Item(poi) : nullptr;
    const PageSource& source = m_editor->source();
    const std::optional<std::string> map = element ? source.linkedMap(*element) : std::nullopt;
    if (!map)
        return;
    const QString from = openPageName();
    if (const MapPagePlace* place = source.linkedPage(*map)) {
        // Taken before the page changes: the place belongs to the source that goes with it.
        const QString target = JoinPageTarget({QString::fromStdString(place->path), fromDoc(place->page)});
        if (target != from && showLinkedPage(target))
            m_linkHistory << from;
        return;
    }
    // No page of the map in the pack: its map alone, beside the page shown.
    EditorState mapState = m_state;
    if (MapDisplayNames(mapState).count(*map) == 0) {
        m_prompts->showMessage(caption(m_language, "LinkedMapUnknown").arg(fromDoc(*map)));
        return;
    }
    LookupMapStyle(mapState, *map);
    QImage image;
    try {
        image = mapDisplayImage(loadPageMapImage(mapState), pageMapArea(mapState));
    } catch (const std::exception& error) {
        m_prompts->showError(QString::fromStdString(error.what()));
        return;
    }
    auto* window = new QDialog(this);
    window->setObjectName(QLatin1String(kLinkedMapWindow));
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle(fromDoc(*map));
    auto* picture = new QLabel(window);
    picture->setPixmap(QPixmap::fromImage(image));
    (new QVBoxLayout(window))->addWidget(picture);
    window->show();
}

bool TForm1::showLinkedPage(const QString& target)
{
    // Another page of the open file is switched to as File > Zone Page does: its edits stay.
    const PageTarget place = SplitPageTarget(target);
    const PageSource& source = m_editor->source();
    if (source.offers(PageFeature::PageList) && !place.page.isEmpty() && sameFile(place.file, m_state.CurrentFile)) {
        const int page = source.findPage(toDoc(place.page));
        return page >= 0 && showZonePage(page);
    }
    return openPageAsked(target);
}

void TForm1::followLinkBack()
{
    if (m_linkHistory.isEmpty())
        return;
    showLinkedPage(m_linkHistory.takeLast());
}

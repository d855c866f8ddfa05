// The main window's editing commands: add and delete a POI, the map name mark-up and the zone
// rectangle editor. Kept apart from the window's set-up so each command reads on its own.
#include "app/MainWindow.h"

#include "document/EditorSupport.h"
#include "app/IconPageEditor.h"
#include "app/PoiSelection.h"
#include "document/PoiTypes.h"
#include "mapview/MapCoordinates.h"
#include "mapview/MapStyle.h"
#include "mapview/PoiAnchor.h"
#include "support/GamePath.h"
#include "support/ZoneRectTable.h"
#include "tools/AddpointF.h"
#include "tools/addZone.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QTreeView>

#include <algorithm>
#include <exception>

namespace {

const char* const kCannotAddPoint = "Cannot add point";
const char* const kDeleteQuestion = "Delete This POI?";
const char* const kDeleteCaption = "VynMAP Editor - Warning";
const char* const kStyleFolder = "vynmap/";

} // namespace

void TForm1::connectEditingTools()
{
    connect(action(QStringLiteral("MAPADD")), &QAction::triggered, this, &TForm1::MAPADDExecute);
    connect(action(QStringLiteral("MAPDEL")), &QAction::triggered, this, &TForm1::MAPDELExecute);
    connect(action(QStringLiteral("MAPNAMES")), &QAction::triggered, this, &TForm1::MAPNAMESExecute);
    connect(action(QStringLiteral("MapAddZonerect")), &QAction::triggered, this,
            [this]() { MapAddZonerectExecute(); });
}

void TForm1::applyPendingEdits()
{
    // The tree is about to be rebuilt (or the POIs read): edits still waiting for the apply
    // timer go into their POI first instead of being dropped with its node.
    if (m_state.DocLoaded && m_state.EditsPending) {
        m_ui.Timer1->stop();
        m_editor->ApplyData();
    }
}

void TForm1::MAPADDExecute()
{
    addPoi(std::nullopt);
}

void TForm1::addPoi(const std::optional<QPoint>& at)
{
    if (!m_state.DocLoaded)
        return;
    TForm3 dialog(this, m_language);
    PageSource& source = m_editor->source();
    // Where the kind makes icons like their siblings: like the selected one, else the page's first.
    const IconProperties siblingProps = source.newIconTemplate(m_editor->xmlscan().Root(), m_editor->currentPoi());
    if (source.offers(PageFeature::OwnTypeValues)) {
        QStringList types;
        for (int i = 0; i < m_ui.cb_icontype->count(); ++i)
            types << m_ui.cb_icontype->itemText(i);
        const char* typeProperty = source.typeProperty();
        QString current;
        for (const auto& [name, value] : siblingProps)
            if (QString::fromStdString(name).compare(QLatin1String(typeProperty), Qt::CaseInsensitive) == 0)
                current = fromDoc(value);
        if (!current.isEmpty() && !types.contains(current))
            types << current;
        dialog.setTypes(types, current);
    }
    if (at) {
        // The point clicked: the Location that puts the new icon's point there, and its world location.
        const ImagePoint point{double(at->x()), double(at->y())};
        std::string size;
        for (const auto& [name, value] : siblingProps)
            if (name == "Size")
                size = value;
        const auto [x, y] = LocationForPoint(m_state.Anchor, point, size);
        const QString world = HasZoneRect(m_state.ZoneRect)
            ? QString::fromStdString(ImagePointToWorldText(m_state, point, "0")) : QString();
        dialog.setPlace(x, y, world);
    }
    if (dialog.exec() != QDialog::Accepted)
        return;
    try {
        applyPendingEdits();
        TSimpleXMLElem& root = m_editor->xmlscan().Root();
        source.addPoi(root, dialog.fields(), siblingProps);
        const int added = root.Items().Count() - 1;
        m_editor->RecordAddedPoi(added);
        m_editor->BuildPoiTree();
        // Selected as if clicked, so the property editor shows it (no node, no selection).
        m_editor->SelectPoi(added);
    } catch (const std::exception&) {
        m_prompts->showMessage(QLatin1String(kCannotAddPoint));
    }
}

void TForm1::MAPDELExecute()
{
    // The index, not the node: applying pending edits below rebuilds the POI's value nodes.
    if (selection().selectedPois().size() > 1) {
        deleteSelected(true);
        return;
    }
    const int poiIndex = m_editor->currentPoi();
    if (poiIndex < 0)
        return;
    if (!m_prompts->confirm(QLatin1String(kDeleteQuestion), QLatin1String(kDeleteCaption)))
        return;
    applyPendingEdits();
    m_editor->DeletePoi(poiIndex);
}

void TForm1::MAPNAMESExecute()
{
    // The checkable action has already inverted its mark.
    const bool markUp = action(QStringLiteral("MAPNAMES"))->isChecked();
    m_ui.FlatEdit2->setReadOnly(!markUp);
    // A zone page's location name is the map style file's, never the page's to change.
    m_ui.FlatEdit4->setReadOnly(!markUp || !m_editor->source().offers(PageFeature::OwnZoneName));
}

void TForm1::MapAddZonerectExecute(const QString& zoneText)
{
    try {
        applyPendingEdits();
        TForm4 dialog(*m_prompts, this, m_language);
        ZoneDialogSetup setup;
        setup.configPath = m_configPath.toStdString();
        setup.document = &m_editor->xmlscan();
        setup.pageOpen = m_state.DocLoaded;
        setup.styleFolder = GamePath::resolve(m_state.BaseFolder, kStyleFolder);
        setup.pageWidth = m_state.PageWidth;
        setup.anchor = m_state.Anchor;
        setup.pageHeight = m_state.PageHeight;
        dialog.setSetup(setup);
        dialog.setZone(QString::fromStdString(m_state.PageName),
                       zoneText.isEmpty() ? QString::fromStdString(ZoneText(m_state.ZoneRect)) : zoneText);
        if (dialog.exec() != QDialog::Accepted)
            return;
        AppendZoneRect(m_state.ZoneRectTable, dialog.zoneId().toStdString(), dialog.zoneText().toStdString());
        if (m_state.DocLoaded) {
            // Read afresh, so an updated map style file or the pair just added takes effect now.
            const MapStyleLookup style = LookupMapStyle(m_state, m_state.PageName);
            if (style.label)
                m_ui.Label5->setText(QString::fromStdString(*style.label));
            scheduleProblemsRefresh();
        }
    } catch (const std::exception&) {
        // The command reports nothing of its own; the dialog has shown what the user must know.
    }
}

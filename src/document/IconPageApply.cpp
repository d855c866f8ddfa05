// The property editor half of IconPageEditor: selecting a POI fills the editor, edits are
// collected and applied together after a pause, before the selection moves and before saving.
#include "document/IconPageEditor.h"

#include "document/EditorSupport.h"
#include "document/IconPageFile.h"
#include "document/PoiTreeItem.h"
#include "mapview/AutoLocation.h"
#include "mapview/MapPanel.h"
#include "mapview/MarkerGeometry.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>
#include <QTreeWidget>

namespace {

const char* const kZoneType = "ZONE";
const char* const kZoneIconSize = "14,14";
const char* const kOtherIconSize = "12,12";

// The memo holds lines; the document holds them joined by CR LF.
QString memoFromDoc(const std::string& text)
{
    QString lines = fromDoc(text);
    lines.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return lines;
}

// The memo's lines as shown. Block texts keep no-break spaces and line separators, which the
// memo's plain-text export would turn into blanks and line breaks.
QStringList memoLines(const QTextDocument& document)
{
    QStringList lines;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        lines << block.text();
    return lines;
}

} // namespace

void IconPageEditor::connectControls()
{
    m_selectionDelay = new QTimer(this);
    m_selectionDelay->setSingleShot(true);
    m_selectionDelay->setInterval(kSelectionDelayMs);
    connect(m_selectionDelay, &QTimer::timeout, this, &IconPageEditor::TreeView1Change);
    connect(m_controls.TreeView1, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem*, QTreeWidgetItem* previous) {
                TreeView1Changing(previous);
                m_selectionDelay->start();
            });

    auto changed = [this]() { FlatEdit3Change(sender()); };
    connect(m_controls.FlatEdit3, &QLineEdit::textChanged, this, changed);
    connect(m_controls.FlatEdit1, &QLineEdit::textChanged, this, changed);
    connect(m_controls.FlatMemo1, &QPlainTextEdit::textChanged, this, changed);
    connect(m_controls.ed_locX, &QSpinBox::valueChanged, this, changed);
    connect(m_controls.ed_locY, &QSpinBox::valueChanged, this, changed);
    connect(m_controls.cb_icontype, &QComboBox::currentIndexChanged, this, changed);
    connect(m_controls.Timer1, &QTimer::timeout, this, &IconPageEditor::Timer1Timer);
    connect(m_controls.FlatEdit2, &QLineEdit::textChanged, this, &IconPageEditor::FlatEdit2Change);
    connect(m_controls.FlatEdit4, &QLineEdit::textChanged, this, &IconPageEditor::FlatEdit4Change);
}

void IconPageEditor::SelectPoi(int poiIndex)
{
    QTreeWidgetItem* node = PoiNode(poiIndex);
    if (!node)
        return;
    // Unselect, then select again, so even the selected POI is refilled.
    m_controls.TreeView1->setCurrentItem(nullptr);
    m_controls.TreeView1->setCurrentItem(node);
}

void IconPageEditor::TreeView1Changing(QTreeWidgetItem* leaving)
{
    if (m_state.DocLoaded && m_state.EditsPending) {
        m_controls.Timer1->stop();
        applyTo(leaving);
    }
}

void IconPageEditor::TreeView1Change()
{
    const QTreeWidgetItem* node = m_controls.TreeView1->currentItem();
    if (!node || node->parent())
        return;
    const int poiIndex = NodeDatum(node);
    if (poiIndex < 0)
        return;
    UpdatingGuard updating(m_state.Updating);
    fillEditorFrom(poiIndex);
    m_controls.FlatMemo1->document()->setModified(false);
    m_controls.FlatEdit3->setModified(false);
}

void IconPageEditor::fillEditorFrom(int poiIndex)
{
    TSimpleXMLElem* poi = Poi(poiIndex);
    if (!poi)
        return;
    m_typePicked = false;
    m_filledPoi = -1;
    // A value that does not read leaves the remaining fields as they were.
    try {
        const auto location = ParseCommaPair(RequiredValue(*poi, "Location"), kMarkerPairTailChars);
        if (!location)
            return;
        m_controls.ed_locX->setValue(location->first);
        m_controls.ed_locY->setValue(location->second);
        const QString style = fromDoc(RequiredValue(*poi, "IconStyle"));
        m_controls.cb_icontype->setCurrentIndex(
            m_controls.cb_icontype->findText(style, Qt::MatchFixedString));
        m_controls.FlatEdit3->setText(fromDoc(RequiredValue(*poi, "Name")));
        m_controls.FlatEdit1->setText(fromDoc(RequiredValue(*poi, "pathfindlocation")));
        m_controls.FlatMemo1->setPlainText(memoFromDoc(RequiredValue(*poi, "Tooltip")));
        m_filledPoi = poiIndex;
        placePositionButton(location->first, location->second, RequiredValue(*poi, "Size"),
                            kSelectionSizeTailChars);
    } catch (const MissingPropertyError&) {
    }
}

void IconPageEditor::placePositionButton(int centreX, int centreY, const std::string& sizeText,
                                         int tailChars)
{
    const auto size = ParseCommaPair(sizeText, tailChars);
    if (!size)
        return;
    m_controls.Panel1->setPositionButtonGeometry(CentredRect({centreX, centreY}, *size));
    m_controls.Panel1->setPositionButtonVisible(true);
}

void IconPageEditor::FlatEdit3Change(QObject* control)
{
    if (!m_state.DocLoaded || m_state.Updating)
        return;
    m_state.EditsPending = true;
    m_controls.Timer1->stop();
    m_controls.Timer1->start();
    if (control == m_controls.FlatEdit3)
        m_state.PathEdited = false;
    else if (control == m_controls.FlatEdit1)
        m_state.PathEdited = true;
    else if (control == m_controls.cb_icontype)
        m_typePicked = true;
}

void IconPageEditor::Timer1Timer()
{
    m_controls.Timer1->stop();
    ApplyData();
}

void IconPageEditor::ApplyData()
{
    applyTo(m_controls.TreeView1->currentItem());
}

QString IconPageEditor::locationText() const
{
    return QStringLiteral("%1,%2").arg(m_controls.ed_locX->value()).arg(m_controls.ed_locY->value());
}

std::string IconPageEditor::memoValue(const std::string& stored) const
{
    const QStringList lines = memoLines(*m_controls.FlatMemo1->document());
    // A memo that still shows the stored text gives it back as it was: the memo cannot hold
    // every text exactly (a lone line end or a paragraph separator becomes a line break).
    QTextDocument shown;
    shown.setPlainText(memoFromDoc(stored));
    if (memoLines(shown) == lines)
        return stored;
    return toDoc(lines.join(QLatin1String("\r\n")));
}

void IconPageEditor::applyTo(QTreeWidgetItem* node)
{
    if (!m_state.DocLoaded || !node)
        return;
    if (node->parent())
        node = node->parent();
    const int poiIndex = NodeDatum(node);
    TSimpleXMLElem* poi = Poi(poiIndex);
    // After a fill that stopped early the fields still show another POI's values: writing them
    // would copy that POI's name, path and tooltip into this one.
    if (poiIndex < 0 || !poi || poiIndex != m_filledPoi)
        return;

    UpdatingGuard updating(m_state.Updating);
    // Properties are never created here: a POI lacking one is updated only up to it.
    try {
        SetRequiredValue(*poi, "Tooltip", memoValue(RequiredValue(*poi, "Tooltip")));
        SetRequiredValue(*poi, "Name", toDoc(m_controls.FlatEdit3->text()));
        // A stored type the list does not know (another skin's style) stays, with its sizes,
        // until the user picks one. Judged by the POI's own value: a fill that stopped early
        // leaves the list showing another POI's type.
        const QString storedType = fromDoc(RequiredValue(*poi, "IconStyle"));
        const bool keepType =
            !m_typePicked && m_controls.cb_icontype->findText(storedType, Qt::MatchFixedString) < 0;
        const QString type = m_controls.cb_icontype->currentText();
        if (!keepType)
            SetRequiredValue(*poi, "IconStyle", toDoc(type));
        SetRequiredValue(*poi, "Location", toDoc(locationText()));

        const LocationSync sync = SynchroniseLocation(m_state, m_controls.ed_locX->value(),
                                                      m_controls.ed_locY->value(),
                                                      toDoc(m_controls.FlatEdit1->text()));
        if (!m_state.PathEdited && sync.pathField)
            m_controls.FlatEdit1->setText(fromDoc(*sync.pathField));
        SetRequiredValue(*poi, "pathfindlocation", sync.storedPath);
        if (m_state.PathEdited && sync.pathField)
            m_controls.FlatEdit1->setText(fromDoc(*sync.pathField));
        if (sync.location) {
            m_controls.ed_locX->setValue(sync.location->first);
            m_controls.ed_locY->setValue(sync.location->second);
            SetRequiredValue(*poi, "Location", toDoc(locationText()));
        }
        m_controls.Label5->setText(fromDoc(sync.label));

        const std::string size = type == QLatin1String(kZoneType) ? kZoneIconSize : kOtherIconSize;
        if (!keepType) {
            SetRequiredValue(*poi, "Size", size);
            SetRequiredValue(*poi, "ScrollExtent", size);
        }
        refreshNode(node, *poi);
        PlacePoiMarker(poiIndex, false);

        placePositionButton(m_controls.ed_locX->value(), m_controls.ed_locY->value(),
                            keepType ? RequiredValue(*poi, "Size") : size, kMarkerPairTailChars);
        m_controls.FlatMemo1->document()->setModified(false);
        m_controls.FlatEdit3->setModified(false);
        m_state.EditsPending = false;
    } catch (const MissingPropertyError&) {
    }
    m_state.PathEdited = false;
}

void IconPageEditor::refreshNode(QTreeWidgetItem* node, TSimpleXMLElem& poi)
{
    qDeleteAll(node->takeChildren());
    node->setText(0, m_controls.FlatEdit3->text());
    QList<QTreeWidgetItem*> values;
    for (const char* property : kPoiValueProperties)
        values << new PoiTreeItem(fromDoc(RequiredValue(poi, property)), PoiTreeItem::kValueNodeDatum);
    node->addChildren(values);
}

void IconPageEditor::FlatEdit2Change()
{
    writePageField(m_controls.FlatEdit2, "Name");
}

void IconPageEditor::FlatEdit4Change()
{
    writePageField(m_controls.FlatEdit4, "1location");
}

void IconPageEditor::writePageField(QLineEdit* field, const char* property)
{
    // Only the user's own keystrokes reach the root, at once.
    if (!m_state.DocLoaded || m_state.Updating || !field->isModified())
        return;
    if (TSimpleXMLProp* prop = m_xmlscan.Root().Properties().Find(property))
        prop->SetValue(toDoc(field->text()));
    field->setModified(false);
}

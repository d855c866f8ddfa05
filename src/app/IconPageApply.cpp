// The property editor half of IconPageEditor: selecting a POI fills the editor, edits are
// collected and applied together after a pause, before the selection moves and before saving.
#include "app/IconPageEditor.h"

#include "document/EditorSupport.h"
#include "document/IconPageCommands.h"
#include "document/IconPageFile.h"
#include "document/PoiTreeModel.h"
#include "document/PoiTypes.h"
#include "mapview/AutoLocation.h"
#include "mapview/MapCoordinates.h"
#include "mapview/MapPanel.h"
#include "mapview/MarkerGeometry.h"
#include "mapview/PoiAnchor.h"

#include <QComboBox>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>
#include <QTreeView>
#include <QUndoStack>

#include <optional>
#include <string_view>
#include <utility>

namespace {

// Where a file writes a line break inside a value as a reference, the fields show a line break.
const QLatin1String kLineBreakReference("&#xA;");

QString shownValue(const std::string& value, bool references)
{
    QString text = fromDoc(value);
    if (references)
        text.replace(kLineBreakReference, QLatin1String("\n"));
    return text;
}

// A field's text as the value to store: the stored value itself while the field still shows it,
// so a value is written back byte for byte until it is edited.
std::string storedValue(const QString& shown, const std::string& stored, bool references)
{
    if (shownValue(stored, references) == shown)
        return stored;
    QString text = shown;
    if (references) {
        text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        text.replace(QLatin1String("\n"), kLineBreakReference);
    }
    return toDoc(text);
}

// The memo holds lines; the document holds them joined by CR LF (or by the reference).
QString memoFromDoc(const std::string& text, bool references)
{
    QString lines = shownValue(text, references);
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
    connect(m_controls.TreeView1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex&, const QModelIndex& previous) {
                TreeView1Changing(previous);
                m_selectionDelay->start();
            });

    auto changed = [this]() { FlatEdit3Change(sender()); };
    connect(m_controls.FlatEdit3, &QLineEdit::textChanged, this, changed);
    connect(m_controls.FlatEdit1, &QLineEdit::textChanged, this, changed);
    connect(m_controls.FlatMemo1, &QPlainTextEdit::textChanged, this, changed);
    connect(m_controls.FlatEdit5, &QLineEdit::textChanged, this, changed);
    connect(m_controls.ed_locX, &QSpinBox::valueChanged, this, changed);
    connect(m_controls.ed_locY, &QSpinBox::valueChanged, this, changed);
    connect(m_controls.cb_icontype, &QComboBox::currentIndexChanged, this, changed);
    connect(m_controls.Timer1, &QTimer::timeout, this, &IconPageEditor::Timer1Timer);
    connect(m_controls.FlatEdit2, &QLineEdit::textChanged, this, &IconPageEditor::FlatEdit2Change);
    connect(m_controls.FlatEdit4, &QLineEdit::textChanged, this, &IconPageEditor::FlatEdit4Change);
}

void IconPageEditor::SelectPoi(int poiIndex)
{
    if (!PoiNode(poiIndex).isValid())
        return;
    // Unselect, then select again, so even the selected POI is refilled. Unselecting applies
    // pending edits, which can move nodes: the POI's node is looked up afterwards.
    // Through the selection model with explicit flags: the view would read the keys held now, and
    // Shift held for a marker drag would extend the tree's selection.
    QItemSelectionModel* selection = m_controls.TreeView1->selectionModel();
    selection->setCurrentIndex(QModelIndex(), QItemSelectionModel::Clear);
    selection->setCurrentIndex(PoiNode(poiIndex), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void IconPageEditor::TreeView1Changing(const QModelIndex& leaving)
{
    if (m_state.DocLoaded && m_state.EditsPending) {
        m_controls.Timer1->stop();
        applyTo(leaving);
    }
}

void IconPageEditor::TreeView1Change()
{
    const QModelIndex node = m_controls.TreeView1->currentIndex();
    if (!node.isValid() || PoiTreeModel::isValueNode(node))
        return;
    const int poiIndex = PoiTreeModel::poiOf(node);
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
    // From here the fields belong to this POI; a typed world location of the previous one must
    // not steer its next apply.
    m_pending.fill(poiIndex);
    m_state.PathEdited = false;
    setPropertyFieldsEnabled(true);
    // The label speaks of the POI shown: the page's own text until its position is known.
    m_controls.Label5->setText(m_pageLabel);
    std::pair<int, int> at;
    if (!source().offers(PageFeature::LocationField)) {
        // No Location: the fields show the pixel the world location falls on, if any.
        const std::optional<std::pair<int, int>> pixel = worldPixel(*poi);
        showWorldPosition(pixel);
        if (pixel) {
            at = *pixel;
            m_pending.shown |= kLocationFields;
        }
    } else {
        setPositionFieldsEnabled(true);
        // A value that does not read leaves the remaining fields as they were (X is set before Y
        // fails); a missing value reads as empty text.
        const std::string location = ValueOrEmpty(*poi, "Location");
        const std::size_t comma = location.find(',');
        const std::optional<int> x =
            comma == std::string::npos ? std::nullopt : ParseInteger(std::string_view(location).substr(0, comma));
        if (!x)
            return;
        m_controls.ed_locX->setValue(*x);
        m_pending.shown |= PendingEdit::X;
        const auto pair = ParseCommaPair(location, kMarkerPairTailChars);
        if (!pair)
            return;
        m_controls.ed_locY->setValue(pair->second);
        m_pending.shown |= PendingEdit::Y;
        at = {pair->first, pair->second};
    }
    const QString style = fromDoc(ValueOrEmpty(*poi, typeProperty()));
    m_controls.cb_icontype->setCurrentIndex(findType(style));
    m_controls.FlatEdit3->setText(fromDoc(ValueOrEmpty(*poi, "Name")));
    m_controls.FlatEdit1->setText(fromDoc(ValueOrEmpty(*poi, "pathfindlocation")));
    const bool references = source().offers(PageFeature::LineBreakReferences);
    m_controls.FlatMemo1->setPlainText(memoFromDoc(ValueOrEmpty(*poi, "Tooltip"), references));
    m_pending.shown |= PendingEdit::Type | PendingEdit::Name | PendingEdit::Path | PendingEdit::Tooltip;
    if (source().offers(PageFeature::Description)) {
        m_controls.FlatEdit5->setText(shownValue(ValueOrEmpty(*poi, kWorldDescriptionProperty), references));
        m_pending.shown |= PendingEdit::Description;
        if (!(m_pending.shown & kLocationFields)) {
            // Nothing on the map to frame.
            m_controls.Panel1->setPositionButtonVisible(false);
            return;
        }
        m_controls.Label5->setText(fromDoc(StatusPositionText(at.first, at.second)));
    } else {
        // What an apply of the unchanged POI would show: the world location of its point.
        m_controls.Label5->setText(fromDoc(SynchroniseLocation(m_state, at.first, at.second,
                                                               toDoc(m_controls.FlatEdit1->text()), false,
                                                               anchorOffset(*poi)).label));
    }
    const IntPairShift shift = anchorShift(poi);
    placePositionButton(at.first + shift.x, at.second + shift.y,
                        source().offers(PageFeature::LocationField) ? ValueOrEmpty(*poi, "Size") : std::string(kWorldIconSize),
                        kSelectionSizeTailChars);
}

std::optional<std::pair<int, int>> IconPageEditor::worldPixel(const TSimpleXMLElem& poi) const
{
    return m_document->worldPixel(poi);
}

void IconPageEditor::showWorldPosition(const std::optional<std::pair<int, int>>& at)
{
    setPositionFieldsEnabled(at.has_value());
    if (at) {
        m_controls.ed_locX->setValue(at->first);
        m_controls.ed_locY->setValue(at->second);
    } else {
        // Empty, not 0,0: a POI without a point has no position to show or to turn into another.
        m_controls.ed_locX->clear();
        m_controls.ed_locY->clear();
    }
}

void IconPageEditor::setPositionFieldsEnabled(bool enabled)
{
    m_controls.ed_locX->setEnabled(enabled);
    m_controls.ed_locY->setEnabled(enabled);
}

void IconPageEditor::setPropertyFieldsEnabled(bool enabled)
{
    setPositionFieldsEnabled(enabled);
    const QList<QWidget*> fields = {m_controls.cb_icontype, m_controls.FlatEdit3, m_controls.FlatEdit1,
                                    m_controls.FlatMemo1, m_controls.FlatEdit5};
    for (QWidget* field : fields)
        field->setEnabled(enabled);
}

void IconPageEditor::ShowNoPoi()
{
    UpdatingGuard updating(m_state.Updating);
    m_pending.fill(-1);
    ResetEditor();
    setPropertyFieldsEnabled(false);
    m_controls.Label5->setText(m_pageLabel);
    m_controls.Panel1->setPositionButtonVisible(false);
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

unsigned IconPageEditor::fieldOf(const QObject* control) const
{
    const std::pair<const QObject*, unsigned> fields[] = {
        {m_controls.ed_locX, PendingEdit::X},    {m_controls.ed_locY, PendingEdit::Y},
        {m_controls.cb_icontype, PendingEdit::Type}, {m_controls.FlatEdit3, PendingEdit::Name},
        {m_controls.FlatEdit1, PendingEdit::Path}, {m_controls.FlatMemo1, PendingEdit::Tooltip},
        {m_controls.FlatEdit5, PendingEdit::Description},
    };
    for (const auto& [widget, field] : fields)
        if (widget == control)
            return field;
    return 0;
}

void IconPageEditor::FlatEdit3Change(QObject* control)
{
    // Fields that belong to no POI (after a delete they still show the deleted one) edit nothing.
    if (!m_state.DocLoaded || m_state.Updating || m_pending.poi < 0)
        return;
    m_state.EditsPending = true;
    m_controls.Timer1->stop();
    m_controls.Timer1->start();
    m_pending.edited |= fieldOf(control);
    if (control == m_controls.FlatEdit3)
        m_state.PathEdited = false;
    else if (control == m_controls.FlatEdit1)
        m_state.PathEdited = true;
}

void IconPageEditor::LocationDragged(int x, int y)
{
    // The drag moves the POI's point; the fields hold its Location.
    const IntPairShift shift = anchorShift(m_pending.poi >= 0 ? Poi(m_pending.poi) : nullptr);
    m_controls.ed_locX->setValue(x - shift.x);
    m_controls.ed_locY->setValue(y - shift.y);
    if (!m_state.DocLoaded || m_state.Updating || (m_pending.edited & kLocationFields) == kLocationFields)
        return;
    // A number that kept its value sent no change; the drag still set it.
    m_pending.edited |= kLocationFields;
    FlatEdit3Change(m_controls.ed_locX);
}

void IconPageEditor::Timer1Timer()
{
    m_controls.Timer1->stop();
    ApplyData();
}

void IconPageEditor::ApplyData()
{
    applyTo(m_controls.TreeView1->currentIndex());
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
    const bool references = source().offers(PageFeature::LineBreakReferences);
    QTextDocument shown;
    shown.setPlainText(memoFromDoc(stored, references));
    if (memoLines(shown) == lines)
        return stored;
    return toDoc(lines.join(references ? kLineBreakReference : QLatin1String("\r\n")));
}

void IconPageEditor::applyTo(const QModelIndex& node)
{
    // Refreshing the node below can move the selection, which applies again: not inside an apply.
    if (!m_state.DocLoaded || !node.isValid() || m_applying)
        return;
    const int poiIndex = PoiTreeModel::poiOf(node);
    TSimpleXMLElem* poi = Poi(poiIndex);
    // After a rebuild the fields may show no POI at all; they are not written into this one.
    if (poiIndex < 0 || !poi || poiIndex != m_pending.poi || !IsPoiElement(*poi))
        return;
    UpdatingGuard applying(m_applying);
    UpdatingGuard updating(m_state.Updating);
    // The fields as the document takes them: what the memo and description show stand for the
    // stored values while unchanged.
    const bool references = source().offers(PageFeature::LineBreakReferences);
    PoiFieldValues fields;
    fields.x = m_controls.ed_locX->value();
    fields.y = m_controls.ed_locY->value();
    fields.type = toDoc(m_controls.cb_icontype->currentText());
    fields.storedTypeListed = findType(fromDoc(ValueOrEmpty(*poi, typeProperty()))) >= 0;
    fields.name = toDoc(m_controls.FlatEdit3->text());
    fields.path = toDoc(m_controls.FlatEdit1->text());
    fields.tooltip = memoValue(ValueOrEmpty(*poi, "Tooltip"));
    fields.description =
        storedValue(m_controls.FlatEdit5->text(), ValueOrEmpty(*poi, kWorldDescriptionProperty), references);
    m_document->applyFields(poiIndex, fields);
    showApplied(poiIndex, fields);
}

void IconPageEditor::showApplied(int poiIndex, const PoiFieldValues& fields)
{
    const TSimpleXMLElem* poi = Poi(poiIndex);
    if (toDoc(m_controls.FlatEdit1->text()) != fields.path)
        m_controls.FlatEdit1->setText(fromDoc(fields.path));
    if (!source().offers(PageFeature::LocationField)) {
        if (fields.descriptionChanged)
            m_controls.FlatEdit5->setText(shownValue(ValueOrEmpty(*poi, kWorldDescriptionProperty),
                                                     source().offers(PageFeature::LineBreakReferences)));
        showWorldPosition(fields.worldAt);
        m_controls.Label5->setText(fields.worldAt ? fromDoc(fields.label) : m_pageLabel);
    } else {
        m_controls.ed_locX->setValue(fields.x);
        m_controls.ed_locY->setValue(fields.y);
        m_controls.Label5->setText(fromDoc(fields.label));
    }
    m_tree->refreshPoi(poiIndex);
    PlacePoiMarker(poiIndex, false);
    if (fields.buttonSize) {
        const IntPairShift shift = anchorShift(poi);
        const int x = fields.worldAt ? fields.worldAt->first : fields.x;
        const int y = fields.worldAt ? fields.worldAt->second : fields.y;
        placePositionButton(x + shift.x, y + shift.y, *fields.buttonSize, kMarkerPairTailChars);
    } else if (fields.worldAt || !source().offers(PageFeature::LocationField)) {
        m_controls.Panel1->setPositionButtonVisible(false);
    }
    finishApply();
}

const char* IconPageEditor::typeProperty() const
{
    return source().typeProperty();
}

int IconPageEditor::findType(const QString& type) const
{
    // A zone page's own values are listed as they stand: one differing in case is another value.
    const Qt::MatchFlags exact = source().offers(PageFeature::OwnTypeValues)
        ? Qt::MatchFixedString | Qt::MatchCaseSensitive : Qt::MatchFixedString;
    return m_controls.cb_icontype->findText(type, exact);
}

void IconPageEditor::finishApply()
{
    m_controls.FlatMemo1->document()->setModified(false);
    m_controls.FlatEdit3->setModified(false);
    m_state.EditsPending = false;
}

void IconPageEditor::FlatEdit2Change()
{
    writePageField(m_controls.FlatEdit2, "Name");
}

void IconPageEditor::FlatEdit4Change()
{
    // A zone page's location name belongs to the map style file: never written into the page.
    if (!source().offers(PageFeature::OwnZoneName))
        return;
    writePageField(m_controls.FlatEdit4, "1location");
}

void IconPageEditor::writePageField(QLineEdit* field, const char* property)
{
    // Only the user's own keystrokes reach the root, at once.
    if (!m_state.DocLoaded || m_state.Updating || !field->isModified())
        return;
    m_document->editPageField(property, toDoc(field->text()));
    field->setModified(false);
}

#include "tools/addZone.h"

#include "tools/DialogSupport.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <climits>

namespace {

constexpr int kClientWidth = 320;
constexpr int kClientHeight = 142;
constexpr int kMargin = 8;
constexpr int kLabelWidth = 60;
constexpr int kRowHeight = 21;
// Labels sit a little lower than their fields and are a little shorter, so their text lines up.
constexpr int kLabelDrop = 3;
constexpr int kLabelHeight = kRowHeight - 4;
constexpr int kRowStep = 26;
constexpr int kSmallButtonWidth = 24;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
constexpr int kFieldX = kMargin + kLabelWidth;
constexpr int kFieldWidth = kClientWidth - kFieldX - kMargin;

const char* const kDefaultZoneText = "0,0,0,0";
const char* const kDefaultScales = "0 / 0";

const DialogCaption kCaptions[] = {
    {"Label1", "Zone ID", "Zone ID"},
    {"Label2", "ZoneRect", "ZoneRect"},
    {"Button3", "...", "..."},
    {"CheckBox1", "core_mapstyles.xml 변경(&U)", "&Update Core_mapstyles.xml"},
    {"Button1", "적용(&A)", "&Apply"},
    {"Button2", "취소(&C)", "&Cancel"},
};

}  // namespace

TForm4::TForm4(Prompts& prompts, QWidget* parent, Language language) : QDialog(parent), m_prompts(prompts)
{
    SetFixedDialogFrame(*this, "TForm4", kClientWidth, kClientHeight);
    createControls();
    FormCreate(language);
}

void TForm4::createControls()
{
    int y = kMargin;
    Label1 = PlaceControl(new QLabel(this), "Label1", kMargin, y + kLabelDrop, kLabelWidth, kLabelHeight);
    FlatEdit1 = PlaceControl(new QLineEdit(this), "FlatEdit1", kFieldX, y, kFieldWidth, kRowHeight);

    y += kRowStep;
    Label2 = PlaceControl(new QLabel(this), "Label2", kMargin, y + kLabelDrop, kLabelWidth, kLabelHeight);
    FlatEdit2 = PlaceControl(new QLineEdit(this), "FlatEdit2", kFieldX, y, kFieldWidth - kSmallButtonWidth, kRowHeight);
    Button3 = PlaceControl(new QPushButton(this), "Button3", kClientWidth - kMargin - kSmallButtonWidth, y,
                           kSmallButtonWidth, kRowHeight);
    for (QLineEdit* field : {FlatEdit1, FlatEdit2})
        field->setMaxLength(INT_MAX);

    y += kRowHeight;
    Label3 = PlaceControl(new QLabel(this), "Label3", kFieldX, y, kFieldWidth, kLabelHeight);

    y += kRowStep;
    CheckBox1 = PlaceControl(new QCheckBox(this), "CheckBox1", kMargin, y, kClientWidth - 2 * kMargin, kRowHeight);

    const int buttonY = kClientHeight - kButtonHeight - kMargin;
    Button1 = PlaceControl(new QPushButton(this), "Button1", kClientWidth - 2 * (kButtonWidth + kMargin), buttonY,
                           kButtonWidth, kButtonHeight);
    Button2 = PlaceControl(new QPushButton(this), "Button2", kClientWidth - kButtonWidth - kMargin, buttonY,
                           kButtonWidth, kButtonHeight);
    Button3->setAutoDefault(false);
    Button1->setDefault(true);

    connect(Button1, &QPushButton::clicked, this, [this]() {
        Button1Click();
        accept();
    });
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    connect(Button3, &QPushButton::clicked, this, &TForm4::Button3Click);

    SetTabOrder({FlatEdit1, FlatEdit2, Button3, CheckBox1, Button1, Button2});
}

void TForm4::FormCreate(Language language)
{
    setWindowTitle(language == Language::Korean ? QStringLiteral("ZoneRect 추가하기")
                                                : QStringLiteral("Add ZoneRect"));
    ApplyDialogCaptions(*this, kCaptions, language);
    FlatEdit2->setText(QLatin1String(kDefaultZoneText));
    Label3->setText(QLatin1String(kDefaultScales));
    CheckBox1->setChecked(false);
}

void TForm4::setZone(const QString& mapName, const QString& zoneText)
{
    FlatEdit1->setText(mapName);
    FlatEdit2->setText(zoneText);
}

QString TForm4::zoneId() const
{
    return FlatEdit1->text();
}

QString TForm4::zoneText() const
{
    return FlatEdit2->text();
}

void TForm4::Button1Click()
{
    const std::string mapName = zoneId().toStdString();
    const std::string zone = zoneText().toStdString();
    m_mapStyleUpdate.reset();
    if (m_setup.pageOpen && CheckBox1->isChecked()) {
        try {
            m_mapStyleUpdate = UpdateMapStyleFile(m_setup.styleFolder, mapName, zone);
        } catch (const ZoneUpdateError& error) {
            m_prompts.showMessage(QString::fromStdString(error.what()));
        }
    }
    // Recorded whatever became of the map style file; a failed write goes unreported.
    WriteZoneDefinition(m_setup.configPath, mapName, zone);
}

void TForm4::Button3Click()
{
    if (!m_setup.pageOpen || !m_setup.document)
        return;
    const ZoneComputation result =
        ComputeZoneFromPois(m_setup.document->Root(), m_setup.pageWidth, m_setup.pageHeight, m_setup.anchor);
    switch (result.status) {
    case ZoneComputeStatus::TooFewPois:
        m_prompts.showMessage(QLatin1String(ZoneRectText::kNeedTwoPois));
        return;
    case ZoneComputeStatus::Failed:
        return;  // the fields keep what they showed
    case ZoneComputeStatus::Computed:
        FlatEdit2->setText(QString::fromStdString(ZoneText(result.zone)));
        Label3->setText(QString::fromStdString(ScalesText(result.scaleX, result.scaleY)));
        return;
    }
}

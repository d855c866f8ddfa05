#include "tools/AddpointF.h"

#include "document/PoiTypes.h"
#include "tools/DialogSupport.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTextBlock>
#include <QTextDocument>

#include <algorithm>
#include <climits>

namespace {

constexpr int kClientWidth = 323;
constexpr int kClientHeight = 289;
constexpr int kLabelX = 8;
constexpr int kFieldX = 56;
constexpr int kFieldWidth = 257;
constexpr int kSpinWidth = 124;
constexpr int kRowHeight = 21;
// Labels sit a little lower than their fields and are a little shorter, so their text lines up.
constexpr int kLabelDrop = 3;
constexpr int kLabelHeight = kRowHeight - 4;
constexpr int kRowStep = 26;
constexpr int kFirstRowY = 8;
constexpr int kTooltipHeight = 110;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
constexpr int kButtonGap = 8;

const DialogCaption kCaptions[] = {
    {"Button1", "생성(&A)", "&Add"},
    {"Button2", "취소(&C)", "&Cancel"},
    {"Label1", "명칭", "Name"},
    {"Label2", "위치", "LOC"},
    {"Label3", "종류", "Type"},
    {"Label4", "좌표", "Path"},
    {"Label5", "툴팁", "Tooltip"},
};

int rowY(int row)
{
    return kFirstRowY + row * kRowStep;
}

}  // namespace

TForm3::TForm3(QWidget* parent, Language language) : QDialog(parent)
{
    SetFixedDialogFrame(*this, "TForm3", kClientWidth, kClientHeight);
    createControls();
    FormCreate(language);
}

void TForm3::createControls()
{
    Label1 = PlaceControl(new QLabel(this), "Label1", kLabelX, rowY(0) + kLabelDrop, kFieldX - kLabelX, kLabelHeight);
    ed_name = PlaceControl(new QLineEdit(QStringLiteral("Anywhere"), this), "ed_name", kFieldX, rowY(0), kFieldWidth,
                           kRowHeight);
    // A line edit cuts text at 32767 characters unless told otherwise.
    ed_name->setMaxLength(INT_MAX);

    Label2 = PlaceControl(new QLabel(this), "Label2", kLabelX, rowY(1) + kLabelDrop, kFieldX - kLabelX, kLabelHeight);
    ed_locx = PlaceControl(new QSpinBox(this), "ed_locx", kFieldX, rowY(1), kSpinWidth, kRowHeight);
    ed_locy = PlaceControl(new QSpinBox(this), "ed_locy", kFieldX + kFieldWidth - kSpinWidth, rowY(1), kSpinWidth,
                           kRowHeight);
    for (QSpinBox* spin : {ed_locx, ed_locy})
        spin->setRange(INT_MIN, INT_MAX);

    Label3 = PlaceControl(new QLabel(this), "Label3", kLabelX, rowY(2) + kLabelDrop, kFieldX - kLabelX, kLabelHeight);
    cb_icontype = PlaceControl(new QComboBox(this), "cb_icontype", kFieldX, rowY(2), kFieldWidth, kRowHeight);
    for (const char* type : kPoiTypes)
        cb_icontype->addItem(QLatin1String(type));

    Label4 = PlaceControl(new QLabel(this), "Label4", kLabelX, rowY(3) + kLabelDrop, kFieldX - kLabelX, kLabelHeight);
    ed_path = PlaceControl(new QLineEdit(QStringLiteral("0, 0, 0"), this), "ed_path", kFieldX, rowY(3), kFieldWidth,
                           kRowHeight);
    ed_path->setMaxLength(INT_MAX);

    Label5 = PlaceControl(new QLabel(this), "Label5", kLabelX, rowY(4) + kLabelDrop, kFieldX - kLabelX, kLabelHeight);
    ed_tooltip = PlaceControl(new QPlainTextEdit(QStringLiteral("AnyWhere"), this), "ed_tooltip", kFieldX, rowY(4),
                              kFieldWidth, kTooltipHeight);
    ed_tooltip->setLineWrapMode(QPlainTextEdit::NoWrap);
    ed_tooltip->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    ed_tooltip->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    ed_tooltip->setTabChangesFocus(true);

    const int buttonY = kClientHeight - kButtonHeight - kButtonGap;
    Button1 = PlaceControl(new QPushButton(this), "Button1", kClientWidth - 2 * (kButtonWidth + kButtonGap), buttonY,
                           kButtonWidth, kButtonHeight);
    Button2 = PlaceControl(new QPushButton(this), "Button2", kClientWidth - kButtonWidth - kButtonGap, buttonY,
                           kButtonWidth, kButtonHeight);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);

    SetTabOrder({ed_name, ed_locx, ed_locy, cb_icontype, ed_path, ed_tooltip, Button1, Button2});
}

void TForm3::FormCreate(Language language)
{
    setWindowTitle(QStringLiteral("Add point"));
    ApplyDialogCaptions(*this, kCaptions, language);
    cb_icontype->setCurrentIndex(0);
}

void TForm3::setTypes(const QStringList& types, const QString& current)
{
    cb_icontype->clear();
    cb_icontype->addItems(types);
    cb_icontype->setCurrentIndex(std::max(0, static_cast<int>(types.indexOf(current))));
}

void TForm3::setPlace(int x, int y, const QString& path)
{
    ed_locx->setValue(x);
    ed_locy->setValue(y);
    if (!path.isEmpty())
        ed_path->setText(path);
}

NewPoiFields TForm3::fields() const
{
    NewPoiFields fields;
    fields.iconType = cb_icontype->currentText().toStdString();
    fields.location = QStringLiteral("%1,%2").arg(ed_locx->value()).arg(ed_locy->value()).toStdString();
    fields.name = ed_name->text().toStdString();
    fields.path = ed_path->text().toStdString();
    // Block texts, not the plain-text export, which turns no-break spaces into blanks.
    QStringList lines;
    for (QTextBlock block = ed_tooltip->document()->begin(); block.isValid(); block = block.next())
        lines << block.text();
    fields.tooltip = lines.join(QLatin1String("\r\n")).toStdString();
    return fields;
}

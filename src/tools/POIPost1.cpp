#include "tools/POIPost1.h"

#include "document/IconPageFile.h"
#include "support/ConfigRules.h"
#include "tools/PoiAnswerWindow.h"
#include "tools/PoiPoster.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>
#include <QVBoxLayout>

#include <exception>
#include <limits>
#include <utility>

namespace {

constexpr int kClientWidth = 398;
constexpr int kClientHeight = 380;
// Long type items must not widen the fixed dialog: the list shows this many characters.
constexpr int kTypeListChars = 30;

struct CaptionRow {
    const char* name;
    const char* korean;
    const char* english;
};

const CaptionRow kCaptions[] = {
    {"TForm2", "POI", "POI"},
    {"Label5", " mapboard Username : ", " mapboard Username : "},
    {"GroupBox1", " Map data ", " Map data "},
    {"Label4", "Name", "Name"},
    {"Label3", "Type", "Type"},
    {"Label2", "Zone", "Zone"},
    {"Label1", "Loc", "Loc"},
    {"chk_nodesc", "설명 없음", "No description"},
    {"btn_summit", "보내기", "Summit"},
    {"Button1", "닫기", "&Close"},
};

QString captionOf(Language language, const QObject* control)
{
    const QByteArray name = control->objectName().toLatin1();
    for (const CaptionRow& row : kCaptions) {
        if (name == row.name)
            return QString::fromUtf8(language == Language::Korean ? row.korean : row.english);
    }
    return {};
}

template <typename W>
W* named(W* widget, const char* name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

// The memo's lines joined by CR LF, each line as shown (no-break spaces kept).
QString memoText(const QPlainTextEdit& memo)
{
    QString text = memo.document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1String("\r\n"));
    return text;
}

}  // namespace

TForm2::TForm2(const PoiPostSettings& settings, Prompts& prompts, QWidget* parent)
    : QDialog(parent), m_prompts(prompts), m_configPath(settings.configPath), m_endpoint(settings.endpoint)
{
    setObjectName(QStringLiteral("TForm2"));
    // A fixed single border with the system menu and the minimise box.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFixedSize(kClientWidth, kClientHeight);
    createControls();
    m_poster = new PoiPoster(this);
    m_poster->setObjectName(QStringLiteral("poster"));
    connect(m_poster, &PoiPoster::answered, this, &TForm2::postAnswered);
    connect(m_poster, &PoiPoster::failed, this, &TForm2::postFailed);
    FormCreate();
}

void TForm2::createControls()
{
    Label5 = named(new QLabel(this), "Label5");
    ed_user = named(new QLineEdit(this), "ed_user");
    GroupBox1 = named(new QGroupBox(this), "GroupBox1");
    Label4 = named(new QLabel(GroupBox1), "Label4");
    ed_name = named(new QLineEdit(GroupBox1), "ed_name");
    Label3 = named(new QLabel(GroupBox1), "Label3");
    cb_type = named(new QComboBox(GroupBox1), "cb_type");
    cb_type->setEditable(false);
    cb_type->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cb_type->setMinimumContentsLength(kTypeListChars);
    Label2 = named(new QLabel(GroupBox1), "Label2");
    ed_zone = named(new QLineEdit(GroupBox1), "ed_zone");
    Label1 = named(new QLabel(GroupBox1), "Label1");
    ed_pathloc = named(new QLineEdit(GroupBox1), "ed_pathloc");
    chk_nodesc = named(new QCheckBox(GroupBox1), "chk_nodesc");
    ed_desc = named(new QPlainTextEdit(GroupBox1), "ed_desc");
    btn_summit = named(new QPushButton(this), "btn_summit");
    Button1 = named(new QPushButton(this), "Button1");
    // Enter in a field must not send or close: both buttons act on a click only.
    btn_summit->setAutoDefault(false);
    Button1->setAutoDefault(false);
    // Values are sent as typed; a line edit would cut them at 32767 characters.
    for (QLineEdit* field : {ed_user, ed_name, ed_zone, ed_pathloc})
        field->setMaxLength(std::numeric_limits<int>::max());

    auto* fields = new QGridLayout(GroupBox1);
    int row = 0;
    for (const auto& [label, field] : {std::pair<QLabel*, QWidget*>{Label4, ed_name}, {Label3, cb_type},
                                       {Label2, ed_zone}, {Label1, ed_pathloc}}) {
        fields->addWidget(label, row, 0);
        fields->addWidget(field, row++, 1);
    }
    fields->addWidget(chk_nodesc, row++, 1);
    fields->addWidget(ed_desc, row, 0, 1, 2);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btn_summit);
    buttons->addWidget(Button1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label5);
    layout->addWidget(ed_user);
    layout->addWidget(GroupBox1, 1);
    layout->addLayout(buttons);

    connect(ed_user, &QLineEdit::textChanged, this, &TForm2::ed_userChange);
    connect(btn_summit, &QPushButton::clicked, this, &TForm2::btn_summitClick);
    connect(Button1, &QPushButton::clicked, this, &QDialog::reject);
}

void TForm2::applyLanguage()
{
    setFont(languageFont(m_language));
    setWindowTitle(captionOf(m_language, this));
    for (QLabel* label : {Label5, Label4, Label3, Label2, Label1})
        label->setText(captionOf(m_language, label));
    GroupBox1->setTitle(captionOf(m_language, GroupBox1));
    chk_nodesc->setText(captionOf(m_language, chk_nodesc));
    btn_summit->setText(captionOf(m_language, btn_summit));
    Button1->setText(captionOf(m_language, Button1));
}

void TForm2::FormCreate()
{
    m_language = systemLanguage();
    applyLanguage();
    cb_type->addItems(DefaultPoiTypes());
    cb_type->setCurrentIndex(-1);
    try {
        const ProfileFile profile(m_configPath.toStdString(), Config::kMaxConfigBytes);
        if (!profile.loaded())
            return;
        const std::string user = profile.readString(Config::kConfigSection, Config::kUserKey);
        ed_user->setText(QString::fromStdString(user));
        m_userName = ed_user->text();
        m_endpoint = QString::fromStdString(
            profile.readString(Config::kConfigSection, Config::kPoiUrlKey, Config::kDefaultPoiUrl));
        const QStringList types = ConfiguredPoiTypes(profile);
        if (!types.isEmpty()) {
            cb_type->clear();
            cb_type->addItems(types);
            cb_type->setCurrentIndex(-1);
        }
    } catch (const std::exception& error) {
        m_prompts.showMessage(QString::fromUtf8(error.what()));
    }
}

void TForm2::fill(const PoiRecord& record)
{
    ed_name->setText(record.name);
    QStringList types;
    for (int i = 0; i < cb_type->count(); ++i)
        types << cb_type->itemText(i);
    cb_type->setCurrentIndex(ChoosePoiType(types, record.iconStyle));
    ed_zone->setText(record.zone);
    ed_pathloc->setText(record.pathLocation);
    QString lines = record.tooltip;
    lines.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    ed_desc->setPlainText(lines);
}

PoiSubmission TForm2::submission() const
{
    PoiSubmission fields;
    fields.name = ed_name->text();
    fields.type = cb_type->currentIndex() >= 0 ? cb_type->currentText() : QString();
    fields.zone = ed_zone->text();
    fields.pathLocation = ed_pathloc->text();
    fields.description = memoText(*ed_desc);
    fields.noDescription = chk_nodesc->isChecked();
    fields.userName = m_userName;
    return fields;
}

void TForm2::ed_userChange()
{
    m_userName = ed_user->text();
}

void TForm2::btn_summitClick()
{
    // One post at a time: a double click must not send the POI twice.
    btn_summit->setEnabled(false);
    m_poster->post(QUrl(m_endpoint), SubmitPayload(BuildSubmitBody(submission())));
}

void TForm2::postAnswered(const QUrl& url, const QByteArray& content, const QByteArray& contentType)
{
    btn_summit->setEnabled(true);
    // A window of the dialog's own, so it can be used while the dialog is modal.
    auto* answer = new PoiAnswerWindow(url, content, contentType, m_language, this);
    answer->show();
}

void TForm2::postFailed(const QString& message)
{
    btn_summit->setEnabled(true);
    m_prompts.showMessage(message);
}

void TForm2::FormClose()
{
    try {
        ProfileFile profile(m_configPath.toStdString(), Config::kMaxConfigBytes);
        profile.writeString(Config::kConfigSection, Config::kUserKey, m_userName.toStdString());
    } catch (const std::exception& error) {
        m_prompts.showMessage(QString::fromUtf8(error.what()));
    }
}

void TForm2::done(int result)
{
    FormClose();
    // Answers stay open after the dialog, as a browser window would.
    for (PoiAnswerWindow* answer : findChildren<PoiAnswerWindow*>(QString(), Qt::FindDirectChildrenOnly)) {
        const bool shown = answer->isVisible();
        answer->setParent(parentWidget(), answer->windowFlags());
        answer->setVisible(shown);
    }
    QDialog::done(result);
}

void TForm2::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    ed_name->setFocus();
}

void OpenPoiSubmission(QWidget* owner, TSimpleXML& page, int poiIndex, const PoiPostSettings& settings,
                       Prompts& prompts)
{
    PoiRecord record;
    try {
        record = ReadPoiRecord(page, poiIndex, settings.zoneName, settings.typeProperty);
    } catch (const MissingPropertyError&) {
        prompts.showMessage(QString::fromLatin1(kSummitFail));
        return;
    }
    TForm2 dialog(settings, prompts, owner);
    dialog.fill(record);
    dialog.exec();
}

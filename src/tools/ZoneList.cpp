#include "tools/ZoneList.h"

#include "document/EditorSupport.h"
#include "document/IconPageFile.h"

#include <QCoreApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include <chrono>

namespace {

constexpr int kClientWidth = 404;
constexpr int kClientHeight = 291;
constexpr int kMargin = 8;
constexpr int kListHeight = 225;
constexpr int kLabelHeight = 16;
constexpr int kLabelGap = 4;
constexpr int kLabel1Top = kMargin + kListHeight + kLabelGap;
constexpr int kLabel2Top = kLabel1Top + kLabelHeight + kLabelGap;
constexpr int kLabelWidth = 220;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
constexpr int kButtonTop = kClientHeight - kMargin - kButtonHeight;
constexpr int kButtonGap = 6;
// How long found lines may wait before the worker hands them to the list.
constexpr std::chrono::milliseconds kLineDeliveryInterval(20);

using Clock = std::chrono::steady_clock;

// The one user-interface thread of the application runs the worker's calls from its event loop.
void postToApplication(std::function<void()> call)
{
    if (QCoreApplication* app = QCoreApplication::instance())
        QMetaObject::invokeMethod(app, std::move(call), Qt::QueuedConnection);
}

struct Captions {
    const char* title;
    const char* choose;
    const char* cancel;
};

const Captions kKoreanCaptions = {"맵이름으로 열기", "선택(&O)", "취소(&C)"};
const Captions kEnglishCaptions = {"Open Zone", "&Ok", "&Cancel"};

} // namespace

TForm7::TForm7(QWidget* parent) : QDialog(parent), ReadMaps(postToApplication)
{
    setObjectName(QStringLiteral("TForm7"));
    // Fixed single border with system menu and minimise box.
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                   | Qt::WindowCloseButtonHint);
    setFixedSize(kClientWidth, kClientHeight);

    ZoneList = new QListWidget(this);
    ZoneList->setObjectName(QStringLiteral("ZoneList"));
    ZoneList->setGeometry(kMargin, kMargin, kClientWidth - 2 * kMargin, kListHeight);
    ZoneList->setSelectionMode(QAbstractItemView::SingleSelection);

    Label1 = new QLabel(MapsLabelText(0), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(kMargin, kLabel1Top, kLabelWidth, kLabelHeight);
    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(kMargin, kLabel2Top, kLabelWidth, kLabelHeight);

    Button2 = new QPushButton(this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(kClientWidth - kMargin - kButtonWidth, kButtonTop, kButtonWidth, kButtonHeight);
    Button1 = new QPushButton(this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(Button2->x() - kButtonGap - kButtonWidth, kButtonTop, kButtonWidth, kButtonHeight);
    Button1->setEnabled(false);
    Button1->setAutoDefault(false);
    Button2->setAutoDefault(false);

    ConfigureIconPageDocument(XMLLoader);
    ReadMaps.onExecute = [this](TThreadData& Data, TAloneThread& Thread) { ReadMapsExecute(Data, Thread); };
    ReadMaps.NoCreateOnRun = true;

    // Escape rejects the dialog, which is Button2's result too.
    connect(Button1, &QPushButton::clicked, this, &TForm7::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    connect(ZoneList, &QListWidget::itemSelectionChanged, this, &TForm7::ZoneListClick);
    // A double click or Enter on a line chooses it, as Ok does.
    connect(ZoneList, &QListWidget::itemActivated, Button1, &QPushButton::click);
    FormCreate();
}

TForm7::~TForm7()
{
    FormDestroy();
}

void TForm7::FormCreate()
{
    m_chosenFile.clear();
    m_fileNames.clear();
    applyLanguage(systemLanguage());
}

void TForm7::applyLanguage(Language language)
{
    setFont(languageFont(language));
    const Captions& captions = language == Language::Korean ? kKoreanCaptions : kEnglishCaptions;
    setWindowTitle(QString::fromUtf8(captions.title));
    Button1->setText(QString::fromUtf8(captions.choose));
    Button2->setText(QString::fromUtf8(captions.cancel));
}

void TForm7::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Showing again after a minimise must not start another scan.
    if (!m_shown) {
        m_shown = true;
        FormShow();
    }
}

void TForm7::FormShow()
{
    ReadMaps.Run(nullptr);
}

void TForm7::FormDestroy()
{
    // The worker hands lines to the list: it must have ended before the controls go away.
    ReadMaps.StopAndWait();
    m_fileNames.clear();
}

void TForm7::Button1Click()
{
    if (QListWidgetItem* line = ZoneList->currentItem(); line && line->isSelected())
        m_chosenFile = m_fileNames.at(line->data(Qt::UserRole).toInt());
    accept();
}

void TForm7::ZoneListClick()
{
    QListWidgetItem* line = ZoneList->currentItem();
    const bool selected = line && line->isSelected();
    Button1->setEnabled(selected);
    if (selected)
        Label2->setText(fromDoc(m_fileNames.at(line->data(Qt::UserRole).toInt())));
}

void TForm7::addPage(ZonePage page)
{
    const int index = static_cast<int>(m_fileNames.size());
    m_fileNames.push_back(std::move(page.fileName));
    const QString location = fromDoc(page.location);
    // The first line that sorts after the new one; equal names keep their order of discovery.
    int low = 0;
    int high = ZoneList->count();
    while (low < high) {
        const int middle = (low + high) / 2;
        const QListWidgetItem* line = ZoneList->item(middle);
        if (ZoneLineLess(m_collation, location, index, line->text(), line->data(Qt::UserRole).toInt()))
            high = middle;
        else
            low = middle + 1;
    }
    auto* line = new QListWidgetItem(location);
    line->setData(Qt::UserRole, index);
    ZoneList->insertItem(low, line);
}

void TForm7::ReadMapsExecute(TThreadData&, TAloneThread& Thread)
{
    Thread.Synchronize([this]() {
        m_fileNames.clear();
        ZoneList->clear();
    });
    // The first line goes out at once, later ones in one call per interval: each delivery costs
    // the user-interface thread a repaint of the list, which one per page would multiply.
    std::vector<ZonePage> pending;
    bool delivered = false;
    Clock::time_point lastDelivery;
    auto addPending = [this, &pending]() {
        for (ZonePage& page : pending)
            addPage(std::move(page));
        pending.clear();
    };
    ScanZoneFolder(
        m_folder, XMLLoader,
        [&](ZonePage page) {
            pending.push_back(std::move(page));
            if (!delivered || Clock::now() - lastDelivery >= kLineDeliveryInterval) {
                Thread.Synchronize(addPending);
                delivered = true;
                lastDelivery = Clock::now();
            }
        },
        [&Thread]() { return Thread.Terminated(); });
    Thread.Synchronize([this, &addPending]() {
        addPending();
        Label1->setText(MapsLabelText(ZoneList->count()));
    });
}

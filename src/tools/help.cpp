#include "tools/help.h"

#include "support/ConfigRules.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QMovie>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kClientWidth = 202;
constexpr int kClientHeight = 208;
constexpr int kFontPoints = 8;
// Tight spacing: both animations, two text lines and the button share 208 pixels.
constexpr int kMargin = 6;
constexpr int kSpacing = 4;

const char* const kProgramName = "Simple VYNMAP Editor";
const char* const kCreditFormat = "by the VynMAP Editor team\nfor %1";
const char* const kGifani1Resource = ":/about/gifani1.gif";
const char* const kGifani2Resource = ":/about/gifani2.gif";

QString fanSiteHost()
{
    return QString::fromStdString(Config::UrlHost(Config::kDefaultPoiUrl));
}

QLabel* animation(QWidget* parent, const char* name, QMovie* movie, QSize size)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setFixedSize(size);
    label->setMovie(movie);
    return label;
}

}  // namespace

// The images live in the tools library; a static library's resources are registered by hand.
static void initAboutResources()
{
    Q_INIT_RESOURCE(help);
}

TForm5::TForm5(QWidget* parent) : QDialog(parent)
{
    initAboutResources();
    setObjectName(QStringLiteral("TForm5"));
    setWindowTitle(QStringLiteral("About"));
    // A fixed single border with only the system menu; the same font in every language.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint);
    setFixedSize(kClientWidth, kClientHeight);
    setFont(QFont(QStringLiteral("MS Sans Serif"), kFontPoints));

    Label1 = new QLabel(QString::fromLatin1(kProgramName), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label2 = new QLabel(QString::fromLatin1(kCreditFormat).arg(fanSiteHost()), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    for (QLabel* label : {Label1, Label2})
        label->setAlignment(Qt::AlignCenter);

    m_movie1 = new QMovie(QString::fromLatin1(kGifani1Resource), QByteArray(), this);
    m_movie2 = new QMovie(QString::fromLatin1(kGifani2Resource), QByteArray(), this);
    // Small movies: keeping every frame lets the upper one start at its third frame.
    m_movie1->setCacheMode(QMovie::CacheAll);
    gifani1 = animation(this, "gifani1", m_movie1, kGifani1Size);
    gifani1->setCursor(Qt::PointingHandCursor);
    gifani1->setToolTip(fanSiteHome().toString());
    gifani1->installEventFilter(this);
    gifani2 = animation(this, "gifani2", m_movie2, kGifani2Size);

    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    layout->setSpacing(kSpacing);
    layout->addWidget(Label1);
    layout->addWidget(Label2);
    for (QLabel* image : {gifani1, gifani2})
        layout->addWidget(image, 0, Qt::AlignHCenter);
    layout->addWidget(Button1, 0, Qt::AlignHCenter);
}

QUrl TForm5::fanSiteHome()
{
    return QUrl(QStringLiteral("http://%1/").arg(fanSiteHost()));
}

void TForm5::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TForm5::FormShow()
{
    m_movie1->start();
    m_movie1->jumpToFrame(kGifani1FirstFrame);
    m_movie2->start();
}

bool TForm5::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == gifani1 && event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        gifani1Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TForm5::gifani1Click()
{
    // The platform reports its own failures; the result changes nothing here.
    QDesktopServices::openUrl(fanSiteHome());
}

#include "tools/PoiAnswerWindow.h"

#include <QDesktopServices>
#include <QDir>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTemporaryFile>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace {

constexpr int kWindowWidth = 640;
constexpr int kWindowHeight = 480;

const char* const kOpenCaptionKorean = "브라우저로 열기";
const char* const kOpenCaptionEnglish = "Open in &Browser";

QString openCaption(Language language)
{
    return QString::fromUtf8(language == Language::Korean ? kOpenCaptionKorean : kOpenCaptionEnglish);
}

}  // namespace

PoiAnswerWindow::PoiAnswerWindow(const QUrl& url, const QString& html, Language language, QWidget* parent)
    : QWidget(parent, Qt::Window), m_url(url), m_html(html)
{
    setObjectName(QStringLiteral("PoiAnswerWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(url.toString());
    setFont(languageFont(language));

    m_view = new QTextBrowser(this);
    m_view->setObjectName(QStringLiteral("AnswerView"));
    m_view->setReadOnly(true);
    // Links leave for the browser; the view never follows one or loads anything from the site.
    m_view->setOpenLinks(false);
    m_view->setHtml(html);
    connect(m_view, &QTextBrowser::anchorClicked, this, &PoiAnswerWindow::linkClicked);

    auto* open = new QPushButton(openCaption(language), this);
    open->setObjectName(QStringLiteral("OpenInBrowser"));
    connect(open, &QPushButton::clicked, this, &PoiAnswerWindow::openInBrowser);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(open);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_view);
    layout->addLayout(buttons);
    resize(kWindowWidth, kWindowHeight);
}

void PoiAnswerWindow::linkClicked(const QUrl& link)
{
    QDesktopServices::openUrl(m_url.resolved(link));
}

bool PoiAnswerWindow::openInBrowser()
{
    if (!m_browserCopy) {
        auto* file = new QTemporaryFile(QDir::tempPath() + QStringLiteral("/vynmap-answer-XXXXXX.html"), this);
        // The copy is UTF-8 whatever the site sent; the base keeps the site's relative links working.
        const QByteArray head = "<meta charset=\"utf-8\"><base href=\""
            + m_url.toString(QUrl::FullyEncoded).toHtmlEscaped().toUtf8() + "\">";
        const QByteArray bytes = head + m_html.toUtf8();
        if (!file->open() || file->write(bytes) != bytes.size() || !file->flush()) {
            delete file;
            return false;
        }
        file->close();
        m_browserCopy = file;
    }
    return QDesktopServices::openUrl(QUrl::fromLocalFile(m_browserCopy->fileName()));
}

#include "tools/PoiAnswerWindow.h"

#include "tools/PoiPoster.h"

#include <QDesktopServices>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryFile>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace {

constexpr int kWindowWidth = 640;
constexpr int kWindowHeight = 480;

constexpr double kBytesPerMiB = 1024.0 * 1024.0;

const char* const kOpenCaptionKorean = "브라우저로 열기";
const char* const kOpenCaptionEnglish = "Open in &Browser";
// %1: the answer's size, %2: the size shown, both in MB.
const char* const kCutNoticeKorean = "응답이 %1 MB로 너무 커서 처음 %2 MB만 표시합니다. "
                                     "전체 페이지는 브라우저로 열어 보십시오.";
const char* const kCutNoticeEnglish = "The answer is %1 MB long; only its first %2 MB are shown here. "
                                      "Open in Browser shows the whole page.";

QString openCaption(Language language)
{
    return QString::fromUtf8(language == Language::Korean ? kOpenCaptionKorean : kOpenCaptionEnglish);
}

QString cutNotice(Language language, qsizetype total)
{
    return QString::fromUtf8(language == Language::Korean ? kCutNoticeKorean : kCutNoticeEnglish)
        .arg(total / kBytesPerMiB, 0, 'f', 1)
        .arg(PoiAnswerWindow::kShownAnswerBytes / kBytesPerMiB, 0, 'f', 0);
}

}  // namespace

PoiAnswerWindow::PoiAnswerWindow(const QUrl& url, const QByteArray& content, const QByteArray& contentType,
                                 Language language, QWidget* parent)
    : QWidget(parent, Qt::Window), m_url(url), m_content(content), m_contentType(contentType)
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
    // Only the shown part is decoded: a cut inside a character costs at most that character.
    m_view->setHtml(DecodeAnswer(m_content.left(kShownAnswerBytes), m_contentType));
    connect(m_view, &QTextBrowser::anchorClicked, this, &PoiAnswerWindow::linkClicked);

    auto* notice = new QLabel(cutNotice(language, m_content.size()), this);
    notice->setObjectName(QStringLiteral("AnswerCut"));
    notice->setWordWrap(true);
    notice->setVisible(cut());

    auto* open = new QPushButton(openCaption(language), this);
    open->setObjectName(QStringLiteral("OpenInBrowser"));
    connect(open, &QPushButton::clicked, this, &PoiAnswerWindow::openInBrowser);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(open);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(notice);
    layout->addWidget(m_view);
    layout->addLayout(buttons);
    resize(kWindowWidth, kWindowHeight);
}

void PoiAnswerWindow::linkClicked(const QUrl& link)
{
    // A page from the network must not make the desktop open local files or shares.
    const QUrl target = m_url.resolved(link);
    if (IsWebAddress(target))
        QDesktopServices::openUrl(target);
}

bool PoiAnswerWindow::openInBrowser()
{
    if (!m_browserCopy) {
        auto* file = new QTemporaryFile(QDir::tempPath() + QStringLiteral("/vynmap-answer-XXXXXX.html"), this);
        // The copy is UTF-8 whatever the site sent; the base keeps the site's relative links working.
        const QByteArray head = "<meta charset=\"utf-8\"><base href=\""
            + m_url.toString(QUrl::FullyEncoded).toHtmlEscaped().toUtf8() + "\">";
        const QByteArray bytes = head + DecodeAnswer(m_content, m_contentType).toUtf8();
        if (!file->open() || file->write(bytes) != bytes.size() || !file->flush()) {
            delete file;
            return false;
        }
        file->close();
        m_browserCopy = file;
    }
    return QDesktopServices::openUrl(QUrl::fromLocalFile(m_browserCopy->fileName()));
}

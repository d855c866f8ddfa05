#include "tools/PoiPoster.h"

#include "tools/PoiSubmission.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QStringDecoder>
#include <QTimer>

namespace {

constexpr double kMsPerSecond = 1000.0;

QByteArray charsetOf(const QByteArray& contentType)
{
    const QByteArray key = "charset=";
    const int at = contentType.toLower().indexOf(key);
    if (at < 0)
        return {};
    QByteArray charset = contentType.mid(at + key.size());
    const int end = charset.indexOf(';');
    if (end >= 0)
        charset.truncate(end);
    return charset.trimmed().replace('"', QByteArray());
}

}  // namespace

bool IsWebAddress(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    return url.isValid() && !url.host().isEmpty()
        && (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}

QString DecodeAnswer(const QByteArray& content, const QByteArray& contentType)
{
    const QByteArray charset = charsetOf(contentType);
    if (!charset.isEmpty()) {
        QStringDecoder decoder(charset.constData());
        if (decoder.isValid())
            return decoder.decode(content);
    }
    QStringDecoder decoder = QStringDecoder::decoderForHtml(content);
    if (!decoder.isValid())
        decoder = QStringDecoder(QStringConverter::Utf8);
    return decoder.decode(content);
}

PoiPoster::PoiPoster(QObject* parent) : QObject(parent)
{
    m_manager = new QNetworkAccessManager(this);
    m_timer = new QTimer(this);
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &PoiPoster::timedOut);
}

void PoiPoster::post(const QUrl& url, const QByteArray& payload)
{
    if (busy())
        return;
    if (!IsWebAddress(url)) {
        // Reported from the event loop like every other outcome.
        const QString message = QStringLiteral("Cannot post to \"%1\": not an http or https address.")
                                    .arg(url.toString());
        QMetaObject::invokeMethod(this, [this, message]() { emit failed(message); }, Qt::QueuedConnection);
        return;
    }
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArray(kSubmitContentType));
    m_timedOut = false;
    m_reply = m_manager->post(request, payload);
    connect(m_reply, &QNetworkReply::finished, this, &PoiPoster::replyFinished);
    m_timer->start(m_timeoutMs);
}

void PoiPoster::timedOut()
{
    if (m_reply) {
        m_timedOut = true;
        m_reply->abort();
    }
}

void PoiPoster::replyFinished()
{
    m_timer->stop();
    QNetworkReply* reply = m_reply;
    m_reply = nullptr;
    if (!reply)
        return;
    reply->deleteLater();
    if (m_timedOut) {
        emit failed(QStringLiteral("No answer from %1 within %2 seconds.")
                        .arg(reply->url().toString())
                        .arg(m_timeoutMs / kMsPerSecond));
        return;
    }
    if (reply->error() != QNetworkReply::NoError) {
        emit failed(reply->errorString());
        return;
    }
    emit answered(reply->url(), reply->readAll(), reply->header(QNetworkRequest::ContentTypeHeader).toByteArray());
}

#pragma once
// Posts a submission's bytes to the fan site and reports the answer or the failure, once per
// post. No widgets: the dialog shows what it reports.

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;
class QTimer;

// An http or https address with a host. Another scheme (file:, smb:, data:) would read or write
// something other than the fan site.
bool IsWebAddress(const QUrl& url);

// The site's answer decoded for display: the charset of the Content-Type header, else the page's
// own byte order mark or meta charset, else UTF-8.
QString DecodeAnswer(const QByteArray& content, const QByteArray& contentType);

// One post at a time to the submission endpoint, with a time limit.
class PoiPoster : public QObject {
    Q_OBJECT
public:
    static constexpr int kDefaultTimeoutMs = 30000;

    explicit PoiPoster(QObject* parent = nullptr);

    void setTimeoutMs(int milliseconds) { m_timeoutMs = milliseconds; }
    int timeoutMs() const { return m_timeoutMs; }
    bool busy() const { return !m_reply.isNull(); }

    // Posts `payload` with the form content type. Exactly one of answered or failed follows,
    // later, from the event loop; a call while busy is ignored.
    void post(const QUrl& url, const QByteArray& payload);

signals:
    void answered(const QUrl& url, const QByteArray& content, const QByteArray& contentType);
    void failed(const QString& message);

private:
    void replyFinished();
    void timedOut();

    QNetworkAccessManager* m_manager = nullptr;
    QPointer<QNetworkReply> m_reply;
    QTimer* m_timer = nullptr;
    int m_timeoutMs = kDefaultTimeoutMs;
    bool m_timedOut = false;
};

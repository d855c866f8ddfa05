#pragma once
// A small HTTP server on 127.0.0.1 for the submission tests: it records every request it receives
// and answers each with a fixed status and page, or keeps silent to let the client time out.

#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

// How the server answers every request.
struct HttpAnswer {
    QByteArray statusLine = "200 OK";
    QByteArray page = "<html><body><p>Thank you for your POI.</p></body></html>";
    bool silent = false;  // never answer
};

class LocalHttpServer {
public:
    struct Request {
        QByteArray head;  // request line and headers, up to the blank line
        QByteArray body;  // exactly Content-Length bytes
    };

    using Answer = HttpAnswer;

    explicit LocalHttpServer(Answer answer = Answer()) : m_answer(answer)
    {
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this]() { accept(); });
    }

    // Only the loopback address: the tests never reach any other.
    bool listen() { return m_server.listen(QHostAddress(QHostAddress::LocalHost), 0); }
    void close() { m_server.close(); }
    quint16 port() const { return m_server.serverPort(); }
    // The submission address on the loopback address at a port.
    static QUrl urlAt(quint16 port)
    {
        return QUrl(QStringLiteral("http://127.0.0.1:%1/submitpoi.php").arg(port));
    }
    QUrl url() const { return urlAt(port()); }

    QList<Request> requests;

private:
    void accept()
    {
        while (QTcpSocket* socket = m_server.nextPendingConnection()) {
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket]() { read(socket); });
            QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    }

    void read(QTcpSocket* socket)
    {
        QByteArray& buffer = m_buffers[socket];
        buffer += socket->readAll();
        const qsizetype headEnd = buffer.indexOf("\r\n\r\n");
        if (headEnd < 0)
            return;
        const QByteArray head = buffer.left(headEnd);
        const qsizetype length = contentLength(head);
        const qsizetype bodyStart = headEnd + 4;
        if (buffer.size() - bodyStart < length)
            return;
        requests << Request{head, buffer.mid(bodyStart, length)};
        buffer.remove(0, bodyStart + length);
        if (m_answer.silent)
            return;
        socket->write("HTTP/1.1 " + m_answer.statusLine + "\r\nContent-Type: text/html; charset=utf-8\r\n"
                      + "Content-Length: " + QByteArray::number(m_answer.page.size())
                      + "\r\nConnection: close\r\n\r\n" + m_answer.page);
        socket->disconnectFromHost();
    }

    static qsizetype contentLength(const QByteArray& head)
    {
        for (const QByteArray& line : head.split('\n')) {
            const QByteArray trimmed = line.trimmed();
            if (trimmed.toLower().startsWith("content-length:"))
                return trimmed.mid(trimmed.indexOf(':') + 1).trimmed().toLongLong();
        }
        return 0;
    }

    Answer m_answer;
    QTcpServer m_server;
    QHash<QTcpSocket*, QByteArray> m_buffers;
};

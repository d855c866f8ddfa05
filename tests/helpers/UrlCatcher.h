#pragma once
// Takes the addresses the program hands to the platform's web handler, so tests see them instead
// of a browser opening: QDesktopServices::setUrlHandler(scheme, &catcher, "open").

#include <QList>
#include <QObject>
#include <QUrl>

class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls << url; }
};

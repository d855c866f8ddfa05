#pragma once
// A window showing the fan site's answer to one POI post, read-only, with a button that hands the
// answer to the user's web browser.

#include "mapview/Language.h"

#include <QUrl>
#include <QWidget>

class QTemporaryFile;
class QTextBrowser;

// One answer: its HTML shown as text, titled with the address it came from.
class PoiAnswerWindow : public QWidget {
    Q_OBJECT
public:
    PoiAnswerWindow(const QUrl& url, const QString& html, Language language, QWidget* parent = nullptr);

    QUrl url() const { return m_url; }
    QString html() const { return m_html; }

    // Writes the answer to a temporary HTML file (kept while this window lives) and opens it with
    // the user's handler for web pages. False when the file cannot be written.
    bool openInBrowser();

private:
    void linkClicked(const QUrl& link);

    QUrl m_url;
    QString m_html;
    QTextBrowser* m_view = nullptr;
    QTemporaryFile* m_browserCopy = nullptr;
};

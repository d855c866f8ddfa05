#pragma once
// A window showing the fan site's answer to one POI post, read-only, with a button that hands the
// answer to the user's web browser.

#include "mapview/Language.h"

#include <QByteArray>
#include <QUrl>
#include <QWidget>

class QTemporaryFile;
class QTextBrowser;

// One answer: its HTML shown as text, titled with the address it came from.
class PoiAnswerWindow : public QWidget {
    Q_OBJECT
public:
    // The most of an answer the window lays out: a site that sends megabytes must not stall the
    // editor. The browser copy always holds the whole answer.
    static constexpr qsizetype kShownAnswerBytes = 2 * 1024 * 1024;

    // `content` and `contentType` as the site sent them (see DecodeAnswer).
    PoiAnswerWindow(const QUrl& url, const QByteArray& content, const QByteArray& contentType,
                    Language language, QWidget* parent = nullptr);

    QUrl url() const { return m_url; }
    // True when only the first kShownAnswerBytes of the answer are shown.
    bool cut() const { return m_content.size() > kShownAnswerBytes; }

    // Writes the whole answer to a temporary HTML file (kept while this window lives) and opens it
    // with the user's handler for web pages. False when the file cannot be written.
    bool openInBrowser();

private:
    void linkClicked(const QUrl& link);

    QUrl m_url;
    QByteArray m_content;
    QByteArray m_contentType;
    QTextBrowser* m_view = nullptr;
    QTemporaryFile* m_browserCopy = nullptr;
};

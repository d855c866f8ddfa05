#pragma once
// A status bar panel whose text gives way in the middle when it does not fit, whatever width the
// panel has now or gets later; the whole text is its tooltip.

#include <QLabel>

class ElidedLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

    // Shows `text`, elided in the middle to the panel's width; empty clears text and tooltip.
    void setFullText(const QString& text);
    QString fullText() const { return m_fullText; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    // Elides again when the room changed without a resize seen here (a width fixed while the
    // layout was still to apply it): what is drawn always fits.
    void paintEvent(QPaintEvent* event) override;

private:
    int room() const;
    void elide();
    QString m_fullText;
    int m_elidedFor = -1;  // the room the text was elided for
};

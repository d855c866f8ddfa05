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

private:
    void elide();
    QString m_fullText;
};

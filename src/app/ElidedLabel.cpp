#include "app/ElidedLabel.h"

#include <QResizeEvent>

#include <algorithm>

void ElidedLabel::setFullText(const QString& text)
{
    m_fullText = text;
    setToolTip(text);
    elide();
}

void ElidedLabel::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    elide();
}

int ElidedLabel::room() const
{
    // The room inside the frame, the margins and the indent, where the label draws its text.
    return std::max(contentsRect().width() - 2 * margin() - std::max(indent(), 0), 0);
}

void ElidedLabel::elide()
{
    m_elidedFor = room();
    // Eliding measures glyph by glyph and may come out a pixel wider than the whole string
    // measures: ask for less until the text really fits.
    const QFontMetrics metrics = fontMetrics();
    QString shown = metrics.elidedText(m_fullText, Qt::ElideMiddle, m_elidedFor);
    for (int less = 1; less <= m_elidedFor && metrics.horizontalAdvance(shown) > m_elidedFor; ++less)
        shown = metrics.elidedText(m_fullText, Qt::ElideMiddle, m_elidedFor - less);
    setText(shown);
}

void ElidedLabel::paintEvent(QPaintEvent* event)
{
    if (room() != m_elidedFor)
        elide();
    QLabel::paintEvent(event);
}

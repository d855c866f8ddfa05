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

void ElidedLabel::elide()
{
    // The room inside the frame, the margins and the indent, where the label draws its text.
    const int room = contentsRect().width() - 2 * margin() - std::max(indent(), 0);
    setText(fontMetrics().elidedText(m_fullText, Qt::ElideMiddle, std::max(room, 0)));
}

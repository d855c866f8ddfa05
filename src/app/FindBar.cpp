#include "app/FindBar.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>

namespace {
constexpr int kFieldWidth = 220;
}  // namespace

FindBar::FindBar(QWidget* parent) : QDialog(parent, Qt::Tool)
{
    setObjectName(QStringLiteral("FindBar"));
    setModal(false);
    m_text = new QLineEdit(this);
    m_text->setObjectName(QStringLiteral("FindText"));
    m_text->setMinimumWidth(kFieldWidth);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_text);
    m_text->installEventFilter(this);
    connect(m_text, &QLineEdit::textEdited, this, &FindBar::textTyped);
}

void FindBar::open()
{
    show();
    raise();
    activateWindow();
    m_text->setFocus();
    m_text->selectAll();
}

bool FindBar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_text && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            emit stepRequested(key->modifiers().testFlag(Qt::ShiftModifier) ? -1 : 1);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

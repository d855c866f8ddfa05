#include "tools/DialogSupport.h"

#include <QAbstractButton>
#include <QLabel>

void ApplyDialogCaptions(QWidget& dialog, const DialogCaption* rows, std::size_t count, Language language)
{
    dialog.setFont(languageFont(language));
    for (std::size_t i = 0; i < count; ++i) {
        const DialogCaption& row = rows[i];
        const QString text = QString::fromUtf8(language == Language::Korean ? row.korean : row.english);
        if (auto* button = dialog.findChild<QAbstractButton*>(QLatin1String(row.name)))
            button->setText(text);
        else if (auto* label = dialog.findChild<QLabel*>(QLatin1String(row.name)))
            label->setText(text);
    }
}

void SetFixedDialogFrame(QWidget& dialog, const char* name, int clientWidth, int clientHeight)
{
    dialog.setObjectName(QLatin1String(name));
    dialog.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    dialog.setFixedSize(clientWidth, clientHeight);
}

void SetTabOrder(const QList<QWidget*>& controls)
{
    for (int i = 1; i < controls.size(); ++i)
        QWidget::setTabOrder(controls[i - 1], controls[i]);
}

#pragma once
// The non-modal find window of Edit > Find: one text field; typing asks for the first match,
// Enter for the next one and Shift+Enter for the previous one.

#include <QDialog>

class QLineEdit;

// The small find window beside the main window.
class FindBar : public QDialog {
    Q_OBJECT
public:
    explicit FindBar(QWidget* parent = nullptr);

    QLineEdit* field() const { return m_text; }
    // Shows the window with its text selected, ready for typing.
    void open();

signals:
    void textTyped(const QString& text);
    // step +1: the next match, -1: the previous one.
    void stepRequested(int step);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* m_text = nullptr;
};

#pragma once
// The editor's main window.
#include <QMainWindow>
class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);
};

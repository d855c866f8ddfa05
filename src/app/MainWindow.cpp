#include "app/MainWindow.h"
TForm1::TForm1(QWidget* parent) : QMainWindow(parent) {}

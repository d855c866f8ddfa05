#pragma once
// The "Add point" dialog and the new POI element it describes: the element is built by a plain
// function, so tests check its properties without showing the dialog.

#include "document/PageSource.h"
#include "mapview/Language.h"
#include "support/xml/SimpleXml.h"

#include <QDialog>
#include <QStringList>

#include <string>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;

// The "Add point" dialog: the new POI's name, map position, type, world location and tooltip.
class TForm3 : public QDialog {
    Q_OBJECT
public:
    explicit TForm3(QWidget* parent = nullptr, Language language = systemLanguage());

    // The fields as the new element takes them.
    NewPoiFields fields() const;
    // The map position and, when not empty, the world location the dialog starts with.
    void setPlace(int x, int y, const QString& path);
    // Another type list (a zone page's own values join it), with `current` chosen.
    void setTypes(const QStringList& types, const QString& current);

private:
    void FormCreate(Language language);
    void createControls();

    QLineEdit* ed_name = nullptr;
    QSpinBox* ed_locx = nullptr;
    QSpinBox* ed_locy = nullptr;
    QComboBox* cb_icontype = nullptr;
    QLineEdit* ed_path = nullptr;
    QPlainTextEdit* ed_tooltip = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
};

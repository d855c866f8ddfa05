#pragma once
// The "Add ZoneRect" dialog: names a map, takes or computes its zone rectangle and applies it to
// the configuration and, on request, to the map style file.

#include "mapview/Language.h"
#include "mapview/Prompts.h"
#include "tools/ZoneRectEditor.h"

#include <QDialog>

#include <optional>
#include <string>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TSimpleXML;

// What the main window hands the zone rectangle dialog before showing it.
struct ZoneDialogSetup {
    std::string configPath;
    TSimpleXML* document = nullptr;  // the open icon page, not owned
    bool pageOpen = false;
    std::string styleFolder;  // the folder of core_mapstyles.xml
    PoiAnchor anchor = PoiAnchor::Location;  // where the page's POIs sit
    int pageWidth = 436;
    int pageHeight = 506;
};

// The zone rectangle editor dialog.
class TForm4 : public QDialog {
    Q_OBJECT
public:
    explicit TForm4(Prompts& prompts, QWidget* parent = nullptr, Language language = systemLanguage());

    void setSetup(const ZoneDialogSetup& setup) { m_setup = setup; }
    void setZone(const QString& mapName, const QString& zoneText);
    QString zoneId() const;
    QString zoneText() const;
    // What the last apply did to the map style file; none when it did not try.
    std::optional<MapStyleUpdate> mapStyleUpdate() const { return m_mapStyleUpdate; }

    void Button1Click();
    void Button3Click();

private:
    void FormCreate(Language language);
    void createControls();

    Prompts& m_prompts;
    ZoneDialogSetup m_setup;
    std::optional<MapStyleUpdate> m_mapStyleUpdate;

    QLabel* Label1 = nullptr;
    QLineEdit* FlatEdit1 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* FlatEdit2 = nullptr;
    QPushButton* Button3 = nullptr;
    QLabel* Label3 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
};

#pragma once
// The POI submission dialog: the selected POI's fields, the user name on the fan site and a send
// button that posts them to the site's submission form and shows each answer in its own window.

#include "mapview/Language.h"
#include "mapview/Prompts.h"
#include "tools/PoiSubmission.h"

#include <QDialog>

#include <optional>
#include <string>

class PoiPoster;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class TSimpleXML;

// Where the dialog finds its settings: the configuration file and the endpoint in use so far.
struct PoiPostSettings {
    QString configPath;
    QString endpoint;
    // A zone page of a file has no zone name of its own: its location name, and the property
    // that holds its POIs' type. Unset for an icon page.
    std::optional<std::string> zoneName;
    std::string typeProperty = "IconStyle";
};

// The submission dialog for one POI.
class TForm2 : public QDialog {
    Q_OBJECT
public:
    TForm2(const PoiPostSettings& settings, Prompts& prompts, QWidget* parent = nullptr);

    // Fills the POI fields; the type from the icon style by the list's choice rule.
    void fill(const PoiRecord& record);
    // The fields as they would be sent now.
    PoiSubmission submission() const;

    QString endpoint() const { return m_endpoint; }
    QString userName() const { return m_userName; }
    PoiPoster* poster() const { return m_poster; }

    void btn_summitClick();
    void ed_userChange();
    void FormClose();

protected:
    void done(int result) override;
    void showEvent(QShowEvent* event) override;

private:
    void FormCreate();
    void createControls();
    void applyLanguage();
    void postAnswered(const QUrl& url, const QByteArray& content, const QByteArray& contentType);
    void postFailed(const QString& message);

    Prompts& m_prompts;
    Language m_language = Language::English;
    QString m_configPath;
    QString m_endpoint;
    QString m_userName;  // equal to ed_user's text after every change of it
    PoiPoster* m_poster = nullptr;

    QLabel* Label5 = nullptr;
    QLineEdit* ed_user = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* ed_name = nullptr;
    QLabel* Label3 = nullptr;
    QComboBox* cb_type = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* ed_zone = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* ed_pathloc = nullptr;
    QCheckBox* chk_nodesc = nullptr;
    QPlainTextEdit* ed_desc = nullptr;
    QPushButton* btn_summit = nullptr;
    QPushButton* Button1 = nullptr;
};

// The POI command: reads the POI's values from the page and shows the dialog for them modally,
// owned by `owner`; shows "Summit Fail." instead when the POI or the page lacks one of them.
void OpenPoiSubmission(QWidget* owner, TSimpleXML& page, int poiIndex, const PoiPostSettings& settings,
                       Prompts& prompts);

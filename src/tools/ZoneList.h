#pragma once
// The open-by-map-name dialog: scans the page folder on a worker thread, lists the pages by their
// location names and returns the file the user picks.

#include "mapview/Language.h"
#include "support/OneThread.h"
#include "support/xml/SimpleXml.h"
#include "tools/ZoneScan.h"

#include <QDialog>

#include <string>
#include <vector>

class QLabel;
class QListWidget;
class QPushButton;

class TForm7 : public QDialog {
    Q_OBJECT
public:
    explicit TForm7(QWidget* parent = nullptr);
    ~TForm7() override;

    // The folder to scan, ending with a separator; set before showing.
    void setFolder(const std::string& folder) { m_folder = folder; }
    const std::string& folder() const { return m_folder; }
    // The file name (without folder) of the chosen line; empty until Button1 is clicked.
    const std::string& chosenFile() const { return m_chosenFile; }
    // True while the scan's worker has not finished its work.
    bool scanning() const { return !ReadMaps.Workers().empty(); }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormCreate();
    void FormShow();
    void FormDestroy();
    void Button1Click();
    void ZoneListClick();
    void ReadMapsExecute(TThreadData& Data, TAloneThread& Thread);
    void applyLanguage(Language language);
    // Adds one found page on the user-interface thread.
    void addPage(ZonePage page);

    QListWidget* ZoneList = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;

    std::string m_folder;
    std::string m_chosenFile;
    // Touched only on the user-interface thread; the worker hands its finds over there.
    std::vector<std::string> m_fileNames;
    // The list's order; used on the user-interface thread only.
    QCollator m_collation = ZoneListCollation();
    // Read by the worker only.
    TSimpleXML XMLLoader;
    TOneThread ReadMaps;
    bool m_shown = false;
};

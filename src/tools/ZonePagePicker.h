#pragma once
// Picking one zone page of a file that holds many (the game's map window file, a map pack POI
// file): its name, location name and POI count in a list with a filter; the order of the
// open-by-map-name list. The order and filter rules are plain functions that tests call.

#include "mapview/Language.h"

#include <QDialog>
#include <QString>

#include <vector>

class QLineEdit;
class QTreeWidget;

// One line of the picker.
struct ZonePageLine {
    QString name;      // the zone page's Name
    QString location;  // its location name from the map style file, or empty
    int poiCount = 0;
};

// Lines in the list's order: by location name as the open-by-map-name list orders them, a page
// without one by its own name, then in file order.
std::vector<int> ZonePageOrder(const std::vector<ZonePageLine>& lines);
// Whether a line passes the filter: its name or location name contains the text, letter case
// ignored; an empty filter passes every line.
bool ZonePageMatches(const ZonePageLine& line, const QString& filter);

class ZonePagePicker : public QDialog {
    Q_OBJECT
public:
    ZonePagePicker(const std::vector<ZonePageLine>& lines, Language language, QWidget* parent = nullptr);

    // The chosen line's index into the lines given, or -1.
    int chosenPage() const { return m_chosen; }
    // Preselects a line (the page shown now).
    void setCurrentPage(int page);

private:
    void fillList();
    void acceptCurrent();

    std::vector<ZonePageLine> m_lines;
    QLineEdit* m_filter = nullptr;
    QTreeWidget* m_list = nullptr;
    int m_chosen = -1;
};

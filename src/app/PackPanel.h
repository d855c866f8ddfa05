#pragma once
// The Pack panel: a dock beside the map listing the files of a map pack with their zone pages,
// POI and problem counts, and find in pack over all their POIs. It shows a PackIndex and says
// which page or POI the user chose; the window opens it.

#include "mapview/Language.h"

#include <QDockWidget>

#include <vector>

class PackIndex;
class QLabel;
class QLineEdit;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;

class PackPanel : public QDockWidget {
    Q_OBJECT
public:
    PackPanel(Language language, PackIndex& index, QWidget* parent = nullptr);

    QTreeWidget* pageList() const { return m_pages; }
    QLineEdit* findField() const { return m_find; }
    QLineEdit* typeField() const { return m_type; }
    QTreeWidget* resultList() const { return m_results; }
    // Puts the focus in the find field, its text selected.
    void focusFind();

    // The results shown at most; more are counted.
    static constexpr int kShownResults = 1000;

signals:
    // A page to open: an icon page's file, or FILE#PAGE.
    void pageChosen(const QString& target);
    // A POI found: its page and its index among the page's children.
    void poiChosen(const QString& target, int poi);

private:
    void listFiles();
    void showFile(int file);
    void findNow();
    void choosePage(QTreeWidgetItem* item);
    void chooseResult(QTreeWidgetItem* item);
    // The page target of page `page` of file `file`, refreshing the file's entry when it changed
    // on disk.
    QString targetOf(int file, int page) const;

    Language m_language;
    PackIndex& m_index;
    QTreeWidget* m_pages = nullptr;
    QLineEdit* m_find = nullptr;
    QLineEdit* m_type = nullptr;
    QLabel* m_found = nullptr;
    QTreeWidget* m_results = nullptr;
    QTimer* m_findAgain = nullptr;
    std::vector<QTreeWidgetItem*> m_fileItems;
};

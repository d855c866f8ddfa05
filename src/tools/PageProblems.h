#pragma once
// The Problems window: the page check's lines for the open page in a window of its own. Choosing
// a POI's line selects that POI; choosing the zone rectangle line or the anchor line offers the
// fix it names. The main window fills it and acts on its choices.

#include "document/PageCheck.h"
#include "mapview/Language.h"
#include "mapview/Prompts.h"

#include <QDialog>

#include <vector>

class QLabel;
class QListWidget;

class PageProblemsWindow : public QDialog {
    Q_OBJECT
public:
    explicit PageProblemsWindow(Prompts& prompts, Language language, QWidget* parent = nullptr);

    // Shows these problems of the page `pageName`, keeping the chosen line where it still exists.
    void setProblems(std::vector<PageProblem> problems, const QString& pageName);
    const std::vector<PageProblem>& problems() const { return m_problems; }
    // What choosing the line in `row` does: select its POI, or offer its fix.
    void choose(int row);

signals:
    void poiChosen(int poiIndex);
    // The zone rectangle dialog is wanted, filled in with this rectangle.
    void zoneRectChosen(const QString& zoneText);
    // The page is to be treated by this anchor rule.
    void anchorChosen(PoiAnchor anchor);

private:
    QString text(const char* name) const;

    Prompts& m_prompts;
    Language m_language;
    std::vector<PageProblem> m_problems;
    QListWidget* ProblemList = nullptr;
    QLabel* ProblemCount = nullptr;
};

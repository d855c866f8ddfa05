#pragma once
// The Problems window: the page check's lines for the open page in a window of its own. Choosing
// a POI's line selects that POI; choosing the zone rectangle line or the anchor line offers the
// fix it names; a misplaced POI's line offers its quick fixes as two buttons. Fix applies the
// repair the check proposes for a line (shown as its tooltip); Ignore keeps a line's problem out
// of later checks. The main window fills it and acts on its choices.

#include "document/PageCheck.h"
#include "mapview/Language.h"
#include "mapview/Prompts.h"

#include <QDialog>

#include <vector>

class QLabel;
class QListWidget;
class QPushButton;

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
    // A misplaced POI's marker is to go where its world location puts it, or its world location
    // is to be set from its marker.
    void moveMarkerChosen(int poiIndex);
    void setWorldChosen(int poiIndex);
    // The proposed repair of problems()[row] is to be applied, or the problem ignored.
    void proposedFixChosen(int row);
    void ignoreChosen(int row);

private:
    QString text(const char* name) const;
    // The fixable line chosen, or null.
    const PageProblem* fixableChoice() const;
    void updateFixButtons();

    Prompts& m_prompts;
    Language m_language;
    std::vector<PageProblem> m_problems;
    QListWidget* ProblemList = nullptr;
    QLabel* ProblemCount = nullptr;
    QPushButton* MoveMarkerFix = nullptr;
    QPushButton* SetWorldFix = nullptr;
    QPushButton* ProposedFix = nullptr;
    QPushButton* IgnoreProblem = nullptr;
};

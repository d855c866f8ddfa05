#include "tools/PageProblems.h"

#include "tools/DialogSupport.h"

#include <QLabel>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <cstring>

namespace {

constexpr int kInitialWidth = 640;
constexpr int kInitialHeight = 300;

// Texts of the window that are no control's caption.
const DialogCaption kTexts[] = {
    {"Title", "문제 목록", "Problems"},
    {"TitleOfPage", "문제 목록 - %1", "Problems - %1"},
    {"Count", "문제 %1개", "%1 problems"},
    {"CountOne", "문제 %1개", "%1 problem"},
    {"ZoneQuestion", "POI에 맞춘 경계 %1(으)로 Zone 경계 추가 창을 열까요?",
     "Open Add ZoneRect with the fitted rectangle %1?"},
    {"TopLeftQuestion", "이 페이지의 위치를 아이콘의 왼쪽 위 모서리로 볼까요?",
     "Treat this page's Location as the icon's top-left corner?"},
    {"MoveMarker", "마커를 월드 위치로 옮기기", "Move the marker to its world location"},
    {"SetWorld", "마커에서 월드 위치 정하기", "Set the world location from the marker"},
    {"ProposedFix", "고치기", "Fix"},
    {"Ignore", "무시", "Ignore"},
    {"PointQuestion", "이 페이지의 위치를 다시 POI의 지점으로 볼까요?",
     "Treat this page's Location as the POI's point again?"},
};

}  // namespace

PageProblemsWindow::PageProblemsWindow(Prompts& prompts, Language language, QWidget* parent)
    : QDialog(parent), m_prompts(prompts), m_language(language)
{
    setObjectName(QStringLiteral("PageProblems"));
    setFont(languageFont(language));
    setWindowTitle(text("Title"));
    resize(kInitialWidth, kInitialHeight);

    ProblemList = new QListWidget(this);
    ProblemList->setObjectName(QStringLiteral("ProblemList"));
    ProblemList->setSelectionMode(QAbstractItemView::SingleSelection);
    ProblemCount = new QLabel(this);
    ProblemCount->setObjectName(QStringLiteral("ProblemCount"));
    MoveMarkerFix = new QPushButton(text("MoveMarker"), this);
    MoveMarkerFix->setObjectName(QStringLiteral("MoveMarkerFix"));
    SetWorldFix = new QPushButton(text("SetWorld"), this);
    SetWorldFix->setObjectName(QStringLiteral("SetWorldFix"));
    ProposedFix = new QPushButton(text("ProposedFix"), this);
    ProposedFix->setObjectName(QStringLiteral("ProposedFix"));
    IgnoreProblem = new QPushButton(text("Ignore"), this);
    IgnoreProblem->setObjectName(QStringLiteral("IgnoreProblem"));
    auto* fixes = new QHBoxLayout;
    fixes->addWidget(ProblemCount, 1);
    fixes->addWidget(MoveMarkerFix);
    fixes->addWidget(SetWorldFix);
    fixes->addWidget(ProposedFix);
    fixes->addWidget(IgnoreProblem);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ProblemList);
    layout->addLayout(fixes);
    updateFixButtons();
    connect(ProblemList, &QListWidget::currentRowChanged, this, &PageProblemsWindow::updateFixButtons);
    connect(MoveMarkerFix, &QPushButton::clicked, this, [this]() {
        if (const PageProblem* problem = fixableChoice())
            emit moveMarkerChosen(problem->poi);
    });
    connect(SetWorldFix, &QPushButton::clicked, this, [this]() {
        if (const PageProblem* problem = fixableChoice())
            emit setWorldChosen(problem->poi);
    });
    connect(ProposedFix, &QPushButton::clicked, this, [this]() {
        const int row = ProblemList->currentRow();
        if (row >= 0 && static_cast<size_t>(row) < m_problems.size() && m_problems[static_cast<size_t>(row)].fix)
            emit proposedFixChosen(row);
    });
    connect(IgnoreProblem, &QPushButton::clicked, this, [this]() {
        const int row = ProblemList->currentRow();
        if (row >= 0 && static_cast<size_t>(row) < m_problems.size())
            emit ignoreChosen(row);
    });

    // A click on a POI's line selects it; the offers of the page's lines wait for the line to be
    // activated (Enter or a double click), so browsing the list never raises a question.
    connect(ProblemList, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        const int row = ProblemList->row(item);
        if (row < 0)
            return;
        const PageProblem& problem = m_problems[static_cast<size_t>(row)];
        if (problem.poi >= 0 || !problem.pois.empty())
            choose(row);
    });
    connect(ProblemList, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { choose(ProblemList->row(item)); });
}

QString PageProblemsWindow::text(const char* name) const
{
    for (const DialogCaption& row : kTexts) {
        if (std::strcmp(row.name, name) == 0)
            return QString::fromUtf8(m_language == Language::Korean ? row.korean : row.english);
    }
    return {};
}

void PageProblemsWindow::setProblems(std::vector<PageProblem> problems, const QString& pageName)
{
    const QString chosen = ProblemList->currentItem() ? ProblemList->currentItem()->text() : QString();
    m_problems = std::move(problems);
    setWindowTitle(pageName.isEmpty() ? text("Title") : text("TitleOfPage").arg(pageName));
    ProblemCount->setText(text(m_problems.size() == 1 ? "CountOne" : "Count").arg(m_problems.size()));
    QStringList lines;
    for (const PageProblem& problem : m_problems)
        lines << QString::fromStdString(ProblemLine(problem));
    const QSignalBlocker quiet(ProblemList);
    ProblemList->clear();
    ProblemList->addItems(lines);
    for (size_t i = 0; i < m_problems.size(); ++i) {
        if (m_problems[i].fix)
            ProblemList->item(static_cast<int>(i))->setToolTip(QString::fromStdString(FixLine(m_problems[i])));
    }
    const qsizetype again = lines.indexOf(chosen);
    if (again >= 0)
        ProblemList->setCurrentRow(static_cast<int>(again));
    updateFixButtons();
}

const PageProblem* PageProblemsWindow::fixableChoice() const
{
    const int row = ProblemList->currentRow();
    if (row < 0 || static_cast<size_t>(row) >= m_problems.size())
        return nullptr;
    const PageProblem& problem = m_problems[static_cast<size_t>(row)];
    return problem.fixable && problem.poi >= 0 ? &problem : nullptr;
}

void PageProblemsWindow::updateFixButtons()
{
    const bool fixable = fixableChoice() != nullptr;
    MoveMarkerFix->setEnabled(fixable);
    SetWorldFix->setEnabled(fixable);
    const int row = ProblemList->currentRow();
    const bool chosen = row >= 0 && static_cast<size_t>(row) < m_problems.size();
    ProposedFix->setEnabled(chosen && m_problems[static_cast<size_t>(row)].fix.has_value());
    ProposedFix->setToolTip(chosen ? QString::fromStdString(FixLine(m_problems[static_cast<size_t>(row)])) : QString());
    IgnoreProblem->setEnabled(chosen);
}

void PageProblemsWindow::choose(int row)
{
    if (row < 0 || static_cast<size_t>(row) >= m_problems.size())
        return;
    const PageProblem& problem = m_problems[static_cast<size_t>(row)];
    if (problem.poi >= 0) {
        emit poiChosen(problem.poi);
    } else if (!problem.pois.empty() && !problem.fittedZone && !problem.dataAnchor) {
        emit poiChosen(problem.pois.front());  // a line for several POIs goes to the first
    } else if (problem.fittedZone) {
        const QString zone = QString::fromStdString(ZoneText(*problem.fittedZone));
        if (m_prompts.confirm(text("ZoneQuestion").arg(zone), text("Title")))
            emit zoneRectChosen(zone);
    } else if (problem.dataAnchor) {
        const PoiAnchor anchor = *problem.dataAnchor;
        const char* question = anchor == PoiAnchor::Centre ? "TopLeftQuestion" : "PointQuestion";
        if (m_prompts.confirm(text(question), text("Title")))
            emit anchorChosen(anchor);
    }
}

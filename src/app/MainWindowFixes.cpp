// The main window's side of the pack's check: the rules of the open page's pack, the repairs the
// check proposes applied as one undo step, problems ignored in the pack's ignore file, and the
// question before a save that brings new mistyped world locations.
#include "app/MainWindow.h"

#include "document/IconPageCommands.h"
#include "app/IconPageEditor.h"
#include "document/PackSurvey.h"
#include "document/PageOpening.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUndoStack>

namespace {

const char* const kNameProperty = "Name";
const char* const kWorldProperty = "pathfindlocation";

struct Caption {
    const char* korean;
    const char* english;
};
const Caption kSaveQuestion{"월드 위치가 잘못 입력된 것 같은 POI가 새로 %1개 있습니다 (%2). 저장할까요?",
                            "%1 POIs have a new world location that looks mistyped (%2). Save anyway?"};
const Caption kSaveAnyway{"그래도 저장", "Save anyway"};
const Caption kCancel{"취소", "Cancel"};
const Caption kIgnoreFailed{"무시 목록을 쓸 수 없습니다: %1", "The ignore file cannot be written: %1"};

TSimpleXMLElem* poiAt(TSimpleXMLElem& root, int poiIndex)
{
    const TSimpleXMLElems* children = root.ItemsIfAny();
    return children && poiIndex >= 0 && poiIndex < children->Count() ? children->Item(poiIndex) : nullptr;
}

std::string valueOf(const TSimpleXMLElem* poi, const char* property)
{
    const TSimpleXMLProps* props = poi ? poi->PropertiesIfAny() : nullptr;
    const TSimpleXMLProp* prop = props ? props->Find(property) : nullptr;
    return prop ? prop->Value() : std::string();
}

std::string cleanFile(const std::string& path)
{
    return QDir::cleanPath(QFileInfo(QString::fromStdString(path)).absoluteFilePath()).toStdString();
}

}  // namespace

const PackRules* TForm1::openPack()
{
    if (!m_state.DocLoaded)
        return nullptr;
    const QString folder = PackFolderOfFile(QString::fromStdString(m_state.CurrentFile));
    if (!m_pack || folder != m_packFolder) {
        m_pack = MakePackRules(SurveyPack(folder), m_state);
        m_packFolder = folder;
    }
    return m_pack.get();
}

void TForm1::applyProblemFix(const PageProblem& problem)
{
    if (!m_state.DocLoaded || !problem.fix)
        return;
    // Edits waiting for the apply go into their POI first, as their own step.
    applyPendingEdits();
    if (problem.fix->action == ProblemFix::Action::DeletePoi) {
        if (problem.poi >= 0)
            m_editor->DeletePoi(problem.poi);
        return;
    }
    const std::vector<int> targets = problem.poi >= 0 ? std::vector<int>{problem.poi} : problem.pois;
    QUndoStack& history = m_editor->undoStack();
    // A line standing for several POIs is fixed for all of them in one step.
    history.beginMacro(QString::fromStdString(FixLine(problem)));
    for (const int poiIndex : targets) {
        TSimpleXMLElem* poi = poiAt(m_editor->xmlscan().Root(), poiIndex);
        const TSimpleXMLProps* props = poi ? poi->PropertiesIfAny() : nullptr;
        if (!props || !props->Find(problem.fix->property))
            continue;
        std::unique_ptr<TSimpleXMLElem> after = CopyElement(*poi);
        after->Properties().Find(problem.fix->property)->SetValue(problem.fix->value);
        m_editor->document().editPoi(poiIndex, std::move(after));
    }
    history.endMacro();
}

void TForm1::ignoreProblem(const PageProblem& problem)
{
    const PackRules* pack = openPack();
    if (!pack)
        return;
    const std::string page = pack->pageName(cleanFile(m_state.CurrentFile), m_editor->source().shownPageName());
    std::vector<std::string> names;
    if (problem.poi >= 0 || problem.pois.empty())
        names.push_back(problem.poiName);
    for (const int poiIndex : problem.pois)
        names.push_back(valueOf(poiAt(m_editor->xmlscan().Root(), poiIndex), kNameProperty));
    std::string lines;
    for (const std::string& name : names)
        lines += IgnoreList::Line(ProblemKey(problem), page, name);
    QFile file(QDir(m_packFolder).filePath(QLatin1String(kIgnoreFileName)));
    const bool written = file.open(QIODevice::WriteOnly | QIODevice::Append)
        && file.write(lines.data(), static_cast<qint64>(lines.size())) == static_cast<qint64>(lines.size());
    file.close();
    if (!written) {
        const Caption& failed = kIgnoreFailed;
        m_prompts->showError(QString::fromUtf8(m_language == Language::Korean ? failed.korean : failed.english)
                                 .arg(QDir::toNativeSeparators(file.fileName())));
        return;
    }
    m_pack.reset();
    refreshProblems();
}

bool TForm1::mistypedSaveAllowed()
{
    if (!m_state.DocLoaded)
        return true;
    // New: its text is nowhere in the file as it stands on disk, so this edit brought it.
    QFile file(QString::fromStdString(m_state.CurrentFile));
    const QByteArray onDisk = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    QStringList added;
    for (const PageProblem& problem : checkOpenPage()) {
        if (!problem.mistyped || problem.poi < 0)
            continue;
        const std::string world = valueOf(poiAt(m_editor->xmlscan().Root(), problem.poi), kWorldProperty);
        if (!onDisk.contains(QByteArray::fromStdString(world)))
            added << QStringLiteral("%1 \"%2\"").arg(QString::fromStdString(problem.poiName), QString::fromStdString(world));
    }
    if (added.isEmpty())
        return true;
    const bool korean = m_language == Language::Korean;
    const auto text = [korean](const Caption& caption) {
        return QString::fromUtf8(korean ? caption.korean : caption.english);
    };
    return m_prompts->confirmNamed(text(kSaveQuestion).arg(added.size()).arg(added.join(QStringLiteral(", "))),
                                   text(kSaveAnyway), text(kCancel));
}

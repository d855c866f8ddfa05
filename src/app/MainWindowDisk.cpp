// The open file and other programs: the question of a save over a file changed on disk, and the
// offer to read the file again when the user comes back to the window and it changed meanwhile.
#include "app/MainWindow.h"

#include "app/IconPageEditor.h"

#include <QEvent>
#include <QFileInfo>
#include <QTimer>

#include <functional>
#include <utility>

namespace {

// Tells the window each time it becomes the active one.
class ActivationWatcher : public QObject {
public:
    ActivationWatcher(QObject* parent, std::function<void()> activated)
        : QObject(parent), m_activated(std::move(activated)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == parent() && event->type() == QEvent::WindowActivate)
            m_activated();
        return false;
    }

private:
    std::function<void()> m_activated;
};

}  // namespace

void TForm1::connectDiskHandlers()
{
    ChangedQuestion question;
    question.text = caption(m_language, "ChangedOnDisk");
    question.overwrite = caption(m_language, "ChangedAnswer.overwrite");
    question.saveAs = caption(m_language, "ChangedAnswer.saveAs");
    question.cancel = caption(m_language, "ChangedAnswer.cancel");
    m_editor->setChangedQuestion(question);
    // After the activation has settled: a box shown inside it would take the focus it brings.
    installEventFilter(new ActivationWatcher(this, [this]() { QTimer::singleShot(0, this, &TForm1::offerReload); }));
}

void TForm1::offerReload()
{
    // Only with nothing unsaved: reading again would drop the user's edits.
    if (m_offeringReload || !m_state.DocLoaded || m_editor->IsModified() || !m_editor->ChangedOnDisk())
        return;
    m_offeringReload = true;
    const QString file = QFileInfo(QString::fromStdString(m_state.CurrentFile)).fileName();
    const bool reload = m_prompts->confirm(caption(m_language, "ReloadQuestion").arg(file));
    if (reload)
        openPage(openPageName());
    else
        m_editor->AcceptDiskState();
    m_offeringReload = false;
}

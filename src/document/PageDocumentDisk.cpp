// The open file and the file on disk: a save checks that nobody changed the file since it was
// read, and the window asks whether the file changed while the user was away.
#include "document/PageDocument.h"

#include "support/AtomicFile.h"

#include <QFileInfo>
#include <QUndoStack>

namespace {

const char* const kEditsNotPlaced = "the edits could not be placed in the file; the file was left as it was";

}  // namespace

QString SaveFailureReason(const std::exception& error)
{
    // The system's and the change check's own texts name the file and the cause; anything else
    // is the editor's business, not the user's.
    if (dynamic_cast<const FileAccessError*>(&error) || dynamic_cast<const FileChangedError*>(&error))
        return QString::fromStdString(error.what());
    return QLatin1String(kEditsNotPlaced);
}

bool PageDocument::changedOnDisk() const
{
    // Asked at every return to the window: the bytes are read only when size or time moved.
    if (!m_open || !m_diskStamp.present || !FileStamps::mayDiffer(m_path, m_diskStamp))
        return false;
    const FileStamp now = FileStamps::read(m_path);
    return now.present && !now.sameBytes(m_diskStamp);
}

void PageDocument::acceptDiskState()
{
    if (const FileStamp now = FileStamps::read(m_path); now.present)
        m_diskStamp = now;
}

PageDocument::SaveStep PageDocument::beforeSave(bool& saveAs)
{
    m_replaceStamp = m_diskStamp;
    if (saveAs)
        return SaveStep::Write;
    std::string bytes;
    const FileStamp now = FileStamps::read(m_path, &bytes);
    if (now.present && !m_source->holdsEdits(m_xml.Root())) {
        // Nothing the file does not hold already: it is not touched (a file that is gone is
        // written again below).
        markSaved();
        return SaveStep::Done;
    }
    // A file that is gone holds nothing of anyone's: the save puts it back.
    if (now.sameBytes(m_diskStamp) || !now.present) {
        m_replaceStamp = now;
        return SaveStep::Write;
    }
    // Another program wrote the file. A file of zone pages takes the edits over to its new bytes
    // when every page they touch is still there as it was read.
    if (now.present && m_source->rebase(std::move(bytes))) {
        m_diskStamp = now;
        m_replaceStamp = now;
        return SaveStep::Write;
    }
    ChangedQuestion question = m_changedQuestion;
    question.text = question.text.arg(QFileInfo(QString::fromStdString(m_path)).fileName());
    switch (m_prompts.askChanged(question)) {
    case ChangedAnswer::Overwrite:
        m_replaceStamp = now;
        return SaveStep::Write;
    case ChangedAnswer::SaveAs:
        saveAs = true;
        return SaveStep::Write;
    case ChangedAnswer::Cancel:
        break;
    }
    return SaveStep::Stop;
}

void PageDocument::writeChecked(const std::string& bytes, bool saveAs)
{
    const FileStamp written = FileStamps::of(m_path, bytes);
    // A file that holds these bytes already is not touched: a save of an unedited page, say.
    if (!saveAs && m_replaceStamp.present && written.sameBytes(m_replaceStamp)) {
        m_diskStamp = m_replaceStamp;
        return;
    }
    // A Save As names a file the user chose to replace; a Save replaces only the file checked.
    if (saveAs)
        AtomicFile::write(m_path, bytes);
    else
        FileStamps::writeIfUnchanged(m_path, bytes, m_replaceStamp);
    m_diskStamp = FileStamps::of(m_path, bytes);
}

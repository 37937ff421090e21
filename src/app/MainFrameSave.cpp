// The main frame: saving, closing and reloading documents.
#include "app/MainFrame.h"

#include "app/ChildFrame.h"
#include "app/StatusPanes.h"
#include "base/DialogFolder.h"
#include "base/Messages.h"
#include "base/NativePath.h"
#include "base/Prompter.h"
#include "base/SettingsStore.h"
#include "document/QuorvaneDoc.h"
#include "view/QuorvaneView.h"
#include "view/WorkProgress.h"

#include <QFileDialog>

bool CMainFrame::SaveModified(CQuorvaneDoc* doc)
{
    if (!doc || !doc->IsModified())
        return true;
    const PromptAnswer a = Prompter::Current().Show(
        DocumentTitle(doc) + QStringLiteral(" への変更を保存しますか?"), QStringLiteral("Quorvane"),
        PromptButtons::YesNoCancel, PromptIcon::Warning);
    if (a == PromptAnswer::Yes)
        return FileSave(doc);
    return a == PromptAnswer::No;
}

bool CMainFrame::FileSave(CQuorvaneDoc* doc)
{
    if (doc->PathName().isEmpty())
        return FileSaveAs(doc);
    if (!SaveWithProgress(doc, doc->PathName()))
        return false;
    UpdateCommandUI();
    return true;
}

bool CMainFrame::SaveWithProgress(CQuorvaneDoc* doc, const QString& path)
{
    // A large save shows its progress after a moment and can be stopped; the file on disk then
    // stays as it was.
    CWorkProgress progress(this, QStringLiteral("保存"), QStringLiteral("%1 を保存しています...").arg(DocumentTitle(doc)));
    return doc->DoSave(path, [&progress](uint64_t done, uint64_t total) { return progress.Step(done, total); });
}

bool CMainFrame::FileSaveAs(CQuorvaneDoc* doc)
{
    // An untitled document is proposed in the start folder, never among the program's files.
    const QString start = doc->PathName().isEmpty()
                              ? CDialogFolder::StartPath(ActiveDocument() ? ActiveDocument()->PathName() : QString(),
                                                         DocumentTitle(doc))
                              : doc->PathName();
    // URLs keep the bytes of names that are not UTF-8.
    const QUrl url = QFileDialog::getSaveFileUrl(this, QStringLiteral("名前を付けて保存"), UrlFromPath(start));
    const QString path = url.isEmpty() ? QString() : PathFromUrl(url);
    if (path.isEmpty())
        return false;
    CDialogFolder::Remember(path);
    if (!SaveWithProgress(doc, path))
        return false;
    m_recent.Add(doc->PathName());
    m_recent.WriteList(CSettingsStore::Current());
    RefreshRecentFileMenu();
    m_untitledNames.remove(doc);
    UpdateTitles();
    UpdateCommandUI();
    return true;
}

bool CMainFrame::CloseDocument(CQuorvaneDoc* doc)
{
    if (!SaveModified(doc))
        return false;
    for (CChildFrame* child : ChildFramesOf(doc))
        child->CloseWithoutPrompt();
    return true;
}

bool CMainFrame::SaveAllModified()
{
    for (CQuorvaneDoc* doc : Documents())
        if (!SaveModified(doc))
            return false;
    return true;
}

void CMainFrame::ReloadDocument(CQuorvaneDoc* doc)
{
    if (!doc->Reload())
        return;
    // Every window of the document drops its results and selection, not only the active one:
    // hits found in the old bytes mean nothing in the new ones.
    for (CChildFrame* child : ChildFramesOf(doc)) {
        um::Reset::Send(child->GetActiveView());
        child->update();
    }
    if (ActiveDocument() == doc)
        m_status->SetFileSize(doc->GetFileSize());
    UpdateCommandUI();
}

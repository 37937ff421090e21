// The main frame's folder search: the dialog, the worker over the folder scan, its progress
// window, the results in the フォルダ内検索 tab and the way back from a result to the file.
#include "app/MainFrame.h"

#include "app/ChildFrame.h"
#include "base/Messages.h"
#include "app/ProgressBar.h"
#include "base/Prompter.h"
#include "panes/OutputLineRules.h"
#include "panes/OutputWnd.h"
#include "search/FolderSearchJob.h"
#include "search/GrepSetup.h"
#include "view/QuorvaneView.h"

#include <QDockWidget>

void CMainFrame::InitFolderSearch()
{
    m_grepJob = new CFolderSearchJob(this);
    m_progress = new CProgressBar(this);
    m_progress->hide();
    if (m_outputWnd) {
        m_outputWnd->SetGrepJumpHandler([this](const QString& fileLine, const QString& selectedLine) {
            OpenFolderSearchHit(fileLine, selectedLine);
        });
    }
}

bool CMainFrame::IsFolderSearchRunning() const
{
    return m_grepJob && m_grepJob->IsRunning();
}

void CMainFrame::StopFolderSearch()
{
    if (m_grepJob)
        m_grepJob->StopAndWait();
    if (m_progress)
        m_progress->End();
}

void CMainFrame::RunFolderSearchDialog()
{
    CGrepSetup dlg(m_shownCharCode, this);
    if (dlg.exec() != QDialog::Accepted)
        return;
    StartFolderSearch(dlg.Request());
}

void CMainFrame::StartFolderSearch(const FolderSearchRequest& request)
{
    // One search at a time: a running one ends first, and its lines go with the list.
    StopFolderSearch();
    if (m_outputWnd) {
        m_outputWnd->ClearList(COutputWnd::ListGrep);
        m_outputWnd->ActivateTab(COutputWnd::ListGrep);
        if (QDockWidget* dock = Pane(ID_PANE_OUTPUT)) {
            dock->show();
            dock->raise();
        }
    }
    m_progress->Begin(this, [this] { m_grepJob->Stop(); });

    CFolderSearchJob::Handlers handlers;
    handlers.lines = [this](const QStringList& lines) {
        if (m_outputWnd)
            m_outputWnd->AddLines(COutputWnd::ListGrep, lines);
    };
    handlers.openFailed = [](const QString& path, const QString& errorText) {
        Prompter::ShowError(path + QLatin1Char('\n') + errorText);
    };
    handlers.finished = [this](const FolderSearchResult&) {
        if (m_outputWnd)
            m_outputWnd->FitListWidth(COutputWnd::ListGrep);
        m_progress->End();
        UpdateCommandUI();
    };
    m_grepJob->Start(request, std::move(handlers));
}

void CMainFrame::OpenFolderSearchHit(const QString& fileLine, const QString& selectedLine)
{
    // The normal open path: an open file gets its window activated.
    if (!OpenDocumentFile(fileLine))
        return;
    if (selectedLine == fileLine)
        return;
    uint64_t address = OutputLineRules::GrepHitAddress(selectedLine);
    um::SetCursor::Send(ActiveView(), &address, false);
}

bool CMainFrame::GrepUpdate(int id, CmdUI& ui) const
{
    if (id != ID_FOLDER_SEARCH)
        return false;
    ui.enabled = true;
    return true;
}

bool CMainFrame::GrepCommand(int id)
{
    if (id != ID_FOLDER_SEARCH)
        return false;
    RunFolderSearchDialog();
    return true;
}

// The main frame's side of comparing two documents: choosing the partner window, the pair, its end.
#include "app/MainFrame.h"

#include "app/ChildFrame.h"
#include "document/QuorvaneDoc.h"
#include "search/DiffSelDlg.h"

#include <QDir>

QList<CChildFrame*> CMainFrame::CompareCandidates() const
{
    QList<CChildFrame*> result;
    const CChildFrame* active = ActiveChild();
    for (CChildFrame* child : ChildFrames())
        if (child != active)
            result << child;
    return result;
}

QString CMainFrame::CompareLine(const CChildFrame* child) const
{
    const QString path = child->GetDocument()->PathName();
    return path.isEmpty() ? child->windowTitle().remove(QStringLiteral("[*]")) : QDir::toNativeSeparators(path);
}

CQuorvaneDoc* CMainFrame::DiffLeft() const
{
    return m_diffLeft;
}

CQuorvaneDoc* CMainFrame::DiffRight() const
{
    return m_diffRight;
}

bool CMainFrame::IsComparing() const
{
    return m_diffLeft && m_diffRight && m_diffLeft->DiffPartner() == m_diffRight;
}

void CMainFrame::StartCompare(CChildFrame* chosen)
{
    CChildFrame* active = ActiveChild();
    if (!chosen || !active)
        return;
    CQuorvaneDoc* partner = chosen->GetDocument();
    CQuorvaneDoc* own = active->GetDocument();
    // One pair at a time: the earlier one ends completely, so no document keeps a partner the
    // frame no longer knows of.
    EndCompare();
    if (partner == own)
        return; // two windows of one document: nothing to compare
    m_diffLeft = partner;
    m_diffRight = own;
    // Each document repaints every window of its own when its partner changes.
    partner->SetDiffPartner(own);
    own->SetDiffPartner(partner);
    UpdateCommandUI();
}

void CMainFrame::EndCompare()
{
    CQuorvaneDoc* left = m_diffLeft;
    CQuorvaneDoc* right = m_diffRight;
    m_diffLeft = nullptr;
    m_diffRight = nullptr;
    if (left && left->DiffPartner() == right)
        left->SetDiffPartner(nullptr);
    if (right && right->DiffPartner() == left)
        right->SetDiffPartner(nullptr);
}

void CMainFrame::RunCompareDialog()
{
    QList<QPointer<CChildFrame>> candidates;
    QStringList lines;
    for (CChildFrame* child : CompareCandidates()) {
        candidates << child;
        lines << CompareLine(child);
    }
    CDiffSelDlg dlg(lines, this);
    if (dlg.exec() != QDialog::Accepted || dlg.Chosen() < 0 || dlg.Chosen() >= candidates.size())
        return;
    StartCompare(candidates[dlg.Chosen()]); // null when the window closed meanwhile
}

bool CMainFrame::CompareUpdate(int id, CmdUI& ui) const
{
    switch (id) {
    case ID_DIFF_START:
        ui.enabled = ActiveChild() != nullptr;
        return true;
    case ID_DIFF_END:
        ui.enabled = IsComparing();
        return true;
    default:
        return false;
    }
}

bool CMainFrame::CompareCommand(int id)
{
    switch (id) {
    case ID_DIFF_START: RunCompareDialog(); return true;
    case ID_DIFF_END: EndCompare(); return true;
    default: return false;
    }
}

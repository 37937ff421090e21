// The document window: its view, its close question and its release of the document.
#include "app/ChildFrame.h"

#include "app/MainFrame.h"
#include "document/QuorvaneDoc.h"
#include "view/QuorvaneView.h"

#include <QCloseEvent>
#include <QDir>

CChildFrame::CChildFrame(CQuorvaneDoc* doc, CMainFrame* mainFrame)
    : m_mainFrame(mainFrame), m_doc(doc)
{
    setAttribute(Qt::WA_DeleteOnClose);
    m_view = new CQuorvaneView(doc, this);
    setWidget(m_view);
    setFocusProxy(m_view);
}

CChildFrame::~CChildFrame()
{
    // The view goes first: it stores its cursor position and stops its workers while the
    // document still exists. The frame then closes the document when this was its last window.
    delete m_view;
    m_view = nullptr;
    m_mainFrame->OnChildFrameDestroyed(this, m_doc);
}

QString CChildFrame::IdleText() const
{
    return QDir::toNativeSeparators(m_doc->PathName());
}

void CChildFrame::CloseWithoutPrompt()
{
    m_skipPrompt = true;
    close();
}

void CChildFrame::closeEvent(QCloseEvent* e)
{
    // Only the document's last window asks about unsaved changes.
    if (!m_skipPrompt && m_mainFrame->ChildFramesOf(m_doc).size() <= 1 && !m_mainFrame->SaveModified(m_doc)) {
        e->ignore();
        return;
    }
    QMdiSubWindow::closeEvent(e);
}

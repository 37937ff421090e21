// The main frame's panes: their contents, created with the frame.
#include "app/MainFrame.h"

#include "app/CommandIds.h"
#include "panes/OutputWnd.h"
#include "structs/OutputStructWnd.h"

#include <QDockWidget>

QWidget* CMainFrame::CreatePaneBody(int paneId, QDockWidget* dock)
{
    switch (paneId) {
    case ID_PANE_OUTPUT:
        m_outputWnd = new COutputWnd(dock);
        return m_outputWnd;
    case ID_PANE_STRUCT:
        return new COutputStructWnd(dock);
    default:
        return nullptr;
    }
}

// The main frame's panes: their contents, created with the frame.
#include "app/MainFrame.h"

#include "app/CommandIds.h"
#include "panes/BinaryInfoWnd.h"
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
    case ID_PANE_INFO:
        m_infoWnd = new CBinaryInfoWnd(dock);
        return m_infoWnd;
    default:
        return nullptr;
    }
}

// The main frame's panes: their contents, created with the frame.
#include "app/MainFrame.h"

#include "base/CommandIds.h"
#include "app/MainFramePanes.h"
#include "panes/BinaryInfoWnd.h"
#include "panes/OutputWnd.h"
#include "panes/PropertiesWnd.h"
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
    case ID_PANE_PROPERTIES:
        return new CPropertiesWnd(dock);
    default:
        return nullptr;
    }
}

CPropertiesWnd* PropertiesPaneOf(const CMainFrame* frame)
{
    QDockWidget* dock = frame ? frame->Pane(ID_PANE_PROPERTIES) : nullptr;
    return dock ? qobject_cast<CPropertiesWnd*>(dock->widget()) : nullptr;
}

bool PropertiesPaneUpdate(const CMainFrame* frame, int id, CmdUI& ui)
{
    CPropertiesWnd* pane = PropertiesPaneOf(frame);
    if (!pane)
        return false;
    bool handled = false;
    const bool enabled = pane->IsCommandEnabled(id, &handled);
    if (handled)
        ui.enabled = enabled;
    return handled;
}

bool PropertiesPaneCommand(CMainFrame* frame, int id)
{
    CPropertiesWnd* pane = PropertiesPaneOf(frame);
    return pane && pane->OnCommand(id);
}

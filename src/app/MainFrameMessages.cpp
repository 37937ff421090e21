// The main frame's window messages: what views and panes send it.
#include "app/MainFrame.h"
#include "base/NativePath.h"
#include "app/MainFramePanes.h"
#include "panes/PropertiesWnd.h"

#include "app/ChildFrame.h"
#include "base/CommandTable.h"
#include "base/DialogFolder.h"
#include "base/Messages.h"
#include "base/Prompter.h"
#include "app/QuorvaneApp.h"
#include "base/SettingsStore.h"
#include "app/StatusPanes.h"
#include "panes/ToolIcons.h"
#include "document/QuorvaneDoc.h"
#include "panes/BinaryInfoWnd.h"
#include "panes/BitmapView.h"
#include "panes/OutputWnd.h"
#include "structs/OutputStructWnd.h"
#include "view/QuorvaneView.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDockWidget>
#include <QFileDialog>
#include <QFileInfo>
#include <QMdiArea>
#include <QMimeData>
#include <QMouseEvent>
#include <QTabBar>
#include <QTimer>
#include <algorithm>

// ---------------------------------------------------------------- messages

bool CMainFrame::event(QEvent* e)
{
    if (HandleMessage(e))
        return true;
    return QMainWindow::event(e);
}

bool CMainFrame::HandleMessage(QEvent* e)
{
    const int n = static_cast<int>(e->type());
    if (n < 0x8000 || n > 0x80ff)
        return false;
    if (auto* m = um::Cast<um::StatusText>(e)) {
        switch (m->index) {
        case um::PaneFileSize: m_status->SetFileSize(m->fileSize); break;
        case um::PaneDirectEdit: m_status->SetDirectEdit(m->directEdit); break;
        default: m_status->SetPaneText(m->index, m->text, 1); break;
        }
        return true;
    }
    if (auto* m = um::Cast<um::ShowCharCode>(e)) {
        m_shownCharCode = m->wParam;
        if (CPropertiesWnd* props = PropertiesPaneOf(this))
            props->ShowCharCode(m->wParam, m->lParam);
        return true;
    }
    if (auto* m = um::Cast<um::ShowByteOrder>(e)) {
        m_shownByteOrder = m->wParam;
        if (CPropertiesWnd* props = PropertiesPaneOf(this))
            props->ShowByteOrder(m->wParam);
        return true;
    }
    if (auto* m = um::Cast<um::GetOutputPane>(e)) {
        m->result = m_outputWnd;
        return true;
    }
    if (auto* m = um::Cast<um::GetInfoPane>(e)) {
        m->result = m_infoWnd;
        return true;
    }
    if (auto* m = um::Cast<um::GetStructPane>(e)) {
        m->result = Pane(ID_PANE_STRUCT) ? qobject_cast<COutputStructWnd*>(Pane(ID_PANE_STRUCT)->widget()) : nullptr;
        return true;
    }
    if (auto* m = um::Cast<um::Focus>(e)) {
        if (m->wParam) {
            if (CQuorvaneView* view = ActiveView())
                view->setFocus();
        } else if (QDockWidget* pane = Pane(ID_PANE_PROPERTIES)) {
            pane->widget()->setFocus();
        }
        return true;
    }
    if (um::Cast<um::RedrawBitmap>(e)) {
        if (auto* bitmap = qobject_cast<CBitmapView*>(Pane(ID_PANE_BITMAP)->widget()))
            bitmap->Redraw();
        return true;
    }
    if (auto* m = um::Cast<um::OpenFromClipboard>(e)) {
        if (m_closing)
            return true;
        if (QApplication::activeModalWidget()) {
            // A question is open (perhaps about closing): open the file once it is answered.
            const QString path = m->path;
            QTimer::singleShot(250, this, [this, path] { um::OpenFromClipboard::Post(this, path); });
            return true;
        }
        // A second start handed its file over: open it and come to the front. A start without a
        // file only brings this window forward.
        if (!m->path.isEmpty())
            OpenDocumentFile(m->path);
        if (isMinimized())
            showNormal();
        raise();
        activateWindow();
        return true;
    }
    return false;
}


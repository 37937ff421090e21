// The main frame's drops, middle clicks and closing, and the workspace it stores.
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

namespace {

const QString kWorkspaceState = QStringLiteral("Workspace/MainFrame/State");
const QString kWorkspaceGeometry = QStringLiteral("Workspace/MainFrame/Geometry");
const QString kAccelerators = QStringLiteral("Workspace/Keyboard-0/Accelerators");
const QString kToolbarButtons = QStringLiteral("Workspace/Toolbar-0/Buttons");

} // namespace

// ---------------------------------------------------------------- drops, middle click, close

void CMainFrame::dragEnterEvent(QDragEnterEvent* e)
{
    if (e->mimeData()->hasUrls())
        e->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* e)
{
    if (!e->mimeData()->hasUrls())
        return;
    const bool ctrl = (QApplication::queryKeyboardModifiers() & Qt::ControlModifier)
                   || (e->modifiers() & Qt::ControlModifier);
    e->acceptProposedAction();
    OpenDroppedFiles(e->mimeData()->urls(), ctrl);
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* e)
{
    auto* tabs = qobject_cast<QTabBar*>(watched);
    if (tabs && e->type() == QEvent::MouseButtonPress) {
        auto* me = static_cast<QMouseEvent*>(e);
        if (me->button() == Qt::MiddleButton) {
            const int index = tabs->tabAt(me->position().toPoint());
            const QList<QMdiSubWindow*> windows = m_mdi->subWindowList(QMdiArea::CreationOrder);
            if (index >= 0 && index < windows.size()) {
                // Closing by the tab asks about unsaved changes like every other close: a
                // stray middle click must not throw away edits.
                windows[index]->close();
            }
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, e);
}

void CMainFrame::closeEvent(QCloseEvent* e)
{
    if (!SaveAllModified()) {
        e->ignore();
        return;
    }
    CSettingsStore& store = CSettingsStore::Current();
    SaveWorkspace(store);
    m_recent.WriteList(store);
    m_closing = true;
    for (CChildFrame* child : ChildFrames())
        child->CloseWithoutPrompt();
    m_closing = false;
    QMainWindow::closeEvent(e);
}

// ---------------------------------------------------------------- workspace

QDockWidget* CMainFrame::Pane(int paneId) const
{
    return m_panes.value(paneId, nullptr);
}

void CMainFrame::SaveKeyBindings(CSettingsStore& store) const
{
    store.SetValue(kAccelerators, m_keys.Format().toUtf8());
    store.Sync();
}

void CMainFrame::SaveWorkspace(CSettingsStore& store) const
{
    store.SetValue(kWorkspaceState, saveState());
    store.SetValue(kWorkspaceGeometry, saveGeometry());
    // The key bindings in force; their presence also marks that the program has run before.
    store.SetValue(kAccelerators, m_keys.Format().toUtf8());
    QStringList buttons;
    for (int id : m_toolbarButtons)
        buttons << QString::number(id);
    store.SetValue(kToolbarButtons, buttons.join(QLatin1Char(',')));
    store.Sync();
}

bool CMainFrame::RestoreWorkspace(const CSettingsStore& store)
{
    const QByteArray geometry = store.Value(kWorkspaceGeometry).toByteArray();
    const QByteArray state = store.Value(kWorkspaceState).toByteArray();
    bool ok = true;
    if (!geometry.isEmpty())
        ok = restoreGeometry(geometry) && ok;
    if (!state.isEmpty())
        ok = restoreState(state) && ok;
    // Stored customisations that cannot be read leave the program's own keys and buttons.
    bool keysOk = false;
    const CKeyBindings keys = CKeyBindings::Parse(QString::fromUtf8(store.Value(kAccelerators).toByteArray()), &keysOk);
    if (keysOk)
        SetKeyBindings(keys);
    const QString buttons = store.Value(kToolbarButtons).toString();
    if (!buttons.isEmpty()) {
        std::vector<int> ids;
        for (const QString& part : buttons.split(QLatin1Char(','))) {
            bool numeric = false;
            const int id = part.trimmed().toInt(&numeric);
            if (numeric)
                ids.push_back(id);
        }
        SetToolbarButtons(ids);
    }
    return ok;
}

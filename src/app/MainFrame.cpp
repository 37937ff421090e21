// The main frame: documents and their windows, messages from the views, drops, status bar.
#include "app/MainFrame.h"
#include "document/NativePath.h"
#include "app/MainFramePanes.h"
#include "panes/PropertiesWnd.h"

#include "app/ChildFrame.h"
#include "app/CommandTable.h"
#include "app/DialogFolder.h"
#include "app/Messages.h"
#include "app/Prompter.h"
#include "app/QuorvaneApp.h"
#include "app/SettingsStore.h"
#include "app/StatusPanes.h"
#include "app/ToolIcons.h"
#include "document/QuorvaneDoc.h"
#include "panes/BitmapView.h"
#include "structs/OutputStructWnd.h"
#include "view/QuorvaneView.h"
#include "view/WorkProgress.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDockWidget>
#include <QFileDialog>
#include <QMdiArea>
#include <QMimeData>
#include <QMouseEvent>
#include <QTabBar>
#include <QTimer>
#include <algorithm>

namespace {

const QString kTitle = QStringLiteral("Quorvane Ver2.44");
const QString kWorkspaceState = QStringLiteral("Workspace/MainFrame/State");
const QString kWorkspaceGeometry = QStringLiteral("Workspace/MainFrame/Geometry");
const QString kAccelerators = QStringLiteral("Workspace/Keyboard-0/Accelerators");
const QString kToolbarButtons = QStringLiteral("Workspace/Toolbar-0/Buttons");

} // namespace

QString CMainFrame::ProgramTitle()
{
    return kTitle;
}

CMainFrame::CMainFrame(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("MainFrame"));
    setWindowTitle(kTitle);
    setWindowIcon(ToolIcons::AppIcon());
    setAcceptDrops(true);
    setDockOptions(QMainWindow::AnimatedDocks | QMainWindow::AllowNestedDocks | QMainWindow::AllowTabbedDocks);

    // Documents as tabs: a close button on the tabs, no tab reordering (the tab index then
    // follows the windows' creation order, which the middle-click close relies on).
    m_mdi = new QMdiArea(this);
    m_mdi->setViewMode(QMdiArea::TabbedView);
    m_mdi->setTabsClosable(true);
    m_mdi->setTabsMovable(false);
    m_mdi->setDocumentMode(true);
    m_mdi->setActivationOrder(QMdiArea::ActivationHistoryOrder);
    setCentralWidget(m_mdi);
    connect(m_mdi, &QMdiArea::subWindowActivated, this, &CMainFrame::OnSubWindowActivated);
    if (QTabBar* tabs = m_mdi->findChild<QTabBar*>())
        tabs->installEventFilter(this);

    m_status = new CStatusPanes(this);
    setStatusBar(m_status);
    m_status->SetIdleText(m_idleText);

    CreateMenus();
    CreateToolbar();
    m_keys = CKeyBindings::Defaults();
    ApplyKeyBindings();
    CreatePanes();
    InitFolderSearch();
    ShowDocumentMenus(false);
    UpdateCommandUI();

    // Toolbar buttons follow states that change without a command (a selection made with the
    // mouse, a loader that finished): refresh them a few times a second while the frame is active.
    auto* idle = new QTimer(this);
    idle->setInterval(250);
    connect(idle, &QTimer::timeout, this, [this] {
        if (isActiveWindow() && !QApplication::activePopupWidget())
            UpdateCommandUI();
    });
    idle->start();
}

CMainFrame::~CMainFrame()
{
    // A running folder search ends first: its worker is stopped and waited for.
    StopFolderSearch();
    // Windows first, while the members they report to still exist; each closes its document
    // when it is the last one. Closed windows waiting for their deferred deletion are no longer
    // in the area's list, so look for every child frame.
    m_closing = true;
    const QList<CChildFrame*> windows = findChildren<CChildFrame*>();
    for (CChildFrame* w : windows)
        delete w;
}

// ---------------------------------------------------------------- documents

CChildFrame* CMainFrame::OpenDocumentFile(const QString& path, bool directEdit)
{
    const QString full = path.isEmpty() ? QString() : AbsolutePath(path);
    if (!full.isEmpty()) {
        for (CQuorvaneDoc* doc : Documents()) {
            if (doc->PathName() == full) {
                const QList<CChildFrame*> frames = ChildFramesOf(doc);
                if (!frames.isEmpty()) {
                    m_mdi->setActiveSubWindow(frames.front());
                    return frames.front();
                }
            }
        }
    }
    auto* doc = new CQuorvaneDoc(this);
    ConnectDocument(doc); // before the loader starts, so that none of its reports is missed
    if (!doc->OnOpenDocument(full, directEdit)) {
        delete doc;
        return nullptr;
    }
    m_recent.Add(doc->PathName());
    // Written at once, so that a program that ends abnormally still remembers the file.
    m_recent.WriteList(CSettingsStore::Current());
    CSettingsStore::Current().Sync();
    RefreshRecentFileMenu();
    return AddChildFrame(doc);
}

CChildFrame* CMainFrame::NewDocument()
{
    auto* doc = new CQuorvaneDoc(this);
    ConnectDocument(doc);
    if (!doc->OnNewDocument()) {
        delete doc;
        return nullptr;
    }
    m_untitledNames.insert(doc, QStringLiteral("Quorvane%1").arg(++m_untitledCount));
    return AddChildFrame(doc);
}

CChildFrame* CMainFrame::NewWindow()
{
    CQuorvaneDoc* doc = ActiveDocument();
    return doc ? AddChildFrame(doc) : nullptr;
}

CChildFrame* CMainFrame::AddChildFrame(CQuorvaneDoc* doc)
{
    auto* child = new CChildFrame(doc, this);
    ++m_windowCount[doc];
    m_mdi->addSubWindow(child);
    if (doc->IsDirectEdit()) {
        // A document edited in place on disk keeps a grey mark on its tab.
        QPixmap grey(12, 12);
        grey.fill(QColor(0x80, 0x80, 0x80));
        child->setWindowIcon(QIcon(grey));
    }
    // Tabbed documents fill the area; before the frame is first shown the area does not do
    // that by itself.
    child->showMaximized();
    ArrangeWindows(); // side by side when the windows are not tabs
    child->GetActiveView()->OnInitialUpdate();
    ShowDocumentMenus(true);
    m_mdi->setActiveSubWindow(child);
    // While the frame is hidden or inactive the area reports no activation: do it here, so the
    // status bar and the title follow the new window at once.
    if (m_activeChild != child)
        OnSubWindowActivated(child);
    UpdateTitles();
    UpdateCommandUI();
    return child;
}

void CMainFrame::ConnectDocument(CQuorvaneDoc* doc)
{
    // The loader announces sizes from its thread: the call arrives queued, possibly after the
    // document has gone, hence the guard.
    connect(doc, &CQuorvaneDoc::fileSizeChanged, this, [this, guard = QPointer<CQuorvaneDoc>(doc)](quint64 size) {
        if (guard && ActiveDocument() == guard)
            m_status->SetFileSize(size);
    });
    connect(doc, &CQuorvaneDoc::pathChanged, this, [this, doc](const QString&) {
        m_untitledNames.remove(doc);
        UpdateTitles();
        if (ActiveDocument() == doc) {
            m_idleText = ActiveChild()->IdleText();
            m_status->SetIdleText(m_idleText);
        }
    });
    connect(doc, &CQuorvaneDoc::modifiedChanged, this, [this] {
        UpdateTitles();
        UpdateCommandUI();
    });
    connect(doc, &CQuorvaneDoc::editLockChanged, this, [this] { UpdateCommandUI(); });
    connect(doc, &CQuorvaneDoc::loaderFailed, this, [](const QString& text) { Prompter::ShowError(text); });
}

void CMainFrame::OpenDroppedFiles(const QList<QUrl>& urls, bool directEdit)
{
    if (directEdit && !ConfirmDirectEdit())
        return;
    CQuorvaneApp* app = CQuorvaneApp::Instance();
    if (app)
        app->m_openDirectEdit = directEdit;
    for (const QUrl& url : urls) {
        const QString path = PathFromUrl(url); // keeps names that are not UTF-8
        if (path.isEmpty() || StatPath(path).isDir)
            continue;
        OpenDocumentFile(path, directEdit);
    }
    if (app)
        app->m_openDirectEdit = false;
}

CChildFrame* CMainFrame::ActiveChild() const
{
    // The window activated last, as long as it is open (a closed one waits for deletion).
    const QList<QMdiSubWindow*> open = m_mdi->subWindowList();
    if (m_activeChild && open.contains(m_activeChild.data()))
        return qobject_cast<CChildFrame*>(m_activeChild.data());
    return qobject_cast<CChildFrame*>(m_mdi->currentSubWindow());
}

CQuorvaneView* CMainFrame::ActiveView() const
{
    CChildFrame* child = ActiveChild();
    return child ? child->GetActiveView() : nullptr;
}

CQuorvaneDoc* CMainFrame::ActiveDocument() const
{
    CChildFrame* child = ActiveChild();
    return child ? child->GetDocument() : nullptr;
}

QList<CChildFrame*> CMainFrame::ChildFrames() const
{
    QList<CChildFrame*> result;
    for (QMdiSubWindow* w : m_mdi->subWindowList(QMdiArea::CreationOrder))
        if (auto* child = qobject_cast<CChildFrame*>(w))
            result << child;
    return result;
}

QList<CChildFrame*> CMainFrame::ChildFramesOf(const CQuorvaneDoc* doc) const
{
    QList<CChildFrame*> result;
    for (CChildFrame* child : ChildFrames())
        if (child->GetDocument() == doc)
            result << child;
    return result;
}

QList<CQuorvaneDoc*> CMainFrame::Documents() const
{
    QList<CQuorvaneDoc*> result;
    for (CChildFrame* child : ChildFrames())
        if (!result.contains(child->GetDocument()))
            result << child->GetDocument();
    return result;
}

QString CMainFrame::DocumentTitle(const CQuorvaneDoc* doc) const
{
    if (doc->PathName().isEmpty())
        return m_untitledNames.value(doc, QStringLiteral("Quorvane"));
    return doc->Title();
}

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

void CMainFrame::OnChildFrameDestroyed(CChildFrame* child, CQuorvaneDoc* doc)
{
    if (m_activeChild == child)
        m_activeChild = nullptr;
    // Closing a window of a compared document ends the comparison.
    if (doc == m_diffLeft || doc == m_diffRight)
        EndCompare();
    // Counted here rather than from the area's list: a closed window leaves that list at once
    // but is deleted later, and its document must go with the last deletion, exactly once.
    if (--m_windowCount[doc] <= 0) {
        m_windowCount.remove(doc);
        m_untitledNames.remove(doc);
        doc->OnCloseDocument();
        delete doc;
    }
    if (m_closing)
        return;
    const QList<CChildFrame*> frames = ChildFrames();
    const bool anyLeft = std::any_of(frames.begin(), frames.end(), [child](CChildFrame* c) { return c != child; });
    if (!anyLeft) {
        ShowDocumentMenus(false);
        setWindowTitle(kTitle);
        // Nothing of the closed document stays in the status bar.
        m_idleText.clear();
        m_status->SetIdleText(m_idleText);
        m_status->ShowNoDocument();
    } else {
        UpdateTitles();
        QTimer::singleShot(0, this, &CMainFrame::ArrangeWindows);
    }
    UpdateCommandUI();
}

void CMainFrame::UpdateTitles()
{
    // "[*]" stands where the modified mark "*" shows on the tab and in the title bar while the
    // document has unsaved changes.
    for (CQuorvaneDoc* doc : Documents()) {
        const QList<CChildFrame*> frames = ChildFramesOf(doc);
        const QString title = DocumentTitle(doc);
        for (int i = 0; i < frames.size(); ++i) {
            frames[i]->setWindowTitle((frames.size() == 1 ? title : QStringLiteral("%1:%2").arg(title).arg(i + 1))
                                      + QStringLiteral("[*]"));
            frames[i]->setWindowModified(doc->IsModified());
        }
    }
    CChildFrame* active = ActiveChild();
    setWindowTitle(active ? active->windowTitle() + QStringLiteral(" - ") + kTitle : kTitle);
    setWindowModified(active && active->GetDocument() && active->GetDocument()->IsModified());
}

void CMainFrame::OnSubWindowActivated(QMdiSubWindow* window)
{
    auto* child = qobject_cast<CChildFrame*>(window);
    if (!child && m_mdi->subWindowList().isEmpty()) {
        // The last window closed.
        m_activeChild = nullptr;
        setWindowTitle(kTitle);
        UpdateCommandUI();
        return;
    }
    if (!child || child == m_activeChild)
        return; // the program losing the focus deactivates without choosing another window
    if (auto* old = qobject_cast<CChildFrame*>(m_activeChild.data()); old && old->GetActiveView())
        old->GetActiveView()->OnActivateView(false);
    m_activeChild = child;
    m_idleText = child->IdleText();
    m_status->clearMessage();
    m_status->SetIdleText(m_idleText);
    child->GetActiveView()->OnActivateView(true);
    UpdateTitles();
    UpdateCommandUI();
}

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

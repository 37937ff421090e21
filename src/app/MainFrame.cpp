// The main frame: its set-up, and documents with their windows.
#include "app/MainFrame.h"
#include "base/NativePath.h"
#include "app/MainFramePanes.h"
#include "panes/PropertiesWnd.h"

#include "app/ChildFrame.h"
#include "base/CommandTable.h"
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
#include <QMdiArea>
#include <QMimeData>
#include <QMouseEvent>
#include <QTabBar>
#include <QTimer>
#include <algorithm>

namespace {

const QString kTitle = QStringLiteral("Quorvane Ver2.44");

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

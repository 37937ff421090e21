// The main frame's commands: menus, toolbar, key bindings, panes, and command routing.
#include "app/MainFrame.h"
#include "document/NativePath.h"

#include "app/AboutDlg.h"
#include "app/WindowsDlg.h"
#include "app/ChildFrame.h"
#include "app/CommandTable.h"
#include "app/MainFramePanes.h"
#include "app/DialogFolder.h"
#include "app/QuorvaneApp.h"
#include "app/SettingsStore.h"
#include "document/QuorvaneDoc.h"
#include "panes/BitmapView.h"
#include "panes/PropertiesWnd.h"
#include "view/QuorvaneView.h"

#include <QAction>
#include <QDockWidget>
#include <QFileDialog>
#include <QMdiArea>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <memory>

QAction* CMainFrame::AddCommand(QMenu* menu, int id)
{
    const CommandInfo* info = FindCommand(id);
    Q_ASSERT_X(info, "CMainFrame::AddCommand", "every menu command needs a table entry");
    auto* action = new QAction(info->text, this);
    action->setData(id);
    action->setStatusTip(info->prompt);
    action->setToolTip(info->tooltip.isEmpty() ? QString(info->text).section(QLatin1Char('\t'), 0, 0).remove(QLatin1Char('&')) : info->tooltip);
    action->setMenuRole(QAction::NoRole);
    connect(action, &QAction::triggered, this, [this, id] { ExecuteCommand(id); });
    menu->addAction(action);
    m_actions.insert(id, action);
    return action;
}

void CMainFrame::CreateMenus()
{
    QMenuBar* bar = menuBar();
    bar->setNativeMenuBar(false);

    // Two sets of menus, as two menu resources would be: the full one while a document is open,
    // ファイル, 表示 and ヘルプ alone while none is. They share their items.
    QMenu* file = bar->addMenu(QStringLiteral("ファイル(&F)"));
    m_documentMenus << file->menuAction();
    AddCommand(file, ID_FILE_NEW);
    AddCommand(file, ID_FILE_OPEN);
    AddCommand(file, ID_DIRECT_EDIT);
    AddCommand(file, ID_FILE_CLOSE);
    file->addSeparator();
    AddCommand(file, ID_FILE_SAVE);
    AddCommand(file, ID_FILE_SAVE_AS);
    AddCommand(file, ID_FILE_RELOAD);
    file->addSeparator();
    AddCommand(file, ID_RANGE_OUTPUT);
    AddCommand(file, ID_FILE_PRINT);
    AddCommand(file, ID_FILE_PRINT_PREVIEW);
    AddCommand(file, ID_FILE_PRINT_PDF);
    file->addSeparator();
    m_recentMenu = file->addMenu(QStringLiteral("最近使ったファイル"));
    for (int i = 0; i < kRecentFileCount; ++i) {
        const int id = ID_FILE_MRU_FILE1 + i;
        auto* action = new QAction(this);
        action->setData(id);
        action->setStatusTip(QStringLiteral("指定のドキュメントを開きます"));
        connect(action, &QAction::triggered, this, [this, id] { ExecuteCommand(id); });
        m_recentMenu->addAction(action);
        m_actions.insert(id, action);
    }
    file->addSeparator();
    AddCommand(file, ID_DELETE_REGISTRY);
    AddCommand(file, ID_APP_EXIT);

    QMenu* edit = bar->addMenu(QStringLiteral("編集(&E)"));
    m_documentMenus << edit->menuAction();
    AddCommand(edit, ID_EDIT_UNDO);
    AddCommand(edit, ID_EDIT_REDO);
    edit->addSeparator();
    for (int id : {ID_EDIT_CUT, ID_EDIT_COPY, ID_COPY_AS_TEXT, ID_EDIT_PASTE, ID_PASTE_AS_NUMBER})
        AddCommand(edit, id);
    edit->addSeparator();
    AddCommand(edit, ID_SELECT_ALL);
    edit->addSeparator();
    AddCommand(edit, ID_CONCAT);
    AddCommand(edit, ID_FIXED_INPUT);
    edit->addSeparator();
    AddCommand(edit, ID_EDIT_LOCK)->setCheckable(true);
    AddCommand(edit, ID_BUFFER_CLEAR);

    QMenu* search = bar->addMenu(QStringLiteral("検索(&F)"));
    m_documentMenus << search->menuAction();
    for (int id : {ID_SEARCH, ID_SEARCH_PREV, ID_SEARCH_NEXT, ID_REPLACE})
        AddCommand(search, id);
    search->addSeparator();
    for (int id : {ID_JUMP_TOP, ID_JUMP_END, ID_ADDRESS_JUMP})
        AddCommand(search, id);
    search->addSeparator();
    QMenu* bookmarks = search->addMenu(QStringLiteral("ブックマーク(&B)"));
    AddCommand(bookmarks, ID_BOOKMARK_OPEN_LIST);
    AddCommand(bookmarks, ID_BOOKMARK_SAVE_LIST);
    bookmarks->addSeparator();
    for (int id : {ID_BOOKMARK, ID_BOOKMARK_PREV, ID_BOOKMARK_NEXT, ID_BOOKMARK_CLEAR})
        AddCommand(bookmarks, id);
    search->addSeparator();
    AddCommand(search, ID_FOLDER_SEARCH);

    QMenu* view = bar->addMenu(QStringLiteral("表示(&V)"));
    m_documentMenus << view->menuAction();
    m_barsMenu = view->addMenu(QStringLiteral("ツール バーとドッキング ウィンドウ(&T)"));
    m_customize = new QAction(QStringLiteral("カスタマイズ..."), this);
    m_customize->setData(ID_VIEW_CUSTOMIZE);
    connect(m_customize, &QAction::triggered, this, &CMainFrame::Customize);
    AddCommand(view, ID_VIEW_STATUS_BAR)->setCheckable(true);
    QMenu* codes = view->addMenu(QStringLiteral("文字コード(&C)"));
    for (int id = ID_CHARCODE_FIRST; id <= ID_CHARCODE_LAST; ++id)
        AddCommand(codes, id)->setCheckable(true);
    QMenu* order = view->addMenu(QStringLiteral("バイトオーダー(&O)"));
    AddCommand(order, ID_BYTEORDER_LITTLE)->setCheckable(true);
    AddCommand(order, ID_BYTEORDER_BIG)->setCheckable(true);
    view->addSeparator();
    AddCommand(view, ID_FILE_PROPERTIES);
    view->addSeparator();
    AddCommand(view, ID_SETTINGS);

    QMenu* diff = bar->addMenu(QStringLiteral("比較(&D)"));
    m_documentMenus << diff->menuAction();
    for (int id : {ID_DIFF_START, ID_DIFF_PREV, ID_DIFF_NEXT, ID_DIFF_END})
        AddCommand(diff, id);

    QMenu* window = bar->addMenu(QStringLiteral("ウィンドウ(&W)"));
    m_documentMenus << window->menuAction();
    AddCommand(window, ID_WINDOW_NEW);
    window->addSeparator();
    for (int id : {ID_WINDOW_TILE_VERT, ID_WINDOW_TILE_HORZ, ID_WINDOW_TABS})
        AddCommand(window, id)->setCheckable(true);
    window->addSeparator();
    AddCommand(window, ID_WINDOW_MANAGER);

    QMenu* macro = bar->addMenu(QStringLiteral("マクロ(&M)"));
    m_documentMenus << macro->menuAction();
    AddCommand(macro, ID_MACRO_RECORD)->setCheckable(true);
    AddCommand(macro, ID_MACRO_PLAY);

    QMenu* help = bar->addMenu(QStringLiteral("ヘルプ(&H)"));
    AddCommand(help, ID_APP_ABOUT);

    // The menus without a document.
    auto* emptyFile = new QMenu(QStringLiteral("ファイル(&F)"), bar);
    for (int id : {ID_FILE_NEW, ID_FILE_OPEN, ID_DIRECT_EDIT})
        emptyFile->addAction(m_actions.value(id));
    emptyFile->addSeparator();
    emptyFile->addAction(m_recentMenu->menuAction());
    emptyFile->addSeparator();
    emptyFile->addAction(m_actions.value(ID_DELETE_REGISTRY));
    emptyFile->addAction(m_actions.value(ID_APP_EXIT));
    bar->insertMenu(file->menuAction(), emptyFile);
    auto* emptyView = new QMenu(QStringLiteral("表示(&V)"), bar);
    emptyView->addAction(m_barsMenu->menuAction());
    emptyView->addAction(m_actions.value(ID_VIEW_STATUS_BAR));
    emptyView->addSeparator();
    emptyView->addAction(m_actions.value(ID_SETTINGS));
    bar->insertMenu(view->menuAction(), emptyView);
    m_emptyMenus << emptyFile->menuAction() << emptyView->menuAction();

    // States are brought up to date whenever a menu opens.
    for (QMenu* m : bar->findChildren<QMenu*>())
        connect(m, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandUI);
    connect(m_barsMenu, &QMenu::aboutToShow, this, [this] {
        // The toggles of the toolbar and the panes, as the frame's own context menu lists them.
        m_barsMenu->clear();
        std::unique_ptr<QMenu> popup(createPopupMenu());
        // Separators belong to the popup and go with it; the menu makes its own.
        if (popup) {
            for (QAction* a : popup->actions()) {
                if (a->isSeparator())
                    m_barsMenu->addSeparator();
                else
                    m_barsMenu->addAction(a);
            }
        }
    });
    RefreshRecentFileMenu();
}

void CMainFrame::CreatePanes()
{
    struct PaneDef { int id; const char* caption; const char* name; int w; int h; };
    const PaneDef defs[] = {
        {ID_PANE_INFO, "情報", "InfoPane", 320, 135},
        {ID_PANE_OUTPUT, "出力", "OutputPane", 480, 135},
        {ID_PANE_PROPERTIES, "プロパティ", "PropertiesPane", 190, 200},
        {ID_PANE_STRUCT, "構造体編集", "StructPane", 480, 135},
        {ID_PANE_BITMAP, "ビットマップ", "BitmapPane", 190, 500},
    };
    for (const PaneDef& d : defs) {
        auto* dock = new QDockWidget(QString::fromUtf8(d.caption), this);
        dock->setObjectName(QString::fromLatin1(d.name));
        dock->setAllowedAreas(Qt::AllDockWidgetAreas);
        dock->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable
                          | QDockWidget::DockWidgetFloatable);
        QWidget* body = CreatePaneBody(d.id, dock);
        if (!body) {
            body = new QWidget(dock);
            body->setFocusPolicy(Qt::StrongFocus);
        }
        body->setObjectName(QString::fromLatin1(d.name) + QStringLiteral("Body"));
        dock->setWidget(body);
        m_panes.insert(d.id, dock);
    }
    QDockWidget* info = m_panes[ID_PANE_INFO];
    QDockWidget* output = m_panes[ID_PANE_OUTPUT];
    QDockWidget* props = m_panes[ID_PANE_PROPERTIES];
    QDockWidget* structs = m_panes[ID_PANE_STRUCT];
    QDockWidget* bitmap = m_panes[ID_PANE_BITMAP];
    delete bitmap->widget();
    bitmap->setWidget(new CBitmapView(bitmap));
    addDockWidget(Qt::BottomDockWidgetArea, info);
    splitDockWidget(info, output, Qt::Horizontal);
    addDockWidget(Qt::RightDockWidgetArea, props);
    tabifyDockWidget(output, structs);
    tabifyDockWidget(props, bitmap);
    structs->raise();
    bitmap->raise();
    resizeDocks({info, output}, {320, 480}, Qt::Horizontal);
    resizeDocks({info}, {135}, Qt::Vertical);
    resizeDocks({props}, {190}, Qt::Horizontal);
}

void CMainFrame::ShowDocumentMenus(bool show)
{
    for (QAction* a : m_documentMenus)
        a->setVisible(show);
    for (QAction* a : m_emptyMenus)
        a->setVisible(!show);
}

void CMainFrame::RefreshRecentFileMenu()
{
    const QStringList& entries = m_recent.Entries();
    for (int i = 0; i < kRecentFileCount; ++i) {
        QAction* a = m_actions.value(ID_FILE_MRU_FILE1 + i);
        a->setText(m_recent.MenuText(i));
        a->setVisible(i < entries.size());
    }
    m_recentMenu->menuAction()->setEnabled(!entries.isEmpty());
}

QAction* CMainFrame::CommandAction(int id) const
{
    return m_actions.value(id, nullptr);
}

// ---------------------------------------------------------------- routing

CmdUI CMainFrame::CommandState(int id) const
{
    CmdUI ui;
    if (CQuorvaneView* view = ActiveView(); view && view->OnUpdateCommand(id, ui))
        return ui;
    ui = CmdUI{};
    if (DocumentUpdate(id, ui))
        return ui;
    ui = CmdUI{};
    if (FrameUpdate(id, ui))
        return ui;
    return CmdUI{false, false};
}

bool CMainFrame::ExecuteCommand(int id)
{
    if (!CommandState(id).enabled)
        return false;
    bool done = false;
    if (CQuorvaneView* view = ActiveView())
        done = view->OnCommand(id);
    if (!done)
        done = DocumentCommand(id);
    if (!done)
        done = FrameCommand(id);
    UpdateCommandUI();
    return done;
}

void CMainFrame::UpdateCommandUI()
{
    for (auto it = m_actions.cbegin(); it != m_actions.cend(); ++it) {
        const CmdUI ui = CommandState(it.key());
        it.value()->setEnabled(ui.enabled);
        if (it.value()->isCheckable())
            it.value()->setChecked(ui.checked);
    }
    // The properties pane's buttons follow the same states (SUM計算 and 同一検索 are only there).
    if (CPropertiesWnd* props = PropertiesPaneOf(this))
        props->UpdateToolbar();
}

bool CMainFrame::DocumentUpdate(int id, CmdUI& ui) const
{
    switch (id) {
    case ID_FILE_CLOSE: case ID_FILE_SAVE: case ID_FILE_SAVE_AS: case ID_FILE_RELOAD:
    case ID_EDIT_LOCK: case ID_BUFFER_CLEAR: case ID_WINDOW_NEW:
        break;
    default:
        return false;
    }
    CQuorvaneDoc* doc = ActiveDocument();
    ui.enabled = doc != nullptr;
    if (!doc)
        return true;
    switch (id) {
    case ID_FILE_SAVE: ui.enabled = doc->IsModified(); break;
    case ID_FILE_RELOAD: ui.enabled = !doc->PathName().isEmpty(); break;
    case ID_EDIT_LOCK: ui.checked = doc->EditLock() != 0; break;
    case ID_BUFFER_CLEAR: ui.enabled = !doc->IsDirectEdit(); break;
    default: break;
    }
    return true;
}

bool CMainFrame::DocumentCommand(int id)
{
    CQuorvaneDoc* doc = ActiveDocument();
    if (!doc)
        return false;
    switch (id) {
    case ID_FILE_CLOSE: CloseDocument(doc); return true;
    case ID_FILE_SAVE: FileSave(doc); return true;
    case ID_FILE_SAVE_AS: FileSaveAs(doc); return true;
    case ID_FILE_RELOAD: ReloadDocument(doc); return true;
    case ID_EDIT_LOCK: doc->ToggleEditLock(); return true;
    case ID_BUFFER_CLEAR: doc->AskClearJournals(); return true;
    case ID_WINDOW_NEW: NewWindow(); return true;
    default: return false;
    }
}

bool CMainFrame::FrameUpdate(int id, CmdUI& ui) const
{
    if (id >= ID_FILE_MRU_FILE1 && id < ID_FILE_MRU_FILE1 + kRecentFileCount) {
        ui.enabled = id - ID_FILE_MRU_FILE1 < m_recent.Entries().size();
        return true;
    }
    switch (id) {
    case ID_FILE_NEW: case ID_FILE_OPEN: case ID_DIRECT_EDIT: case ID_APP_EXIT: case ID_APP_ABOUT:
    case ID_DELETE_REGISTRY: case ID_SETTINGS:
        return true;
    case ID_WINDOW_MANAGER:
        ui.enabled = !ChildFrames().isEmpty();
        return true;
    case ID_VIEW_STATUS_BAR:
        ui.checked = !statusBar()->isHidden();
        return true;
    case ID_MACRO_RECORD:
        ui.checked = CKeyMacro::Program().IsRecording();
        return true;
    case ID_MACRO_PLAY:
        ui.enabled = CKeyMacro::Program().CanPlay();
        return true;
    default:
        break;
    }
    if (PropertiesPaneUpdate(this, id, ui) || CompareUpdate(id, ui) || WindowLayoutUpdate(id, ui)
        || GrepUpdate(id, ui))
        return true;
    return false;
}

bool CMainFrame::FrameCommand(int id)
{
    if (id >= ID_FILE_MRU_FILE1 && id < ID_FILE_MRU_FILE1 + kRecentFileCount) {
        const int index = id - ID_FILE_MRU_FILE1;
        const QString path = m_recent.Entries().value(index);
        if (!path.isEmpty() && !OpenDocumentFile(path)) {
            // A file that cannot be opened any more leaves the list.
            m_recent.Remove(index);
            m_recent.WriteList(CSettingsStore::Current());
            RefreshRecentFileMenu();
        }
        return true;
    }
    if (PropertiesPaneCommand(this, id) || CompareCommand(id) || WindowLayoutCommand(id)
        || GrepCommand(id))
        return true;
    switch (id) {
    case ID_FILE_NEW: NewDocument(); return true;
    case ID_FILE_OPEN: FileOpen(); return true;
    case ID_DIRECT_EDIT: OpenDirectEdit(); return true;
    case ID_APP_EXIT: close(); return true;
    case ID_APP_ABOUT: ShowAbout(); return true;
    case ID_MACRO_RECORD: ToggleMacroRecording(); return true;
    case ID_MACRO_PLAY: PlayMacro(); return true;
    case ID_SETTINGS: OpenSettings(); return true;
    case ID_WINDOW_MANAGER: {
        CWindowsDlg dlg(this);
        dlg.exec();
        return true;
    }
    case ID_VIEW_STATUS_BAR: statusBar()->setVisible(!statusBar()->isVisible()); return true;
    case ID_DELETE_REGISTRY:
        // The flag stays set when the close is cancelled: the tree then goes at the next exit.
        if (CQuorvaneApp* app = CQuorvaneApp::Instance())
            app->m_deleteRegistryOnExit = true;
        QTimer::singleShot(0, this, &QWidget::close);
        return true;
    default:
        return false;
    }
}

QString CMainFrame::DialogStartFolder() const
{
    const CQuorvaneDoc* doc = ActiveDocument();
    return CDialogFolder::StartFolder(doc ? doc->PathName() : QString());
}

void CMainFrame::FileOpen()
{
    // URLs keep the bytes of names that are not UTF-8.
    const QList<QUrl> urls = QFileDialog::getOpenFileUrls(this, QStringLiteral("開く"), UrlFromPath(DialogStartFolder()));
    if (!urls.isEmpty())
        CDialogFolder::Remember(PathFromUrl(urls.front()));
    for (const QUrl& url : urls)
        OpenDocumentFile(PathFromUrl(url));
}

void CMainFrame::OpenDirectEdit()
{
    const QUrl url = QFileDialog::getOpenFileUrl(this, QStringLiteral("開く"), UrlFromPath(DialogStartFolder()));
    const QString path = url.isEmpty() ? QString() : PathFromUrl(url);
    if (path.isEmpty() || !ConfirmDirectEdit())
        return;
    CDialogFolder::Remember(path);
    CQuorvaneApp* app = CQuorvaneApp::Instance();
    if (app)
        app->m_openDirectEdit = true;
    OpenDocumentFile(path, true);
    if (app)
        app->m_openDirectEdit = false;
}

bool CMainFrame::ConfirmDirectEdit()
{
    // Direct edit moves the file's tail in place: a kill or power loss halfway through an
    // insertion or deletion leaves it half moved. The user hears it before choosing the mode.
    const PromptAnswer a = Prompter::Current().Show(
        QStringLiteral("直接編集モードでは、変更はすぐにファイルに書き込まれ、元に戻せません。\n"
                       "上書きは安全ですが、挿入と削除はファイルの後ろの部分をその場で移動するため、"
                       "途中でプログラムが強制終了したり電源が切れたりするとファイルが壊れることがあります。\n\n"
                       "直接編集モードで開きますか?"),
        QStringLiteral("確認"), PromptButtons::OkCancel, PromptIcon::Warning);
    return a == PromptAnswer::Ok;
}

void CMainFrame::ShowAbout()
{
    CAboutDlg dlg(this);
    dlg.exec();
}

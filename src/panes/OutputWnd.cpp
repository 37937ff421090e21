// The output pane "出力": result lists of search, same search, SUM and folder search, and the
// bookmark list, in five tabs along the bottom.
#include "panes/OutputWnd.h"

#include "app/MessageTargets.h"
#include "app/Messages.h"
#include "panes/OutputLineRules.h"
#include "panes/OutputList.h"
#include "panes/OutputListCtrl.h"
#include "panes/ResultListModel.h"
#include "panes/SameListBox.h"
#include "view/QuorvaneView.h"

#include <QDockWidget>
#include <QGridLayout>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

int Slot(int listId)
{
    return listId >= COutputWnd::ListSame && listId <= COutputWnd::ListGrep ? listId - COutputWnd::ListSame : -1;
}

} // namespace

COutputWnd::COutputWnd(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("OutputWnd"));
    m_tabs = new QTabWidget(this);
    m_tabs->setTabPosition(QTabWidget::South);
    m_tabs->setDocumentMode(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_tabs);

    for (int id : {ListSame, ListSearch, ListSum, ListGrep}) {
        auto* list = new COutputList(id);
        m_lists[Slot(id)] = list;
        connect(list, &COutputList::lineActivated, this, &COutputWnd::OnLineActivated);
        connect(list, &COutputList::hidePaneRequested, this, &COutputWnd::HidePane);
    }
    m_grepRoles = std::make_unique<OutputLineRules::GrepLineRoles>();
    // However the folder-search list is emptied (クリア in its menu, a reload), its roles go too;
    // a search that goes on writing after a クリア has lines without their file line.
    connect(List(ListGrep)->model(), &QAbstractItemModel::modelReset, this, [this] { m_grepRoles->Reset(false); });

    // 同一検索: the group drop-down and its refresh icon above the list; the page shows them only
    // while it is the active tab.
    auto* samePage = new QWidget;
    auto* sameLayout = new QGridLayout(samePage);
    sameLayout->setContentsMargins(0, 0, 0, 0);
    sameLayout->setSpacing(0);
    m_sameGroups = new CSameListBox(samePage);
    m_sameGroups->setFixedHeight(20);
    m_sameGroups->setAccessibleName(QStringLiteral("同一検索グループ"));
    m_sameRefresh = new QToolButton(samePage);
    m_sameRefresh->setAutoRaise(true);
    m_sameRefresh->setFixedSize(16, 16);
    m_sameRefresh->setIconSize(QSize(16, 16));
    m_sameRefresh->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
    m_sameRefresh->setToolTip(QStringLiteral("更新"));
    m_sameRefresh->setAccessibleName(QStringLiteral("更新"));
    m_sameRefresh->setFocusPolicy(Qt::NoFocus);
    sameLayout->addWidget(m_sameGroups, 0, 0);
    sameLayout->addWidget(m_sameRefresh, 0, 1, Qt::AlignTop | Qt::AlignHCenter);
    sameLayout->setColumnMinimumWidth(1, 16);
    sameLayout->addWidget(m_lists[Slot(ListSame)], 1, 0, 1, 2);
    connect(m_sameGroups, qOverload<int>(&QComboBox::activated), this, [this](int index) {
        ClearList(ListSame);
        um::SameGroup::Send(Target(), index);
    });
    // The icon acts on the press of the left button, like the icon it stands for.
    connect(m_sameRefresh, &QToolButton::pressed, this, [this] { um::SameRefresh::Send(Target()); });

    m_bookmarks = new COutputListCtrl;
    connect(m_bookmarks, &COutputListCtrl::rowActivated, this, &COutputWnd::OnBookmarkActivated);
    connect(m_bookmarks, &COutputListCtrl::descriptionEdited, this, &COutputWnd::OnBookmarkEdited);

    m_tabs->addTab(m_lists[Slot(ListSearch)], QStringLiteral("検索"));
    m_tabs->addTab(samePage, QStringLiteral("同一検索"));
    m_tabs->addTab(m_lists[Slot(ListSum)], QStringLiteral("SUM結果"));
    m_tabs->addTab(m_lists[Slot(ListGrep)], QStringLiteral("フォルダ内検索"));
    m_tabs->addTab(m_bookmarks, QStringLiteral("ブックマーク"));
    // Each list is known to screen readers by its tab's label.
    for (int i = 0; i < m_tabs->count(); ++i) {
        QWidget* page = m_tabs->widget(i);
        QWidget* list = page == samePage ? m_lists[Slot(ListSame)] : page;
        list->setAccessibleName(m_tabs->tabText(i));
    }
    setFocusProxy(m_tabs);
}

COutputWnd::~COutputWnd() = default;

COutputList* COutputWnd::List(int listId) const
{
    const int slot = Slot(listId);
    return slot < 0 ? nullptr : m_lists[slot];
}

void COutputWnd::AddLines(int listId, const QStringList& lines)
{
    if (COutputList* list = List(listId)) {
        if (listId == ListGrep)
            m_grepRoles->Append(lines);
        list->Lines()->AddLines(lines);
    }
}

void COutputWnd::AddLine(int listId, const QString& line)
{
    AddLines(listId, QStringList{line});
}

void COutputWnd::ClearList(int listId)
{
    if (COutputList* list = List(listId))
        list->ClearLines();
    // Emptied for a new search: its first line is a path. (Emptied by the user, the roles were
    // reset as orphans by the list's reset.)
    if (listId == ListGrep)
        m_grepRoles->Reset(true);
}

int COutputWnd::LineCount(int listId) const
{
    const COutputList* list = List(listId);
    return list ? list->Lines()->LineCount() : 0;
}

QString COutputWnd::Line(int listId, int index) const
{
    const COutputList* list = List(listId);
    return list ? list->Lines()->Line(index) : QString();
}

void COutputWnd::FitListWidth(int listId)
{
    if (COutputList* list = List(listId))
        list->FitWidth();
}

void COutputWnd::ActivateTab(int listId)
{
    QWidget* page = listId == ListBookmark ? static_cast<QWidget*>(m_bookmarks) : List(listId);
    if (!page)
        return;
    if (listId == ListSame)
        page = page->parentWidget();
    m_tabs->setCurrentWidget(page);
    // A result the user cannot see is no result: the pane comes to the front of its dock group
    // (構造体編集 shares it), and back when it was closed.
    for (QWidget* w = parentWidget(); w; w = w->parentWidget()) {
        if (auto* dock = qobject_cast<QDockWidget*>(w)) {
            if (dock->isHidden())
                dock->show();
            dock->raise();
            break;
        }
    }
}

void COutputWnd::ScrollToLines(int listId, int first)
{
    COutputList* list = List(listId);
    if (!list)
        return;
    list->Lines()->ShowAllLines();
    const int last = LineCount(listId) - 1;
    if (first < 0 || first > last)
        return;
    // As much of the new block as fits, its first line in any case.
    list->scrollTo(list->model()->index(last, 0), QAbstractItemView::EnsureVisible);
    list->scrollTo(list->model()->index(first, 0), QAbstractItemView::EnsureVisible);
}

void COutputWnd::AddSameGroup(const QString& text)
{
    m_sameGroups->addItem(text);
}

void COutputWnd::ClearSameGroups()
{
    m_sameGroups->clear();
}

int COutputWnd::SameGroupCount() const
{
    return m_sameGroups->count();
}

QString COutputWnd::SameGroup(int index) const
{
    return m_sameGroups->itemText(index);
}

void COutputWnd::SetBookmarkRows(const std::vector<std::pair<QString, QString>>& rows)
{
    m_bookmarks->SetRows(rows);
}

int COutputWnd::BookmarkRowCount() const
{
    return m_bookmarks->RowCount();
}

void COutputWnd::SetGrepJumpHandler(GrepJumpHandler handler)
{
    m_grepJump = std::move(handler);
}

void COutputWnd::ResetLists()
{
    for (COutputList* list : m_lists)
        list->ClearLines();
    ClearSameGroups();
}

void COutputWnd::SetTargetFinder(TargetFinder finder)
{
    m_targetFinder = std::move(finder);
}

QObject* COutputWnd::Target() const
{
    if (m_targetFinder)
        return m_targetFinder();
    return FindActiveView(this);
}

void COutputWnd::FocusTarget() const
{
    if (auto* w = qobject_cast<QWidget*>(Target()))
        w->setFocus();
}

void COutputWnd::OnLineActivated(int listId, int line)
{
    switch (listId) {
    case ListSearch:
        // The summary and the empty line before it are past the hits: the view ignores them.
        um::JumpResult::Send(Target(), static_cast<qint64>(line));
        FocusTarget();
        break;
    case ListSame: {
        if (!OutputLineRules::SameLineJumps(line, LineCount(ListSame)))
            return;
        const QString text = OutputLineRules::SameJumpText(Line(ListSame, line));
        um::JumpResult::Send(Target(), &text);
        FocusTarget();
        break;
    }
    case ListGrep: {
        const int fileLine = OutputLineRules::GrepFileLine(line, *m_grepRoles);
        if (fileLine < 0 || !m_grepJump)
            return;
        m_grepJump(Line(ListGrep, fileLine), Line(ListGrep, line));
        FocusTarget();
        break;
    }
    default:
        break; // SUM results hand nothing back
    }
}

void COutputWnd::OnBookmarkActivated(int row, const QString& addressText)
{
    const std::optional<uint64_t> address = OutputLineRules::BookmarkAddress(addressText);
    if (!address)
        return;
    uint64_t where = *address;
    um::SetCursor::Send(Target(), &where, false);
    FocusTarget();
}

void COutputWnd::OnBookmarkEdited(int row, const QString& text)
{
    um::SetBookmarkText::Send(Target(), row, &text);
}

void COutputWnd::HidePane()
{
    for (QWidget* w = parentWidget(); w; w = w->parentWidget()) {
        if (auto* dock = qobject_cast<QDockWidget*>(w)) {
            dock->hide();
            return;
        }
    }
    hide();
}

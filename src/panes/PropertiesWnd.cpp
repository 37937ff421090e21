// The properties pane "プロパティ": the input side of search, replace, same search, SUM and
// address jump, and the display of the active view's character code and byte order.
#include "panes/PropertiesWnd.h"

#include "app/CommandIds.h"
#include "app/CommandTable.h"
#include "app/MainFrame.h"
#include "app/MessageTargets.h"
#include "app/Messages.h"
#include "app/Prompter.h"
#include "app/ToolIcons.h"
#include "panes/MPGridCtrl.h"
#include "panes/PropertyRules.h"
#include "view/QuorvaneView.h"
#include "view/SyncScroll.h"

#include <QAction>
#include <QDockWidget>
#include <QScopeGuard>
#include <QMenu>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

struct ToolButton { int id; const char* tooltip; const char* prompt; };
// The status-bar prompts of the buttons the menus also have are the menu items' own.
const ToolButton kButtons[] = {
    {CPropertiesWnd::kExpandAll, "すべて展開", "すべての項目を展開"},
    {CPropertiesWnd::kSum, "SUM計算", "指定範囲のSUM・ハッシュを計算"},
    {CPropertiesWnd::kSearch, "検索", "検索データを検索"},
    {CPropertiesWnd::kSearchPrev, "前へ", nullptr},
    {CPropertiesWnd::kSearchNext, "次へ", nullptr},
    {CPropertiesWnd::kReplace, "置換", nullptr},
    {CPropertiesWnd::kSameSearch, "同一検索", "同じデータの並びを検索 (実行中は中止)"},
    {CPropertiesWnd::kAddressJump, "アドレスジャンプ", nullptr},
};

QString PromptOf(const ToolButton& b)
{
    if (b.prompt)
        return QString::fromUtf8(b.prompt);
    const CommandInfo* info = FindCommand(b.id);
    return info ? info->prompt : QString();
}

} // namespace

CPropertiesWnd::CPropertiesWnd(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("PropertiesWnd"));
    m_toolbar = new QToolBar(this);
    m_toolbar->setIconSize(QSize(16, 16));
    m_toolbar->setMovable(false);
    m_toolbar->setFloatable(false);
    m_toolbar->setStyleSheet(QStringLiteral("QToolBar { border: 0px; }"));
    for (const ToolButton& b : kButtons) {
        const QString tip = QString::fromUtf8(b.tooltip);
        QIcon icon = ToolIcons::CommandIcon(b.id);
        QAction* action = icon.isNull() ? m_toolbar->addAction(tip) : m_toolbar->addAction(icon, tip);
        action->setToolTip(tip);
        action->setStatusTip(PromptOf(b));
        action->setData(b.id);
        const int id = b.id;
        connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
    }
    auto refresh = [this] { UpdateToolbar(); };
    m_grid = new CMPGridCtrl(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_toolbar);
    layout->addWidget(m_grid, 1);
    setFocusProxy(m_grid);

    connect(m_grid, &CMPGridCtrl::propertyChanged, this, [this, refresh](PropId id, const QString& value) {
        OnPropertyChanged(id, value);
        refresh();
    });
    connect(m_grid, &CMPGridCtrl::addressButtonClicked, this, &CPropertiesWnd::OnAddressButton);
    connect(m_grid, &CMPGridCtrl::backTabPressed, this, [this] { um::Focus::Send(Frame(), true); });
    connect(m_grid, &CMPGridCtrl::choiceClosed, this, [this](PropId id) {
        if (id == PropViewCode)
            if (auto* view = qobject_cast<QWidget*>(View()))
                view->setFocus();
    });
    connect(m_toolbar, &QToolBar::actionTriggered, this, refresh);
    refresh();
}

CPropertiesWnd::~CPropertiesWnd() = default;

void CPropertiesWnd::UpdateToolbar()
{
    for (QAction* a : m_toolbar->actions())
        a->setEnabled(IsCommandEnabled(a->data().toInt()));
}

void CPropertiesWnd::SetTargetFinder(std::function<QObject*()> view, std::function<QObject*()> frame)
{
    m_viewFinder = std::move(view);
    m_frameFinder = std::move(frame);
}

QObject* CPropertiesWnd::View() const
{
    return m_viewFinder ? m_viewFinder() : FindActiveView(this);
}

QObject* CPropertiesWnd::Frame() const
{
    return m_frameFinder ? m_frameFinder() : FindMainFrame(this);
}

QString CPropertiesWnd::Value(PropId id) const
{
    return m_grid->Value(id);
}

bool CPropertiesWnd::IsCommandEnabled(int id, bool* handled) const
{
    if (handled)
        *handled = true;
    switch (id) {
    case kExpandAll:
        return true;
    case kSearchPrev:
    case kSearchNext:
        return m_pattern.has_value() && View();
    case kSum: case kSearch: case kReplace: case kSameSearch: case kAddressJump:
        return View() != nullptr || (id == kSameSearch && !m_sameIdle.load() && m_sameView);
    default:
        if (handled)
            *handled = false;
        return false;
    }
}

bool CPropertiesWnd::OnCommand(int id)
{
    bool handled = false;
    IsCommandEnabled(id, &handled);
    if (!handled)
        return false;
    // A value still being typed counts, whether the command came from a key, the menu or a
    // button: the entry is committed (and its change rules run) before the grid is read.
    m_grid->CommitOpenEntry();
    const auto done = qScopeGuard([this] { UpdateToolbar(); });
    switch (id) {
    case kExpandAll: m_grid->ExpandAll(); return true;
    case kSum: Sum(); return true;
    case kSearch: Search(SearchPattern::Request::NewSearch); return true;
    case kSearchNext: Search(SearchPattern::Request::Forward); return true;
    case kSearchPrev: Search(SearchPattern::Request::Backward); return true;
    case kReplace: Replace(); return true;
    case kSameSearch: SameSearch(); return true;
    case kAddressJump: AddressJump(); return true;
    default: return false;
    }
}

bool CPropertiesWnd::BuildSearchPattern()
{
    const auto reader = [this](PropId p) { return m_grid->Value(p); };
    if (m_grid->Value(PropSearchHex).isEmpty()) {
        m_pattern.reset();
        Prompter::Current().Show(QStringLiteral(" 検索する値を入力して下さい。\n (プロパティウィンドウの検索カテゴリ)"),
                                 QStringLiteral("エラー　データが空です"), PromptButtons::Ok, PromptIcon::Error);
        // The message names this pane: it comes to the front with the entry of 16進数 open.
        ShowEntry(PropSearchHex);
        return false;
    }
    m_pattern = PropertyRules::BuildSearchPattern(reader);
    return m_pattern.has_value();
}

void CPropertiesWnd::ShowEntry(PropId id)
{
    for (QWidget* w = parentWidget(); w; w = w->parentWidget()) {
        if (auto* dock = qobject_cast<QDockWidget*>(w)) {
            if (dock->isHidden())
                dock->show();
            dock->raise();
            break;
        }
    }
    m_grid->EditProperty(id);
    if (QWidget* editor = m_grid->Tree()->indexWidget(m_grid->ValueIndex(id)))
        editor->setFocus(Qt::OtherFocusReason);
}

void CPropertiesWnd::Search(SearchPattern::Request kind)
{
    QObject* view = View();
    if (!view)
        return;
    if (kind == SearchPattern::Request::NewSearch) {
        const bool existed = m_pattern.has_value();
        if (!BuildSearchPattern())
            return;
        m_pattern->SetRequestKind(kind);
        um::Search::Send(view, &*m_pattern, !existed);
        return;
    }
    if (!m_pattern)
        return;
    m_pattern->SetRequestKind(kind);
    um::Search::Send(view, &*m_pattern, false);
}

void CPropertiesWnd::Replace()
{
    QObject* view = View();
    if (!view || !BuildSearchPattern())
        return;
    const int scope = static_cast<int>(PropertyDefinition(PropReplaceScope).options.indexOf(m_grid->Value(PropReplaceScope)));
    m_replace = ReplaceRequest::Build(m_grid->Value(PropReplaceNumber), !m_grid->Value(PropReplaceText).isEmpty(),
                                      static_cast<ReplaceScope>(scope < 0 ? 1 : scope));
    if (!m_replace) {
        Prompter::ShowError(QStringLiteral("置換の数値が正しくありません。\n16進数は 0x の後に 0-9 と A-F だけで入力してください。"));
        return;
    }
    um::Replace::Send(view, &*m_pattern, &*m_replace);
}

void CPropertiesWnd::SameSearch()
{
    // While a same search runs, the command stops it, in the view that runs it.
    if (!m_sameIdle.load() && m_sameView) {
        um::SameSearch::Send(m_sameView.data(), nullptr, nullptr);
        return;
    }
    QObject* view = View();
    if (!view)
        return;
    const std::optional<SameSearchRequest> request = PropertyRules::BuildSameSearchRequest([this](PropId p) { return m_grid->Value(p); });
    if (!request)
        return;
    m_same = *request;
    m_sameIdle.store(false);
    m_sameView = view;
    um::SameSearch::Send(view, &m_same, &m_sameIdle);
}

void CPropertiesWnd::Sum()
{
    QObject* view = View();
    if (!view)
        return;
    auto request = PropertyRules::BuildSumRequest([this](PropId p) { return m_grid->Value(p); });
    if (!request)
        return;
    um::Sum::Send(view, &request->first, request->second);
}

void CPropertiesWnd::AddressJump()
{
    QObject* view = View();
    if (!view)
        return;
    const int type = PropertyRules::JumpTypeOf(m_grid->Value(PropJumpType));
    const uint64_t amount = PropertyRules::ReadHexField(m_grid->Value(PropJumpAddress));
    um::AddrJump::Send(view, type, &amount);
}

void CPropertiesWnd::ShowCharCode(int code, bool settingUp)
{
    const QString name = PropertyRules::NameOfCharCode(code);
    m_grid->SetValue(PropViewCode, name);
    if (settingUp)
        m_grid->SetValue(PropSearchCode, name);
}

void CPropertiesWnd::ShowByteOrder(int order)
{
    m_grid->SetValue(PropViewOrder, order ? QStringLiteral("ビッグエンディアン") : QStringLiteral("リトルエンディアン"));
}

void CPropertiesWnd::OnPropertyChanged(PropId id, const QString& value)
{
    const PropertyChangeEffect effect = PropertyRules::OnChanged(id, value, [this](PropId p) { return m_grid->Value(p); });
    for (const auto& [target, text] : effect.writes)
        m_grid->SetValue(target, text);
    if (effect.discardPattern)
        m_pattern.reset();
    if (effect.syncScroll)
        g_syncScroll.store(*effect.syncScroll);
    if (effect.viewCharCode)
        um::SetCharCode::Send(View(), *effect.viewCharCode);
    if (effect.viewByteOrder) {
        if (auto* view = qobject_cast<CQuorvaneView*>(View()))
            view->OnCommand(*effect.viewByteOrder ? ID_BYTEORDER_BIG : ID_BYTEORDER_LITTLE);
    }
}

void CPropertiesWnd::FillFromMenu(PropId id, int commandId)
{
    QObject* view = View();
    uint64_t last = 0;
    const uint64_t* cursorPtr = view ? um::GetPos::Send(view, &last, nullptr) : nullptr;
    const uint64_t cursor = cursorPtr ? *cursorPtr : 0;
    uint64_t selStart = ~uint64_t(0);
    uint64_t selEnd = ~uint64_t(0);
    if (view)
        um::GetSel::Send(view, &selStart, &selEnd);
    const bool selection = selStart != ~uint64_t(0);
    // An empty document has no last byte: its "last address" is 0, not a wrapped-round size - 1.
    if (last == ~uint64_t(0))
        last = 0;
    if (!view && commandId != 32893)
        return;

    QString text;
    switch (commandId) {
    case 32893: text = PropertyRules::AddressText(0); break;                                   // 先頭
    case 32894: text = PropertyRules::AddressText(cursor); break;                              // カーソル位置
    case 32897: text = PropertyRules::AddressText(selection ? std::min(selStart, selEnd) : 0); break; // 選択範囲 (start)
    case 32899: text = PropertyRules::AddressText(selection ? std::max(selStart, selEnd) : 0); break; // 選択範囲 (end)
    case 32895: text = PropertyRules::AddressText(last); break;                                // 末尾
    case 32903: case 32904: case 32905: {
        const uint64_t start = PropertyRules::ReadHexField(m_grid->Value(PropSameStart));
        const uint64_t end = commandId == 32903 ? cursor : commandId == 32905 ? last : (selection ? std::max(selStart, selEnd) : 0);
        text = PropertyRules::RangeLengthText(start, end);
        break;
    }
    default:
        return;
    }
    m_grid->SetValue(id, text);
}

void CPropertiesWnd::OnAddressButton(PropId id, AddressMenu menu, const QPoint& globalPos)
{
    QMenu popup(this);
    auto add = [&](const char* text, int commandId) {
        QAction* a = popup.addAction(QString::fromUtf8(text));
        a->setData(commandId);
    };
    switch (menu) {
    case AddressMenu::Head:
        add("先頭(&H)", 32893);
        add("カーソル位置(&C)", 32894);
        add("選択範囲(&S)", 32897);
        break;
    case AddressMenu::Tail:
        add("カーソル位置(&C)", 32894);
        add("選択範囲(&S)", 32899);
        add("末尾(&E)", 32895);
        break;
    case AddressMenu::Range:
        add("カーソル位置(&C)", 32903);
        add("選択範囲(&S)", 32904);
        add("末尾(&E)", 32905);
        break;
    case AddressMenu::None:
        return;
    }
    if (QAction* chosen = popup.exec(globalPos))
        FillFromMenu(id, chosen->data().toInt());
}

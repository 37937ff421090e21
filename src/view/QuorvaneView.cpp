// The hex view: set-up, painting, scrolling, mouse and keyboard, commands.
#include "view/QuorvaneView.h"

#include "document/ByteSource.h"
#include "view/InfoSink.h"
#include "view/StructPaneSink.h"

#include "base/CommandIds.h"
#include "base/Messages.h"
#include "base/SettingsStore.h"
#include "document/QuorvaneDoc.h"
#include "view/MyScrollBar.h"
#include "view/ViewFont.h"
#include "view/ViewSearchState.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPrinter>
#include <QScrollBar>
#include <QStyleHints>
#include <algorithm>

QPointer<CQuorvaneView> CQuorvaneView::s_activeView;

namespace {

const QString kInsertText = QStringLiteral("挿入");
const QString kOverwriteText = QStringLiteral("上書");

} // namespace

CQuorvaneView::CQuorvaneView(CQuorvaneDoc* doc, QWidget* parent)
    : QAbstractScrollArea(parent), m_doc(doc), m_nav(*this)
{
    Q_ASSERT_X(doc, "CQuorvaneView", "a view needs its document");
    setFrameShape(QFrame::NoFrame);
    // Rows wider than the window scroll sideways with the area's own bar; the rows scroll with
    // CMyScrollBar, which maps 64-bit rows.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled, true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setCursor(Qt::IBeamCursor);

    m_scrollBar = new CMyScrollBar(this);
    m_scrollBar->hide();
    connect(m_scrollBar, &CMyScrollBar::scrolled, this, &CQuorvaneView::OnScrolled);

    m_caretTimer.setInterval(std::max(100, QApplication::cursorFlashTime() / 2));
    connect(&m_caretTimer, &QTimer::timeout, this, [this] {
        m_caretOn = !m_caretOn;
        viewport()->update(m_caretRect.adjusted(-1, -1, 1, 1));
    });
    m_loadingTimer.setInterval(100);
    connect(&m_loadingTimer, &QTimer::timeout, this, [this] {
        viewport()->update();
        if (!m_doc || !m_doc->IsLoading())
            m_loadingTimer.stop();
    });

    connect(doc, &CQuorvaneDoc::loadingFinished, this, [this] {
        m_loadingTimer.stop();
        viewport()->update();
    });
    connect(doc, &CQuorvaneDoc::windowLoaded, this, [this] {
        UpdateScrollRange();
        viewport()->update();
    });
    connect(doc, &CQuorvaneDoc::diffChanged, this, &CQuorvaneView::OnDiffChanged);
    connect(doc, &CQuorvaneDoc::fileSizeChanged, this, [this](quint64) {
        m_layout.SetFileSize(FileSize()); // the address column widens at 4 GB
        // Another view of the document may have made it shorter than this view's cursor.
        m_nav.ClampToFile();
        if (!m_doc->IsDirectEdit())
            UpdateScrollRange();
        if (s_activeView == this)
            SendStatusFileSize();
        viewport()->update();
    });
    if (doc->IsLoading())
        m_loadingTimer.start();
    InitSearch();
}

CQuorvaneView::~CQuorvaneView()
{
    StopSearchWorkers(); // no worker may outlive the view or read its document afterwards
    if (s_activeView == this)
        s_activeView = nullptr;
    // Cursor restore: the position is kept per full path when the program records positions.
    if (m_doc && m_initialized && !m_doc->PathName().isEmpty()) {
        CSettingsStore& store = CSettingsStore::Current();
        if (store.CursorRecordingEnabled())
            store.WriteCursorPosition(m_doc->PathName(), static_cast<uint32_t>(m_nav.m_cursor));
    }
}

QWidget* CQuorvaneView::MainFrame() const
{
    QWidget* w = window();
    return w == this ? nullptr : w;
}

uint64_t CQuorvaneView::FileSize() const
{
    return m_doc ? m_doc->GetFileSize() : 0;
}

uint64_t CQuorvaneView::TopRow() const
{
    return m_scrollBar->TopRow();
}

uint64_t CQuorvaneView::RowCount() const
{
    return m_scrollBar->RowCount();
}

int CQuorvaneView::PageRows() const
{
    return m_scrollBar->PageRows();
}

int CQuorvaneView::RowsOnScreen() const
{
    return m_layout.RowsOnScreen(viewport()->height());
}

void CQuorvaneView::OnInitialUpdate()
{
    if (m_initialized || !m_doc)
        return;
    m_initialized = true;
    CSettingsStore& store = CSettingsStore::Current();
    const QString group = m_doc->SettingsGroup();
    m_charCode = CharCodeFromValue(store.GetGroupSetting(SettingId::CharCode, group));
    um::ShowCharCode::Send(MainFrame(), static_cast<int>(m_charCode), true);
    m_insertMode = store.GetGroupSetting(SettingId::Inputmode, group) != 0;
    m_byteOrder = store.GetGroupSetting(SettingId::ByteOrder, group) != 0 ? 1 : 0;

    if (store.GetGroupSetting(SettingId::CursorRestore, group) != 0 && !m_doc->PathName().isEmpty()) {
        if (const auto stored = store.ReadCursorPosition(m_doc->PathName()))
            m_nav.RestoreCursor(*stored);
    }

    m_scrollBar->SetRange64(CMyScrollBar::RangeBit | CMyScrollBar::PageBit, FileSize() / 16, 1);
    UpdateMetrics();
    UpdateScrollRange();
    LoadVisibleWindow();

    m_outputPane = um::GetOutputPane::Send(MainFrame());
    m_infoPane = um::GetInfoPane::Send(MainFrame());
    m_structPane = um::GetStructPane::Send(MainFrame());
}

void CQuorvaneView::UpdateMetrics()
{
    CSettingsStore& store = CSettingsStore::Current();
    const QString group = m_doc ? m_doc->SettingsGroup() : QStringLiteral("*.*");
    m_fontSize = store.GetGroupSetting(SettingId::FontSize, group);
    m_fontName = store.GetGroupFontName(group);
    m_font = MakeViewFont(m_fontName, m_fontSize, m_usesRequestedFont);
    const QFontMetrics fm(m_font);
    m_layout.SetFileSize(FileSize());
    m_layout.SetMetrics(fm.horizontalAdvance(QLatin1Char(' ')), fm.height());
    m_painter.SetFont(m_font);
    ResetCaretBlink();
}

void CQuorvaneView::UpdateScrollRange()
{
    const int page = std::max(1, m_layout.RowsPainted(viewport()->height()));
    m_scrollBar->SetRange64(CMyScrollBar::RangeBit | CMyScrollBar::PageBit, FileSize() / 16, page);
    // The bar stands along the right edge of the rows, below the column header.
    const int top = m_layout.m_rowPitch;
    m_scrollBar->setGeometry(viewport()->width() - 16, top, 16, std::max(0, viewport()->height() - top));
    m_scrollBar->raise();
    UpdateHorizontalRange();
}

int CQuorvaneView::ContentWidth() const
{
    // The text column, the cell a character of the last column reaches into, and the row bar.
    return m_layout.CharColumnEnd() + 2 * m_layout.m_charWidth + 16;
}

void CQuorvaneView::UpdateHorizontalRange()
{
    QScrollBar* bar = horizontalScrollBar();
    bar->setRange(0, std::max(0, ContentWidth() - viewport()->width()));
    bar->setPageStep(std::max(1, viewport()->width()));
    bar->setSingleStep(std::max(1, m_layout.m_charWidth));
}

int CQuorvaneView::HorizontalOffset() const
{
    return horizontalScrollBar()->value();
}

void CQuorvaneView::scrollContentsBy(int, int)
{
    viewport()->update();
}

void CQuorvaneView::LoadVisibleWindow()
{
    if (m_doc && m_doc->IsDirectEdit())
        m_doc->LoadWindow(TopRow(), RowsOnScreen());
}

void CQuorvaneView::ScrollToRow(uint64_t row)
{
    if (row <= RowCount())
        m_scrollBar->SetPos64(row);
    LoadVisibleWindow();
    FollowSynchronizedScroll();
}

void CQuorvaneView::OnScrolled()
{
    LoadVisibleWindow();
    FollowSynchronizedScroll();
    Redraw();
}

void CQuorvaneView::EnsureCursorVisible(bool redraw)
{
    m_nav.EnsureCursorVisible();
    RefreshInfoPane();
    if (redraw)
        Redraw();
}

void CQuorvaneView::RefreshInfoPane()
{
    if (m_infoPane && m_doc)
        m_infoPane->UpdateInfo(MakeInfoInput());
    Q_EMIT positionChanged();
}

InfoInput CQuorvaneView::MakeInfoInput() const
{
    const uint64_t size = FileSize();
    const uint64_t cursor = std::min(m_nav.m_cursor, size);
    const int count = static_cast<int>(std::min<uint64_t>(4, size - cursor));
    std::array<uint8_t, 4> bytes{};
    size_t got = m_doc->ReadBytes(cursor, bytes.data(), static_cast<size_t>(count));
    if (got < static_cast<size_t>(count) && m_doc->IsDirectEdit()) {
        // The rows on screen end before the four bytes do: read the rest from the file.
        if (std::unique_ptr<ByteSource> source = m_doc->OpenSource()) {
            const int64_t n = source->Read(cursor, bytes.data(), static_cast<size_t>(count));
            got = n > 0 ? static_cast<size_t>(n) : 0;
        }
    }
    const bool selection = m_nav.m_selStart != kNone;
    const uint64_t range = selection ? std::max(m_nav.m_selEnd, m_nav.m_selStart) - std::min(m_nav.m_selEnd, m_nav.m_selStart) + 1 : 0;
    return InfoRows::MakeInput(bytes, count, m_byteOrder != 0, size, cursor, range);
}

void CQuorvaneView::Redraw()
{
    viewport()->update();
}

void CQuorvaneView::ResetCaretBlink()
{
    m_caretOn = true;
    if (m_caretExists)
        m_caretTimer.start();
}

// --- Display state ---

void CQuorvaneView::SetCharCode(CharCode code)
{
    m_charCode = code;
    setFocus();
    Redraw();
}

void CQuorvaneView::SetByteOrder(uint8_t order)
{
    m_byteOrder = order ? 1 : 0;
    RefreshInfoPane();
    um::ShowByteOrder::Send(MainFrame(), static_cast<int>(m_byteOrder));
}

void CQuorvaneView::SetFindHighlight(uint64_t pos, uint64_t len)
{
    m_marks.findPos = pos;
    m_marks.findLen = len;
    Redraw();
}

void CQuorvaneView::SetStructRanges(uint64_t rangeStart, uint64_t rangeEnd, uint64_t selStart, uint64_t selEnd)
{
    m_marks.structStart = rangeStart;
    m_marks.structEnd = rangeEnd;
    m_marks.structSelStart = selStart;
    m_marks.structSelEnd = selEnd;
    Redraw();
}

void CQuorvaneView::SetStructPaneVisible(bool visible)
{
    m_marks.structPaneVisible = visible;
    Redraw();
}

void CQuorvaneView::SetBookmarks(std::vector<uint64_t> addresses)
{
    m_bookmarks = std::move(addresses);
    Redraw();
}

void CQuorvaneView::SetDiffMark(uint64_t start, uint64_t end)
{
    m_diffMarkStart = start;
    m_diffMarkEnd = end;
    Redraw();
}

// --- Activation and status ---

void CQuorvaneView::SendStatusFileSize()
{
    um::StatusText::SendFileSize(MainFrame(), FileSize());
}

void CQuorvaneView::SendActivationNotifications()
{
    QWidget* frame = MainFrame();
    um::StatusText::Send(frame, um::PaneInputMode, m_insertMode ? kInsertText : kOverwriteText);
    um::StatusText::SendDirectEdit(frame, m_doc && m_doc->IsDirectEdit());
    um::ShowCharCode::Send(frame, static_cast<int>(m_charCode), false);
    SendStatusFileSize();
    um::RedrawBitmap::Send(frame);
    um::ShowByteOrder::Send(frame, static_cast<int>(m_byteOrder));
    RefreshInfoPane();
}

void CQuorvaneView::OnActivateView(bool activate)
{
    if (!m_initialized)
        OnInitialUpdate();
    OnSearchActivation(activate);
    if (!activate) {
        m_caretExists = false;
        m_caretTimer.stop();
        if (s_activeView == this)
            s_activeView = nullptr;
        Redraw();
        return;
    }
    s_activeView = this;
    // Another view of the same direct-edit document may have moved the window on disk.
    if (m_doc && m_doc->IsDirectEdit() &&
        (m_doc->WindowFirstRow() != TopRow()))
        LoadVisibleWindow();
    SendActivationNotifications();
    RefillBookmarkTab();
    if (m_structPane)
        m_structPane->ViewActivated();
    // The active document window's view takes the keyboard, as the platform's document frames do.
    if (!hasFocus() && isVisible())
        setFocus(Qt::OtherFocusReason);
    Redraw();
}

// --- Commands ---

bool CQuorvaneView::OnCommand(int id)
{
    if (OnEditCommand(id) || OnDiffCommand(id) || OnToolCommand(id))
        return true;
    CharCode code;
    if (CharCodeFromMenuId(id, code)) {
        SetCharCode(code);
        um::ShowCharCode::Send(MainFrame(), static_cast<int>(m_charCode), false);
        return true;
    }
    switch (id) {
    case ID_JUMP_TOP:
        m_nav.JumpToStart();
        RefreshInfoPane();
        Redraw();
        return true;
    case ID_JUMP_END:
        m_nav.JumpToEnd();
        RefreshInfoPane();
        Redraw();
        return true;
    case ID_SELECT_ALL:
        if (m_nav.SelectAll()) {
            RefreshInfoPane();
            Redraw();
        }
        return true;
    case ID_BYTEORDER_LITTLE:
        SetByteOrder(0);
        return true;
    case ID_BYTEORDER_BIG:
        SetByteOrder(1);
        return true;
    default:
        return false;
    }
}

bool CQuorvaneView::OnUpdateCommand(int id, CmdUI& ui)
{
    if (OnUpdateEditCommand(id, ui) || OnUpdateDiffCommand(id, ui) || OnUpdateToolCommand(id, ui))
        return true;
    CharCode code;
    if (CharCodeFromMenuId(id, code)) {
        ui.enabled = true;
        ui.checked = code == m_charCode;
        return true;
    }
    switch (id) {
    case ID_JUMP_TOP:
    case ID_JUMP_END:
    case ID_SELECT_ALL:
        ui.enabled = true;
        ui.checked = false;
        return true;
    case ID_BYTEORDER_LITTLE:
    case ID_BYTEORDER_BIG:
        ui.enabled = true;
        ui.checked = (id == ID_BYTEORDER_BIG) == (m_byteOrder == 1);
        return true;
    default:
        return false;
    }
}

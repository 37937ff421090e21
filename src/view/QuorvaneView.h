// The hex view: one document's bytes as rows of address, hexadecimal bytes and text.
#pragma once

#include "codes/CharCode.h"
#include "tools/Bookmarks.h"
#include "tools/Concatenation.h"
#include "tools/RangeOutput.h"
#include "view/InfoRows.h"
#include "view/ByteColors.h"
#include "view/ByteEditor.h"
#include "view/CursorNavigator.h"
#include "view/ViewLayout.h"
#include "view/ViewPainter.h"

#include <QAbstractScrollArea>
#include <QFont>
#include <QPointer>
#include <QTimer>
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

class CQuorvaneDoc;
class CMyScrollBar;
class ResultSink;
class InfoSink;
class StructPaneSink;
class QPainter;
class QPagedPaintDevice;
class QPrinter;
struct CmdUI;
struct ViewSearchState;
class SearchPattern;
struct ReplaceRequest;
struct SAMESEARCHLIST;
struct SameSearchRequest;
struct SumRequest;
namespace um { struct JumpResult; }

// Shows the bytes of its document and moves the cursor, the selection and the first visible row.
// Panes and the frame talk to it with the UM_ messages (handled in event()); menu commands that
// concern the bytes reach it through OnCommand/OnUpdateCommand. It finds the main frame as its
// top-level window and sends it the status and display notifications.
//
// Painting maths (geometry, hit testing, colours, scroll mapping) and the cursor rules live in
// core classes (CViewLayout, CByteColors, CScrollMapping, CCursorNavigator); this widget turns
// events into calls on them and paints what they computed.
class CQuorvaneView : public QAbstractScrollArea, private CCursorNavigator::Host
{
    Q_OBJECT

public:
    static constexpr uint64_t kNone = ~uint64_t(0);

    explicit CQuorvaneView(CQuorvaneDoc* doc, QWidget* parent = nullptr);
    ~CQuorvaneView() override; // stores the cursor position (cursor restore)

    CQuorvaneDoc* GetDocument() const { return m_doc; }

    // Set-up after the view has been placed in its child frame: reads the group settings, restores
    // the cursor, sizes the scroll bar, measures the font and asks the frame for its panes. Runs by
    // itself before the first paint when nobody called it.
    void OnInitialUpdate();
    // The view became (true) or stopped being (false) the active view: on activation it sends the
    // frame the typing mode, direct edit indicator, character code, file size, bitmap redraw and
    // byte order, in that order.
    void OnActivateView(bool activate);

    // Menu commands handled by the view (true when handled) and their menu state (true when the
    // view decides it): ファイル先頭, ファイル末尾, 全て選択, 文字コード, バイトオーダー.
    bool OnCommand(int id);
    bool OnUpdateCommand(int id, CmdUI& ui);

    // --- Display state ---
    CharCode GetCharCode() const { return m_charCode; }
    void SetCharCode(CharCode code); // takes the focus, redraws, tells the frame
    uint8_t GetByteOrder() const { return m_byteOrder; }
    void SetByteOrder(uint8_t order); // tells the frame
    bool IsInsertMode() const { return m_insertMode; }
    const CViewLayout& Layout() const { return m_layout; }
    const QFont& ViewFont() const { return m_font; }
    // The face asked for by the settings group and whether it was used (false: the system's
    // fixed-pitch font stands in for it).
    QString RequestedFontName() const { return m_fontName; }
    bool UsesRequestedFont() const { return m_usesRequestedFont; }

    // --- Cursor, selection and scrolling (the rules are CCursorNavigator's) ---
    uint64_t Cursor() const { return m_nav.m_cursor; }
    uint64_t SelStart() const { return m_nav.m_selStart; }
    uint64_t SelEnd() const { return m_nav.m_selEnd; }
    bool InCharColumn() const { return m_nav.m_inCharColumn; }
    bool LowNibble() const { return m_nav.m_lowNibble; }
    uint64_t TopRow() const override;
    // The scroll maximum: file size / 16, the row of the end-of-file cell.
    uint64_t RowCount() const;
    // Rows of the page: client height / row pitch - 1.
    int PageRows() const;
    CMyScrollBar* ScrollBar() const { return m_scrollBar; }
    // How far the rows are scrolled sideways, in pixels (0 while they fit the window).
    int HorizontalOffset() const;
    // Where the last paint put the caret (off screen when the cursor's row was not painted).
    QRect CaretRect() const { return m_caretRect; }

    void MoveCursor(uint64_t newPos, uint64_t oldPos, bool keepOld) { m_nav.MoveCursor(newPos, oldPos, keepOld); }
    // Scrolls so that the cursor's row is on screen, refreshes the info pane, redraws when asked.
    void EnsureCursorVisible(bool redraw);
    // Makes `row` the first visible row (rows past the scroll maximum are ignored); re-reads the
    // rows on screen in direct edit mode and makes synchronized windows follow. Does not redraw.
    void ScrollToRow(uint64_t row) override;

    // --- Marks painted over the bytes (set by search, bookmarks, structure editor, compare) ---
    void SetFindHighlight(uint64_t pos, uint64_t len);
    void SetStructRanges(uint64_t rangeStart, uint64_t rangeEnd, uint64_t selStart, uint64_t selEnd);
    void SetStructPaneVisible(bool visible);
    void SetBookmarks(std::vector<uint64_t> addresses);
    void SetDiffMark(uint64_t start, uint64_t end);

    // --- Compare: 次へ (F7) / 前へ (F6) over the document's compare partner ---
    // Moves the cursor to the next / previous run of bytes that differ from the partner's and
    // marks the run (drawn bold). False when there is no partner, no such run, or a file could
    // not be read (reported in an error box).
    bool DiffNext() { return DiffStep(true); }
    bool DiffPrev() { return DiffStep(false); }
    uint64_t DiffMarkStart() const { return m_diffMarkStart; }
    uint64_t DiffMarkEnd() const { return m_diffMarkEnd; }

    // --- Editing (typing, deleting, clipboard, undo) ---
    // `value` is a nibble in the hex column or a UTF-16 unit in the text column.
    bool TypeInput(uint32_t value);
    // Removes the selection, or the byte at the cursor.
    bool DeleteBytes();
    // Insert: toggles insert/overwrite, the caret width and the status text.
    void ToggleInsertMode();
    bool CopyBytes();
    void CutBytes();
    void CopyAsHexText();
    void PasteFromClipboard();
    void PasteHexText();
    bool PasteBytes(const QByteArray& bytes);
    // Input methods: on in the text column only, their window placed at the caret.
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    void Undo();
    void Redo();

    // --- Bookmarks and the batch tools (QuorvaneViewTools.cpp, QuorvaneViewPrint.cpp) ---
    const CBookmarks& Bookmarks() const { return m_bookmarkList; }
    // Refills the output pane's ブックマーク tab from this view's list.
    void RefillBookmarkTab();
    // Reads a list file in place of the bookmarks / writes them; errors go to the "エラー" box.
    bool LoadBookmarkList(const QString& path);
    bool SaveBookmarkList(const QString& path);
    // The writes of 定型入力 with the dialog's values (mode 0 binary, 1 string).
    bool RunFixedInput(int mode, const QString& codeName, const QString& dataText, const QString& addressText);
    // 連結 of the file at `path`.
    bool RunConcat(const QString& path, ConcatPosition position, ConcatAction action);
    // 指定範囲をファイル出力 of a checked request, with a progress window for long copies.
    bool RunRangeOutput(const RangeOutputRequest& request);
    // Paints the printed pages (the whole document, or the selection) on a printer or PDF writer;
    // returns the pages painted.
    int PrintTo(QPagedPaintDevice& device, bool selection);

    // Paints the client area of the given size (used by paintEvent, printing previews and the
    // benchmarks).
    void PaintView(QPainter& painter, const QSize& client);

    // The switch of synchronized scrolling (同期スクロール of the properties pane): while it is
    // on, every scroll of a view makes the other document windows show the same first row.
    static void SetSynchronizedScrolling(bool on);
    static bool IsSynchronizedScrolling();

    // --- Search results (QuorvaneViewSearch.cpp) ---
    // Start addresses of every hit of the last listed search, ascending.
    const std::vector<uint64_t>& SearchHits() const;
    uint64_t FindPos() const { return m_marks.findPos; }
    uint64_t FindLen() const { return m_marks.findLen; }
    // A worker of the view (listing, re-list, same search, SUM) is running.
    bool IsSearchWorkerRunning() const;
    // Stops and joins every worker of the view; interrupted work is not started again.
    void StopSearchWorkers();

Q_SIGNALS:
    // The cursor or the selection moved (the info pane follows it).
    void positionChanged();

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void scrollContentsBy(int dx, int dy) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void inputMethodEvent(QInputMethodEvent* e) override;

private:
    // CCursorNavigator::Host
    uint64_t FileSize() const override;
    int RowsOnScreen() const override;

    // Reads FontSize/FontName of the group, creates the font (with the fixed-pitch fallback),
    // measures it and recomputes the geometry and the caret.
    void UpdateMetrics();
    // Range and page of the scroll bar from the file size and the window height.
    void UpdateScrollRange();
    // The sideways bar: shown while a row is wider than the window.
    void UpdateHorizontalRange();
    // Scrolls sideways when a key took the cursor's cell out of sight.
    void KeepCaretColumnInSight();
    int ContentWidth() const;
    // Direct edit mode: re-reads the rows on screen (no-op in memory).
    void LoadVisibleWindow();
    void FollowSynchronizedScroll();
    // A scroll of the bar or the wheel happened: re-read, follow, redraw.
    void OnScrolled();
    void RefreshInfoPane();
    // The info pane's inputs for the cursor and selection of now.
    InfoInput MakeInfoInput() const;
    void Redraw();
    void ResetCaretBlink();
    void SendActivationNotifications();
    void SendStatusFileSize();
    void HandleKey(QKeyEvent* e);
    // Digits, Insert, Delete, Backspace and characters; true when the key was an editing key.
    bool HandleEditKey(QKeyEvent* e);
    // The caret and selection as the editing rules see them, and back.
    EditCaret MakeCaret() const;
    void TakeCaret(const EditCaret& caret);
    // After a change of the bytes: scroll range, cursor into view (unless the caller scrolls by
    // the after-key rule), panes, repaint.
    void AfterEdit(bool cursorIntoView = true);
    bool OnEditCommand(int id);
    bool OnUpdateEditCommand(int id, CmdUI& ui);
    bool HandleMessage(QEvent* e);
    bool OnToolCommand(int id);
    bool OnUpdateToolCommand(int id, CmdUI& ui);
    void AfterBookmarksChanged();
    void ShowFixedInputDialog();
    void ShowConcatDialog();
    void ShowRangeOutputDialog();
    void OpenBookmarkListDialog();
    void SaveBookmarkListDialog();
    void PrintWithDialog();
    void PrintPreview();
    void PrintToPdfDialog();
    QPrinter& Printer();
    bool HandleStructMessage(QEvent* e); // UM_SETSTRUCTRANGE
    bool StructPaneShowing() const;
    QWidget* MainFrame() const;
    // Compare (QuorvaneViewCompare.cpp).
    bool DiffStep(bool forward);
    bool OnDiffCommand(int id);
    bool OnUpdateDiffCommand(int id, CmdUI& ui) const;
    void OnDiffChanged();
    // The partner's file could not be read while painting: one error box, and the comparison ends.
    void ReportPartnerError(const QString& text);
    // After an edit: the partner's windows repaint their compare colours.
    void NotifyDiffPartner();
    // Synchronized scrolling (QuorvaneViewSync.cpp): whether this view is on screen as the
    // shown window of its group, so that it follows another view's scrolling.
    bool ShownForSync() const;

    // Search, replace, same search and SUM (QuorvaneViewSearch.cpp, QuorvaneViewReplace.cpp,
    // QuorvaneViewSame.cpp, QuorvaneViewSum.cpp).
    void InitSearch();
    bool HandleSearchMessage(QEvent* e);
    void OnSearch(SearchPattern* pattern, bool newPattern);
    void OnJumpResult(const um::JumpResult& m);
    void OnReplace(const SearchPattern& pattern, const ReplaceRequest& request);
    void OnSameSearch(SameSearchRequest* request, std::atomic<bool>* idleFlag);
    void OnSameGroup(int index);
    void OnSameRefresh();
    void OnSum(SumRequest* request, int method);
    void OnResetSearch();
    void OnSearchActivation(bool activate);
    // Before the document's bytes change: stops the readers, restarts them after the change.
    void OnBytesAboutToChange();
    void RestartInterruptedWork();
    void StartListing();
    void StartRelist();
    void StartSameSearch();
    void FinishSameSearch(bool stoppedByUser);
    void AddFoundSameGroups(std::vector<SAMESEARCHLIST>&& groups);
    void ShowSameProgress();
    // The bytes are final (a running loader has finished), so workers may read them.
    void WaitForLoadedBytes();
    bool UseLongHitAddresses() const;

    QPointer<CQuorvaneDoc> m_doc;
    CMyScrollBar* m_scrollBar = nullptr;
    bool m_initialized = false;

    // Display state.
    int m_fontSize = 14;
    QString m_fontName = QStringLiteral("MS ゴシック");
    QFont m_font;
    bool m_usesRequestedFont = false;
    CViewLayout m_layout;
    CharCode m_charCode = CharCode::ShiftJis;
    uint8_t m_byteOrder = 0;
    bool m_insertMode = false;

    // Cursor and selection.
    CCursorNavigator m_nav;

    // Marks.
    CByteColors::Marks m_marks;
    std::vector<uint64_t> m_bookmarks; // the addresses of m_bookmarkList, for painting
    CBookmarks m_bookmarkList;
    // The printer settings kept from one print to the next.
    std::unique_ptr<QPrinter> m_printer;
    uint64_t m_diffMarkStart = kNone;
    uint64_t m_diffMarkEnd = kNone;
    QPointer<CQuorvaneDoc> m_diffMarkPartner; // the partner the mark was found against
    bool m_partnerErrorPending = false;

    CViewPainter m_painter;
    QRect m_caretRect;
    // Caret: drawn by the view while it has the focus, blinking.
    bool m_caretExists = false;
    bool m_caretOn = true;
    QTimer m_caretTimer;
    // Repaints while the document's loader is filling the store, so arriving bytes show.
    QTimer m_loadingTimer;

    // Panes the frame gave at set-up (null until the panes exist).
    ResultSink* m_outputPane = nullptr;
    InfoSink* m_infoPane = nullptr;
    StructPaneSink* m_structPane = nullptr;

    std::unique_ptr<ViewSearchState> m_search;
    // The view that last became active: its notifications are not repeated on every focus change.
    static QPointer<CQuorvaneView> s_activeView;
};

// The hex view: one document's bytes as rows of address, hexadecimal bytes and text.
#pragma once

#include "codes/CharCode.h"
#include "panes/InfoRows.h"
#include "view/ByteColors.h"
#include "view/ByteEditor.h"
#include "view/CursorNavigator.h"
#include "view/ViewLayout.h"
#include "view/ViewPainter.h"

#include <QAbstractScrollArea>
#include <QFont>
#include <QPointer>
#include <QTimer>
#include <cstdint>
#include <vector>

class CQuorvaneDoc;
class CMyScrollBar;
class COutputWnd;
class CBinaryInfoWnd;
class COutputStructWnd;
class QPainter;
struct CmdUI;

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

    // Paints the client area of the given size (used by paintEvent, printing previews and the
    // benchmarks).
    void PaintView(QPainter& painter, const QSize& client);

    // The switch of synchronized scrolling (同期スクロール of the properties pane): while it is
    // on, every scroll of a view makes the other document windows show the same first row.
    static void SetSynchronizedScrolling(bool on);
    static bool IsSynchronizedScrolling();

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
    // After a change of the bytes: scroll range, cursor into view, panes, repaint.
    void AfterEdit();
    bool OnEditCommand(int id);
    bool OnUpdateEditCommand(int id, CmdUI& ui);
    bool HandleMessage(QEvent* e);
    bool HandleStructMessage(QEvent* e); // UM_SETSTRUCTRANGE
    bool StructPaneShowing() const;
    QWidget* MainFrame() const;

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
    std::vector<uint64_t> m_bookmarks;
    uint64_t m_diffMarkStart = kNone;
    uint64_t m_diffMarkEnd = kNone;

    CViewPainter m_painter;
    QRect m_caretRect;
    // Caret: drawn by the view while it has the focus, blinking.
    bool m_caretExists = false;
    bool m_caretOn = true;
    QTimer m_caretTimer;
    // Repaints while the document's loader is filling the store, so arriving bytes show.
    QTimer m_loadingTimer;

    // Panes the frame gave at set-up (null until the panes exist).
    COutputWnd* m_outputPane = nullptr;
    CBinaryInfoWnd* m_infoPane = nullptr;
    COutputStructWnd* m_structPane = nullptr;

    static bool s_syncScroll;
    // The view that last became active: its notifications are not repeated on every focus change.
    static QPointer<CQuorvaneView> s_activeView;
};

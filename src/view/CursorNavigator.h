// The cursor and selection of the hex view and the rules that move them.
#pragma once

#include <cstdint>

// Holds the caret position and the selection, and applies the keyboard, mouse, menu and
// message rules to them. The view it serves (the host) owns the first visible row and does the
// scrolling; everything here is testable without a window.
//
// Positions are byte addresses; the cursor ranges from 0 to the file size inclusive (the file size
// is the end-of-file cell). The selection is inclusive at both ends; kNone in m_selStart means
// there is none (m_selEnd is kNone too).
class CCursorNavigator
{
public:
    static constexpr uint64_t kNone = ~uint64_t(0);

    class Host
    {
    public:
        virtual ~Host() = default;
        virtual uint64_t FileSize() const = 0;
        virtual uint64_t TopRow() const = 0;
        // Rows that fit in the client area: client height / row pitch.
        virtual int RowsOnScreen() const = 0;
        // Makes `row` the first visible row; rows past the scroll maximum are ignored.
        virtual void ScrollToRow(uint64_t row) = 0;
    };

    enum class Key { Left, Right, Up, Down, PageUp, PageDown };
    enum JumpType { JumpAbsolute = 0, JumpForward = 1, JumpBackward = 2 };

    explicit CCursorNavigator(Host& host) : m_host(host) {}

    bool HasSelection() const { return m_selStart != kNone; }
    void ClearSelection() { m_selStart = m_selEnd = kNone; }
    // Selects [start, end] (inclusive). Ends are ordered and kept inside the file; an empty file
    // has nothing to select.
    void SetSelection(uint64_t start, uint64_t end);

    // The cursor goes to `newPos`. With Shift held the selection is spanned, with `oldPos` as its
    // anchor when none exists yet (`newPos` when keepOld is false); without Shift it is cleared.
    void MoveCursor(uint64_t newPos, uint64_t oldPos, bool keepOld);
    // Spans the selection between its anchor and the caret, the caret standing between bytes.
    void SpanSelection(uint64_t start);
    // Scrolls (through the host) so that the cursor's row is on screen.
    void EnsureCursorVisible();

    // Left, Right, Up, Down, Page Up, Page Down; then the scrolling that follows every key.
    void NavigateKey(Key key);
    // After every key but Shift and Tab: keeps the caret off the last painted row.
    void ScrollAfterKey();

    // ファイル先頭 / ファイル末尾: the selection does not change. Both scroll the cursor into view.
    void JumpToStart();
    void JumpToEnd();
    // 全て選択: false (nothing changed) for an empty file.
    bool SelectAll();

    // UM_ADDRJUMP: absolute, forward or backward; clamped to 0 and the file size. A selection is
    // re-spanned between its anchor and the new cursor.
    void AddressJump(int type, uint64_t amount);
    // UM_SETCURSOR: moves to `address` when it is below the file size. False when ignored.
    bool SetCursorTo(uint64_t address);
    // UM_SELECTRANGE: selects [start, end] and puts the cursor on end.
    void SelectRange(uint64_t start, uint64_t end);
    // A stored cursor position: brought inside the file.
    void RestoreCursor(uint64_t address);
    // The file changed size under the view (reload, direct edit): keeps positions inside it.
    void ClampToFile();

    // Mouse. `address` is the hit-tested byte, `inCharColumn` which column it lies in.
    void LeftButtonDown(uint64_t address, bool inCharColumn, bool shift);
    // While dragging, first: the pointer left the client area at its top or bottom; scrolls a row.
    void DragScroll(bool above, bool below);
    // While dragging, then: the byte under the pointer (hit-tested after DragScroll).
    void MouseMove(uint64_t address, bool inCharColumn);
    void LeftButtonUp();
    // False when the press fell inside the selection (the context menu then acts on it).
    bool RightButtonDown(uint64_t address);

    uint64_t m_cursor = 0;
    bool m_lowNibble = false;
    bool m_inCharColumn = false;
    uint64_t m_selStart = kNone;
    uint64_t m_selEnd = kNone;
    uint64_t m_selAnchor = 0;
    bool m_dragging = false;
    bool m_shiftDown = false;

private:
    Host& m_host;
};

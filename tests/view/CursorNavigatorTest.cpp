// Tests of the cursor, selection and keyboard/mouse/jump rules of the hex view.
#include "view/CursorNavigator.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

constexpr uint64_t kNone = CCursorNavigator::kNone;
using Key = CCursorNavigator::Key;

// A view of `size` bytes with `rows` rows fitting on screen (rows - 1 painted).
struct FakeView : CCursorNavigator::Host
{
    uint64_t size = 0;
    uint64_t top = 0;
    int rows = 10;
    std::vector<uint64_t> scrolls;

    uint64_t FileSize() const override { return size; }
    uint64_t TopRow() const override { return top; }
    int RowsOnScreen() const override { return rows; }
    void ScrollToRow(uint64_t row) override
    {
        scrolls.push_back(row);
        if (row <= size / 16)
            top = row;
    }
};

struct Nav
{
    FakeView view;
    CCursorNavigator nav{view};
    explicit Nav(uint64_t size, int rows = 10)
    {
        view.size = size;
        view.rows = rows;
    }
    void Press(Key k, bool shift = false)
    {
        nav.m_shiftDown = shift;
        nav.NavigateKey(k);
        nav.m_shiftDown = false;
    }
};

} // namespace

TEST(CursorNavigator, ArrowKeysStopAtTheEndsOfTheFile)
{
    Nav n(100);
    n.Press(Key::Left);
    n.Press(Key::Up);
    EXPECT_EQ(n.nav.m_cursor, 0u);

    n.nav.m_cursor = 100; // the end-of-file cell
    n.Press(Key::Right);
    EXPECT_EQ(n.nav.m_cursor, 100u);

    n.nav.m_cursor = 90;
    n.Press(Key::Down); // fewer than 16 bytes before the end: onto the end-of-file cell
    EXPECT_EQ(n.nav.m_cursor, 100u);
    n.nav.m_cursor = 20;
    n.Press(Key::Down);
    EXPECT_EQ(n.nav.m_cursor, 36u);
    n.Press(Key::Up);
    EXPECT_EQ(n.nav.m_cursor, 20u);

    // Shift+Down onto the end without a selection selects nothing.
    n.nav.m_cursor = 90;
    n.Press(Key::Down, true);
    EXPECT_EQ(n.nav.m_cursor, 100u);
    EXPECT_FALSE(n.nav.HasSelection());

    // Moving clears the low-nibble flag.
    n.nav.m_lowNibble = true;
    n.Press(Key::Left);
    EXPECT_FALSE(n.nav.m_lowNibble);
}

TEST(CursorNavigator, ShiftArrowsSpanTheSelectionBetweenAnchorAndCaret)
{
    Nav n(100);
    n.nav.m_cursor = 5;
    for (int i = 0; i < 3; ++i)
        n.Press(Key::Right, true);
    EXPECT_EQ(n.nav.m_cursor, 8u);
    EXPECT_EQ(n.nav.m_selStart, 5u);
    EXPECT_EQ(n.nav.m_selEnd, 7u);
    for (int i = 0; i < 4; ++i)
        n.Press(Key::Left, true);
    EXPECT_EQ(n.nav.m_cursor, 4u);
    EXPECT_EQ(n.nav.m_selStart, 4u);
    EXPECT_EQ(n.nav.m_selEnd, 4u);
    // A plain arrow drops the selection.
    n.Press(Key::Right);
    EXPECT_FALSE(n.nav.HasSelection());
    EXPECT_EQ(n.nav.m_selEnd, kNone);
}

TEST(CursorNavigator, KeysKeepTheCaretOffTheLastPaintedRow)
{
    Nav n(16 * 1000, 10); // 9 rows painted
    for (int i = 0; i < 7; ++i)
        n.Press(Key::Down);
    EXPECT_EQ(n.nav.m_cursor, 7u * 16);
    EXPECT_EQ(n.view.top, 0u);
    n.Press(Key::Down); // row 8 is the last painted row: the view moves up a row
    EXPECT_EQ(n.nav.m_cursor, 8u * 16);
    EXPECT_EQ(n.view.top, 1u);
    // Up past the top row scrolls back.
    n.view.top = 8;
    n.Press(Key::Up);
    EXPECT_EQ(n.nav.m_cursor, 7u * 16);
    EXPECT_EQ(n.view.top, 7u);
    // A key with the cursor far off screen brings it back.
    n.view.top = 500;
    n.Press(Key::Right);
    EXPECT_LE(n.view.top, 7u);
    EXPECT_GE(n.view.top + 8, n.nav.m_cursor / 16);
}

TEST(CursorNavigator, PageKeysMoveViewAndCursorTogether)
{
    Nav n(16 * 100 + 5, 11); // 10 rows painted, page of 10
    n.nav.m_cursor = 3;
    n.Press(Key::PageDown);
    EXPECT_EQ(n.view.top, 10u);
    EXPECT_EQ(n.nav.m_cursor, 10u * 16 + 3);
    n.Press(Key::PageUp);
    EXPECT_EQ(n.view.top, 0u);
    EXPECT_EQ(n.nav.m_cursor, 3u);

    // On the last page a page further would start past the end: the first row stays.
    n.view.top = 95;
    n.nav.m_cursor = 96 * 16;
    n.Press(Key::PageDown);
    EXPECT_EQ(n.view.top, 95u);
    EXPECT_EQ(n.nav.m_cursor, 96u * 16);

    // Landing on the end-of-file row in a column past the end keeps the cursor inside the file.
    n.view.top = 90;
    n.nav.m_cursor = 90 * 16 + 12;
    n.Press(Key::PageDown);
    EXPECT_EQ(n.view.top, 100u);
    EXPECT_EQ(n.nav.m_cursor, 16u * 100 + 5);
    n.Press(Key::PageUp);
    EXPECT_LE(n.nav.m_cursor, 16u * 100 + 5);
}

TEST(CursorNavigator, MenuJumpsAndSelectAll)
{
    Nav n(1000, 10);
    n.nav.m_cursor = 500;
    n.nav.SetSelection(10, 20);
    n.nav.JumpToEnd();
    EXPECT_EQ(n.nav.m_cursor, 1000u);
    EXPECT_EQ(n.nav.m_selStart, 10u); // the selection does not change
    EXPECT_EQ(n.view.top, 1000u / 16 - 8);
    n.nav.JumpToStart();
    EXPECT_EQ(n.nav.m_cursor, 0u);
    EXPECT_EQ(n.view.top, 0u);
    EXPECT_EQ(n.nav.m_selEnd, 20u);

    EXPECT_TRUE(n.nav.SelectAll());
    EXPECT_EQ(n.nav.m_selStart, 0u);
    EXPECT_EQ(n.nav.m_selEnd, 999u);
    EXPECT_EQ(n.nav.m_cursor, 999u);

    Nav empty(0);
    empty.nav.m_cursor = 0;
    EXPECT_FALSE(empty.nav.SelectAll());
    EXPECT_FALSE(empty.nav.HasSelection());
}

TEST(CursorNavigator, AddressJumpsAreClampedAndRespanTheSelection)
{
    Nav n(1000);
    n.nav.m_cursor = 100;
    n.nav.AddressJump(CCursorNavigator::JumpBackward, 500);
    EXPECT_EQ(n.nav.m_cursor, 0u);
    n.nav.AddressJump(CCursorNavigator::JumpForward, 5000);
    EXPECT_EQ(n.nav.m_cursor, 1000u);
    n.nav.AddressJump(CCursorNavigator::JumpForward, ~uint64_t(0));
    EXPECT_EQ(n.nav.m_cursor, 1000u);
    n.nav.AddressJump(CCursorNavigator::JumpAbsolute, 0x123);
    EXPECT_EQ(n.nav.m_cursor, 0x123u);
    EXPECT_FALSE(n.nav.HasSelection());

    // A selection made leftwards (anchor after it) re-spans in order around the new cursor.
    n.nav.m_cursor = 10;
    for (int i = 0; i < 4; ++i)
        n.Press(Key::Left, true);
    ASSERT_EQ(n.nav.m_selStart, 6u);
    ASSERT_EQ(n.nav.m_selEnd, 9u);
    n.nav.AddressJump(CCursorNavigator::JumpAbsolute, 8);
    EXPECT_EQ(n.nav.m_selStart, 8u);
    EXPECT_EQ(n.nav.m_selEnd, 10u);
    n.nav.AddressJump(CCursorNavigator::JumpAbsolute, 2);
    EXPECT_EQ(n.nav.m_selStart, 2u);
    EXPECT_EQ(n.nav.m_selEnd, 10u);
    n.nav.AddressJump(CCursorNavigator::JumpForward, 5000); // to the end: the selection ends at the last byte
    EXPECT_EQ(n.nav.m_selEnd, 999u);
    n.nav.AddressJump(CCursorNavigator::JumpAbsolute, n.nav.m_selStart); // onto its start: removed
    EXPECT_FALSE(n.nav.HasSelection());
}

TEST(CursorNavigator, PaneRequestsAndRestore)
{
    Nav n(1000);
    EXPECT_FALSE(n.nav.SetCursorTo(1000)); // the end-of-file cell is not a target
    EXPECT_EQ(n.nav.m_cursor, 0u);
    EXPECT_TRUE(n.nav.SetCursorTo(999));
    EXPECT_EQ(n.nav.m_cursor, 999u);

    n.nav.SelectRange(40, 20);
    EXPECT_EQ(n.nav.m_selStart, 20u);
    EXPECT_EQ(n.nav.m_selEnd, 40u);
    EXPECT_EQ(n.nav.m_cursor, 20u);
    n.nav.SelectRange(990, 5000);
    EXPECT_EQ(n.nav.m_selEnd, 999u);
    EXPECT_EQ(n.nav.m_cursor, 1000u);

    n.nav.RestoreCursor(0xFFFFFFFF); // stored for a longer file
    EXPECT_EQ(n.nav.m_cursor, 1000u);

    // The file shrank (reload): everything comes back inside it.
    n.nav.SetSelection(900, 950);
    n.view.size = 920;
    n.nav.ClampToFile();
    EXPECT_EQ(n.nav.m_cursor, 920u);
    EXPECT_EQ(n.nav.m_selEnd, 919u);
}

TEST(CursorNavigator, MouseClicksAndDrags)
{
    Nav n(100);
    n.nav.LeftButtonDown(5, false, false);
    EXPECT_TRUE(n.nav.m_dragging);
    n.nav.MouseMove(9, true);
    EXPECT_EQ(n.nav.m_selStart, 5u);
    EXPECT_EQ(n.nav.m_selEnd, 8u);
    EXPECT_TRUE(n.nav.m_inCharColumn);
    n.nav.MouseMove(2, false);
    EXPECT_EQ(n.nav.m_selStart, 2u);
    EXPECT_EQ(n.nav.m_selEnd, 4u);
    // Past the end while the first row is shown: nothing changes.
    n.nav.MouseMove(140, false);
    EXPECT_EQ(n.nav.m_cursor, 2u);
    n.nav.LeftButtonUp();
    EXPECT_FALSE(n.nav.m_dragging);
    n.nav.MouseMove(50, false); // not dragging
    EXPECT_EQ(n.nav.m_cursor, 2u);

    // A click past the end lands on the end-of-file cell; Shift+click spans from the anchor.
    n.nav.LeftButtonDown(500, false, false);
    EXPECT_EQ(n.nav.m_cursor, 100u);
    n.nav.LeftButtonUp();
    n.nav.LeftButtonDown(10, false, false);
    n.nav.LeftButtonUp();
    n.nav.LeftButtonDown(20, false, true);
    EXPECT_EQ(n.nav.m_selStart, 10u);
    EXPECT_EQ(n.nav.m_selEnd, 19u);
    n.nav.LeftButtonUp();

    // A right click inside the selection keeps everything for the context menu.
    EXPECT_FALSE(n.nav.RightButtonDown(15));
    EXPECT_EQ(n.nav.m_cursor, 20u);
    EXPECT_TRUE(n.nav.RightButtonDown(50));
    EXPECT_EQ(n.nav.m_cursor, 50u);
    EXPECT_TRUE(n.nav.RightButtonDown(500)); // past the end: the cursor stays
    EXPECT_EQ(n.nav.m_cursor, 50u);

    // Dragging past the end after scrolling down selects to the last byte.
    Nav far(16 * 100);
    far.view.top = 50;
    far.nav.LeftButtonDown(16 * 95, false, false);
    far.nav.MouseMove(16 * 120, false);
    EXPECT_EQ(far.nav.m_cursor, 1600u);
    EXPECT_EQ(far.nav.m_selStart, 16u * 95);
    EXPECT_EQ(far.nav.m_selEnd, 1599u);
    // Dragging above or below the window scrolls a row.
    far.nav.DragScroll(true, false);
    EXPECT_EQ(far.view.top, 49u);
    far.nav.DragScroll(false, true);
    EXPECT_EQ(far.view.top, 50u);
}

// The bitmap pane in the frame: pixels of a small file, clicks moving the view's cursor, zoom.
#include "base/CommandIds.h"
#include "app/MainFrame.h"
#include "document/QuorvaneDoc.h"
#include "panes/BitmapView.h"
#include "view/MyScrollBar.h"
#include "view/QuorvaneView.h"

#include "FrameTest.h"

#include <QDockWidget>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

namespace {

class BitmapViewTest : public FrameTest
{
protected:

    void SetUp() override
    {
        ShowFrame({900, 700});
    }
    CBitmapView* Pane() const
    {
        return qobject_cast<CBitmapView*>(frame->Pane(ID_PANE_BITMAP)->widget());
    }
    // Pixels as 0xRRGGBB, so that colours compare at the screen's 8 bits.
    struct Picture
    {
        QImage img;
        QRgb pixelColor(int x, int y) const { return img.pixel(x, y) & 0xFFFFFF; }
        int height() const { return img.height(); }
    };
    Picture Shot() const { return {Pane()->grab().toImage()}; }
    static QRgb Colour(uint8_t byte) { return CBitmapLayout::Palette()[byte] & 0xFFFFFF; }
    // Byte i of the test files: the four classes in turn.
    static uint8_t ByteOf(int i)
    {
        static const uint8_t kinds[] = {0x00, 0x07, 0x41, 0xC0};
        return kinds[i % 4];
    }
    static QByteArray Pattern(int n)
    {
        QByteArray b;
        for (int i = 0; i < n; ++i)
            b.append(char(ByteOf(i)));
        return b;
    }
    void Wheel(int delta)
    {
        QWheelEvent e(QPointF(50, 50), QPointF(50, 50), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(Pane(), &e);
    }
};

} // namespace

TEST_F(BitmapViewTest, SmallFileDrawsItsBytesAndFrameColourAroundThem)
{
    ASSERT_NE(Pane(), nullptr);
    EXPECT_EQ(frame->Pane(ID_PANE_BITMAP)->windowTitle(), "ビットマップ");
    // No document: only the frame colour.
    Picture img = Shot();
    const QRgb frameColour = Pane()->FrameColor().rgb() & 0xFFFFFF;
    EXPECT_EQ(img.pixelColor(10, 10), frameColour);

    ASSERT_NE(frame->OpenDocumentFile(files.Write("s.bin", Pattern(200))), nullptr);
    img = Shot();
    ASSERT_GE(img.height(), 20);
    for (int i : {0, 1, 2, 3, 127, 128, 150, 199})
        EXPECT_EQ(img.pixelColor(10 + i % 128, 10 + i / 128), Colour(ByteOf(i))) << i;
    // After byte 199 the rest of the second row is frame colour, not white zero bytes; so are
    // the margins, the space right of the picture and below it.
    for (int x : {10 + 72, 10 + 100, 10 + 127})
        EXPECT_EQ(img.pixelColor(x, 11), frameColour) << x;
    EXPECT_EQ(img.pixelColor(5, 10), frameColour);
    EXPECT_EQ(img.pixelColor(10, 5), frameColour);
    EXPECT_EQ(img.pixelColor(10 + 128, 10), frameColour);
    EXPECT_EQ(img.pixelColor(10, 12), frameColour);

    // An edit shows at once.
    CQuorvaneView* view = frame->ActiveView();
    view->setFocus();
    view->TypeInput(0x4);
    view->TypeInput(0x1); // byte 0 becomes 0x41
    EXPECT_EQ(Shot().pixelColor(10, 10), Colour(0x41));

    // Three wheel turns away from the user: zoom 2, each byte two pixels square.
    for (int i = 0; i < 3; ++i)
        Wheel(120);
    EXPECT_EQ(Pane()->Zoom(), 2);
    img = Shot();
    EXPECT_EQ(img.pixelColor(10 + 2 * 2 + 1, 10 + 1), Colour(ByteOf(2)));
    EXPECT_EQ(img.pixelColor(10 + 2 * 71 + 1, 10 + 3), Colour(ByteOf(199)));
    EXPECT_EQ(img.pixelColor(10 + 2 * 72, 10 + 3), frameColour);
    Wheel(-120);
    EXPECT_EQ(Pane()->Zoom(), 1);
}

TEST_F(BitmapViewTest, ClickOnAByteMovesTheViewsCursorAndFocusesIt)
{
    ASSERT_NE(frame->OpenDocumentFile(files.Write("c.bin", Pattern(1000))), nullptr);
    CQuorvaneView* view = frame->ActiveView();
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    // Margins and the space right of the picture are no bytes.
    QTest::mouseClick(Pane(), Qt::LeftButton, {}, QPoint(5, 12));
    QTest::mouseClick(Pane(), Qt::LeftButton, {}, QPoint(54, 5));
    QTest::mouseClick(Pane(), Qt::LeftButton, {}, QPoint(10 + 128, 12));
    EXPECT_EQ(view->Cursor(), 0u);
    Pane()->setFocus();
    QTest::mouseClick(Pane(), Qt::LeftButton, {}, QPoint(10 + 44, 10 + 2));
    EXPECT_EQ(view->Cursor(), 300u);
    EXPECT_TRUE(view->hasFocus() || QApplication::focusWidget() == view);
}

TEST_F(BitmapViewTest, LargeFileScrollsByRowsOfTheBitmap)
{
    ASSERT_NE(frame->OpenDocumentFile(files.Write("l.bin", Pattern(128 * 2000))), nullptr);
    CBitmapView* pane = Pane();
    pane->Redraw();
    const int h = pane->height();
    ASSERT_GT(h, 50);
    EXPECT_EQ(pane->ScrollBar()->RowCount(), CBitmapLayout::ScrollMax(128 * 2000, 1, h));
    EXPECT_TRUE(pane->ScrollBar()->isVisible());
    // Scrolled by 3 rows: the picture starts at the top edge with row 3; a click there is in
    // row 3 too.
    pane->ScrollBar()->SetPos64(3);
    pane->Redraw();
    const Picture img = Shot();
    EXPECT_EQ(img.pixelColor(10 + 1, 0), Colour(ByteOf(3 * 128 + 1)));
    QTest::mouseClick(pane, Qt::LeftButton, {}, QPoint(10 + 5, 0));
    EXPECT_EQ(frame->ActiveView()->Cursor(), 3u * 128 + 5);
}

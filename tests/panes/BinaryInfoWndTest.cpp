// The info pane in the frame: it follows the active view's cursor, selection and byte order, and
// its "+"/"-" buttons redisplay the values.
#include "panes/BinaryInfoWnd.h"

#include "app/MainFrame.h"
#include "app/Messages.h"
#include "view/QuorvaneView.h"

#include "ScriptedPrompter.h"
#include "TempFiles.h"
#include "TestSettings.h"

#include <QApplication>
#include <QAccessible>
#include <QLabel>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

TEST(BinaryInfoWndTest, FollowsTheCursorSelectionAndModeOfTheActiveView)
{
    TestSettings settings;
    ScriptedPrompter prompter;
    TempFiles files;
    CMainFrame frame;
    frame.show();
    ASSERT_NE(frame.InfoPane(), nullptr);
    CBinaryInfoWnd* pane = um::GetInfoPane::Send(&frame);
    ASSERT_NE(pane, nullptr);
    // Every value field is known by its label.
    for (QLabel* label : pane->findChildren<QLabel*>()) {
        if (label->buddy()) {
            EXPECT_EQ(label->buddy()->accessibleName(), label->text());
        }
    }
    EXPECT_TRUE(pane->PlusButton()->isChecked());

    const QString path = files.Write(QStringLiteral("a.bin"), QByteArray::fromHex("34120000FF"));
    ASSERT_NE(frame.OpenDocumentFile(path), nullptr);
    CQuorvaneView* view = frame.ActiveView();
    ASSERT_NE(view, nullptr);
    QApplication::processEvents();
    EXPECT_EQ(pane->ValueText(InfoRows::Word), "       12 34        4660");
    EXPECT_EQ(pane->ValueText(InfoRows::FileSize), " 00000000-00000005" + QString(22, QLatin1Char(' ')) + "5");

    // Cursor on the last byte: one byte left.
    uint64_t last = 4;
    um::SetCursor::Send(view, &last, false);
    EXPECT_EQ(pane->ValueText(InfoRows::Address), " 00000000-00000004");
    EXPECT_EQ(pane->ValueText(InfoRows::DWord), " 00 00 00 FF         255");
    // A screen reader reads the field's label and then its value.
    int readOut = 0;
    for (QLabel* label : pane->findChildren<QLabel*>()) {
        if (label->text() != QStringLiteral("DWord") || !label->buddy())
            continue;
        QAccessibleInterface* field = QAccessible::queryAccessibleInterface(label->buddy());
        ASSERT_NE(field, nullptr);
        EXPECT_EQ(field->text(QAccessible::Name), "DWord");
        EXPECT_EQ(field->text(QAccessible::Description), " 00 00 00 FF         255");
        ++readOut;
    }
    EXPECT_EQ(readOut, 1);
    EXPECT_EQ(pane->ValueText(InfoRows::Bit), " 0000-0000  0000-0000  0000-0000  1111-1111");

    // "-" asks the view again and shows the negative values.
    QTest::mouseClick(pane->MinusButton(), Qt::LeftButton);
    EXPECT_FALSE(pane->PlusMode());
    EXPECT_EQ(pane->ValueText(InfoRows::Byte), "          FF          -1");

    // A selection's length; big-endian from the バイトオーダー menu.
    um::SelectRange::Send(view, 0, 1);
    EXPECT_EQ(pane->ValueText(InfoRows::Range), " " + QString(16, ' ') + "2");
    QTest::mouseClick(pane->PlusButton(), Qt::LeftButton);
    EXPECT_EQ(pane->ValueText(InfoRows::Range), " 00000000-00000002");
    view->SetByteOrder(1);
    uint64_t first = 0;
    um::SetCursor::Send(view, &first, false);
    EXPECT_EQ(pane->ValueText(InfoRows::Word), "       34 12       13330");
}

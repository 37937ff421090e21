// The window messages: typed parameters and results, and the two number spaces kept apart.
#include "base/Messages.h"

#include <QObject>
#include <gtest/gtest.h>

namespace {

// A receiver in the view's number space.
struct ViewLike : QObject
{
    uint64_t cursor = 0x1234;
    int charCode = -1;
    int resets = 0;
    QString jumpedText;
    qint64 jumpedIndex = -2;

    bool event(QEvent* e) override
    {
        if (auto* m = um::Cast<um::SetCharCode>(e)) { charCode = m->wParam; return true; }
        if (auto* m = um::Cast<um::GetPos>(e)) {
            if (m->wParam) *m->wParam = 0xFFF;
            if (m->lParam) *m->lParam = 0x100;
            m->result = &cursor;
            return true;
        }
        if (auto* m = um::Cast<um::JumpResult>(e)) {
            if (m->IsIndex()) jumpedIndex = m->index; else jumpedText = *m->text;
            return true;
        }
        if (um::Cast<um::Reset>(e)) { ++resets; return true; }
        return QObject::event(e);
    }
};

} // namespace

TEST(MessagesTest, SendsCarryTypedParametersAndResults)
{
    ViewLike view;
    uint64_t last = 0, top = 0;
    const uint64_t* cursor = um::GetPos::Send(&view, &last, &top);
    ASSERT_EQ(cursor, &view.cursor);
    EXPECT_EQ(last, 0xFFFu);
    EXPECT_EQ(top, 0x100u);
    // Either record may be left out.
    EXPECT_EQ(um::GetPos::Send(&view, nullptr, nullptr), &view.cursor);

    const QString text = QStringLiteral("000010");
    um::JumpResult::Send(&view, &text);
    EXPECT_EQ(view.jumpedText, text);
    um::JumpResult::Send(&view, qint64(7));
    EXPECT_EQ(view.jumpedIndex, 7);

    // A sender without a target sends nothing and gets the empty result.
    EXPECT_EQ(um::GetPos::Send(nullptr, &last, &top), nullptr);
}

TEST(MessagesTest, SameNumberOfTheOtherSpaceIsNotMisread)
{
    static_assert(UM_SETCHARCODE == UM_SHOWCHARCODE);
    ViewLike view;
    // 0x8004 meant for the frame reaches a view by mistake: the view does not take it as its own.
    um::ShowCharCode::Send(&view, 5, false);
    EXPECT_EQ(view.charCode, -1);
    um::SetCharCode::Send(&view, 5);
    EXPECT_EQ(view.charCode, 5);
}

TEST(MessagesTest, PostedMessagesArriveThroughTheEventLoop)
{
    ViewLike view;
    um::PostTo<um::Reset>(&view);
    EXPECT_EQ(view.resets, 0);
    QCoreApplication::sendPostedEvents(&view);
    EXPECT_EQ(view.resets, 1);
}

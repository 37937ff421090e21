// The program's application object: an exception thrown by an event handler becomes one error box
// after the event, and the program goes on.
#include "app/GuardedApplication.h"

#include "ScriptedPrompter.h"

#include <QPaintEvent>
#include <QWidget>
#include <gtest/gtest.h>
#include <stdexcept>
#include <vector>

namespace {

// A widget whose handlers fail the way a lookup or an allocation can.
struct Failing : QWidget
{
    int paints = 0;
    std::vector<int> seen;
    bool event(QEvent* e) override
    {
        if (e->type() == QEvent::User)
            throw std::out_of_range("vector::_M_range_check: __n (which is 18446744073709551615)");
        if (e->type() == QEvent::User + 1)
            throw std::bad_alloc();
        if (e->type() == QEvent::User + 2)
            throw 42;
        if (e->type() == QEvent::User + 3)
            seen.push_back(3);
        return QWidget::event(e);
    }
    void paintEvent(QPaintEvent*) override
    {
        ++paints;
        throw std::runtime_error("paint");
    }
};

// Runs the posted events and the ones they post (the error box comes after the failed event).
void Flush()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

CGuardedApplication& App()
{
    return *static_cast<CGuardedApplication*>(QCoreApplication::instance());
}

} // namespace

TEST(GuardedApplication, ExceptionsFromHandlersBecomeOneErrorBoxAfterTheEvent)
{
    ScriptedPrompter prompter;
    Failing w;
    const int before = App().CaughtCount();

    QEvent lookup(QEvent::User);
    EXPECT_FALSE(QCoreApplication::sendEvent(&w, &lookup));
    EXPECT_EQ(App().CaughtCount(), before + 1);
    EXPECT_TRUE(prompter.asked.empty()); // not inside the handler's event
    Flush();
    ASSERT_EQ(prompter.asked.size(), 1u);
    EXPECT_EQ(prompter.asked[0].caption, "エラー");
    EXPECT_EQ(prompter.asked[0].icon, PromptIcon::Error);
    EXPECT_TRUE(prompter.LastText().startsWith(QStringLiteral("内部エラーのため操作を中止しました。")));

    // A failed allocation says so; anything else thrown is caught too.
    QEvent memory(QEvent::Type(QEvent::User + 1));
    QCoreApplication::sendEvent(&w, &memory);
    Flush();
    EXPECT_EQ(prompter.LastText(), QStringLiteral("メモリが不足しています。"));
    QEvent other(QEvent::Type(QEvent::User + 2));
    QCoreApplication::sendEvent(&w, &other);
    Flush();
    EXPECT_EQ(prompter.LastText(), QStringLiteral("内部エラーのため操作を中止しました。"));
    EXPECT_EQ(prompter.asked.size(), 3u);

    // Posted events after a failure are still delivered.
    QCoreApplication::postEvent(&w, new QEvent(QEvent::User));
    QCoreApplication::postEvent(&w, new QEvent(QEvent::Type(QEvent::User + 3)));
    Flush();
    EXPECT_EQ(w.seen, std::vector<int>{3});
    EXPECT_EQ(prompter.asked.size(), 4u);
}

TEST(GuardedApplication, APaintThatKeepsFailingGivesOneBoxNotOneInsideEachPaint)
{
    ScriptedPrompter prompter;
    Failing w;
    for (int i = 0; i < 3; ++i) {
        QPaintEvent paint(QRect(0, 0, 10, 10));
        QCoreApplication::sendEvent(&w, &paint);
    }
    EXPECT_EQ(w.paints, 3);
    EXPECT_TRUE(prompter.asked.empty());
    Flush();
    EXPECT_EQ(prompter.asked.size(), 1u);
    EXPECT_EQ(prompter.LastText(), QStringLiteral("内部エラーのため操作を中止しました。\n(paint)"));
}

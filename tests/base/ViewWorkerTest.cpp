// The view's worker: hand-overs run in order on the owner's thread, and a stop never waits for an
// event loop that is busy stopping (the deadlock of a blocking hand-over against a join).
#include "base/ViewWorker.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QObject>
#include <QTimer>
#include <gtest/gtest.h>
#include <thread>

TEST(ViewWorker, HandOversRunInOrderOnTheOwnersThread)
{
    QObject owner;
    CViewWorker worker(&owner);
    std::vector<int> got;
    bool allOnOwnerThread = true;
    const auto ui = std::this_thread::get_id();
    // Enough calls that one event often runs several of them (each must leave a spare event).
    constexpr int kCalls = 2000;
    worker.Start([&](CViewWorker& w) {
        for (int i = 0; i < kCalls; ++i)
            w.HandOver([&, i] {
                got.push_back(i);
                allOnOwnerThread = allOnOwnerThread && std::this_thread::get_id() == ui;
            });
    });
    QElapsedTimer t;
    t.start();
    while (worker.IsRunning() && t.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    ASSERT_FALSE(worker.IsRunning());
    ASSERT_EQ(got.size(), size_t(kCalls));
    for (int i = 0; i < kCalls; ++i)
        EXPECT_EQ(got[i], i);
    EXPECT_TRUE(allOnOwnerThread);
}

TEST(ViewWorker, StopWhileAHandOverWaitsDropsItAndRestarts)
{
    QObject owner;
    CViewWorker worker(&owner);
    int ran = 0;
    std::atomic<bool> handing{false};
    std::atomic<int> refused{0};
    worker.Start([&](CViewWorker& w) {
        handing = true;
        if (!w.HandOver([&] { ++ran; }))
            ++refused;
        while (!w.Stopping())
            std::this_thread::yield();
    });
    while (!handing)
        std::this_thread::yield();
    // The owner's thread never processes events here: Stop() must return all the same.
    worker.Stop();
    EXPECT_FALSE(worker.IsRunning());
    QCoreApplication::processEvents(); // the queued call finds itself cancelled
    EXPECT_EQ(ran, 0);
    EXPECT_EQ(refused.load(), 1);

    // The same worker runs again after a stop, and the owner's end drops late calls.
    worker.Start([&](CViewWorker& w) { w.HandOver([&] { ++ran; }); });
    QElapsedTimer t;
    t.start();
    while (worker.IsRunning() && t.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_EQ(ran, 1);
}

// A hand-over that opens an event loop of its own (a message box) during which the worker's
// owner goes away: the call returns into a receiver that still exists.
TEST(ViewWorker, OwnerEndsWhileAHandOverRunsAnEventLoop)
{
    QObject owner;
    auto worker = std::make_unique<CViewWorker>(&owner);
    bool returned = false;
    worker->Start([&](CViewWorker& w) {
        w.HandOver([&] {
            QEventLoop box;
            QTimer::singleShot(0, [&] {
                worker.reset(); // stops and joins: the body's wait ends at once
                box.quit();
            });
            box.exec();
            returned = true;
        });
    });
    QElapsedTimer t;
    t.start();
    while (!returned && t.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_TRUE(returned);
    EXPECT_EQ(worker, nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// A worker thread (a view's hit listing, re-list, same search and SUM; the frame's folder search)
// and its hand-over of results.
#pragma once

#include <QEvent>
#include <QObject>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

// Runs one body at a time on its own thread. The body polls StopFlag() and gives its results to
// the user-interface thread with HandOver, which runs a function there (through the event loop
// of `context`'s thread) and waits until it has run, so results arrive in order and in step with
// the work. Stop() may be called on the user-interface thread at any moment, also while the body
// waits in a hand-over: the wait ends at once and the hand-over that had not run yet is dropped,
// so stopping never waits for the event loop (which is busy stopping) and cannot deadlock.
class CViewWorker
{
public:
    explicit CViewWorker(QObject* context);
    ~CViewWorker(); // stops and joins
    CViewWorker(const CViewWorker&) = delete;
    CViewWorker& operator=(const CViewWorker&) = delete;

    // Stops a previous body, then starts `body` on a new thread.
    void Start(std::function<void(CViewWorker&)> body);
    // Sets the stop flag, ends a waiting hand-over and joins the thread. Safe to call when idle.
    void Stop();
    // True from Start until the body has returned.
    bool IsRunning() const { return m_running.load(std::memory_order_acquire); }

    // --- Called by the body ---
    const std::atomic<bool>& StopFlag() const { return m_stop; }
    bool Stopping() const { return m_stop.load(std::memory_order_relaxed); }
    // Runs `fn` on the context's thread and waits for it. Returns false, without `fn` having run,
    // when the worker was stopped first.
    bool HandOver(std::function<void()> fn);

private:
    struct Pending;
    class Receiver;
    // The calls waiting for the context's thread. Everything a call carries passes through this
    // mutex, never through the toolkit's event queue alone, whose locking the thread checker of
    // the sanitizer build cannot see; the posted event only says "look into the queue". That
    // event is made on the context's thread, ahead of the hand-over that posts it.
    struct Sync
    {
        std::mutex mutex;
        std::condition_variable cv;
        std::deque<std::shared_ptr<Pending>> queue;
        std::unique_ptr<QEvent> spareEvent;
    };

    std::shared_ptr<Sync> m_sync = std::make_shared<Sync>(); // made before the receiver
    // Lives in the context's thread; deleted after the thread has been joined, which drops any
    // event still posted to it (later, when one of its calls is still on the stack).
    std::unique_ptr<Receiver> m_receiver;
    std::jthread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_running{false};
};

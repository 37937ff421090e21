// A view's worker thread with a hand-over that never deadlocks against the stopping thread.
#include "view/ViewWorker.h"

#include <QMetaObject>

// One hand-over in flight: shared by the waiting body and the queued call.
struct CViewWorker::Pending
{
    std::function<void()> fn;
    bool done = false;      // the call has run
    bool cancelled = false; // the body stopped waiting: the call must not run any more
};

CViewWorker::CViewWorker(QObject* context) : m_context(context) {}

CViewWorker::~CViewWorker()
{
    Stop();
}

void CViewWorker::Start(std::function<void(CViewWorker&)> body)
{
    Stop();
    m_stop.store(false);
    m_running.store(true, std::memory_order_release);
    m_thread = std::jthread([this, body = std::move(body)] {
        body(*this);
        m_running.store(false, std::memory_order_release);
    });
}

void CViewWorker::Stop()
{
    {
        std::lock_guard lock(m_sync->mutex);
        m_stop.store(true);
    }
    m_sync->cv.notify_all();
    if (m_thread.joinable())
        m_thread.join();
    m_running.store(false, std::memory_order_release);
}

bool CViewWorker::HandOver(std::function<void()> fn)
{
    QObject* context = m_context.data();
    if (!context || Stopping())
        return false;
    auto pending = std::make_shared<Pending>();
    pending->fn = std::move(fn);
    std::shared_ptr<Sync> sync = m_sync;
    // Stop() runs on the context's thread, like the call, so the two never overlap; a call that
    // runs after its body stopped waiting finds itself cancelled and does nothing.
    QMetaObject::invokeMethod(
        context,
        [pending, sync] {
            {
                std::lock_guard lock(sync->mutex);
                if (pending->cancelled)
                    return;
            }
            pending->fn();
            {
                std::lock_guard lock(sync->mutex);
                pending->done = true;
            }
            sync->cv.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock lock(sync->mutex);
    sync->cv.wait(lock, [&] { return pending->done || m_stop.load(); });
    if (!pending->done) {
        pending->cancelled = true;
        return false;
    }
    return true;
}

// A view's worker thread with a hand-over that never deadlocks against the stopping thread.
#include "base/ViewWorker.h"

#include <QCoreApplication>
#include <QEvent>

namespace {

const QEvent::Type kHandOverEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

} // namespace

// One hand-over in flight: shared by the waiting body and the context's thread.
struct CViewWorker::Pending
{
    std::function<void()> fn;
    bool done = false;      // the call has run
    bool cancelled = false; // the body stopped waiting: the call must not run any more
};

// Runs the queued calls when their event arrives on the context's thread.
class CViewWorker::Receiver : public QObject
{
public:
    explicit Receiver(std::shared_ptr<Sync> sync) : m_sync(std::move(sync)) {}

    // True while a call runs. A call may open a message box, whose event loop may end the worker:
    // the receiver is then deleted once the call has returned.
    bool Busy() const { return m_depth > 0; }

    bool event(QEvent* e) override
    {
        // The hand-over events are made on this thread (see Sync), so looking at them is safe.
        if (e->type() != kHandOverEvent)
            return QObject::event(e);
        for (;;) {
            std::shared_ptr<Pending> pending;
            {
                std::lock_guard lock(m_sync->mutex);
                if (m_sync->queue.empty())
                    break;
                pending = std::move(m_sync->queue.front());
                m_sync->queue.pop_front();
                if (pending->cancelled)
                    continue;
            }
            ++m_depth;
            pending->fn();
            --m_depth;
            {
                // One event may run several calls, each of which may have taken the spare event:
                // the next one is made here, before the body is released to hand over again.
                std::lock_guard lock(m_sync->mutex);
                if (!m_sync->spareEvent)
                    m_sync->spareEvent = std::make_unique<QEvent>(kHandOverEvent);
                pending->done = true;
            }
            m_sync->cv.notify_all();
        }
        return true;
    }

private:
    std::shared_ptr<Sync> m_sync;
    int m_depth = 0;
};

CViewWorker::CViewWorker(QObject* context) : m_receiver(std::make_unique<Receiver>(m_sync))
{
    m_sync->spareEvent = std::make_unique<QEvent>(kHandOverEvent);
    if (context)
        m_receiver->moveToThread(context->thread());
}

CViewWorker::~CViewWorker()
{
    Stop();
    if (m_receiver->Busy())
        m_receiver.release()->deleteLater(); // runs once the call on the stack has returned
}

void CViewWorker::Start(std::function<void(CViewWorker&)> body)
{
    Stop();
    {
        // A hand-over that a stop dropped may have taken the event.
        std::lock_guard lock(m_sync->mutex);
        if (!m_sync->spareEvent)
            m_sync->spareEvent = std::make_unique<QEvent>(kHandOverEvent);
    }
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
    // Calls that were dropped by the stop leave the queue.
    std::lock_guard lock(m_sync->mutex);
    m_sync->queue.clear();
}

bool CViewWorker::HandOver(std::function<void()> fn)
{
    if (Stopping())
        return false;
    auto pending = std::make_shared<Pending>();
    pending->fn = std::move(fn);
    QEvent* wake = nullptr;
    {
        std::lock_guard lock(m_sync->mutex);
        m_sync->queue.push_back(pending);
        // The receiver makes the next event before it marks a call done, so one is always there.
        wake = m_sync->spareEvent.release();
    }
    if (!wake) // never expected: Start() and every finished call leave a spare
        wake = new QEvent(kHandOverEvent);
    // Stop() runs on the context's thread, like the call, so the two never overlap; a call that
    // is taken after its body stopped waiting finds itself cancelled and does nothing.
    QCoreApplication::postEvent(m_receiver.get(), wake);
    std::unique_lock lock(m_sync->mutex);
    m_sync->cv.wait(lock, [&] { return pending->done || m_stop.load(); });
    if (!pending->done) {
        pending->cancelled = true;
        return false;
    }
    return true;
}

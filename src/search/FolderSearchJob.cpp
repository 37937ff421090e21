// The folder search worker and its hand-over of lines to the user-interface thread.
#include "search/FolderSearchJob.h"

#include <QMetaObject>
#include <chrono>
#include <future>

CFolderSearchJob::CFolderSearchJob(QObject* parent) : QObject(parent) {}

CFolderSearchJob::~CFolderSearchJob()
{
    StopAndWait();
}

void CFolderSearchJob::Join()
{
    if (m_thread.joinable())
        m_thread.join();
}

void CFolderSearchJob::StopAndWait()
{
    m_stop.store(true);
    Join();
    ++m_generation;
    m_running = false;
}

void CFolderSearchJob::HandOver(std::function<void()> call)
{
    auto done = std::make_shared<std::promise<void>>();
    std::future<void> taken = done->get_future();
    QMetaObject::invokeMethod(
        this,
        [call = std::move(call), done] {
            call();
            done->set_value();
        },
        Qt::QueuedConnection);
    // The user-interface thread takes the call between its other events; a stop releases the
    // worker at once (the call itself still arrives, in order, unless the job is gone).
    while (taken.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready) {
        if (m_stop.load())
            return;
    }
}

void CFolderSearchJob::Start(const FolderSearchRequest& request, Handlers handlers)
{
    StopAndWait();
    m_stop.store(false);
    m_running = true;
    const uint64_t generation = m_generation;
    auto h = std::make_shared<Handlers>(std::move(handlers));
    // Each hand-over checks that it belongs to the current run before it touches anything.
    auto current = [this, generation] { return generation == m_generation; };

    m_thread = std::thread([this, request, h, current] {
        FolderSearchSink sink;
        sink.lines = [this, h, current](QStringList&& lines) {
            HandOver([h, current, lines = std::move(lines)] {
                if (current() && h->lines)
                    h->lines(lines);
            });
        };
        sink.openFailed = [this, h, current](const QString& path, const QString& text) {
            HandOver([h, current, path, text] {
                if (current() && h->openFailed)
                    h->openFailed(path, text);
            });
        };
        const FolderSearchResult result = RunFolderSearch(request, m_stop, sink);
        QMetaObject::invokeMethod(
            this,
            [this, h, current, result] {
                if (!current())
                    return;
                Join(); // the worker has nothing left to do
                m_running = false;
                if (h->finished)
                    h->finished(result);
            },
            Qt::QueuedConnection);
    });
}

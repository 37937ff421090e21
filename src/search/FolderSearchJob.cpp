// The folder search worker and its hand-over of lines to the user-interface thread.
#include "search/FolderSearchJob.h"

#include <memory>

CFolderSearchJob::CFolderSearchJob(QObject* parent) : QObject(parent) {}

CFolderSearchJob::~CFolderSearchJob()
{
    StopAndWait();
}

void CFolderSearchJob::StopAndWait()
{
    m_scanStop.store(true);
    m_worker.Stop();
    m_running = false;
}

void CFolderSearchJob::Start(const FolderSearchRequest& request, Handlers handlers)
{
    StopAndWait();
    m_scanStop.store(false);
    m_running = true;
    auto h = std::make_shared<Handlers>(std::move(handlers));
    m_worker.Start([this, request, h](CViewWorker& w) {
        FolderSearchSink sink;
        sink.lines = [&w, h](QStringList&& lines) {
            auto block = std::make_shared<QStringList>(std::move(lines));
            w.HandOver([h, block] {
                if (h->lines)
                    h->lines(*block);
            });
        };
        sink.openFailed = [&w, h](const QString& path, const QString& text) {
            w.HandOver([h, path, text] {
                if (h->openFailed)
                    h->openFailed(path, text);
            });
        };
        // The scan ends at a 中止 or when the job stops and waits.
        const FolderSearchResult result = RunFolderSearch(request, m_scanStop, sink);
        w.HandOver([this, h, result] {
            m_running = false;
            if (h->finished)
                h->finished(result);
        });
    });
}

// The folder search running on its own thread, handing its lines to the user-interface thread.
#pragma once

#include "search/FolderSearch.h"
#include "base/ViewWorker.h"

#include <QObject>
#include <QStringList>
#include <atomic>
#include <functional>

// One folder search at a time. The scan runs on a worker thread; everything it reports arrives
// on the thread that owns this object (the user-interface thread), in order. The worker waits for
// each hand-over to be taken (so a million hits never pile up). 中止 only ends the scan: what it
// found and its total line still arrive. StopAndWait, and the job's end, drop what has not
// arrived yet and never wait for the user interface, which is busy waiting for the worker.
class CFolderSearchJob : public QObject
{
    Q_OBJECT

public:
    struct Handlers
    {
        std::function<void(const QStringList& lines)> lines; // result lines, in blocks
        // A file that cannot be opened; the scan goes on once this returns (a message box).
        std::function<void(const QString& path, const QString& errorText)> openFailed;
        std::function<void(const FolderSearchResult& result)> finished; // after the total line
    };

    explicit CFolderSearchJob(QObject* parent = nullptr);
    ~CFolderSearchJob() override; // stops and joins the worker

    // Starts a search; a running one is stopped and waited for first.
    void Start(const FolderSearchRequest& request, Handlers handlers);
    // 中止: the worker ends at its next block or folder entry and still reports what it found.
    void Stop() { m_scanStop.store(true); }
    // Stops and waits for the worker without time-out. What it still hands over is dropped.
    void StopAndWait();
    // True from Start until the finished handler has run.
    bool IsRunning() const { return m_running; }

private:
    CViewWorker m_worker{this};
    std::atomic<bool> m_scanStop{false}; // 中止
    bool m_running = false;
};

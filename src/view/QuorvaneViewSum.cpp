// The view's SUM計算: small ranges at once, large ones on a worker with a progress dialog.
#include "view/QuorvaneView.h"

#include "base/Prompter.h"
#include "document/QuorvaneDoc.h"
#include "view/ResultSink.h"
#include "search/SumCalculator.h"
#include "view/ViewSearchState.h"

#include <QProgressDialog>
#include <QTimer>
#include <algorithm>
#include <memory>

namespace {

// Ranges up to this size are computed at once: even the slowest digest takes a few milliseconds.
constexpr uint64_t kSyncLimit = 8ull << 20;

// Hands the bytes to the calculation in blocks and counts them, so that the dialog can show how
// far it got and 中止 ends it between two blocks.
class ProgressSource final : public ByteSource
{
public:
    ProgressSource(ByteSource& inner, const std::atomic<bool>& stop, std::atomic<uint64_t>& done)
        : m_inner(inner), m_stop(stop), m_done(done)
    {
    }
    uint64_t Size() const override { return m_inner.Size(); }
    int64_t Read(uint64_t address, uint8_t* dst, size_t n) override
    {
        if (m_stop.load(std::memory_order_relaxed))
            return -1;
        const int64_t got = m_inner.Read(address, dst, n);
        if (got > 0)
            m_done.fetch_add(static_cast<uint64_t>(got), std::memory_order_relaxed);
        return got;
    }
    QString ErrorText() const override { return m_stop.load() ? QStringLiteral("中止しました。") : m_inner.ErrorText(); }
    // Holes are computed without reading: they count as done once they are skipped.
    bool MayHaveHoles() const override { return m_inner.MayHaveHoles(); }
    uint64_t HoleEnd(uint64_t address) override
    {
        const uint64_t end = m_inner.HoleEnd(address);
        if (end > address)
            m_done.fetch_add(end - address, std::memory_order_relaxed);
        return end;
    }
    uint64_t DataEnd(uint64_t address) override { return m_inner.DataEnd(address); }

private:
    ByteSource& m_inner;
    const std::atomic<bool>& m_stop;
    std::atomic<uint64_t>& m_done;
};

} // namespace

void CQuorvaneView::OnSum(SumRequest* request, int method)
{
    if (!m_doc || method < 0 || method > static_cast<int>(SumMethod::Sha512))
        return;
    WaitForLoadedBytes();
    const uint64_t size = FileSize();
    if (size == 0)
        return; // nothing is computed and nothing is written
    if (request->end >= size)
        request->end = size - 1; // the request shows the clamped end
    ViewSearchState& s = *m_search;
    s.sum.Stop();
    const SumMethod how = static_cast<SumMethod>(method);
    std::shared_ptr<ByteSource> source(m_doc->OpenSource().release());

    auto show = [this](const SumResult& r) {
        if (!r.errorText.isEmpty())
            Prompter::ShowError(r.errorText);
        if (!r.computed || !m_outputPane)
            return;
        const int first = m_outputPane->LineCount(ResultSink::ListSum);
        m_outputPane->AddLines(ResultSink::ListSum, r.lines);
        m_outputPane->FitListWidth(ResultSink::ListSum);
        m_outputPane->ActivateTab(ResultSink::ListSum);
        m_outputPane->ScrollToLines(ResultSink::ListSum, first);
    };

    const uint64_t range = request->start <= request->end ? request->end - request->start + 1 : 0;
    if (range <= kSyncLimit) {
        show(RunSum(*source, *request, how));
        return;
    }

    // A long calculation: the window stays live, the dialog shows the share done and can stop it.
    // An edit of the document stops it too (the bytes it reads would change under it).
    auto* dialog = new QProgressDialog(QStringLiteral("%1 を計算しています...").arg(SumMethodName(how)),
                                       QStringLiteral("中止"), 0, 1000, this);
    dialog->setWindowTitle(QStringLiteral("SUM計算"));
    dialog->setAccessibleName(QStringLiteral("SUM計算"));
    dialog->setMinimumDuration(300);
    dialog->setAutoClose(false);
    dialog->setAutoReset(false);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    auto* timer = new QTimer(dialog);
    timer->setInterval(100);
    s.sumDone.store(0);
    connect(timer, &QTimer::timeout, dialog, [this, dialog, range] {
        const uint64_t done = m_search->sumDone.load(std::memory_order_relaxed);
        dialog->setValue(static_cast<int>(std::min<uint64_t>(done, range) * 1000 / range));
        if (!m_search->sum.IsRunning())
            dialog->close(); // stopped by an edit or a reload
    });
    connect(dialog, &QProgressDialog::canceled, this, [this, dialog] {
        m_search->sum.Stop();
        dialog->close();
    });
    timer->start();

    const SumRequest copy = *request;
    QPointer<QProgressDialog> guard(dialog);
    s.sum.Start([this, source, copy, how, show, guard](CViewWorker& w) {
        ProgressSource counted(*source, w.StopFlag(), m_search->sumDone);
        SumRequest req = copy;
        auto result = std::make_shared<SumResult>(RunSum(counted, req, how));
        if (w.Stopping())
            return;
        w.HandOver([result, show, guard] {
            if (guard)
                guard->close();
            show(*result);
        });
    });
}

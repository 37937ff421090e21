// Search steps, hit listing and the jump to a listed hit.
#include "search/SearchEngine.h"

#include "base/Prompter.h"
#include "search/BlockReader.h"
#include "search/HexFormat.h"

#include <QVarLengthArray>

#include <chrono>
#include <new>
#include <system_error>
#include <thread>

ScanResult FindForward(ByteSource& source, const PatternScanner& scanner, SearchCursor& state,
                       uint64_t endLimit, size_t firstBlock)
{
    const uint64_t from = state.cursor + 1; // all ones wraps to 0: the search starts at the top
    ScanResult r = scanner.FindForward(source, from, endLimit, firstBlock);
    if (r.found()) {
        state.cursor = r.address;
        state.findPos = r.address;
    }
    return r;
}

ScanResult FindBackward(ByteSource& source, const PatternScanner& scanner, SearchCursor& state,
                        FindMode mode, size_t firstBlock)
{
    const uint64_t n = scanner.Length();
    if (state.cursor == 0 || n == 0)
        return {};
    uint64_t lastStart;
    if (mode == FindMode::Memory) {
        // Candidates are last bytes before the cursor: the whole hit lies before it.
        if (state.cursor < n)
            return {};
        lastStart = state.cursor - n;
    } else {
        // On disk the candidates are start addresses before the cursor.
        lastStart = state.cursor - 1;
    }
    ScanResult r = scanner.FindBackward(source, lastStart, kNoAddress, firstBlock);
    if (r.found()) {
        state.cursor = r.address;
        state.findPos = r.address;
    }
    return r;
}

SearchStepOutcome SearchStep(ByteSource& source, SearchPattern& pattern, bool newPattern,
                             bool hitListEmpty, FindMode mode, SearchCursor& state)
{
    SearchStepOutcome out;
    if (SourceFailed(source)) {
        // The file cannot be read: one message, and the cursor stays where it was.
        out.result.status = ScanResult::Failed;
        out.result.errorText = source.ErrorText();
        Prompter::ShowError(out.result.errorText);
        state.selStart = kNoAddress;
        state.selEnd = kNoAddress;
        return out;
    }
    const PatternScanner scanner(pattern);
    const uint64_t findLen = pattern.Length();
    if (hitListEmpty) {
        pattern.SetRequestKind(SearchPattern::Request::NewSearch);
        newPattern = true;
    }
    switch (pattern.RequestKind()) {
    case SearchPattern::Request::Backward:
        if (state.cursor == 0)
            state.cursor = 1; // so that a one-byte hit at address 0 is still found
        state.findLen = findLen;
        out.result = FindBackward(source, scanner, state, mode);
        break;
    case SearchPattern::Request::Forward:
        state.findLen = findLen;
        out.result = FindForward(source, scanner, state);
        break;
    case SearchPattern::Request::NewSearch:
        if (newPattern)
            state.cursor -= 1; // a hit at the cursor itself counts (0 wraps to all ones)
        state.findLen = findLen;
        out.result = FindForward(source, scanner, state);
        if (out.result.status == ScanResult::NotFound) {
            state.cursor = kNoAddress; // once more from address 0
            out.result = FindForward(source, scanner, state);
        }
        out.startListing = newPattern;
        break;
    }
    if (out.result.status == ScanResult::Failed)
        Prompter::ShowError(out.result.errorText);
    state.selStart = kNoAddress;
    state.selEnd = kNoAddress;
    if (state.cursor == kNoAddress)
        state.cursor = state.selAnchor;
    return out;
}

char* WriteHitLine(char* out, uint64_t address, const uint8_t* bytes, size_t n, bool longAddress)
{
    out = hexfmt::WriteAddress(out, address, longAddress);
    *out++ = ' ';
    *out++ = ' ';
    return hexfmt::WriteBytes(out, bytes, n);
}

QString FormatHitLine(uint64_t address, const uint8_t* bytes, size_t n, bool longAddress)
{
    QVarLengthArray<char, 256> buf(static_cast<qsizetype>(HitLineMax(n)));
    const char* end = WriteHitLine(buf.data(), address, bytes, n, longAddress);
    return QString::fromLatin1(buf.data(), end - buf.data());
}

QStringList SearchSummaryLines(qint64 count)
{
    return {QString(), QStringLiteral("検索結果　%1件").arg(count)};
}

bool UseLongAddresses(FindMode mode, uint64_t size)
{
    return mode == FindMode::DirectEdit && size >= (uint64_t(1) << 32);
}

namespace {

// Collects hits and their lines and hands them on in batches.
class BatchSink
{
public:
    BatchSink(const std::function<void(HitBatch&&)>& deliver, size_t batchSize, HitText form = HitText::Lines)
        : m_deliver(deliver), m_batchSize(batchSize ? batchSize : 1), m_form(form)
    {
        Reserve();
    }
    void Add(uint64_t address, const uint8_t* bytes, size_t n, bool longAddresses)
    {
        m_batch.hits.push_back(address);
        if (m_form == HitText::Lines) {
            m_batch.lines.push_back(FormatHitLine(address, bytes, n, longAddresses));
        } else {
            // Written in place into spare room of the batch's text; its size is set at delivery.
            const size_t need = m_used + HitLineMax(n) + 1;
            if (need > static_cast<size_t>(m_batch.text.size()))
                m_batch.text.resize(static_cast<qsizetype>(std::max(need, 2 * static_cast<size_t>(m_batch.text.size()))));
            char* const at = m_batch.text.data() + m_used;
            char* end = WriteHitLine(at, address, bytes, n, longAddresses);
            *end++ = '\n';
            m_used += static_cast<size_t>(end - at);
        }
        if (m_batch.hits.size() >= m_batchSize)
            Flush();
    }
    void Flush()
    {
        if (m_batch.hits.empty())
            return;
        if (m_form == HitText::Bytes)
            m_batch.text.resize(static_cast<qsizetype>(m_used));
        m_deliver(std::move(m_batch));
        m_batch = HitBatch();
        m_used = 0;
        Reserve();
    }

private:
    void Reserve()
    {
        m_batch.hits.reserve(m_batchSize);
        if (m_form == HitText::Lines)
            m_batch.lines.reserve(static_cast<qsizetype>(m_batchSize));
        else
            m_batch.text.resize(static_cast<qsizetype>(std::min<size_t>(m_batchSize, 1 << 16) * 24));
    }
    const std::function<void(HitBatch&&)>& m_deliver;
    size_t m_batchSize;
    HitText m_form;
    HitBatch m_batch;
    size_t m_used = 0; // bytes of m_batch.text written (HitText::Bytes)
};

} // namespace

size_t g_listSplitKeepBytes = size_t(256) << 20;

namespace {

// The first part of a source: its bytes up to `limit` (a split scan's first half).
class PrefixSource final : public ByteSource
{
public:
    PrefixSource(ByteSource& source, uint64_t limit) : m_source(source), m_limit(std::min(limit, source.Size())) {}
    uint64_t Size() const override { return m_limit; }
    int64_t Read(uint64_t address, uint8_t* dst, size_t n) override
    {
        if (address >= m_limit)
            return 0;
        return m_source.Read(address, dst, static_cast<size_t>(std::min<uint64_t>(n, m_limit - address)));
    }
    const uint8_t* Data() const override { return m_source.Data(); }
    void WillRead(uint64_t address, uint64_t n) override { m_source.WillRead(address, n); }
    QString ErrorText() const override { return m_source.ErrorText(); }

private:
    ByteSource& m_source;
    uint64_t m_limit;
};

// The second half of a split scan, on its own thread: hits from `from` on, their batches kept.
struct SecondHalf
{
    std::vector<HitBatch> batches;
    uint64_t hitCount = 0;
    uint64_t resumeAt = ~uint64_t(0); // where the kept lines filled their room: the rest is not scanned
    ScanResult scan;
    std::atomic<bool> stop{false};
    std::atomic<bool> done{false};
    std::thread thread;
};

} // namespace

HitListResult ListHits(ByteSource& source, const SearchPattern& pattern, bool longAddresses,
                       const std::atomic<bool>& stop, const std::function<void(HitBatch&&)>& deliver,
                       size_t batchSize, HitText form, bool twoCores)
{
    HitListResult result;
    if (SourceFailed(source)) {
        result.status = ScanResult::Failed;
        result.errorText = source.ErrorText();
        return result;
    }
    const PatternScanner scanner(pattern);
    const size_t n = scanner.Length();
    BatchSink sink(deliver, batchSize, form);
    auto add = [&](uint64_t a, const uint8_t* bytes) {
        sink.Add(a, bytes, n, longAddresses);
        ++result.hitCount;
        return true;
    };
    auto finish = [&](const ScanResult& r) {
        if (r.status == ScanResult::Found && stop.load())
            result.status = ScanResult::Stopped;
        else
            result.status = r.status;
        result.errorText = r.errorText;
        if (result.status != ScanResult::Failed)
            sink.Flush();
        return result;
    };
    const uint64_t size = source.Size();
    if (!twoCores || !source.Data() || n == 0 || size < kSplitFrom)
        return finish(scanner.ForEachHit(source, 0, true, &stop, add));

    // Candidates [0, mid) here, [mid, end) on the second thread. Hits overlap freely, so the two
    // halves list exactly what one walk lists.
    const uint64_t mid = size / 2;
    SecondHalf second;
    const std::function<void(HitBatch&&)> keep = [&second](HitBatch&& b) { second.batches.push_back(std::move(b)); };
    auto scanSecondHalf = [&] {
        // Nothing may leave the thread: a failure (no memory for the kept lines) is its result.
        try {
            BatchSink kept(keep, batchSize, form);
            size_t keptBytes = 0;
            second.scan = scanner.ForEachHit(source, mid, true, &second.stop, [&](uint64_t a, const uint8_t* bytes) {
                if (keptBytes >= g_listSplitKeepBytes) {
                    second.resumeAt = a;
                    return false;
                }
                kept.Add(a, bytes, n, longAddresses);
                keptBytes += sizeof(uint64_t) + (form == HitText::Lines ? 2 * HitLineMax(n) : HitLineMax(n) + 1);
                ++second.hitCount;
                return true;
            });
            kept.Flush();
        } catch (const std::bad_alloc&) {
            second.scan.status = ScanResult::Failed;
            second.scan.errorText = QStringLiteral("メモリが不足しています。");
        } catch (...) {
            second.scan.status = ScanResult::Failed;
            second.scan.errorText = QStringLiteral("検索を最後まで行えませんでした。");
        }
        second.done.store(true);
    };
    try {
        second.thread = std::thread(scanSecondHalf);
    } catch (const std::system_error&) {
        return finish(scanner.ForEachHit(source, 0, true, &stop, add)); // no thread to be had: one walk
    }
    // The second thread is stopped and joined however this ends (a failed write may throw).
    struct Joiner
    {
        SecondHalf& s;
        const std::atomic<bool>& stop;
        void Join()
        {
            if (!s.thread.joinable())
                return;
            while (!s.done.load()) {
                if (stop.load())
                    s.stop.store(true);
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            }
            s.thread.join();
        }
        ~Joiner() { Join(); }
    } joiner{second, stop};

    PrefixSource first(source, mid + n - 1);
    const ScanResult r1 = scanner.ForEachHit(first, 0, true, &stop, add);
    if (r1.status != ScanResult::Found || stop.load()) {
        second.stop.store(true);
        return finish(r1);
    }
    sink.Flush();
    joiner.Join();
    if (second.scan.status == ScanResult::Failed || stop.load())
        return finish(second.scan);
    for (HitBatch& b : second.batches)
        deliver(std::move(b));
    result.hitCount += second.hitCount;
    if (second.resumeAt == ~uint64_t(0))
        return finish(second.scan);
    // The kept lines filled their room: the rest is listed here, after them.
    return finish(scanner.ForEachHit(source, second.resumeAt, true, &stop, add));
}

HitListResult RelistHits(ByteSource& source, const std::vector<uint64_t>& hits, size_t n,
                         bool longAddresses, const std::atomic<bool>& stop,
                         const std::function<void(HitBatch&&)>& deliver, size_t batchSize)
{
    HitListResult result;
    if (SourceFailed(source)) {
        result.status = ScanResult::Failed;
        result.errorText = source.ErrorText();
        return result;
    }
    BlockReader reader(source);
    BatchSink sink(deliver, batchSize);
    for (uint64_t a : hits) {
        if (stop.load(std::memory_order_relaxed)) {
            result.status = ScanResult::Stopped;
            break;
        }
        size_t got = 0;
        const uint8_t* bytes = reader.Get(a, n, &got);
        if (reader.Failed()) {
            result.status = ScanResult::Failed;
            result.errorText = reader.ErrorText();
            return result;
        }
        // Bytes that vanished since the listing (a shorter file) are shown as far as they exist.
        sink.Add(a, bytes, got, longAddresses);
        ++result.hitCount;
    }
    sink.Flush();
    return result;
}

bool JumpToHit(const std::vector<uint64_t>& hits, size_t index, uint64_t patternLen, SearchCursor& state)
{
    if (index >= hits.size())
        return false;
    state.cursor = hits[index];
    state.findPos = hits[index];
    state.findLen = patternLen;
    return true;
}

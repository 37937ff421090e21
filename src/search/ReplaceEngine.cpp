// The replace loop over a document in memory or in direct edit mode.
#include "search/ReplaceEngine.h"

#include "app/Prompter.h"
#include "document/QuorvaneDoc.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace {

// The document's bytes as the store holds them, read without closing its gap: every replacement
// moves the gap to the hit, and closing it for each search step would move the whole tail.
class StoreSource final : public ByteSource
{
public:
    explicit StoreSource(const CQuorvaneDoc& doc) : m_doc(doc) {}
    uint64_t Size() const override { return m_doc.GetFileSize(); }
    int64_t Read(uint64_t address, uint8_t* dst, size_t n) override
    {
        return static_cast<int64_t>(m_doc.ReadBytes(address, dst, n));
    }

private:
    const CQuorvaneDoc& m_doc;
};

// Small first blocks: hits of a replace are often close together.
constexpr size_t kFirstBlock = 4096;

class ReplaceLoop
{
public:
    ReplaceLoop(CQuorvaneDoc& doc, const SearchPattern& pattern, const ReplaceRequest& request,
                SearchCursor& state, const ReplaceCallbacks& callbacks)
        : m_doc(doc), m_scanner(pattern), m_n(pattern.Length()), m_request(request), m_state(state),
          m_callbacks(callbacks), m_mode(doc.IsDirectEdit() ? FindMode::DirectEdit : FindMode::Memory)
    {
    }

    ReplaceOutcome Run();

private:
    ScanResult Forward(uint64_t endLimit = kNoAddress);
    ScanResult Backward();
    // The per-hit step; false when the loop ends here.
    bool Step();
    // Deletes the hit at the cursor and writes the replacement; false when nothing was changed.
    bool ReplaceAtCursor();
    bool ReplaceInMemory(uint64_t at, size_t n);
    bool ReplaceOnDisk(uint64_t at, size_t n);
    size_t ReplacementLength() const { return m_request.hasReplacement ? m_request.bytes.size() : 0; }

    CQuorvaneDoc& m_doc;
    PatternScanner m_scanner;
    size_t m_n;
    const ReplaceRequest& m_request;
    SearchCursor& m_state;
    const ReplaceCallbacks& m_callbacks;
    FindMode m_mode;
    bool m_all = false;
    bool m_lastReplaced = false;
    ReplaceOutcome m_out;
};

ScanResult ReplaceLoop::Forward(uint64_t endLimit)
{
    m_state.findLen = m_n;
    ScanResult r;
    if (m_mode == FindMode::Memory) {
        StoreSource source(m_doc);
        r = FindForward(source, m_scanner, m_state, endLimit, kFirstBlock);
    } else {
        std::unique_ptr<ByteSource> source = m_doc.OpenSource();
        r = FindForward(*source, m_scanner, m_state, endLimit, kFirstBlock);
    }
    if (r.status == ScanResult::Failed) {
        Prompter::ShowError(r.errorText);
        m_out.failed = true;
    }
    return r;
}

ScanResult ReplaceLoop::Backward()
{
    m_state.findLen = m_n;
    ScanResult r;
    if (m_mode == FindMode::Memory) {
        StoreSource source(m_doc);
        r = FindBackward(source, m_scanner, m_state, m_mode, kFirstBlock);
    } else {
        std::unique_ptr<ByteSource> source = m_doc.OpenSource();
        r = FindBackward(*source, m_scanner, m_state, m_mode, kFirstBlock);
    }
    if (r.status == ScanResult::Failed) {
        Prompter::ShowError(r.errorText);
        m_out.failed = true;
    }
    return r;
}

bool ReplaceLoop::Step()
{
    m_lastReplaced = false;
    ReplaceDecision d = ReplaceDecision::ReplaceAll;
    if (!m_all) {
        d = m_callbacks.decide ? m_callbacks.decide(m_state) : ReplaceDecision::Stop;
        if (d == ReplaceDecision::ReplaceAll)
            m_all = true;
    }
    switch (d) {
    case ReplaceDecision::Replace:
    case ReplaceDecision::ReplaceAll:
        if (ReplaceAtCursor()) {
            m_lastReplaced = true;
            ++m_out.replaced;
            if (m_callbacks.replaced)
                m_callbacks.replaced(m_state);
        }
        return !m_out.failed;
    case ReplaceDecision::Skip:
        ++m_out.skipped;
        return true;
    case ReplaceDecision::Stop:
        m_out.stopped = true;
        return false;
    }
    return false;
}

bool ReplaceLoop::ReplaceAtCursor()
{
    const uint64_t at = m_state.cursor;
    const uint64_t size = m_doc.GetFileSize();
    // The hit is selected and deleted like the Delete key does; a locked or empty document refuses.
    if (!m_doc.IsEditable() || size == 0 || at >= size)
        return false;
    const size_t n = static_cast<size_t>(std::min<uint64_t>(m_n, size - at));
    m_state.selStart = kNoAddress;
    m_state.selEnd = kNoAddress;
    m_state.selAnchor = kNoAddress;
    return m_mode == FindMode::Memory ? ReplaceInMemory(at, n) : ReplaceOnDisk(at, n);
}

bool ReplaceLoop::ReplaceInMemory(uint64_t at, size_t n)
{
    std::vector<uint8_t> found(n);
    m_doc.ReadBytes(at, found.data(), n);
    const auto outcome = m_doc.Record(true, static_cast<uint32_t>(at), found.data(), static_cast<int32_t>(n), 0);
    if (outcome == CQuorvaneDoc::RecordOutcome::Abandon)
        return false;
    m_doc.RemoveBytes(at, n);
    if (m_request.hasReplacement) {
        const std::vector<uint8_t>& bytes = m_request.bytes;
        // The deletion's record also removes the replacement, so one undo restores the hit.
        CQuorvaneDoc::UNDODATA* record = outcome == CQuorvaneDoc::RecordOutcome::Recorded ? m_doc.NewestUndo() : nullptr;
        if (record)
            record->removeCount = static_cast<int32_t>(bytes.size());
        if (!m_doc.InsertBytes(at, bytes.data(), bytes.size())) {
            // No room for the replacement: put the found bytes back and leave a record that
            // changes nothing, so the document is as it was and undo stays truthful.
            m_doc.InsertBytes(at, found.data(), n);
            if (record) {
                record->insert = false;
                record->count = 0;
                record->removeCount = 0;
                record->data.reset();
            }
            m_doc.SyncFileSize();
            Prompter::ShowError(QStringLiteral("メモリが不足しています。"));
            m_out.failed = true;
            return false;
        }
    }
    m_doc.SyncFileSize();
    return true;
}

bool ReplaceLoop::ReplaceOnDisk(uint64_t at, size_t n)
{
    // The part of the hit that the replacement covers is overwritten in place; only the
    // difference in length moves the tail of the file, once. A replacement of the hit's own
    // length therefore moves nothing. The disk operations show their own errors.
    const size_t m = ReplacementLength();
    const size_t common = std::min(m, n);
    if (m > n) {
        // A longer replacement makes its room first, behind the hit: when the disk has no room
        // for it, nothing of this hit has changed yet and the file holds only whole replacements.
        if (!m_doc.DiskWrite(at + common, m_request.bytes.data() + common, m - common, true, false)) {
            m_out.failed = true;
            m_out.partial = m_out.partial || m_doc.LastDiskChangeTouchedFile();
            return false;
        }
        if (!m_doc.DiskWrite(at, m_request.bytes.data(), common, false, true)) {
            m_out.failed = true;
            m_out.partial = true;
            return true; // the room was made: the hit counts as changed
        }
        return true;
    }
    if (common && !m_doc.DiskWrite(at, m_request.bytes.data(), common, false, m == n)) {
        m_out.failed = true;
        m_out.partial = m_out.partial || m_doc.LastDiskChangeTouchedFile();
        return false;
    }
    if (m == n)
        return true;
    if (m < n) {
        // DiskRemove also reports a failed reload of the rows on screen (none are set while no
        // view shows the document); the new file length tells whether the bytes were removed.
        const uint64_t before = m_doc.GetFileSize();
        if (!m_doc.DiskRemove(at + common, n - common) && m_doc.GetFileSize() != before - (n - common)) {
            m_out.failed = true;
            m_out.partial = m_out.partial || common != 0 || m_doc.LastDiskChangeTouchedFile();
            return common != 0; // a shortened replacement already stands in the hit
        }
        return true;
    }
    return true;
}

ReplaceOutcome ReplaceLoop::Run()
{
    if (!m_doc.IsEditable() || m_n == 0)
        return m_out;
    // Where a downward scope goes on: behind the inserted bytes after a replacement, else
    // after the start of the hit.
    auto continueDownward = [this] {
        if (m_lastReplaced)
            m_state.cursor = m_state.cursor + ReplacementLength() - 1;
    };
    switch (m_request.scope) {
    case ReplaceScope::Upward:
        m_state.cursor += 1; // a hit that ends at the cursor counts
        for (;;) {
            if (m_state.cursor == 0)
                m_state.cursor = 1;
            const ScanResult r = Backward();
            if (!r.found()) {
                m_state.cursor -= 1;
                break;
            }
            const uint64_t hit = m_state.cursor;
            if (!Step() || hit == 0) // nothing lies before address 0
                break;
        }
        break;
    case ReplaceScope::Downward:
        m_state.cursor -= 1; // a hit at the cursor itself counts
        for (;;) {
            const ScanResult r = Forward();
            if (!r.found()) {
                m_state.cursor += 1;
                break;
            }
            if (!Step())
                break;
            continueDownward();
        }
        break;
    case ReplaceScope::Whole:
        m_state.cursor = kNoAddress; // the first candidate is address 0
        for (;;) {
            if (!Forward().found() || !Step())
                break;
            continueDownward();
        }
        break;
    case ReplaceScope::Selection: {
        const uint64_t s = m_state.selStart;
        const uint64_t e = m_state.selEnd;
        if (s == kNoAddress || e == kNoAddress || e < s)
            break;
        m_state.cursor = s - 1;
        // Hits must end at or before E; E stays where it was while the data shift.
        const uint64_t endLimit = e == kNoAddress - 1 ? kNoAddress : e + 1;
        for (;;) {
            if (!Forward(endLimit).found())
                break;
            m_state.selStart = s;
            m_state.selEnd = e;
            if (!Step())
                break;
            continueDownward();
        }
        m_state.selStart = s;
        m_state.selEnd = e;
        break;
    }
    }
    m_state.findPos = kNoAddress;
    if (m_mode == FindMode::Memory)
        m_doc.SyncFileSize();
    else if (m_out.replaced > 0)
        m_doc.LoadWindow(); // the rows on screen follow the file once, after all the writes
    return m_out;
}

} // namespace

ReplaceOutcome RunReplace(CQuorvaneDoc& doc, const SearchPattern& pattern, const ReplaceRequest& request,
                          SearchCursor& state, const ReplaceCallbacks& callbacks)
{
    ReplaceLoop loop(doc, pattern, request, state, callbacks);
    return loop.Run();
}

// A byte source that reports the reading of another one, so that long scans show progress and stop.
#pragma once

#include "document/ByteSource.h"

#include <functional>

// Passes reads on to `inner` and tells `report` how many bytes have been read in all (of
// Size()). Once `report` returns false the source reads as ended (0 bytes), so that a scan ends
// as if nothing more followed; Stopped() then tells the caller that the result is not real.
class ReportingSource final : public ByteSource
{
public:
    using ReportFn = std::function<bool(uint64_t bytesRead, uint64_t size)>;

    ReportingSource(ByteSource& inner, ReportFn report) : m_inner(inner), m_report(std::move(report)) {}

    uint64_t Size() const override { return m_inner.Size(); }
    int64_t Read(uint64_t address, uint8_t* dst, size_t n) override;
    QString ErrorText() const override { return m_inner.ErrorText(); }
    // Holes are passed on, so that a scan through this source skips them too.
    bool MayHaveHoles() const override { return m_inner.MayHaveHoles(); }
    uint64_t HoleEnd(uint64_t address) override { return m_inner.HoleEnd(address); }
    uint64_t DataEnd(uint64_t address) override { return m_inner.DataEnd(address); }
    bool Stopped() const { return m_stopped; }

private:
    ByteSource& m_inner;
    ReportFn m_report;
    uint64_t m_read = 0;
    bool m_stopped = false;
};

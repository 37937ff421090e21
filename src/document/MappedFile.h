// A file mapped into memory for reading, kept safe when another program cuts the file shorter.
#pragma once

#include <QFile>
#include <atomic>
#include <cstddef>
#include <cstdint>

// Maps the bytes of an open file read-only. Reading a page of a mapping past the file's end raises
// a bus error on Unix; the mapping registers itself with one process-wide handler that replaces the
// missing pages with zeros and marks the mapping as cut short, so a scan runs to its end without a
// crash and its caller then reports the failure instead of a result.
class MappedFile
{
public:
    MappedFile() = default;
    ~MappedFile() { Unmap(); }
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    // Maps the first `size` bytes of `file` (open for reading), with read-ahead for a walk from the
    // start. False when the file cannot or should not be mapped (empty, too large for the address
    // space, on a network file system, no room left to guard it): then read the file instead.
    bool Map(QFile& file, uint64_t size);
    void Unmap();
    // Asks the system to map [offset, offset + n) now (a hint; failures are ignored, and pages
    // missing past a shortened file's end still come as zeros through the fault handler).
    void WillRead(uint64_t offset, uint64_t n) const;

    const uint8_t* Data() const { return m_data; }
    uint64_t Size() const { return m_size; }
    // True once a read found pages missing (the file became shorter, or the disk failed): bytes
    // from the first missing page on read as zeros and no result built from them may be shown.
    bool CutShort() const { return m_cut.load(std::memory_order_acquire); }

private:
    const uint8_t* m_data = nullptr;
    uint64_t m_size = 0;
    size_t m_mappedLength = 0; // whole pages
    int m_slot = -1;           // in the fault handler's table; -1 when not guarded
    QFile* m_qtMapped = nullptr;
    std::atomic<bool> m_cut{false};
};

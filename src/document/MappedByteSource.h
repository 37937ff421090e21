// A file read through a memory mapping, for engines that jump around a file or would copy all of it.
#pragma once

#include "document/ByteSource.h"
#include "document/MappedFile.h"

// A file mapped into memory: Data() serves the engines' in-memory paths. Where the file cannot be
// mapped (empty, network file system) or is sparse (its holes are skipped, not read) it is read
// with positioned reads like FileByteSource.
//
// The search of one file scans its mapping: with the kernel's read-ahead mapping pages in groups,
// that costs less than copying every byte into a buffer. Engines that keep a block of the file
// beside another's (compare) or feed a hash, where the copy stays in cache, read instead.
//
// A mapped file that another program cuts shorter reads as zeros from the missing part on, and
// ErrorText() then says so: engines that read through Data() check SourceFailed() once done.
class MappedByteSource final : public ByteSource
{
public:
    // Opens and maps `path`; on failure IsOpen() is false and ErrorText() says why.
    explicit MappedByteSource(const QString& path);

    bool IsOpen() const { return m_file.IsOpen(); }
    bool IsMapped() const { return m_map.Data() != nullptr; }
    uint64_t Size() const override { return m_file.Size(); }
    int64_t Read(uint64_t address, uint8_t* dst, size_t n) override;
    const uint8_t* Data() const override { return m_map.Data(); }
    void WillRead(uint64_t address, uint64_t n) override { m_map.WillRead(address, n); }
    QString ErrorText() const override;
    bool MayHaveHoles() const override { return !IsMapped() && m_file.MayHaveHoles(); }
    uint64_t HoleEnd(uint64_t address) override { return m_file.HoleEnd(address); }
    uint64_t DataEnd(uint64_t address) override { return m_file.DataEnd(address); }

private:
    FileByteSource m_file;
    QFile m_mapped; // the same file, opened for the mapping
    MappedFile m_map;
};

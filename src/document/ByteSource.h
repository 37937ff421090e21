// Read-only access to the bytes of a document or a file, for the engines (search, sums, compare).
#pragma once

#include <QFile>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <memory>

// The message of a file that gave fewer bytes than its size (cut shorter while read, or a system
// file whose size is only a guess): "ファイルを最後まで読み込めませんでした。".
QString ShortReadText();

// A sequence of bytes addressed from 0. Engines read through this so that the same code serves a
// document held in memory and a file edited in place on disk (direct edit mode).
class ByteSource
{
public:
    virtual ~ByteSource() = default;

    virtual uint64_t Size() const = 0;
    // Copies min(n, Size() - address) bytes at `address` into `dst` and returns how many were
    // copied (0 at or past the end). Returns -1 on an I/O failure; ErrorText() then says why.
    virtual int64_t Read(uint64_t address, uint8_t* dst, size_t n) = 0;
    // The whole sequence as one contiguous block when it is held in memory, else null.
    virtual const uint8_t* Data() const { return nullptr; }
    // A hint before a walk reads [address, address + n) of Data(): a mapped file makes those
    // pages ready in one go instead of one fault after another. Nothing else needs it.
    virtual void WillRead(uint64_t /*address*/, uint64_t /*n*/) {}
    virtual QString ErrorText() const { return {}; }

    // Holes: runs of zeros that the file system keeps without storing them (sparse files).
    // Walkers may skip them instead of reading zeros. Sources without holes keep the defaults.
    virtual bool MayHaveHoles() const { return false; }
    // The end of the hole that `address` lies in, or `address` itself when it holds data.
    virtual uint64_t HoleEnd(uint64_t address) { return address; }
    // The start of the first hole at or after `address` (Size() when none).
    virtual uint64_t DataEnd(uint64_t) { return Size(); }
};

// Bytes held in memory (not owned: the owner keeps them alive and unchanged while this is used).
class MemoryByteSource final : public ByteSource
{
public:
    MemoryByteSource(const uint8_t* data, uint64_t size) : m_data(data), m_size(size) {}
    uint64_t Size() const override { return m_size; }
    int64_t Read(uint64_t address, uint8_t* dst, size_t n) override;
    const uint8_t* Data() const override { return m_data; }

private:
    const uint8_t* m_data;
    uint64_t m_size;
};

// A file on disk, read with positioned reads; the size is taken when it is opened. A read that
// ends early because the file has become shorter (or never held its stated size) fails: the
// bytes would otherwise be taken for the file's whole content.
class FileByteSource final : public ByteSource
{
public:
    // Opens `path` for reading; on failure IsOpen() is false and ErrorText() says why.
    explicit FileByteSource(const QString& path);
    FileByteSource(const FileByteSource&) = delete;
    FileByteSource& operator=(const FileByteSource&) = delete;

    bool IsOpen() const { return m_file.isOpen(); }
    uint64_t Size() const override { return m_size; }
    int64_t Read(uint64_t address, uint8_t* dst, size_t n) override;
    QString ErrorText() const override { return m_error; }
    bool MayHaveHoles() const override { return m_sparse; }
    uint64_t HoleEnd(uint64_t address) override;
    uint64_t DataEnd(uint64_t address) override;

private:
    QFile m_file;
    uint64_t m_size = 0;
    bool m_sparse = false; // fewer blocks stored than the size needs
    QString m_error;
};

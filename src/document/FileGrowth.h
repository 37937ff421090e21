// Growing a file in place safely: the room for the new length is taken before any byte moves.
#pragma once

#include <QString>
#include <cstdint>
#include <functional>

// Makes the open file `fd` `length` bytes long with every block from `from` to the new end
// allocated on disk, so that the writes that follow there (moving a tail up to make room for an
// insertion at `from`) cannot run out of space half-way. On failure the file keeps its old length
// and contents, and the result is the system's error number (ENOSPC, EFBIG, ...); 0 on success.
// Where the file system cannot reserve room (no fallocate), the last byte is written instead,
// which at least proves the new length can be had.
int ReserveFileLength(int fd, uint64_t from, uint64_t length);

// Bytes free for an ordinary user in the file system that holds `path` (a file or a folder);
// -1 when that cannot be told.
int64_t FreeBytesAt(const QString& path);

// Test seam: when set, called with the new length before it is reserved; a non-zero return is
// taken as the system's error number, as if the reservation had failed.
extern std::function<int(uint64_t)> g_reserveFileLengthHook;

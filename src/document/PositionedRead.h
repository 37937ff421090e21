// Reading a whole range at a file offset with pread: interrupted reads resumed, a file that ends
// early reported as a failure rather than as a shorter result.
#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>

// Reads exactly `n` bytes at `offset` of the descriptor into `dst`; true when all arrived, else
// `error` holds the system's text or the short-read text.
bool ReadFullyAt(int fd, uint8_t* dst, size_t n, uint64_t offset, QString& error);

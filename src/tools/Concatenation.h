// ファイル連結: another file's whole content inserted into or written over a document.
#pragma once

#include <QString>
#include <cstdint>

class CQuorvaneDoc;

// 連結位置 (the dialog's radio order) and 連結動作.
enum class ConcatPosition : int { Start = 0, Cursor = 1, End = 2 };
enum class ConcatAction : int { Insert = 0, Overwrite = 1 };

// Where the bytes of `path` go: 0, the cursor or the end of the document.
uint64_t ConcatTarget(const CQuorvaneDoc& doc, ConcatPosition position, uint64_t cursor);

// Adds the whole file `path` to `doc` at ConcatTarget. Insert puts its n bytes before the byte at
// the target; overwrite replaces min(n, size − target) bytes and appends the rest (overwrite at
// the end is an append; overwrite into an empty document adds nothing). In memory one undo step
// restores the document; in direct edit mode the file changes at once. Errors (a file that cannot
// be read, a source of 4 GiB or more, a result past the in-memory limit, a document still being
// read or locked against editing) are shown through the prompter and change nothing.
// True when the document changed; `target` receives the address used.
bool ConcatenateFile(CQuorvaneDoc& doc, const QString& path, ConcatPosition position, ConcatAction action,
                     uint64_t cursor, uint64_t* target = nullptr);

// The editing rules of the hex view: typing, deleting and pasting bytes, in memory or on disk.
#pragma once

#include "codes/CharCode.h"

#include <QByteArray>
#include <cstdint>
#include <functional>
#include <optional>

class CQuorvaneDoc;

// What the view holds while it edits: the caret and the selection, the column and the modes.
struct EditCaret
{
    static constexpr uint64_t kNone = ~uint64_t(0);
    uint64_t cursor = 0;
    uint64_t selStart = kNone; // inclusive; kNone: no selection
    uint64_t selEnd = kNone;
    uint64_t selAnchor = 0;
    bool lowNibble = false;    // the next hex digit goes into the low half of the byte
    bool inCharColumn = false;
    bool insertMode = false;
    CharCode charCode = CharCode::ShiftJis;

    bool HasSelection() const { return selStart != kNone; }
    void ClearSelection() { selStart = selEnd = kNone; selAnchor = 0; }
};

// Applies the typing, deleting and pasting rules to a document and the caret. In memory every
// change is journaled so that one undo takes back one typed byte, character, deletion or paste;
// in direct edit mode the change goes to the file at once. Nothing changes while the document's
// edit lock is on. The view repaints, refreshes its scroll range and scrolls the cursor into view
// afterwards.
class CByteEditor
{
public:
    explicit CByteEditor(CQuorvaneDoc& doc) : m_doc(doc) {}

    // `value` is a nibble (hex column) or a UTF-16 unit (text column). False when nothing was done.
    // The low-nibble flag flips; the caller flips it back for the text column.
    bool TypeInput(EditCaret& caret, uint32_t value);
    // Removes the selection, or the byte at the cursor. False when nothing was done.
    bool DeleteBytes(EditCaret& caret);
    // Delete key: on the end-of-file cell of a non-empty file the last byte goes.
    bool DeleteKey(EditCaret& caret);
    // Backspace: the cursor steps back one byte (even when locked) and that byte goes; a selection
    // is deleted instead. False at address 0 or when nothing was deleted.
    bool BackspaceKey(EditCaret& caret);
    // Replaces the selection (overwrite mode), or inserts before it (insert mode), by `data`;
    // without a selection, overwrites or inserts at the cursor. The cursor ends behind the bytes.
    bool PasteBytes(EditCaret& caret, const uint8_t* data, size_t n);

    // The range copy and cut act on: the selection, or the byte at the cursor. Empty (nullopt)
    // on the end-of-file cell without a selection, or when a direct-edit file cannot be read
    // (the error has then been shown). `copies` is how many times the caller will hold the bytes
    // over (clipboard formats, texts): when that much memory is plainly not there, the copy is
    // refused with the clipboard message before anything is built.
    std::optional<QByteArray> ReadRange(const EditCaret& caret, uint64_t copies = 1);
    // Memory the program may still use (available memory and free swap), -1 when unknown.
    static int64_t AvailableMemory();
    // Test seam: when set, replaces AvailableMemory().
    static std::function<int64_t()> s_availableMemoryHook;

private:
    struct Range
    {
        uint64_t start;
        uint64_t count;
    };
    // The selection, or the byte under the cursor, cut at the end of a file of `size` bytes;
    // nothing when it starts at or after the end.
    static std::optional<Range> TargetRange(const EditCaret& caret, uint64_t size);
    bool TypeDirect(EditCaret& caret, uint32_t value);
    bool TypeInMemory(EditCaret& caret, uint32_t value);

    CQuorvaneDoc& m_doc;
};

// "%02X" of every byte, no separators: what 文字としてコピー puts on the clipboard.
QByteArray BytesToHexText(const QByteArray& bytes);
// The bytes 数値として貼り付け makes of a clipboard block of characters `width` bytes wide
// (1 for text, 2 for OEM and Unicode text) whose size already excludes the terminator.
QByteArray HexTextToBytes(const QByteArray& block, int width);

// Decoding the bytes of a row into the cells of the text column, for all nine character codes.
#pragma once

#include "CharCode.h"

#include <QString>
#include <cstddef>
#include <cstdint>
#include <vector>

// What the text column shows for one byte. Each byte owns one cell (one space-width of the font);
// a character made of several bytes is drawn once, at the cell of its first byte (its lead), and
// covers the cells of its other bytes.
struct DisplayCell
{
    enum class Kind : uint8_t {
        // Fill `cells` cells from this one with the byte's background, then draw `text` at this
        // cell. The text may be narrower than the cells (a half-width katakana of EUC covers two).
        Character,
        // A following byte of a character drawn at an earlier cell: draw nothing. When this byte
        // is selected, draw the character again at its lead (address − leadDistance) with
        // `leadText`, `leadCells` and `leadPadIfNarrow`, in the selection colours, so that a
        // partly selected character shows selected. The lead may lie on the previous row.
        Covered,
        // A following byte that is the first byte of a row (its character was drawn at the end of
        // the previous row and reaches into the margin): draw `text`, a single blank, here. No
        // redraw at the lead.
        CoveredRowStart,
    };

    Kind kind = Kind::Character;
    // Cells that `text` is drawn over from this cell on. A character of n bytes covers exactly its
    // n cells, so the cell of byte j always starts j space-widths into the column.
    uint8_t cells = 1;
    // Unicode and UnicodeBE only: the painter, which knows the font, appends U+3000 when the
    // glyph of `text` is narrower than two cells.
    bool padIfNarrow = false;
    // Covered: how many bytes back the lead lies (1 to 5).
    uint8_t leadDistance = 0;
    uint8_t leadCells = 0;
    bool leadPadIfNarrow = false;
    // Never holds a control character, DEL, a C1 control or a lone surrogate, so it can go to a
    // terminal or a printer as it is. Byte 0 and bytes without a character are " ".
    QString text;
    QString leadText;
};

// What carries from byte to byte and from row to row within one paint: the JIS escape mode, the
// bytes still covered by the last character, the pending low surrogate. Start every paint (and
// every dump) with a default-constructed state, so a JIS mode set above the first row shown is
// not known; pass the same object for each following row in order. A row whose address does not
// follow the previous row's end starts afresh. Callers treat the members as opaque.
struct DecodeState
{
    uint64_t nextAddress = 0;
    bool started = false;
    // Following bytes of the current character not yet emitted, and how far back its lead is.
    uint8_t covered = 0;
    uint8_t leadDistance = 0;
    uint8_t leadCells = 0;
    bool leadPadIfNarrow = false;
    QString leadText;
    // JIS: 0 no designation, 1 awaiting a two-byte designation, 2 awaiting a one-byte
    // designation, 3 two-byte set, 4 one-byte set; with its final byte, the third designation
    // byte of ESC $ ( F, and whether the previous byte was that "(".
    uint8_t jisMode = 0;
    uint8_t jisFinal = 0;
    uint8_t jisThird = 0;
    bool jisAfterParen = false;
    // Unicode/UnicodeBE: the next unit is the low half of a surrogate pair already drawn.
    bool lowSurrogateNext = false;
};

// Decodes one row: the bytes from `address` on, at most `rowLength` of them (16 in the view), and
// no byte at or past `fileSize`. `bytes` points at the byte at `address`; `available` bytes can be
// read from there. Pass more than the row when you have them (the rows below, or at least 5 bytes
// of look-ahead): a character whose lead is in this row may need the following bytes, and a form
// that would need bytes past `available` or past the end of the file is not made (a Shift-JIS lead
// with nothing after it is drawn alone, a UTF-8 sequence is shortened). `cells` is cleared and
// receives one cell per byte decoded: min(rowLength, available, fileSize − address) cells, none
// when `address` ≥ `fileSize`. Any bytes are safe: nothing past `bytes + available` is read.
//
// Pure apart from `state` and `cells`; safe to call from any thread.
//
// A paint, in outline (the view passes its byte store; a dump passes what it read):
//
//     DecodeState state;                                   // fresh for every paint
//     std::vector<DisplayCell> cells;
//     for (uint64_t row = topRow; row < lastRow; ++row) {
//         const uint64_t a = row * 16;
//         DecodeForDisplay(data + (a - first), held - (a - first), a, fileSize, code, state, cells);
//         for (size_t j = 0; j < cells.size(); ++j)        // cell j is at x = charColumnX + j * charWidth
//             ...draw by cells[j].kind...
//     }
void DecodeForDisplay(const uint8_t* bytes, size_t available, uint64_t address, uint64_t fileSize,
                      CharCode code, DecodeState& state, std::vector<DisplayCell>& cells,
                      size_t rowLength = 16);

// The same, returning the cells.
std::vector<DisplayCell> DecodeForDisplay(const uint8_t* bytes, size_t available, uint64_t address,
                                          uint64_t fileSize, CharCode code, DecodeState& state,
                                          size_t rowLength = 16);

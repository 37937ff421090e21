// 定型入力: one piece of data written at every address of a list, in insert or overwrite mode.
#pragma once

#include "codes/CharCode.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

class CQuorvaneDoc;

// The addresses of the address field: trailing white space of the whole text removed, "\r"
// deleted, one address per "\n"-separated line (an empty line, and an empty text, mean 0), each
// line without its leading "0" characters and trailing white space read as hexadecimal. A line
// that is not hexadecimal or needs more than 16 digits is refused: false, with a message naming
// it in `error`, and nothing is written.
bool ParseFixedAddresses(const QString& text, std::vector<uint64_t>& addresses, QString* error);

// The data bytes: binary mode reads pairs of hexadecimal digits (spaces removed, a last unpaired
// digit dropped); string mode encodes the text in `code`.
QByteArray FixedInputData(bool stringMode, const QString& text, CharCode code);

// How a run of writes ended.
struct FixedInputOutcome
{
    size_t written = 0;  // addresses written
    bool stopped = false; // the user stopped at a question, or a write could not be made
};

// Writes `data` at every address in order. In memory each address gets one undo entry (newest
// address first when undoing): insert mode inserts at the address; overwrite mode replaces the
// bytes from the address on and appends what lies past the end. An address past the end of the
// file is first reached with zero bytes, in both modes. In direct edit mode each address is one
// DiskWrite (a failure is reported and the next address follows). The redo journal empties first.
// Nothing is written while the document's edit lock is on or its loader runs (a message says so).
FixedInputOutcome ApplyFixedInput(CQuorvaneDoc& doc, const std::vector<uint64_t>& addresses, const QByteArray& data,
                                  bool insertMode);

// The message shown when a batch tool is refused because the document is still being read.
QString LoadingRefusalText();

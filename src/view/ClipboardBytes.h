// The view's clipboard formats: raw bytes that round-trip exactly, and plain text for other programs.
#pragma once

#include "codes/CharCode.h"

#include <QByteArray>
#include <optional>

class QMimeData;

// The three formats the view writes. Each is stored under a MIME type of our own holding the bytes
// followed by two zero bytes (so zero bytes inside the data survive). Every format also carries
// text/plain for other programs: the bytes of the hex column and of the Shift-JIS text column read
// as code page 932 text, the other text columns in their own code.
enum class ClipFormat { Text, OemText, UnicodeText };

struct ClipBlock
{
    ClipFormat format = ClipFormat::Text;
    QByteArray bytes;    // the data without its terminator
    int charWidth = 1;   // 1 for text, 2 for OEM text and Unicode text (paste as numbers)
    // Text from another program arrives as Shift-JIS (code page 932) bytes; its characters that
    // 932 cannot hold became "?" and are counted here.
    int replacedChars = 0;
};

class CClipboardBytes
{
public:
    // The MIME data for `bytes` in `format`; `code` decides the plain text other programs see.
    static QMimeData* MakeMimeData(const QByteArray& bytes, ClipFormat format, CharCode code);
    // Places the bytes on the system clipboard. False when that failed.
    static bool Place(const QByteArray& bytes, ClipFormat format, CharCode code);
    // The first of our formats on the clipboard, else plain text from another program (as code
    // page 932 bytes, the way Shift-JIS text comes back from other programs), else the first
    // format of all. nullopt when empty.
    static std::optional<ClipBlock> Read(const QMimeData* mime);
    static std::optional<ClipBlock> ReadSystem();
    // The format a copy uses: OEM text from the hex column; in the text column Unicode text for
    // Unicode and UnicodeBE, text for the other codes.
    static ClipFormat FormatFor(bool inCharColumn, CharCode code);
};

// What the structure editor shows in the value column, and what an edited value writes.
#pragma once

#include "structs/StructBytes.h"
#include "structs/StructTree.h"

#include <QByteArray>
#include <QString>
#include <cstdint>

class CStructValues
{
public:
    // Text of up to `count` elements (at most 1000) of 1 or 2 bytes at `address`, one character per
    // element, ending at the first zero element or the end of the file.
    static QString ReadElementsAsText(StructBytes& bytes, uint64_t address, uint32_t elementSize,
                                      int64_t count, bool bigEndian, uint64_t fileSize);
    // The value column of a row laid at `base`.
    static QString FormatValue(const CStructTree& tree, const CStructTree::LISTOPTION& row,
                               StructBytes& bytes, uint64_t base, uint64_t fileSize);
    // A row whose value can be edited: a basic field that is not a whole array.
    static bool IsEditable(const CStructTree& tree, const CStructTree::LISTOPTION& row);
    // The text an edit starts with: the value up to its first blank.
    static QString EditText(const QString& valueText);
    // Hexadecimal digits an integer edit keeps (0 for float kinds).
    static int EditDigits(const CStructDefs::STRUCTDATA& field);
    // The bytes, in file order, that an edit text writes for the field; false with `error` when
    // the text is not a value of the field's kind.
    static bool EncodeEdit(const CStructDefs::STRUCTDATA& field, const QString& text, QByteArray& out,
                           QString& error);

    enum class Commit { Written, Refused, Failed };
    // Writes an edit of `row` at `base`; a refused text has been shown to the user.
    static Commit CommitValueEdit(const CStructTree& tree, const CStructTree::LISTOPTION& row,
                                  const QString& text, StructBytes& bytes, uint64_t base);

    // The type column: the field's type word as written.
    static QString TypeText(const CStructTree& tree, const CStructTree::LISTOPTION& row) { return tree.Field(row).type; }
    // A row as one line of text: two spaces per level, the name, a tab, the value, a tab, the type.
    static QString RowLine(const CStructTree& tree, const CStructTree::LISTOPTION& row, StructBytes& bytes,
                           uint64_t base, uint64_t fileSize)
    {
        return QString(2 * row.level, QLatin1Char(' ')) + row.label + QLatin1Char('\t')
               + FormatValue(tree, row, bytes, base, fileSize) + QLatin1Char('\t') + TypeText(tree, row);
    }

    // A character as the list can show it on one line: control characters become ".", lone
    // surrogates the replacement character.
    static QChar DisplayChar(uint32_t code);
};

// One structure editor's state without its window: the definition file, the chosen structure, the base.
#pragma once

#include "structs/StructBase.h"
#include "structs/StructBytes.h"
#include "structs/StructDefs.h"
#include "structs/StructTree.h"
#include "structs/StructValues.h"

#include <QString>
#include <cstdint>

// The pane and `quorvane-cli struct` both drive this, so the window and the command line show the
// same rows.
class CStructSession
{
public:
    CStructSession() : m_tree(m_defs) {}
    CStructSession(const CStructSession&) = delete;
    CStructSession& operator=(const CStructSession&) = delete;

    // Parses `path` with its varsize values read at the base address. On failure ErrorMessage()
    // says why (with the line number for a format error); the structures read before the bad line
    // stay. No structure is chosen afterwards.
    bool LoadDefinitionFile(const QString& path, StructBytes& bytes);
    QString FileName() const { return m_path; }
    QString ErrorMessage() const { return m_error; }
    int ErrorLine() const { return m_defs.ErrorLine(); }

    const CStructDefs& Defs() const { return m_defs; }
    CStructTree& Tree() { return m_tree; }
    const CStructTree& Tree() const { return m_tree; }

    // Lays structure `index` at the base (ShowStructure): level-0 rows only.
    void ChooseStructure(int index);
    int Structure() const { return m_tree.Structure(); }
    uint64_t StructSize() const;

    uint64_t Base() const { return m_base; }
    void SetBase(uint64_t base) { m_base = base; }
    // A button's move; acts only while a structure is chosen. The varsize values are read again
    // and the rows rebuilt. False when nothing happened.
    bool MoveBase(CStructBase::Move move, uint64_t cursor, StructBytes& bytes);
    // Reads the varsize values again and rebuilds the rows (the refresh icon).
    void Reevaluate(StructBytes& bytes);

    // The whole structure's range and a row's range (end exclusive, held at the address space's end).
    void StructRange(uint64_t& start, uint64_t& end) const;
    void RowRange(const CStructTree::LISTOPTION& row, uint64_t& start, uint64_t& end) const;

    // True when the data now gives other varsize values than the rows were built from (the bytes
    // changed under the structure: an undo, typing in the view).
    bool VarsizeValuesChanged(StructBytes& bytes) const;
    // Reads the varsize values again and rebuilds the rows with the expanded rows expanded again
    // (at most `expandLimit` elements per array and `maxRows` rows in all). `row`, when given, is
    // a row index that follows its row to its new place (-1 when that row is no longer shown).
    void RebuildKeepingRows(StructBytes& bytes, int64_t* row, int64_t expandLimit, int64_t maxRows);

    // True when committing an edit of row `index` rebuilds the rows (a varsize field: the counts
    // and sizes that follow from it change).
    bool EditRebuildsRows(int64_t index) const;
    // Commits an edit of row `index`. After a varsize field the values are read again and the rows
    // rebuilt with the expanded rows expanded again (at most `expandLimit` elements per array and
    // `maxRows` rows in all); `rowAfter` receives the edited field's row afterwards (-1 when it is
    // no longer shown).
    CStructValues::Commit CommitValueEdit(int64_t index, const QString& text, StructBytes& bytes,
                                          int64_t* rowAfter = nullptr,
                                          int64_t expandLimit = CStructDefs::kMaxCount,
                                          int64_t maxRows = CStructDefs::kMaxCount);

private:
    CStructDefs::ValueReader Reader(StructBytes& bytes) const;

    CStructDefs m_defs;
    CStructTree m_tree;
    QString m_path;
    QString m_error;
    uint64_t m_base = 0;
};

// The rows of the structure editor's tree list, computed on demand so huge arrays stay cheap.
#pragma once

#include "structs/StructDefs.h"

#include <QString>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

// The visible rows of one structure laid over the data: the level-0 rows are the structure's
// fields; expanding an array shows its elements, expanding a structure its fields. Only expanded
// rows are stored: the element rows of an array are made when asked for, so an array of millions
// of elements costs no more than one of ten.
class CStructTree
{
public:
    // One row of the list.
    struct LISTOPTION
    {
        bool expanded = false;
        int structType = -1;  // the row's structure type, -1 for a basic type
        int64_t count = 0;    // element count of a whole-array row, else 0
        int definition = -1;  // the definition that holds the field
        int member = -1;      // the field's index there
        int level = 0;
        uint64_t offset = 0;  // from the base address
        QString label;
        int64_t element = -1; // an element row's index in its array
    };

    explicit CStructTree(const CStructDefs& defs) : m_defs(defs) {}

    // Level-0 rows of structure `structIndex` (-1 or out of range: no rows).
    void Show(int structIndex);
    void Clear() { Show(-1); }
    int Structure() const { return m_structure; }
    int64_t RowCount() const { return int64_t(m_roots.size()) + m_rootsBelow; }
    LISTOPTION Row(int64_t index) const;

    const CStructDefs::STRUCTDATA& Field(const LISTOPTION& row) const { return m_defs.Member(row.definition, row.member); }
    // Rows that stand for a structure or a whole array can be expanded.
    static bool IsExpandable(const LISTOPTION& row) { return row.structType >= 0 || row.count > 0; }
    bool IsWholeArray(const LISTOPTION& row) const { return row.count > 0; }
    // The bytes a row covers (for selection and 選択).
    uint64_t RowLength(const LISTOPTION& row) const;

    // Shows the children of row `index` below it: an array's first `limit` elements, or a
    // structure's fields. Returns the number of rows added (0 when the row cannot be expanded or
    // already is).
    int64_t Expand(int64_t index, int64_t limit = CStructDefs::kMaxCount);
    // Removes every row below `index` (expanded grandchildren too). Returns the rows removed.
    int64_t Collapse(int64_t index);
    // The rows shown below row `index` while it is expanded (grandchildren included).
    int64_t RowsBelow(int64_t index) const
    {
        const Place p = Locate(index);
        return p.node ? p.node->below : 0;
    }
    // The children an expansion of this row would show, before any limit.
    int64_t ChildCount(const LISTOPTION& row) const;

    // A row's place that outlives a rebuild of the rows: from the top level down, the field's
    // index and, for an element row, its element index (-1 for a field row).
    using RowKey = std::vector<std::pair<int, int64_t>>;
    RowKey KeyOf(int64_t index) const;
    // The row with this key now, or -1 when it is not shown (an ancestor collapsed, an array
    // that became shorter).
    int64_t IndexOf(const RowKey& key) const;
    // The keys of the expanded rows, parents before their children.
    std::vector<RowKey> ExpandedKeys() const;
    // Expands the rows of these keys again (after Show), `limit` elements per array, while the
    // list holds fewer than `maxRows` rows.
    void Reexpand(const std::vector<RowKey>& keys, int64_t limit, int64_t maxRows);

private:
    struct Node
    {
        LISTOPTION row;
        Node* parent = nullptr;
        int64_t below = 0; // visible rows under this one
        int64_t shown = 0; // element rows of an expanded array
        std::vector<std::unique_ptr<Node>> fields;          // an expanded structure's fields
        std::map<int64_t, std::unique_ptr<Node>> elements;  // an expanded array's expanded elements
    };

    // Where row `index` is: the node holding it (or its array parent) and, for an element row not
    // stored, the element index.
    struct Place
    {
        Node* node = nullptr;   // the row's own node, or null for a plain element row
        Node* array = nullptr;  // for a plain element row: the array's node
        int64_t element = -1;
    };

    Place Locate(int64_t index) const;
    Place LocateBelow(Node* node, int64_t index) const;
    LISTOPTION ElementRow(const LISTOPTION& array, int64_t element) const;
    std::vector<std::unique_ptr<Node>> FieldNodes(const LISTOPTION& parent, Node* parentNode) const;
    void AddBelow(Node* node, int64_t delta);
    RowKey NodeKey(const Node* node) const;
    static void CollectExpanded(const Node& node, RowKey& key, std::vector<RowKey>& out);
    void RebuildRootStarts() const;

    const CStructDefs& m_defs;
    int m_structure = -1;
    std::vector<std::unique_ptr<Node>> m_roots;
    int64_t m_rootsBelow = 0;
    mutable std::vector<int64_t> m_rootStarts; // row index of each root
    mutable bool m_rootStartsValid = false;
};

// The structure editor's rows: expanding, collapsing and finding a row by its index.
#include "structs/StructTree.h"

#include <algorithm>

void CStructTree::Show(int structIndex)
{
    m_roots.clear();
    m_rootsBelow = 0;
    m_rootStartsValid = false;
    m_structure = structIndex >= 0 && structIndex < int(m_defs.Defs().size()) ? structIndex : -1;
    if (m_structure < 0)
        return;
    LISTOPTION top;
    top.structType = m_structure;
    top.level = -1;
    top.offset = 0;
    m_roots = FieldNodes(top, nullptr);
}

std::vector<std::unique_ptr<CStructTree::Node>> CStructTree::FieldNodes(const LISTOPTION& parent, Node* parentNode) const
{
    const int def = parent.structType;
    const auto& members = m_defs.Def(def).members;
    std::vector<std::unique_ptr<Node>> nodes;
    nodes.reserve(members.size());
    int64_t offset = 0;
    for (size_t i = 0; i < members.size(); ++i) {
        const CStructDefs::STRUCTDATA& f = members[i];
        auto n = std::make_unique<Node>();
        n->parent = parentNode;
        n->row.structType = f.structIndex;
        n->row.count = f.count;
        n->row.definition = def;
        n->row.member = int(i);
        n->row.level = parent.level + 1;
        n->row.offset = parent.offset + uint64_t(offset);
        n->row.label = f.name;
        offset = CStructDefs::SatAdd(offset, f.size);
        nodes.push_back(std::move(n));
    }
    return nodes;
}

CStructTree::LISTOPTION CStructTree::ElementRow(const LISTOPTION& array, int64_t element) const
{
    const CStructDefs::STRUCTDATA& f = Field(array);
    LISTOPTION r;
    r.structType = array.structType;
    r.count = 0;
    r.definition = array.definition;
    r.member = array.member;
    r.level = array.level + 1;
    const int64_t stride = array.structType >= 0 ? m_defs.DefSize(array.structType) : int64_t(f.elementSize);
    r.offset = array.offset + uint64_t(CStructDefs::SatMul(stride, element));
    const qsizetype bracket = f.name.indexOf(QLatin1Char('['));
    r.label = (bracket >= 0 ? f.name.left(bracket) : f.name) + QLatin1Char('[') + QString::number(element) + QLatin1Char(']');
    r.element = element;
    return r;
}

uint64_t CStructTree::RowLength(const LISTOPTION& row) const
{
    const CStructDefs::STRUCTDATA& f = Field(row);
    if (f.kind == CStructDefs::kArithmetic && f.structIndex < 0)
        return 0;
    const int64_t unit = row.structType >= 0 ? m_defs.DefSize(row.structType) : int64_t(f.elementSize);
    if (row.count > 0)
        return uint64_t(CStructDefs::SatMul(unit, row.count));
    if (row.element < 0 && f.countFromVarsize)
        return 0; // a [varsize] array that the data makes empty
    return uint64_t(unit);
}

int64_t CStructTree::ChildCount(const LISTOPTION& row) const
{
    if (row.count > 0)
        return row.count;
    if (row.structType >= 0)
        return int64_t(m_defs.Def(row.structType).members.size());
    return 0;
}

void CStructTree::RebuildRootStarts() const
{
    m_rootStarts.resize(m_roots.size());
    int64_t at = 0;
    for (size_t i = 0; i < m_roots.size(); ++i) {
        m_rootStarts[i] = at;
        at += 1 + m_roots[i]->below;
    }
    m_rootStartsValid = true;
}

CStructTree::Place CStructTree::Locate(int64_t index) const
{
    if (index < 0 || index >= RowCount())
        return {};
    if (!m_rootStartsValid)
        RebuildRootStarts();
    const auto it = std::upper_bound(m_rootStarts.begin(), m_rootStarts.end(), index);
    const size_t r = size_t(it - m_rootStarts.begin()) - 1;
    Node* root = m_roots[r].get();
    const int64_t inside = index - m_rootStarts[r];
    if (inside == 0)
        return {root, nullptr, -1};
    return LocateBelow(root, inside - 1);
}

CStructTree::Place CStructTree::LocateBelow(Node* node, int64_t index) const
{
    // `index` counts the rows under `node`, 0 being the first child's row.
    for (;;) {
        if (node->row.count > 0) {
            int64_t extra = 0; // rows under the expanded elements before the one looked for
            for (auto& [element, child] : node->elements) {
                const int64_t start = element + extra;
                if (index < start)
                    break;
                if (index == start)
                    return {child.get(), nullptr, -1};
                if (index <= start + child->below) {
                    node = child.get();
                    index -= start + 1;
                    goto next;
                }
                extra += child->below;
            }
            return {nullptr, node, index - extra};
        }
        for (auto& child : node->fields) {
            if (index == 0)
                return {child.get(), nullptr, -1};
            if (index <= child->below) {
                node = child.get();
                index -= 1;
                goto next;
            }
            index -= 1 + child->below;
        }
        return {};
    next:;
    }
}

CStructTree::LISTOPTION CStructTree::Row(int64_t index) const
{
    const Place p = Locate(index);
    if (p.node)
        return p.node->row;
    if (p.array)
        return ElementRow(p.array->row, p.element);
    return {};
}

void CStructTree::AddBelow(Node* node, int64_t delta)
{
    for (Node* n = node; n; n = n->parent)
        n->below += delta;
    m_rootsBelow += delta;
    m_rootStartsValid = false;
}

int64_t CStructTree::Expand(int64_t index, int64_t limit)
{
    Place p = Locate(index);
    if (!p.node && !p.array)
        return 0;
    const LISTOPTION row = p.node ? p.node->row : ElementRow(p.array->row, p.element);
    if (!IsExpandable(row) || row.expanded)
        return 0;
    Node* node = p.node;
    if (!node) {
        // A plain element row becomes a stored one while it is expanded.
        auto made = std::make_unique<Node>();
        made->row = row;
        made->parent = p.array;
        node = made.get();
        p.array->elements.emplace(p.element, std::move(made));
    }
    int64_t added = 0;
    if (row.count > 0) {
        node->shown = std::min(row.count, std::max<int64_t>(limit, 0));
        added = node->shown;
    } else {
        node->fields = FieldNodes(node->row, node);
        added = int64_t(node->fields.size());
    }
    node->row.expanded = true;
    AddBelow(node, added);
    return added;
}

int64_t CStructTree::Collapse(int64_t index)
{
    const Place p = Locate(index);
    Node* node = p.node;
    if (!node || !node->row.expanded)
        return 0;
    const int64_t removed = node->below;
    node->fields.clear();
    node->elements.clear();
    node->shown = 0;
    node->row.expanded = false;
    AddBelow(node, -removed);
    // A collapsed element row needs no node of its own any more.
    if (node->row.element >= 0 && node->parent)
        node->parent->elements.erase(node->row.element);
    return removed;
}

CStructTree::RowKey CStructTree::NodeKey(const Node* node) const
{
    RowKey key;
    for (const Node* n = node; n; n = n->parent)
        key.emplace_back(n->row.member, n->row.element);
    std::reverse(key.begin(), key.end());
    return key;
}

CStructTree::RowKey CStructTree::KeyOf(int64_t index) const
{
    const Place p = Locate(index);
    if (p.node)
        return NodeKey(p.node);
    if (!p.array)
        return {};
    RowKey key = NodeKey(p.array);
    key.emplace_back(p.array->row.member, p.element);
    return key;
}

int64_t CStructTree::IndexOf(const RowKey& key) const
{
    if (key.empty())
        return -1;
    if (!m_rootStartsValid)
        RebuildRootStarts();
    const Node* node = nullptr;
    int64_t index = -1;
    for (size_t r = 0; r < m_roots.size(); ++r) {
        if (m_roots[r]->row.member == key[0].first && key[0].second < 0) {
            node = m_roots[r].get();
            index = m_rootStarts[r];
            break;
        }
    }
    for (size_t step = 1; node && step < key.size(); ++step) {
        if (!node->row.expanded)
            return -1;
        const auto [member, element] = key[step];
        int64_t at = index + 1;
        const Node* next = nullptr;
        if (node->row.count > 0) {
            if (member != node->row.member || element < 0 || element >= node->shown)
                return -1;
            at += element;
            for (const auto& [e, child] : node->elements) {
                if (e >= element) {
                    if (e == element)
                        next = child.get();
                    break;
                }
                at += child->below;
            }
            if (!next)
                return step + 1 == key.size() ? at : -1; // a plain element row has no rows below it
        } else {
            for (const auto& child : node->fields) {
                if (child->row.member == member && element < 0) {
                    next = child.get();
                    break;
                }
                at += 1 + child->below;
            }
            if (!next)
                return -1;
        }
        node = next;
        index = at;
    }
    return node ? index : -1;
}

void CStructTree::CollectExpanded(const Node& node, RowKey& key, std::vector<RowKey>& out)
{
    key.emplace_back(node.row.member, node.row.element);
    if (node.row.expanded) {
        out.push_back(key);
        for (const auto& child : node.fields)
            CollectExpanded(*child, key, out);
        for (const auto& [element, child] : node.elements)
            CollectExpanded(*child, key, out);
    }
    key.pop_back();
}

std::vector<CStructTree::RowKey> CStructTree::ExpandedKeys() const
{
    std::vector<RowKey> out;
    RowKey key;
    for (const auto& root : m_roots)
        CollectExpanded(*root, key, out);
    return out;
}

void CStructTree::Reexpand(const std::vector<RowKey>& keys, int64_t limit, int64_t maxRows)
{
    // Parents come before their children in `keys`, so each key's parent is open when it is met.
    for (const RowKey& key : keys) {
        const int64_t index = IndexOf(key);
        if (index < 0)
            continue;
        const int64_t room = maxRows - RowCount();
        if (room <= 0)
            break;
        Expand(index, std::min(limit, room));
    }
}
